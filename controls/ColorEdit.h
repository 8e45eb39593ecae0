// CColorEdit: an edit field in its own text and background colours (initially black
// on white). A read-only field is painted exactly like an editable one.
#pragma once

#include <wx/brush.h>
#include <wx/textctrl.h>

class CColorEdit : public wxTextCtrl {
  public:
    CColorEdit();
    CColorEdit(wxWindow* parent, wxWindowID id, const wxString& value = wxEmptyString,
               const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxDefaultSize,
               long style = 0);

    bool Create(wxWindow* parent, wxWindowID id, const wxString& value = wxEmptyString,
                const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxDefaultSize,
                long style = 0);

    // Stores the text colour and repaints; the background brush stays as it is.
    void SetTextColor(const wxColour& colour);
    // Stores the background colour, replaces the background brush by one of that
    // colour and repaints.
    void SetBackColor(const wxColour& colour);

    const wxColour& GetTextColor() const { return m_textColor; }
    const wxColour& GetBackColor() const { return m_backColor; }
    const wxBrush& GetBackBrush() const { return m_backBrush; }

    // Read-only on or off (EM_SETREADONLY); the colours do not change with it.
    void SetReadOnly(bool readOnly);

  private:
    void ApplyColours();

    wxColour m_textColor{0, 0, 0};
    wxColour m_backColor{255, 255, 255};
    wxBrush m_backBrush;
};
