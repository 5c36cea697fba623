#include "XClient.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

#include <cstring>

namespace zel::test {

namespace {

constexpr const char* kAccel = "libinput Accel Speed";

Display* dpy(void* d) {
    return static_cast<Display*>(d);
}

} // namespace

XClient::XClient(const std::string& display) : m_display(XOpenDisplay(display.c_str())) {}

XClient::~XClient() {
    if (m_display != nullptr) {
        XCloseDisplay(dpy(m_display));
    }
}

std::vector<int> XClient::slavePointers() const {
    std::vector<int> ids;
    int n = 0;
    XIDeviceInfo* info = XIQueryDevice(dpy(m_display), XIAllDevices, &n);
    for (int i = 0; i < n; ++i) {
        if (info[i].use == XISlavePointer) {
            ids.push_back(info[i].deviceid);
        }
    }
    XIFreeDeviceInfo(info);
    return ids;
}

void XClient::setAccel(int device, float value) {
    Display* d = dpy(m_display);
    unsigned char item[sizeof value];
    std::memcpy(item, &value, sizeof value);
    XIChangeProperty(d, device, XInternAtom(d, kAccel, False), XInternAtom(d, "FLOAT", False), 32,
                     XIPropModeReplace, item, 1);
    XSync(d, False);
}

std::optional<float> XClient::accel(int device) const {
    Display* d = dpy(m_display);
    Atom type = 0;
    int format = 0;
    unsigned long items = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    std::optional<float> value;
    if (XIGetProperty(d, device, XInternAtom(d, kAccel, False), 0, 1, False, AnyPropertyType, &type,
                      &format, &items, &after, &data) == Success &&
        items == 1 && format == 32) {
        float f = 0;
        std::memcpy(&f, data, sizeof f);
        value = f;
    }
    if (data != nullptr) {
        XFree(data);
    }
    return value;
}

void XClient::deleteAccel(int device) {
    Display* d = dpy(m_display);
    XIDeleteProperty(d, device, XInternAtom(d, kAccel, False));
    XSync(d, False);
}

std::array<int, 3> XClient::pointerControl() const {
    std::array<int, 3> c{};
    XGetPointerControl(dpy(m_display), &c[0], &c[1], &c[2]);
    return c;
}

} // namespace zel::test
