// zel-shot-dialogs <folder>: opens the sign-in, server address and About dialogs as
// the agent sees them and writes login.png, server-address.png and about.png into
// the folder. The sign-in dialog loads its last values from a settings file in a
// temporary working folder, as it does at a real start.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include <gtk/gtk.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/textctrl.h>
#include <wx/timer.h>

#include "config/IniFile.h"
#include "db/AgentEnv.h"
#include "dialogs/AboutDlg.h"
#include "dialogs/LoginDlg.h"
#include "dialogs/ServerAddrDlg.h"
#include "platform/gui/DialogBuilder.h"
#include "platform/gui/GuiPlatform.h"
#include "res/ResourceIds.h"

namespace {

namespace fs = std::filesystem;

void Pump(int ms) {
    wxGUIEventLoop loop;
    wxTimer timer;
    timer.Bind(wxEVT_TIMER, [&loop](wxTimerEvent&) { loop.Exit(); });
    timer.StartOnce(ms);
    loop.Run();
}

// Writes what the screen shows of the dialog's client area.
bool SaveClientArea(wxDialog& dialog, const fs::path& path) {
    GdkWindow* window = gtk_widget_get_window(dialog.m_widget);
    if (!window)
        return false;
    const wxSize size = dialog.GetClientSize();
    GdkPixbuf* pixbuf = gdk_pixbuf_get_from_window(window, 0, 0, size.x, size.y);
    if (!pixbuf)
        return false;
    const bool saved = gdk_pixbuf_save(pixbuf, path.c_str(), "png", nullptr, nullptr) != FALSE;
    g_object_unref(pixbuf);
    std::printf("%s %dx%d%s\n", path.c_str(), size.x, size.y, saved ? "" : " (not written)");
    return saved;
}

// Runs the dialog modally, lets it settle, captures it and closes it.
bool Shoot(wxDialog& dialog, const fs::path& path, const std::function<void()>& prepare = {}) {
    bool saved = false;
    dialog.CallAfter([&] {
        if (prepare)
            prepare();
        Pump(500);
        saved = SaveClientArea(dialog, path);
        dialog.EndModal(wxID_CANCEL);
    });
    dialog.ShowModal();
    return saved;
}

// A temporary working folder with Env/ZELAgent.INI, for as long as the object lives.
class SampleWorkDir {
  public:
    SampleWorkDir() {
        std::string pattern = (fs::temp_directory_path() / "zel-shot-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            return;
        path_ = pattern;
        previous_ = fs::current_path();
        fs::create_directory(path_ / "Env");
        fs::current_path(path_);
        const CIniFile ini("Env\\ZELAgent.INI", "GENERAL");
        ini.WriteString("192.168.10.20", "ZEL_CTI_SERVER_IP_ADDR");
        ini.WriteString("agent01", "LAST_USER_ID");
        ini.WriteString("1001", "LAST_SVC_ID");
        ini.WriteString("김상담", "LAST_AGENT_NM");
        ini.WriteString("2001", "LAST_EXTENSION");
    }
    ~SampleWorkDir() {
        std::error_code ec;
        if (!previous_.empty())
            fs::current_path(previous_, ec);
        if (!path_.empty())
            fs::remove_all(path_, ec);
    }

  private:
    fs::path previous_;
    fs::path path_;
};

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    const fs::path folder = fs::absolute(argv[1]);
    wxApp::SetInstance(new wxApp());
    int wxArgc = 1;
    if (!wxEntryStart(wxArgc, argv) || !wxTheApp->CallOnInit())
        return 1;
    platform::InitGuiPlatform();

    bool ok = true;
    {
        SampleWorkDir work;
        theAgentEnv().LoadServerAddress();

        CLoginDlg login;
        ok = Shoot(login, folder / "login.png",
                   [&login] {
                       if (auto* password =
                               platform::GetDlgItemAs<wxTextCtrl>(&login, IDC_EDIT_PASSWORD))
                           password->ChangeValue("secret");
                   }) &&
             ok;

        CServerAddrDlg serverAddress;
        ok = Shoot(serverAddress, folder / "server-address.png") && ok;

        CAboutDlg about;
        ok = Shoot(about, folder / "about.png") && ok;
    }

    wxTheApp->OnExit();
    wxEntryCleanup();
    return ok ? 0 : 1;
}
