// zel-preview-templates <folder>: builds the four dialog templates and writes what
// the screen shows of each as PNG files, once with the standard controls
// (template-<id>.png) and once with the custom controls in the program's colours
// (styled-<id>.png), with sample texts in the fields. For checking the layout by eye.
#include "controls/ColorEdit.h"
#include "controls/ColorLabel.h"
#include "controls/HoverButton.h"
#include "platform/gui/DialogBuilder.h"
#include "platform/gui/SysColors.h"
#include "res/ResourceIds.h"
#include "tests/gui/support/GuiTestSupport.h"
#include "tests/gui/support/ShotSupport.h"

#include <string>

#include <wx/dialog.h>
#include <wx/textctrl.h>

namespace {

const wxColour kDialogBack(209, 247, 254);
int currentTemplate = 0; // the template being built, for the factory

wxWindow* StyledControl(wxWindow* parent, const res::ControlTemplate& control, const wxPoint& pos,
                        const wxSize& size) {
    const wxString text = wxString::FromUTF8(control.text);
    const wxWindowID id = control.id == IDC_STATIC ? wxID_ANY : control.id;
    switch (control.kind) {
    case res::ControlKind::PushButton:
    case res::ControlKind::DefPushButton: {
        auto* button = new CHoverButton(parent, id, text, pos, size);
        button->SetStateColor(CHoverButton::ColorBackNormal, wxColour(245, 245, 220), true);
        button->SetStateColor(CHoverButton::ColorBackHot, wxColour(0, 0, 255), true);
        button->SetStateColor(CHoverButton::ColorTextHot, wxColour(255, 255, 255), true);
        return button;
    }
    case res::ControlKind::StaticText:
        if (control.id == IDC_STATIC || (control.id >= 1160 && control.id <= 1162) ||
            control.id == IDC_STATIC_MEMO)
            return nullptr;
        {
            auto* label = new CColorLabel(parent, id, text, pos, size,
                                          platform::StandardWindowStyle(control));
            label->SetTextColor(platform::GetSysColor(platform::COLOR_INFOTEXT));
            label->SetBackColor(wxColour(230, 230, 250));
            return label;
        }
    case res::ControlKind::Edit:
        if (control.style & res::StyleMultiLine)
            return nullptr;
        {
            auto* edit =
                new CColorEdit(parent, id, text, pos, size, platform::StandardWindowStyle(control));
            if (currentTemplate == IDD_AGENT_CONSOLE) {
                edit->SetTextColor(platform::GetSysColor(platform::COLOR_INFOTEXT));
                edit->SetBackColor(wxColour(173, 216, 230));
                edit->SetReadOnly(true);
            }
            return edit;
        }
    default:
        return nullptr;
    }
}

void FillSamples(wxDialog* dialog) {
    const std::pair<int, const char*> samples[] = {
        {IDC_EDIT_TELNUM, "010-1234-5678"},
        {IDC_EDIT_CUSTINFO1, "홍길동 고객님 (VIP)"},
        {IDC_EDIT_CUSTINFO2, "서울특별시 강남구"},
        {IDC_EDIT_MEMO, "통화 메모 첫 줄\n둘째 줄"},
        {IDC_EDIT_USER_ID, "agent01"},
        {IDC_EDIT_SVC_ID, "1001"},
        {IDC_EDIT_AGENT_NM, "김상담"},
        {IDC_EDIT_PASSWORD, "secret"},
        {IDC_EDIT_EXTENSION, "2001"},
        {IDC_EDIT_SERVER_ADDR, "192.168.10.20"},
    };
    for (const auto& [id, text] : samples) {
        if (auto* edit = platform::GetDlgItemAs<wxTextCtrl>(dialog, id))
            edit->ChangeValue(wxString::FromUTF8(text));
    }
}

bool Shoot(int templateId, bool styled, const std::string& folder) {
    currentTemplate = templateId;
    auto* dialog = new wxDialog();
    const bool created = platform::CreateDialogFromTemplate(
        dialog, nullptr, templateId,
        styled ? platform::ControlFactory(StyledControl) : platform::ControlFactory());
    if (!created)
        return false;
    if (styled)
        dialog->SetBackgroundColour(kDialogBack);
    FillSamples(dialog);
    dialog->Move(20, 20);
    const std::string path =
        folder + (styled ? "/styled-" : "/template-") + std::to_string(templateId) + ".png";
    const bool saved = guitest::SaveWindowShot(dialog, path);
    dialog->Destroy();
    guitest::PumpEvents(50);
    return saved;
}

} // namespace

int main(int argc, char** argv) {
    return guitest::RunShotProgram(argc, argv, [](const std::string& folder) {
        bool ok = true;
        for (int id : {IDD_AGENT_CONSOLE, IDD_LOGIN, IDD_SERVER_ADDR, IDD_ABOUTBOX}) {
            ok = Shoot(id, false, folder) && ok;
            ok = Shoot(id, true, folder) && ok;
        }
        return ok;
    });
}
