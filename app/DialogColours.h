// The default colours of every dialog of the program that does not colour itself
// (the About box): set when the dialog is initialised.
#pragma once

#include <wx/colour.h>
#include <wx/eventfilter.h>

class DialogColours : public wxEventFilter {
  public:
    // Applies background and text colours from now on, until the object goes.
    DialogColours(const wxColour& background, const wxColour& text);
    ~DialogColours() override;
    DialogColours(const DialogColours&) = delete;
    DialogColours& operator=(const DialogColours&) = delete;

    int FilterEvent(wxEvent& event) override;

  private:
    wxColour m_background;
    wxColour m_text;
};
