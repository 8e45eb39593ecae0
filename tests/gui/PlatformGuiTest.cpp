// UI-thread calls dropped at exit must not hang, and the GUI message box's answers.
#include "platform/gui/GuiMessageBox.h"
#include "platform/gui/UiThread.h"
#include "tests/gui/support/GuiTestSupport.h"

#include <atomic>
#include <chrono>
#include <thread>
#include <tuple>

#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <wx/app.h>
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

TEST(GuiMessageBox, ResponsesMapToTheAnswersAndClosingMeansNo) {
    const std::tuple<unsigned, int, int> cases[] = {
        {MB_OK | MB_ICONERROR, GTK_RESPONSE_OK, IDOK},
        {MB_YESNO | MB_ICONQUESTION, GTK_RESPONSE_YES, IDYES},
        {MB_YESNO | MB_ICONQUESTION, GTK_RESPONSE_NO, IDNO},
        {MB_YESNO | MB_ICONEXCLAMATION, GTK_RESPONSE_DELETE_EVENT, IDNO},
    };
    for (const auto& [style, response, answer] : cases) {
        wxTimer timer; // answers the message dialog once it shows
        timer.Bind(wxEVT_TIMER, [&, response = response](wxTimerEvent&) {
            GList* toplevels = gtk_window_list_toplevels();
            for (GList* l = toplevels; l; l = l->next)
                if (GTK_IS_MESSAGE_DIALOG(l->data) && gtk_widget_get_visible(GTK_WIDGET(l->data))) {
                    gtk_dialog_response(GTK_DIALOG(l->data), response);
                    timer.Stop();
                    break;
                }
            g_list_free(toplevels);
        });
        timer.Start(20);
        EXPECT_EQ(ShowGuiMessageBox({nullptr, "오류", "에러", style}), answer) << style;
    }
}
