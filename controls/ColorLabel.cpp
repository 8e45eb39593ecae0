// CColorLabel: colours through the label's own GTK style; the sunken edge painted.
#include "controls/ColorLabel.h"

#include "platform/gui/StaticEdge.h"
#include "platform/gui/SysColors.h"

#include <gtk/gtk.h>

CColorLabel::CColorLabel()
    : m_textColor(platform::GetSysColor(platform::COLOR_BTNTEXT)),
      m_backColor(platform::GetSysColor(platform::COLOR_BTNFACE)), m_backBrush(m_backColor) {}

CColorLabel::CColorLabel(wxWindow* parent, wxWindowID id, const wxString& label, const wxPoint& pos,
                         const wxSize& size, long style)
    : CColorLabel() {
    Create(parent, id, label, pos, size, style);
}

bool CColorLabel::Create(wxWindow* parent, wxWindowID id, const wxString& label, const wxPoint& pos,
                         const wxSize& size, long style) {
    const bool sunken = (style & wxBORDER_MASK) == wxBORDER_SUNKEN;
    if (sunken)
        style &= ~wxBORDER_MASK; // GTK would draw nothing for it: the edge is painted instead
    if (!wxStaticText::Create(parent, id, label, pos, size, style | wxST_NO_AUTORESIZE))
        return false;
    if (sunken)
        platform::EnableStaticEdge(this);
    ApplyColours();
    return true;
}

void CColorLabel::SetTextColor(const wxColour& colour) {
    m_textColor = colour;
    ApplyColours();
    Refresh();
}

void CColorLabel::SetBackColor(const wxColour& colour) {
    m_backColor = colour;
    m_backBrush = wxBrush(colour); // the old brush goes with the assignment
    ApplyColours();
    Refresh();
}

void CColorLabel::SetCentreVertically(bool centre) {
    if (m_widget && GTK_IS_LABEL(m_widget))
        gtk_label_set_yalign(GTK_LABEL(m_widget), centre ? 0.5f : 0.0f);
}

// GTK paints the label from its style: the colours are set there once per change, so
// painting itself creates nothing.
void CColorLabel::ApplyColours() {
    if (!m_widget)
        return;
    SetForegroundColour(m_textColor);
    SetBackgroundColour(m_backColor);
}
