#pragma once

#include "ui/keys/CDialogGetKey.h"

#include <functional>
#include <string>

namespace zel {

/// What the combination dialog is opened for: the button slot, the button's current code
/// and stored combination text (used when the code is 33), the two prompts of the
/// language pack's ShortCut table, and what makes the button a combination button before
/// the combination is handed on.
struct CombinationRequest {
    int slot = 0;
    int assignCode = 0;
    std::string storedText;
    std::string pressKeyPrompt;   ///< ShortCut text 1: shown while there is no main key
    std::string noModifierPrompt; ///< ShortCut text 2: shown while no modifier is on
    std::function<void()> assignCombinationCode;
};

/// The combination dialog: any of Ctrl, Shift, Alt, Win (chosen with the four toggles)
/// plus one key (pressed; modifier keys are left alone). OK sends msg::kCombination to the
/// owner and waits for it to be handled; an empty combination changes nothing. Clear
/// empties the input; the close and cancel elements end with 8. A press on no element
/// drags the window.
class CShortcutGetKey final : public KeyCaptureDialog {
    Q_OBJECT
public:
    static constexpr QSize kSize{480, 330};

    /// `input` is filled from the request's stored combination and holds what was entered.
    CShortcutGetKey(const KeyDialogContext& context, const CombinationRequest& request,
                    CombinationInput& input, QWidget* owner = nullptr);

    QImage compose() const override;
    QString elementText(int element) const override;
    bool elementOn(int element) const override;

protected:
    void keyCaptured(std::uint8_t virtualKey) override;
    void elementPressed(int element) override;
    void emptyPressed(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    CombinationRequest m_request;
    CombinationInput& m_input;
    bool m_dragging = false;
    QPoint m_dragOffset;
};

} // namespace zel
