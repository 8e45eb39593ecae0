// CAboutDlg: the program's icon, name and version, with the build date and time in
// the caption. 확인, Escape and the close box close it.
#pragma once

#include <string>

#include <wx/dialog.h>

class CAboutDlg : public wxDialog {
  public:
    explicit CAboutDlg(wxWindow* parent = nullptr);

    // "ZELAgent(<date>-<time>)" with the date and time this program was compiled, as
    // the compiler writes them ("Apr  5 2018", "20:00:22").
    static std::string Caption();
    static std::string FormatCaption(const char* buildDate, const char* buildTime);
};
