// UI-thread calls that must not run or hang, and the GUI message box.
#include "platform/gui/GuiMessageBox.h"
#include "platform/gui/UiThread.h"
#include "tests/gui/support/GuiTestSupport.h"

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <wx/app.h>
#include <wx/frame.h>
#include <wx/timer.h>

using namespace platform;
using guitest::PumpUntil;

TEST(UiThread, CallDroppedByAnEndingApplicationGivesAnEmptyResult) {
    wxTheApp->ProcessPendingEvents();
    ASSERT_FALSE(wxTheApp->HasPendingEvents());
    std::atomic<bool> ran{false};
    std::atomic<int> result{-1};
    std::thread worker([&] {
        result = RunOnUiThreadAndWait([&ran] {
            ran = true;
            return 5;
        });
    });
    // The worker's call is the only pending event once it has been queued.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (!wxTheApp->HasPendingEvents() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    wxTheApp->DeletePendingEvents(); // what the application does when it ends
    const bool answered = PumpUntil([&result] { return result.load() != -1; });
    worker.join();
    EXPECT_TRUE(answered);
    EXPECT_EQ(result.load(), 0);
    EXPECT_FALSE(ran);
}

TEST(UiThread, CallbackOfADeletedWindowIsDropped) {
    auto* frame = new wxFrame(nullptr, wxID_ANY, "gone");
    auto caller = WindowCaller::Create(frame);
    int calls = 0;
    caller->Post([&calls] { ++calls; });
    PumpUntil([&calls] { return calls == 1; });
    caller->Post([&calls] { ++calls; });
    delete frame; // gone before the queued call runs
    guitest::PumpEvents(30);
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(caller->IsAlive());

    std::atomic<int> ranFromWorker{-1};
    std::thread worker([&] { ranFromWorker = caller->RunAndWait([&calls] { ++calls; }) ? 1 : 0; });
    EXPECT_TRUE(PumpUntil([&] { return ranFromWorker.load() != -1; }));
    worker.join();
    EXPECT_EQ(ranFromWorker.load(), 0);
    EXPECT_EQ(calls, 1);
}

namespace {

// What the GTK message dialog answered by AnswerNextBox showed.
struct BoxSeen {
    std::string text, title;
    GtkMessageType type = GTK_MESSAGE_OTHER;
};

// Answers the next GTK message dialog that appears with response.
void AnswerNextBox(BoxSeen& seen, int response, wxTimer& timer) {
    timer.Bind(wxEVT_TIMER, [&seen, response, &timer](wxTimerEvent&) {
        GList* toplevels = gtk_window_list_toplevels();
        for (GList* l = toplevels; l; l = l->next) {
            if (!GTK_IS_MESSAGE_DIALOG(l->data) || !gtk_widget_get_visible(GTK_WIDGET(l->data)))
                continue;
            gchar* text = nullptr;
            g_object_get(l->data, "text", &text, "message-type", &seen.type, nullptr);
            seen.text = text ? text : "";
            g_free(text);
            seen.title = gtk_window_get_title(GTK_WINDOW(l->data));
            gtk_dialog_response(GTK_DIALOG(l->data), response);
            timer.Stop();
            break;
        }
        g_list_free(toplevels);
    });
    timer.Start(20);
}

} // namespace

TEST(GuiMessageBox, ShowsCaptionTextIconAndMapsTheAnswers) {
    struct Case {
        unsigned style;
        int response, answer;
        GtkMessageType type;
    };
    const Case cases[] = {
        {MB_OK | MB_ICONERROR, GTK_RESPONSE_OK, IDOK, GTK_MESSAGE_ERROR},
        {MB_YESNO | MB_ICONSTOP, GTK_RESPONSE_YES, IDYES, GTK_MESSAGE_ERROR},
        {MB_YESNO | MB_ICONQUESTION, GTK_RESPONSE_NO, IDNO, GTK_MESSAGE_QUESTION},
        {MB_YESNO | MB_ICONEXCLAMATION, GTK_RESPONSE_DELETE_EVENT, IDNO, GTK_MESSAGE_WARNING},
        {MB_OK | MB_ICONINFORMATION, GTK_RESPONSE_DELETE_EVENT, IDOK, GTK_MESSAGE_INFO},
    };
    for (const Case& c : cases) {
        BoxSeen seen;
        wxTimer timer;
        AnswerNextBox(seen, c.response, timer);
        EXPECT_EQ(ShowGuiMessageBox(
                      {nullptr, "데이터베이스 오류입니다.\r\n오류코드:2002", "에러", c.style}),
                  c.answer)
            << c.style;
        EXPECT_EQ(seen.type, c.type) << c.style;
        EXPECT_EQ(seen.title, "에러");
        EXPECT_EQ(seen.text, "데이터베이스 오류입니다.\n오류코드:2002");
    }
}
