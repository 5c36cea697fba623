#pragma once

#include <unistd.h>
#include <utility>

namespace zel {

/// Owns one file descriptor and closes it when it goes out of scope; movable, not
/// copyable. -1 holds nothing.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : m_fd(fd) {}
    ~UniqueFd() { static_cast<void>(close()); }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    UniqueFd(UniqueFd&& other) noexcept : m_fd(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }

    /// Gives the descriptor up without closing it.
    int release() { return std::exchange(m_fd, -1); }
    /// Closes the held descriptor (if any) and holds `fd` instead.
    void reset(int fd = -1) {
        static_cast<void>(close());
        m_fd = fd;
    }
    /// Closes the held descriptor now; false when the close reported an error (a write
    /// that was not yet on disk may show up only here). True when nothing was held.
    bool close() {
        const int fd = release();
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int m_fd = -1;
};

} // namespace zel
