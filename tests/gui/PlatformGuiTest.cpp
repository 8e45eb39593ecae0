// UI-thread calls dropped at exit must not hang; the GUI message boxes' icons, answers,
// names and, for a box with no owner, the windows that stay usable.
#include "platform/gui/GuiMessageBox.h"
#include "platform/gui/UiThread.h"
#include "tests/gui/support/GuiTestSupport.h"

#include <atk/atk.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <tuple>

#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/textctrl.h>
#include <wx/timer.h>

using namespace platform;
using guitest::PumpUntil;

TEST(UiThread, CallDroppedByAnEndingApplicationGivesAnEmptyResult) {
    wxTheApp->ProcessPendingEvents();
    std::atomic<int> result{-1};
    std::thread worker([&] { result = RunOnUiThreadAndWait([] { return 5; }); });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (!wxTheApp->HasPendingEvents() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    wxTheApp->DeletePendingEvents(); // what the application does when it ends
    EXPECT_TRUE(PumpUntil([&result] { return result.load() != -1; }));
    worker.join();
    EXPECT_EQ(result.load(), 0); // not 5: the call never ran
}

namespace {

// The message box on screen, if any.
GtkWidget* ShownMessageBox() {
    GtkWidget* found = nullptr;
    GList* toplevels = gtk_window_list_toplevels();
    for (GList* l = toplevels; l && !found; l = l->next)
        if (GTK_IS_MESSAGE_DIALOG(l->data) && gtk_widget_get_mapped(GTK_WIDGET(l->data)))
            found = GTK_WIDGET(l->data);
    g_list_free(toplevels);
    return found;
}

// The icon names of the images shown in the widget, outside its buttons.
void CollectIcons(GtkWidget* widget, std::string& icons) {
    if (!gtk_widget_get_visible(widget) || GTK_IS_BUTTON(widget))
        return;
    if (GTK_IS_IMAGE(widget)) {
        const char* name = nullptr;
        gtk_image_get_icon_name(GTK_IMAGE(widget), &name, nullptr);
        icons += name ? name : "(image)";
    }
    if (GTK_IS_CONTAINER(widget)) {
        GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
        for (GList* c = children; c; c = c->next)
            CollectIcons(GTK_WIDGET(c->data), icons);
        g_list_free(children);
    }
}

} // namespace

// Each box, with an owner window or none, shows the icon of its kind (none for the
// question "확인") and gives the answer pressed; closed without one, a Yes/No box says No.
// Screen readers name it by its Korean title, not by GTK's English name of its kind.
TEST(GuiMessageBox, BoxesShowTheIconOfTheirKindAreNamedByTheirTitleAndGiveTheAnswer) {
    struct Case {
        unsigned style;
        const char* caption;
        int response; // GTK_RESPONSE_DELETE_EVENT: the close box
        int answer;
        const char* icons;
    };
    const Case cases[] = {
        {MB_OK | MB_ICONERROR, "에러", GTK_RESPONSE_OK, IDOK, "dialog-error"},
        {MB_ICONINFORMATION, "알림", GTK_RESPONSE_DELETE_EVENT, IDOK, "dialog-information"},
        {MB_YESNO, "확인", GTK_RESPONSE_YES, IDYES, ""},
        {MB_YESNO | MB_ICONSTOP, "에러", GTK_RESPONSE_NO, IDNO, "dialog-error"},
        {MB_YESNO | MB_ICONEXCLAMATION, "경고", GTK_RESPONSE_DELETE_EVENT, IDNO, "dialog-warning"},
    };
    wxDialog owner(nullptr, wxID_ANY, "owner");
    owner.Show();
    for (wxWindow* ownerWindow :
         {static_cast<wxWindow*>(&owner), static_cast<wxWindow*>(nullptr)}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message()
                         << "style " << c.style << (ownerWindow ? " owned" : ""));
            std::string icons = "(no box)", name;
            wxTimer timer; // answers the box once it shows
            timer.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
                GtkWidget* box = ShownMessageBox();
                if (!box)
                    return;
                timer.Stop();
                icons.clear();
                CollectIcons(box, icons);
                name = atk_object_get_name(gtk_widget_get_accessible(box));
                if (c.response != GTK_RESPONSE_DELETE_EVENT) {
                    gtk_dialog_response(GTK_DIALOG(box), c.response);
                    return;
                }
                GdkEvent* event = gdk_event_new(GDK_DELETE);
                event->any.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(box)));
                event->any.send_event = TRUE;
                gtk_main_do_event(event);
                gdk_event_free(event);
            });
            timer.Start(20);
            EXPECT_EQ(ShowGuiMessageBox({ownerWindow, "오류", c.caption, c.style}), c.answer);
            EXPECT_EQ(icons, c.icons);
            EXPECT_EQ(name, c.caption);
            EXPECT_EQ(ShownMessageBox(), nullptr);
        }
    }
}

// A box with no owner (the database error box) holds up only the code that shows it:
// a modal window, as the console is, goes on taking keys while the box waits.
TEST(GuiMessageBox, AnOwnerlessBoxWaitsForItsAnswerWhileTheModalWindowTakesKeys) {
    wxDialog console(nullptr, wxID_ANY, "console");
    auto* field = new wxTextCtrl(&console, wxID_ANY);
    bool returned = false;
    bool waitedMeanwhile = false;
    wxString typedMeanwhile;
    int answer = 0;
    wxTimer timer;
    timer.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        GtkWidget* box = ShownMessageBox();
        if (!box)
            return;
        timer.Stop();
        waitedMeanwhile = !returned;
        guitest::SendKey(&console, GDK_KEY_a);
        guitest::SendKey(&console, GDK_KEY_b);
        typedMeanwhile = field->GetValue();
        gtk_dialog_response(GTK_DIALOG(box), GTK_RESPONSE_OK);
    });
    console.CallAfter([&] {
        field->SetFocus();
        timer.Start(20);
        answer = ShowGuiMessageBox({nullptr, "데이터베이스 오류입니다.", "에러", MB_ICONERROR});
        returned = true;
        console.EndModal(wxID_OK);
    });
    EXPECT_EQ(console.ShowModal(), wxID_OK);
    EXPECT_TRUE(waitedMeanwhile);
    EXPECT_EQ(typedMeanwhile, "ab");
    EXPECT_EQ(answer, IDOK);
}
