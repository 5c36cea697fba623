#pragma once

#include <QGuiApplication>

namespace zel::test {

/// The one QGuiApplication the font and picture tests need (offscreen platform).
inline void ensureGuiApp() {
    if (QGuiApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "presentation_test";
        static char* argv[] = {name, nullptr};
        // Kept until the process ends: destroying it during static destruction crashes.
        new QGuiApplication(argc, argv);
    }
}

} // namespace zel::test
