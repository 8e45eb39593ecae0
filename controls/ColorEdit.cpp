// CColorEdit: colours through the field's own GTK style, the same when read-only.
#include "controls/ColorEdit.h"

CColorEdit::CColorEdit() : m_backBrush(m_backColor) {}

CColorEdit::CColorEdit(wxWindow* parent, wxWindowID id, const wxString& value, const wxPoint& pos,
                       const wxSize& size, long style)
    : CColorEdit() {
    Create(parent, id, value, pos, size, style);
}

bool CColorEdit::Create(wxWindow* parent, wxWindowID id, const wxString& value, const wxPoint& pos,
                        const wxSize& size, long style) {
    if (!wxTextCtrl::Create(parent, id, value, pos, size, style))
        return false;
    ApplyColours();
    return true;
}

void CColorEdit::SetTextColor(const wxColour& colour) {
    m_textColor = colour;
    ApplyColours();
    Refresh();
}

void CColorEdit::SetBackColor(const wxColour& colour) {
    m_backColor = colour;
    m_backBrush = wxBrush(colour);
    ApplyColours();
    Refresh();
}

void CColorEdit::SetReadOnly(bool readOnly) {
    SetEditable(!readOnly);
}

void CColorEdit::ApplyColours() {
    if (!m_widget)
        return;
    SetForegroundColour(m_textColor);
    SetBackgroundColour(m_backColor);
}
