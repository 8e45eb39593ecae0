#include "dialogs/BreakReasonDlg.h"

#include <wx/listbox.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include "controls/HoverButton.h"
#include "dialogs/DialogButtons.h"
#include "platform/gui/Accessibility.h"
#include "platform/gui/Fonts.h"

namespace {

constexpr const char* kCaption = "휴식 사유";
constexpr const char* kPrompt = "휴식 사유를 고르십시오.";

// The digit a key stands for (main row or keypad, no modifier), or 0.
int DigitOf(const wxKeyEvent& event) {
    if (event.HasAnyModifiers())
        return 0;
    const int code = event.GetKeyCode();
    if (code >= '1' && code <= '9')
        return code - '0';
    if (code >= WXK_NUMPAD1 && code <= WXK_NUMPAD9)
        return code - WXK_NUMPAD1 + 1;
    return 0;
}

} // namespace

CBreakReasonDlg::CBreakReasonDlg(wxWindow* parent, std::vector<BreakReason> reasons)
    : wxDialog(parent, wxID_ANY, wxString::FromUTF8(kCaption), wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX),
      m_reasons(std::move(reasons)) {
    // The dialogs' face at their size, as the templates give it.
    platform::LoadFontAliases();
    SetFont(wxFont(wxFontInfo(9).FaceName(wxString::FromUTF8(platform::ResolveFontFace("굴림")))));

    auto* prompt = new wxStaticText(this, wxID_ANY, wxString::FromUTF8(kPrompt));
    wxArrayString items;
    for (std::size_t i = 0; i < m_reasons.size(); ++i)
        items.Add(ItemText(i, m_reasons[i]));
    // Ten rows show without scrolling; more scroll.
    const int rows =
        static_cast<int>(std::min<std::size_t>(std::max<std::size_t>(items.size(), 3), 10));
    m_list = new wxListBox(this, wxID_ANY, wxDefaultPosition,
                           ConvertDialogToPixels(wxSize(140, 4 + rows * 11)), items,
                           wxLB_SINGLE | wxLB_NEEDED_SB);
    if (!items.empty())
        m_list->SetSelection(0);
    const wxSize buttonSize = ConvertDialogToPixels(wxSize(50, 14));
    m_ok =
        new CHoverButton(this, wxID_OK, wxString::FromUTF8("확인"), wxDefaultPosition, buttonSize);
    m_cancel = new CHoverButton(this, wxID_CANCEL, wxString::FromUTF8("취소"), wxDefaultPosition,
                                buttonSize);
    ColorDialogButton(*m_ok);
    ColorDialogButton(*m_cancel);
    m_ok->SetDefault();

    const int gap = ConvertDialogToPixels(wxSize(7, 0)).x;
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->Add(m_ok, 0, wxRIGHT, gap);
    buttons->Add(m_cancel);
    auto* column = new wxBoxSizer(wxVERTICAL);
    column->Add(prompt, 0, wxLEFT | wxRIGHT | wxTOP, gap);
    column->Add(m_list, 1, wxEXPAND | wxALL, gap);
    column->Add(buttons, 0, wxALIGN_RIGHT | wxLEFT | wxRIGHT | wxBOTTOM, gap);
    SetSizerAndFit(column);

    platform::SetAccessibleLabel(m_list, prompt);
    platform::ExposeAsDialog(this);
    SetEscapeId(wxID_CANCEL);
    SetAffirmativeId(wxID_NONE); // 확인 chooses through ChooseAt, not a plain end
    Bind(wxEVT_CHAR_HOOK, &CBreakReasonDlg::OnCharHook, this);
    Bind(wxEVT_LISTBOX_DCLICK, [this](wxCommandEvent& event) { ChooseAt(event.GetSelection()); });
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { ChooseAt(m_list->GetSelection()); }, wxID_OK);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { EndModal(wxID_CANCEL); }, wxID_CANCEL);
    m_list->SetFocus();
    CentreOnParent();
}

wxString CBreakReasonDlg::ItemText(std::size_t index, const BreakReason& reason) {
    const std::string digit = index < 9 ? std::to_string(index + 1) : " ";
    return wxString::FromUTF8(digit + "  " + reason.name);
}

void CBreakReasonDlg::OnCharHook(wxKeyEvent& event) {
    if (const int digit = DigitOf(event)) {
        // A digit with no reason of its own does nothing, rather than something else.
        if (static_cast<std::size_t>(digit) <= m_reasons.size())
            ChooseAt(digit - 1);
        else
            wxBell();
        return;
    }
    // Enter on the list arrives as its activation (wxEVT_LISTBOX_DCLICK).
    event.Skip();
}

void CBreakReasonDlg::ChooseAt(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= m_reasons.size() || !IsModal())
        return;
    m_chosen = static_cast<std::size_t>(index);
    EndModal(wxID_OK);
}

std::optional<BreakReason> CBreakReasonDlg::Choose(wxWindow* parent,
                                                   const std::vector<BreakReason>& reasons) {
    CBreakReasonDlg dialog(parent, reasons);
    if (dialog.ShowModal() != wxID_OK || !dialog.Chosen())
        return std::nullopt;
    return reasons[*dialog.Chosen()];
}
