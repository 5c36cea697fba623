#pragma once

#include "device/Sleeper.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <thread>

namespace zel {

/// What the lighting preview needs of the main window.
class LedPreviewView {
public:
    virtual ~LedPreviewView() = default;
    virtual void repaint() = 0;
    /// True while the window shows the lighting page.
    virtual bool lightingPageShown() const = 0;
};

/// The pause between two repaints of the lighting page at effect speed `ledCycleTime`:
/// (6 - speed) x 200 ms, so speed 5 repaints every 200 ms and speed 0 every 1200 ms.
/// Speeds 6 and 7 would give no pause or a negative one; they repaint every 200 ms like
/// speed 5.
std::chrono::milliseconds ledPreviewPause(int ledCycleTime);

/// Repaints the lighting page at the pace of the effect speed while the page is shown,
/// on a thread of its own that ends when the page is left (or on `stop`).
class LedPreviewWorker {
public:
    /// `ledCycleTime` is read before every pause, so a changed speed takes effect at once.
    LedPreviewWorker(LedPreviewView& view, std::function<int()> ledCycleTime, Sleeper& sleeper);
    ~LedPreviewWorker();
    LedPreviewWorker(const LedPreviewWorker&) = delete;
    LedPreviewWorker& operator=(const LedPreviewWorker&) = delete;

    /// Starts the worker unless it is running; true when it was started.
    bool start();
    bool running() const { return m_running.load(); }
    /// Ends the worker at its next repaint and waits for it.
    void stop();

private:
    void run(std::stop_token stop);

    LedPreviewView& m_view;
    std::function<int()> m_ledCycleTime;
    Sleeper& m_sleeper;
    std::atomic<bool> m_running{false};
    std::mutex m_mutex;
    std::jthread m_thread;
};

} // namespace zel
