// A small X client for the keyboard grab test: a window of its own that reports on its
// standard output the keys it receives ("key <keycode>"), after "window <id>" once it is
// mapped. A line "focus" on its standard input gives it the input focus ("focused"); the
// end of its standard input ends it.
#include <X11/Xlib.h>

#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <string>

int main() {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "key count client: no display\n");
        return 2;
    }
    const Window window =
        XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 200, 100, 0, 0, 0);
    XSelectInput(display, window, KeyPressMask | StructureNotifyMask);
    XMapWindow(display, window);
    XEvent event;
    do {
        XNextEvent(display, &event);
    } while (event.type != MapNotify);
    XSetInputFocus(display, window, RevertToPointerRoot, CurrentTime);
    XSync(display, False);
    std::printf("window %lu\n", window);
    std::fflush(stdout);

    std::string input;
    pollfd fds[2] = {{ConnectionNumber(display), POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
    while (true) {
        while (XPending(display) > 0) {
            XNextEvent(display, &event);
            if (event.type == KeyPress) {
                std::printf("key %u\n", event.xkey.keycode);
                std::fflush(stdout);
            }
        }
        if (poll(fds, 2, -1) < 0) {
            break;
        }
        if ((fds[1].revents & (POLLIN | POLLHUP)) != 0) {
            char buffer[64];
            const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
            if (n <= 0) {
                break;
            }
            input.append(buffer, static_cast<std::size_t>(n));
            std::size_t end;
            while ((end = input.find('\n')) != std::string::npos) {
                if (input.compare(0, end, "focus") == 0) {
                    XSetInputFocus(display, window, RevertToPointerRoot, CurrentTime);
                    XSync(display, False);
                    std::printf("focused\n");
                    std::fflush(stdout);
                }
                input.erase(0, end + 1);
            }
        }
    }
    XCloseDisplay(display);
    return 0;
}
