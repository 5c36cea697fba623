#pragma once

#include <cstdio>
#include <exception>
#include <utility>

namespace zel {

/// Runs the body of a program's `main` and returns its status. An exception that escapes the
/// body is reported on standard error with the program's name and ends the program with
/// status 2, instead of the abort of an uncaught exception.
template <typename Body>
int guardedMain(const char* program, Body&& body) noexcept {
    try {
        return std::forward<Body>(body)();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: unexpected error: %s\n", program, e.what());
    } catch (...) {
        std::fprintf(stderr, "%s: unexpected error\n", program);
    }
    return 2;
}

} // namespace zel
