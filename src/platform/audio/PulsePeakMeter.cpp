#include "platform/audio/PulsePeakMeter.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <mutex>

namespace zel::audio {

namespace {

// The placeholder sink the server loads when it has no real one.
constexpr const char* kPlaceholderSink = "auto_null";
// One peak value per 40 ms; the meter is read every 96 ms.
constexpr std::uint32_t kMeterRate = 25;

void unrefOperation(pa_operation* operation) {
    if (operation != nullptr) {
        pa_operation_unref(operation);
    }
}

} // namespace

// Everything below runs on libpulse's main-loop thread, or with its lock held; what other
// threads read is published under `mutex` or in atomics.
struct PulsePeakMeter::Impl {
    std::string server;
    std::chrono::milliseconds retryInterval;
    bool measure = true;
    pa_threaded_mainloop* loop = nullptr;
    pa_mainloop_api* api = nullptr;
    pa_context* context = nullptr;
    pa_stream* stream = nullptr;
    pa_time_event* retry = nullptr;
    std::string defaultSink;
    int countingSinks = 0;

    std::atomic<float> peak{0.0F};

    mutable std::mutex mutex;
    std::condition_variable changed;
    bool settled = false; ///< the last connection attempt has been decided
    bool ready = false;
    int sinks = 0;
    std::string monitor;

    void publish(bool isReady, int sinkCount) {
        {
            std::lock_guard lock(mutex);
            ready = isReady;
            sinks = sinkCount;
            settled = true;
        }
        changed.notify_all();
    }

    void publishMonitor(std::string name) {
        std::lock_guard lock(mutex);
        monitor = std::move(name);
    }

    void connect() {
        context = pa_context_new(api, "zel-gmouse");
        if (context == nullptr) {
            publish(false, 0);
            scheduleRetry();
            return;
        }
        pa_context_set_state_callback(context, &Impl::onContextState, this);
        if (pa_context_connect(context, server.empty() ? nullptr : server.c_str(),
                               PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
            publish(false, 0);
            scheduleRetry();
        }
    }

    void dropStream() {
        if (stream != nullptr) {
            pa_stream_set_state_callback(stream, nullptr, nullptr);
            pa_stream_set_read_callback(stream, nullptr, nullptr);
            static_cast<void>(pa_stream_disconnect(stream)); // gone already is fine
            pa_stream_unref(stream);
            stream = nullptr;
        }
        peak.store(0.0F);
        publishMonitor({});
    }

    void dropContext() {
        dropStream();
        defaultSink.clear();
        if (context != nullptr) {
            pa_context_set_state_callback(context, nullptr, nullptr);
            pa_context_set_subscribe_callback(context, nullptr, nullptr);
            pa_context_disconnect(context);
            pa_context_unref(context);
            context = nullptr;
        }
    }

    void scheduleRetry() {
        if (retry != nullptr) {
            return;
        }
        timeval when{};
        pa_gettimeofday(&when);
        pa_timeval_add(&when, static_cast<pa_usec_t>(retryInterval.count()) * PA_USEC_PER_MSEC);
        retry = api->time_new(api, &when, &Impl::onRetry, this);
    }

    // Asks for the default sink and counts the sinks; the answers come in this order.
    void refresh() {
        countingSinks = 0;
        unrefOperation(pa_context_get_server_info(context, &Impl::onServerInfo, this));
        unrefOperation(pa_context_get_sink_info_list(context, &Impl::onSinkInfo, this));
    }

    bool streamAlive() const {
        return stream != nullptr && PA_STREAM_IS_GOOD(pa_stream_get_state(stream));
    }

    void connectStream(const std::string& sink) {
        dropStream();
        defaultSink = sink;
        if (sink.empty()) {
            return;
        }
        const pa_sample_spec format{PA_SAMPLE_FLOAT32NE, kMeterRate, 1};
        pa_proplist* properties = pa_proplist_new();
        // A plain application role keeps role-based corking rules away from the meter.
        pa_proplist_sets(properties, PA_PROP_MEDIA_ROLE, "production");
        stream = pa_stream_new_with_proplist(context, "peak meter", &format, nullptr, properties);
        pa_proplist_free(properties);
        if (stream == nullptr) {
            return;
        }
        pa_stream_set_read_callback(stream, &Impl::onRead, this);
        pa_stream_set_state_callback(stream, &Impl::onStreamState, this);
        pa_buffer_attr attributes;
        std::memset(&attributes, 0xFF, sizeof attributes); // the server's defaults
        attributes.fragsize = sizeof(float);
        const std::string source = sink + ".monitor";
        const auto flags = static_cast<pa_stream_flags_t>(
            PA_STREAM_PEAK_DETECT | PA_STREAM_ADJUST_LATENCY | PA_STREAM_DONT_MOVE);
        if (pa_stream_connect_record(stream, source.c_str(), &attributes, flags) < 0) {
            dropStream();
            return;
        }
        publishMonitor(source);
    }

    static Impl& self(void* user) { return *static_cast<Impl*>(user); }

    static void onContextState(pa_context* c, void* user) {
        Impl& m = self(user);
        switch (pa_context_get_state(c)) {
        case PA_CONTEXT_READY:
            pa_context_set_subscribe_callback(c, &Impl::onEvent, user);
            unrefOperation(
                pa_context_subscribe(c,
                                     static_cast<pa_subscription_mask_t>(
                                         PA_SUBSCRIPTION_MASK_SERVER | PA_SUBSCRIPTION_MASK_SINK),
                                     nullptr, nullptr));
            m.refresh();
            break;
        case PA_CONTEXT_FAILED:
        case PA_CONTEXT_TERMINATED:
            // The context is dropped from the retry timer, not inside its own callback.
            m.publish(false, 0);
            m.dropStream();
            m.scheduleRetry();
            break;
        default:
            break;
        }
    }

    static void onEvent(pa_context*, pa_subscription_event_type_t type, std::uint32_t, void* user) {
        const auto facility = type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
        const auto kind = type & PA_SUBSCRIPTION_EVENT_TYPE_MASK;
        if (facility == PA_SUBSCRIPTION_EVENT_SERVER ||
            (facility == PA_SUBSCRIPTION_EVENT_SINK && kind != PA_SUBSCRIPTION_EVENT_CHANGE)) {
            self(user).refresh();
        }
    }

    static void onServerInfo(pa_context*, const pa_server_info* info, void* user) {
        Impl& m = self(user);
        const std::string sink =
            info != nullptr && info->default_sink_name != nullptr ? info->default_sink_name : "";
        if (m.measure && (sink != m.defaultSink || !m.streamAlive())) {
            m.connectStream(sink);
        }
    }

    static void onSinkInfo(pa_context*, const pa_sink_info* info, int eol, void* user) {
        Impl& m = self(user);
        if (eol != 0) {
            m.publish(true, m.countingSinks);
            return;
        }
        if (info != nullptr && std::strcmp(info->name, kPlaceholderSink) != 0) {
            ++m.countingSinks;
        }
    }

    static void onStreamState(pa_stream* s, void* user) {
        Impl& m = self(user);
        if (s == m.stream && !PA_STREAM_IS_GOOD(pa_stream_get_state(s))) {
            // The sink went away; the sink event that follows finds the new default.
            m.peak.store(0.0F);
            m.publishMonitor({});
        }
    }

    static void onRead(pa_stream* s, std::size_t, void* user) {
        Impl& m = self(user);
        while (pa_stream_readable_size(s) > 0) {
            const void* data = nullptr;
            std::size_t length = 0;
            if (pa_stream_peek(s, &data, &length) < 0 || length == 0) {
                return;
            }
            if (data != nullptr) { // null with a length is a hole in the stream
                float highest = 0.0F;
                const std::size_t count = length / sizeof(float);
                for (std::size_t i = 0; i < count; ++i) {
                    float value = 0.0F;
                    std::memcpy(&value, static_cast<const char*>(data) + i * sizeof(float),
                                sizeof value);
                    highest = std::max(highest, std::fabs(value));
                }
                float current = m.peak.load();
                while (highest > current && !m.peak.compare_exchange_weak(current, highest)) {
                }
            }
            pa_stream_drop(s);
        }
    }

    static void onRetry(pa_mainloop_api* a, pa_time_event* event, const timeval*, void* user) {
        Impl& m = self(user);
        a->time_free(event);
        m.retry = nullptr;
        m.dropContext();
        m.connect();
    }
};

PulsePeakMeter::PulsePeakMeter(std::string server, std::chrono::milliseconds retryInterval,
                               bool measure)
    : m_impl(std::make_unique<Impl>()) {
    m_impl->server = std::move(server);
    m_impl->retryInterval = retryInterval;
    m_impl->measure = measure;
    m_impl->loop = pa_threaded_mainloop_new();
    if (m_impl->loop == nullptr) {
        m_impl->publish(false, 0);
        return;
    }
    m_impl->api = pa_threaded_mainloop_get_api(m_impl->loop);
    pa_threaded_mainloop_lock(m_impl->loop);
    if (pa_threaded_mainloop_start(m_impl->loop) < 0) {
        pa_threaded_mainloop_unlock(m_impl->loop);
        pa_threaded_mainloop_free(m_impl->loop);
        m_impl->loop = nullptr;
        m_impl->publish(false, 0);
        return;
    }
    m_impl->connect();
    pa_threaded_mainloop_unlock(m_impl->loop);
}

PulsePeakMeter::~PulsePeakMeter() {
    if (m_impl->loop == nullptr) {
        return;
    }
    pa_threaded_mainloop_lock(m_impl->loop);
    if (m_impl->retry != nullptr) {
        m_impl->api->time_free(m_impl->retry);
        m_impl->retry = nullptr;
    }
    m_impl->dropContext();
    pa_threaded_mainloop_unlock(m_impl->loop);
    pa_threaded_mainloop_stop(m_impl->loop);
    pa_threaded_mainloop_free(m_impl->loop);
}

bool PulsePeakMeter::audioDevicePresent() {
    std::unique_lock lock(m_impl->mutex);
    m_impl->changed.wait_for(lock, settleTimeout, [this] { return m_impl->settled; });
    return m_impl->ready && m_impl->sinks > 0;
}

float PulsePeakMeter::takePeak() {
    return std::clamp(m_impl->peak.exchange(0.0F), 0.0F, 1.0F);
}

bool PulsePeakMeter::devicePresent(const std::string& server) {
    // A refused connection is decided within milliseconds; the retry never comes.
    PulsePeakMeter probe(server, std::chrono::hours(1), false);
    return probe.audioDevicePresent();
}

std::string PulsePeakMeter::monitorSource() const {
    std::lock_guard lock(m_impl->mutex);
    return m_impl->monitor;
}

} // namespace zel::audio
