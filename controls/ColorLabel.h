// CColorLabel: a static text in its own text and background colours (initially the
// system button text on the system button face). It paints its own sunken edge when
// created with wxBORDER_SUNKEN (GTK draws none for a label).
#pragma once

#include <wx/brush.h>
#include <wx/stattext.h>

class CColorLabel : public wxStaticText {
  public:
    CColorLabel();
    CColorLabel(wxWindow* parent, wxWindowID id, const wxString& label,
                const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxDefaultSize,
                long style = 0);

    bool Create(wxWindow* parent, wxWindowID id, const wxString& label,
                const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxDefaultSize,
                long style = 0);

    // Stores the text colour and repaints; the background brush stays as it is.
    void SetTextColor(const wxColour& colour);
    // Stores the background colour, replaces the background brush by one of that
    // colour and repaints.
    void SetBackColor(const wxColour& colour);

    const wxColour& GetTextColor() const { return m_textColor; }
    const wxColour& GetBackColor() const { return m_backColor; }
    // The one background brush of the control (the last colour set).
    const wxBrush& GetBackBrush() const { return m_backBrush; }

    // Centres the text vertically as well (the template's centre-vertically style).
    void SetCentreVertically(bool centre);

  private:
    void ApplyColours();

    wxColour m_textColor;
    wxColour m_backColor;
    wxBrush m_backBrush;
};
