#include "platform/gui/ModelessMessageBox.h"

#include <gtk/gtk.h>
#include <wx/artprov.h>
#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include "platform/gui/UiThread.h"

namespace platform {
namespace {

wxArtID IconOf(unsigned style) {
    switch (style & 0xF0) {
    case MB_ICONSTOP:
        return wxART_ERROR;
    case MB_ICONQUESTION:
        return wxART_QUESTION;
    case MB_ICONEXCLAMATION:
        return wxART_WARNING;
    case MB_ICONINFORMATION:
        return wxART_INFORMATION;
    default:
        return wxArtID();
    }
}

// Destroys itself when closed; wx owns the top-level window until then.
class ModelessBox : public wxDialog {
  public:
    explicit ModelessBox(const MessageBoxRequest& request)
        : wxDialog(nullptr, wxID_ANY, wxString::FromUTF8(request.caption), wxDefaultPosition,
                   wxDefaultSize, wxCAPTION | wxCLOSE_BOX | wxSTAY_ON_TOP) {
        wxString text = wxString::FromUTF8(request.text);
        text.Replace("\r\n", "\n");
        text.Replace("\r", "\n");

        auto* row = new wxBoxSizer(wxHORIZONTAL);
        if (const wxArtID icon = IconOf(request.style); !icon.empty())
            row->Add(new wxStaticBitmap(this, wxID_ANY,
                                        wxArtProvider::GetBitmap(icon, wxART_MESSAGE_BOX)),
                     0, wxALL, 10);
        row->Add(new wxStaticText(this, wxID_ANY, text), 1, wxALL | wxALIGN_CENTER_VERTICAL, 10);
        auto* ok = new wxButton(this, wxID_OK, wxString::FromUTF8("확인"));
        auto* column = new wxBoxSizer(wxVERTICAL);
        column->Add(row, 1, wxEXPAND);
        column->Add(ok, 0, wxALIGN_RIGHT | wxALL, 10);
        SetSizerAndFit(column);
        SetEscapeId(wxID_OK);
        ok->SetDefault();
        Bind(
            wxEVT_BUTTON, [this](wxCommandEvent&) { Destroy(); }, wxID_OK);
        Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent&) { Destroy(); });
        CentreOnScreen();
    }
};

} // namespace

void ShowModelessMessageBox(const MessageBoxRequest& request) {
    PostToUiThread([request] {
        auto* box = new ModelessBox(request);
        // A window group of its own: the console runs modally, and its grab would
        // otherwise take every click and key meant for this box.
        GtkWindowGroup* group = gtk_window_group_new();
        gtk_window_group_add_window(group, GTK_WINDOW(box->GetHandle()));
        g_object_unref(group);
        box->Show();
    });
}

} // namespace platform
