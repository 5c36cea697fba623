#pragma once

#include <functional>

namespace zel {

/// Runs work on the thread that owns the shared records (the profiles and the shared
/// settings). A worker that changes a record hands the change over as a task instead of
/// writing the record itself.
class OwnerTasks {
public:
    virtual ~OwnerTasks() = default;
    virtual void post(std::function<void()> task) = 0;
};

/// Runs each task at once on the calling thread: for callers that are their own owner
/// (the command-line tools, tests that drive a worker by hand).
class InlineOwnerTasks final : public OwnerTasks {
public:
    void post(std::function<void()> task) override {
        if (task) {
            task();
        }
    }
};

} // namespace zel
