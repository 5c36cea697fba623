#pragma once

#include <QEvent>

#include <cstdint>
#include <string>
#include <utility>

namespace zel {

/// The window messages the program's windows send and post to each other.
namespace msg {
inline constexpr int kLanguageChosen = 0x7E9;   ///< (1, row): language row; (2, 0): macro chosen
inline constexpr int kMacroEditor = 0x7EA;      ///< (kind, row or item): macro editor command
inline constexpr int kKeyCaptured = 0x7F5;      ///< the key dialog's OK
inline constexpr int kFontsRebuilt = 0x7F7;     ///< (1, 0): shared fonts dropped
inline constexpr int kListEdited = 0x2B11;      ///< (row, list number; the new text)
inline constexpr int kCombination = 0x7F8;      ///< (slot * 256 + main key, tokens)
inline constexpr int kMacroLedMode = 0x83ED;    ///< (mode row − 1, 0)
inline constexpr int kMacroLedLevel = 0x83EE;   ///< (colour row, 0)
inline constexpr int kRepaint = 0x83F0;         ///< repaint the whole window
inline constexpr int kWeaponChosen = 0x83F3;    ///< (previous index, 0)
inline constexpr int kOpenCombination = 0x83F4; ///< open the combination dialog
} // namespace msg

/// A window message of the program as a Qt event: its number, two parameters and, for the
/// messages that carry one, a text. Sent with `QCoreApplication::sendEvent` (handled before
/// the sender goes on) or posted with `QCoreApplication::postEvent` (handled later by the
/// event loop), as each message requires.
class AppMessage final : public QEvent {
public:
    static QEvent::Type eventType();
    explicit AppMessage(int message, std::int64_t wParam = 0, std::int64_t lParam = 0,
                        std::string text = {})
        : QEvent(eventType()), message(message), wParam(wParam), lParam(lParam),
          text(std::move(text)) {}
    int message;
    std::int64_t wParam;
    std::int64_t lParam;
    std::string text;
};

} // namespace zel
