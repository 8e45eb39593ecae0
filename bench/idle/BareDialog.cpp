// A bare wx dialog (a label, an edit field and a button) that stays open until it is
// ended by a signal: what any wxWidgets/GTK program costs on this machine when idle,
// set beside the agent's program in the idle measurement of bench/run.
#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/wx.h>

namespace {

class BareDialogApp : public wxApp {
  public:
    bool OnInit() override {
        auto* dialog = new wxDialog(nullptr, wxID_ANY, "bare dialog");
        auto* sizer = new wxBoxSizer(wxVERTICAL);
        sizer->Add(new wxStaticText(dialog, wxID_ANY, "idle"), 0, wxALL, 8);
        sizer->Add(new wxTextCtrl(dialog, wxID_ANY), 0, wxALL | wxEXPAND, 8);
        sizer->Add(new wxButton(dialog, wxID_OK, "OK"), 0, wxALL, 8);
        dialog->SetSizerAndFit(sizer);
        dialog->Show();
        return true;
    }
};

} // namespace

wxIMPLEMENT_APP(BareDialogApp);
