// User mode and factory mode: the console's width, which shows or hides the
// factory column, and the caption of the button that switches between them.
// Entering factory mode takes the password; leaving it takes nothing.
#include <string>

#include "console_controls.h"
#include "console_dlg.h"
#include "resource.h"

namespace {

constexpr const char* kFactoryPassword = "507193";

}  // namespace

void CConsoleDlg::OnFactoryMode() {
    // The caption names the mode a click switches to.
    if (CaptionIs(IDC_BTN_FACTORY_MODE, Caption::kFactoryMode)) {
        EnterFactoryMode();
    } else if (CaptionIs(IDC_BTN_FACTORY_MODE, Caption::kUserMode)) {
        m_window.SetWindowSize(UserModeWidth(), m_rectFull.Height());
        m_window.SetText(IDC_BTN_FACTORY_MODE, Caption::kFactoryMode);
    }
}

void CConsoleDlg::EnterFactoryMode() {
    const std::optional<std::string> password = m_window.PromptPassword();
    // Closed without OK: no change and nothing to say.
    if (!password) return;
    // The whole text, byte for byte: no trimming, no case folding.
    if (*password != kFactoryPassword) {
        m_window.ShowMessage(Message::kWrongPassword);
        return;
    }
    // The column appears only once the operator has closed the message.
    m_window.ShowMessage(Message::kPasswordAccepted);
    m_window.SetWindowSize(m_rectFull.Width(), m_rectFull.Height());
    m_window.SetText(IDC_BTN_FACTORY_MODE, Caption::kUserMode);
}
