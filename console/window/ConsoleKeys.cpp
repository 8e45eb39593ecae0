#include "console/window/ConsoleKeys.h"

#include <algorithm>
#include <array>
#include <memory>

#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/radiobut.h>
#include <wx/utils.h>

#include "platform/gui/Accessibility.h"
#include "platform/gui/DialogBuilder.h"
#include "res/ResourceIds.h"

namespace {

constexpr std::array<ConsoleShortcut, 11> kShortcuts{{
    {WXK_F2, "F2", IDC_BTN_READY, "대기중"},
    {WXK_F3, "F3", IDC_BTN_BREAK, "휴식중"},
    {WXK_F4, "F4", IDC_BTN_LOGOUT, "로그아웃"},
    {WXK_F5, "F5", IDC_RADIO_RESULT1, "적극호응"},
    {WXK_F6, "F6", IDC_RADIO_RESULT2, "소극호응"},
    {WXK_F7, "F7", IDC_RADIO_RESULT3, "중도"},
    {WXK_F8, "F8", IDC_RADIO_RESULT4, "소극적대"},
    {WXK_F9, "F9", IDC_RADIO_RESULT5, "적극적대"},
    {WXK_F10, "F10", IDC_RADIO_RESULT6, "기타"},
    {WXK_F11, "F11", IDC_RADIO_RESULT7, "수신거부"},
    {WXK_F12, "F12", IDC_BTN_REGIST, "통화결과 등록"},
}};

void Press(wxButton& button) {
    wxCommandEvent click(wxEVT_BUTTON, button.GetId());
    click.SetEventObject(&button);
    button.GetEventHandler()->ProcessEvent(click);
}

} // namespace

std::span<const ConsoleShortcut> ConsoleShortcuts() {
    return kShortcuts;
}

const ConsoleShortcut* FindConsoleShortcut(int keyCode, int modifiers) {
    if (modifiers != wxMOD_NONE)
        return nullptr; // Alt+F4 closes, Shift+F10 opens a context menu, ...
    const auto* found = std::find_if(kShortcuts.begin(), kShortcuts.end(),
                                     [keyCode](const auto& s) { return s.keyCode == keyCode; });
    return found == kShortcuts.end() ? nullptr : std::to_address(found);
}

bool RunConsoleShortcut(wxDialog& console, const wxKeyEvent& event) {
    const ConsoleShortcut* shortcut = FindConsoleShortcut(event.GetKeyCode(), event.GetModifiers());
    if (!shortcut)
        return false;
    wxWindow* control = platform::GetDlgItem(&console, shortcut->controlId);
    if (!control || !control->IsEnabled()) {
        wxBell(); // the mode does not allow it now
        return true;
    }
    if (auto* button = dynamic_cast<wxButton*>(control)) {
        Press(*button);
        return true;
    }
    if (auto* grade = dynamic_cast<wxRadioButton*>(control)) {
        grade->SetValue(true);
        platform::Announce(grade, shortcut->what);
    }
    return true;
}
