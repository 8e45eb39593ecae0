#include "app/DialogColours.h"

#include <wx/dialog.h>

DialogColours::DialogColours(const wxColour& background, const wxColour& text)
    : m_background(background), m_text(text) {
    wxEvtHandler::AddFilter(this);
}

DialogColours::~DialogColours() {
    wxEvtHandler::RemoveFilter(this);
}

int DialogColours::FilterEvent(wxEvent& event) {
    if (event.GetEventType() == wxEVT_INIT_DIALOG) {
        if (auto* dialog = dynamic_cast<wxDialog*>(event.GetEventObject())) {
            if (!dialog->UseBgCol())
                dialog->SetBackgroundColour(m_background);
            if (!dialog->UseForegroundColour())
                dialog->SetForegroundColour(m_text);
        }
    }
    return Event_Skip;
}
