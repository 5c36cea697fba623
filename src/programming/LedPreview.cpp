#include "programming/LedPreview.h"

#include <algorithm>

namespace zel {

namespace {

constexpr int kPreviewStepMs = 200;
constexpr int kPreviewSpeeds = 6;

} // namespace

std::chrono::milliseconds ledPreviewPause(int ledCycleTime) {
    const int steps = std::max(1, kPreviewSpeeds - ledCycleTime);
    return std::chrono::milliseconds(steps * kPreviewStepMs);
}

LedPreviewWorker::LedPreviewWorker(LedPreviewView& view, std::function<int()> ledCycleTime,
                                   Sleeper& sleeper)
    : m_view(view), m_ledCycleTime(std::move(ledCycleTime)), m_sleeper(sleeper) {}

LedPreviewWorker::~LedPreviewWorker() {
    stop();
}

bool LedPreviewWorker::start() {
    std::lock_guard lock(m_mutex);
    if (m_running.load()) {
        return false;
    }
    if (m_thread.joinable()) {
        m_thread.join(); // the last run has ended by itself; collect it
    }
    m_running.store(true);
    m_thread = std::jthread([this](std::stop_token stop) { run(stop); });
    return true;
}

void LedPreviewWorker::stop() {
    std::lock_guard lock(m_mutex);
    m_thread.request_stop();
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void LedPreviewWorker::run(std::stop_token stop) {
    while (!stop.stop_requested() && m_view.lightingPageShown()) {
        m_view.repaint();
        m_sleeper.sleepFor(ledPreviewPause(m_ledCycleTime ? m_ledCycleTime() : 0));
    }
    m_running.store(false);
}

} // namespace zel
