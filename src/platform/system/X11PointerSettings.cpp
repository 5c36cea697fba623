#include "platform/system/X11PointerSettings.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <vector>

namespace zel::system {

namespace {

// Xlib's default error handler ends the process; a refused request (a value the driver
// does not take, a device that went away) must only fail the call. The handler is
// process-wide in Xlib, so it is installed once and counts the errors it sees.
std::atomic<unsigned long> g_xErrors{0};

int countError(Display*, XErrorEvent*) {
    g_xErrors.fetch_add(1);
    return 0;
}

void installErrorHandler() {
    static std::once_flag once;
    std::call_once(once, [] { XSetErrorHandler(countError); });
}

} // namespace

struct X11PointerSettings::Connection {
    Display* display = nullptr;
    int xiOpcode = -1;
    ~Connection() {
        if (display != nullptr) {
            XCloseDisplay(display);
        }
    }

    /// The slave pointers that carry the libinput speed property (none without XI 2.0
    /// or without the property's atom).
    std::vector<int> accelDevices(Atom& property, Atom& floatType) const {
        std::vector<int> devices;
        if (xiOpcode < 0) {
            return devices;
        }
        property = XInternAtom(display, kAccelProperty, True);
        floatType = XInternAtom(display, "FLOAT", True);
        if (property == None || floatType == None) {
            return devices;
        }
        int count = 0;
        XIDeviceInfo* info = XIQueryDevice(display, XIAllDevices, &count);
        for (int i = 0; info != nullptr && i < count; ++i) {
            if (info[i].use != XISlavePointer || !info[i].enabled) {
                continue;
            }
            int propCount = 0;
            Atom* props = XIListProperties(display, info[i].deviceid, &propCount);
            if (props != nullptr) {
                if (std::find(props, props + propCount, property) != props + propCount) {
                    devices.push_back(info[i].deviceid);
                }
                XFree(props);
            }
        }
        if (info != nullptr) {
            XIFreeDeviceInfo(info);
        }
        return devices;
    }

    std::optional<float> readAccel(int device, Atom property, Atom floatType) const {
        Atom type = None;
        int format = 0;
        unsigned long items = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        const Status status = XIGetProperty(display, device, property, 0, 1, False, floatType,
                                            &type, &format, &items, &after, &data);
        std::optional<float> value;
        if (status == Success && type == floatType && format == 32 && items >= 1 &&
            data != nullptr) {
            // XI2 hands 32-bit items over packed (unlike the core property calls, which
            // widen them to longs).
            float f = 0.0F;
            std::memcpy(&f, data, sizeof f);
            value = f;
        }
        if (data != nullptr) {
            XFree(data);
        }
        return value;
    }

    void writeAccel(int device, Atom property, Atom floatType, float accel) const {
        unsigned char item[sizeof(float)];
        std::memcpy(item, &accel, sizeof item);
        XIChangeProperty(display, device, property, floatType, 32, XIPropModeReplace, item, 1);
    }
};

X11PointerSettings::X11PointerSettings(const std::string& display)
    : m_x(std::make_unique<Connection>()) {
    installErrorHandler();
    m_x->display = XOpenDisplay(display.empty() ? nullptr : display.c_str());
    if (m_x->display == nullptr) {
        return;
    }
    int event = 0;
    int error = 0;
    int opcode = 0;
    if (XQueryExtension(m_x->display, "XInputExtension", &opcode, &event, &error)) {
        int major = 2;
        int minor = 0;
        if (XIQueryVersion(m_x->display, &major, &minor) == Success && major >= 2) {
            m_x->xiOpcode = opcode;
        }
    }
}

X11PointerSettings::~X11PointerSettings() = default;

bool X11PointerSettings::connected() const {
    std::lock_guard lock(m_mutex);
    return m_x->display != nullptr;
}

bool X11PointerSettings::usedAccelProperty() const {
    std::lock_guard lock(m_mutex);
    return m_usedProperty;
}

std::optional<int> X11PointerSettings::readPointerSpeed() {
    std::lock_guard lock(m_mutex);
    if (m_x->display == nullptr) {
        return std::nullopt;
    }
    Atom property = None;
    Atom floatType = None;
    const std::vector<int> devices = m_x->accelDevices(property, floatType);
    m_usedProperty = !devices.empty();
    if (!devices.empty()) {
        const auto accel = m_x->readAccel(devices.front(), property, floatType);
        if (!accel) {
            return std::nullopt;
        }
        return speedOfAccel(*accel);
    }
    int numerator = 0;
    int denominator = 0;
    int threshold = 0;
    XGetPointerControl(m_x->display, &numerator, &denominator, &threshold);
    if (denominator <= 0) {
        return std::nullopt;
    }
    const int speed = (numerator * kCoreDenominator + denominator / 2) / denominator;
    return std::clamp(speed, kMinPointerSpeed, kMaxPointerSpeed);
}

bool X11PointerSettings::writePointerSpeed(int speed) {
    std::lock_guard lock(m_mutex);
    if (m_x->display == nullptr) {
        return false;
    }
    const unsigned long errorsBefore = g_xErrors.load();
    Atom property = None;
    Atom floatType = None;
    const std::vector<int> devices = m_x->accelDevices(property, floatType);
    m_usedProperty = !devices.empty();
    if (!devices.empty()) {
        const auto accel = static_cast<float>(accelOfSpeed(speed));
        for (int device : devices) {
            m_x->writeAccel(device, property, floatType, accel);
        }
    } else {
        const int numerator = std::clamp(speed, kMinPointerSpeed, kMaxPointerSpeed);
        XChangePointerControl(m_x->display, True, False, numerator, kCoreDenominator, 0);
    }
    // Wait for the server's answer so a refused request is seen here.
    XSync(m_x->display, False);
    return g_xErrors.load() == errorsBefore;
}

} // namespace zel::system
