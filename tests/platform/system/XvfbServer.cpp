#include "XvfbServer.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace zel::test {

XvfbServer::XvfbServer() {
    int fds[2];
    if (::pipe(fds) != 0) {
        return;
    }
    ::fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    const std::string fd = std::to_string(fds[1]);
    std::vector<std::string> argv = {"Xvfb", "-displayfd", fd,  "-noreset",  "-nolisten",
                                     "tcp",  "-screen",    "0", "320x240x24"};
    std::vector<char*> args;
    for (auto& a : argv) {
        args.push_back(a.data());
    }
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const int rc = ::posix_spawnp(&m_pid, "Xvfb", &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    if (rc != 0) {
        m_pid = -1;
        ::close(fds[0]);
        return;
    }
    // The server writes its display number once it accepts connections.
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    while (::poll(&p, 1, 15000) > 0) {
        char c = 0;
        if (::read(fds[0], &c, 1) != 1 || c == '\n') {
            break;
        }
        number.push_back(c);
    }
    ::close(fds[0]);
    if (!number.empty()) {
        m_display = ":" + number;
    }
}

XvfbServer::~XvfbServer() {
    if (m_pid > 0) {
        ::kill(m_pid, SIGTERM);
        int status = 0;
        while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
}

} // namespace zel::test

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
