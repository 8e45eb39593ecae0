// Fonts, system colours, UI-thread calls, the GUI message box and resources.
#include "platform/gui/AppResources.h"
#include "platform/gui/Fonts.h"
#include "platform/gui/GuiMessageBox.h"
#include "platform/gui/StaticEdge.h"
#include "platform/gui/SysColors.h"
#include "platform/gui/UiThread.h"
#include "res/ResourceIds.h"
#include "tests/gui/support/GuiTestSupport.h"

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <wx/app.h>
#include <wx/frame.h>
#include <wx/settings.h>
#include <wx/stattext.h>
#include <wx/timer.h>

using namespace platform;

TEST(Fonts, TemplateFacesResolveToTheNanumFamilies) {
    EXPECT_EQ(ResolveFontFace("굴림"), "NanumGothic");
    EXPECT_EQ(ResolveFontFace("Gulim"), "NanumGothic");
    EXPECT_EQ(ResolveFontFace("굴림체"), "NanumGothicCoding");
    EXPECT_EQ(ResolveFontFace("GulimChe"), "NanumGothicCoding");
}

TEST(Fonts, UnknownFaceFallsBackToAKoreanFont) {
    const std::string family = ResolveFontFace("No Such Face 7");
    EXPECT_FALSE(family.empty());
    EXPECT_NE(family, "DejaVu Sans"); // fontconfig's default has no Hangul
}

TEST(SysColors, FollowTheSystemSettings) {
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE));
    EXPECT_EQ(GetSysColor(COLOR_BTNTEXT), wxSystemSettings::GetColour(wxSYS_COLOUR_BTNTEXT));
    EXPECT_EQ(GetSysColor(COLOR_BTNSHADOW), wxSystemSettings::GetColour(wxSYS_COLOUR_BTNSHADOW));
    EXPECT_EQ(GetSysColor(COLOR_BTNHIGHLIGHT),
              wxSystemSettings::GetColour(wxSYS_COLOUR_BTNHIGHLIGHT));
    EXPECT_EQ(GetSysColor(12345), *wxBLACK);
}

TEST(SysColors, InfoTextStaysReadableOnPaleBackgrounds) {
    const wxColour text = GetSysColor(COLOR_INFOTEXT);
    EXPECT_LT(text.Red() * 299 + text.Green() * 587 + text.Blue() * 114, 128 * 1000);
}

TEST(UiThread, PostRunsLaterOnTheUiThread) {
    bool ran = false;
    PostToUiThread([&ran] { ran = IsUiThread(); });
    EXPECT_FALSE(ran);
    EXPECT_TRUE(guitest::PumpUntil([&ran] { return ran; }));
}

TEST(UiThread, RunAndWaitFromAWorkerReturnsTheResult) {
    EXPECT_EQ(RunOnUiThreadAndWait([] { return 7; }), 7); // directly on the UI thread
    std::atomic<int> result{0};
    std::atomic<bool> onUi{false};
    std::thread worker([&] {
        result = RunOnUiThreadAndWait([&] {
            onUi = IsUiThread();
            return 42;
        });
    });
    EXPECT_TRUE(guitest::PumpUntil([&] { return result.load() == 42; }));
    worker.join();
    EXPECT_TRUE(onUi);
}

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
    const bool answered = guitest::PumpUntil([&result] { return result.load() != -1; });
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
    guitest::PumpUntil([&calls] { return calls == 1; });
    EXPECT_EQ(calls, 1);

    caller->Post([&calls] { ++calls; });
    delete frame; // gone before the queued call runs
    guitest::PumpEvents(30);
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(caller->IsAlive());

    std::atomic<int> ranFromWorker{-1};
    std::thread worker([&] { ranFromWorker = caller->RunAndWait([&calls] { ++calls; }) ? 1 : 0; });
    EXPECT_TRUE(guitest::PumpUntil([&] { return ranFromWorker.load() != -1; }));
    worker.join();
    EXPECT_EQ(ranFromWorker.load(), 0);
    EXPECT_EQ(calls, 1);
}

namespace {

// Answers the next GTK message dialog that appears, and notes what it showed.
struct BoxSeen {
    std::string text;
    std::string title;
    GtkMessageType type = GTK_MESSAGE_OTHER;
    bool seen = false;
};

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
            seen.seen = true;
            gtk_dialog_response(GTK_DIALOG(l->data), response);
            timer.Stop();
            break;
        }
        g_list_free(toplevels);
    });
    timer.Start(20);
}

} // namespace

TEST(GuiMessageBox, ShowsCaptionTextWithLineBreaksAndIcon) {
    BoxSeen seen;
    wxTimer timer;
    AnswerNextBox(seen, GTK_RESPONSE_OK, timer);
    const int answer = ShowGuiMessageBox(
        {nullptr, "데이터베이스 오류입니다.\r\n오류코드:2002", "에러", MB_OK | MB_ICONERROR});
    EXPECT_EQ(answer, IDOK);
    ASSERT_TRUE(seen.seen);
    EXPECT_EQ(seen.title, "에러");
    EXPECT_EQ(seen.text, "데이터베이스 오류입니다.\n오류코드:2002");
    EXPECT_EQ(seen.type, GTK_MESSAGE_ERROR);
}

TEST(GuiMessageBox, YesNoAnswersAndIcons) {
    struct Case {
        unsigned style;
        int response;
        int answer;
        GtkMessageType type;
    };
    const Case cases[] = {
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
                      {nullptr, "로그인된 상태 입니다. 종료 하시겠습니까?", "에러", c.style}),
                  c.answer)
            << c.style;
        EXPECT_EQ(seen.type, c.type) << c.style;
    }
}

TEST(GuiMessageBox, WorkerWaitsForTheBoxOnTheUiThread) {
    InstallGuiMessageBoxHandler();
    BoxSeen seen;
    wxTimer timer;
    AnswerNextBox(seen, GTK_RESPONSE_YES, timer);
    std::atomic<int> answer{0};
    std::thread worker([&answer] {
        answer = ShowMessageBox({nullptr, "worker", "알림", MB_YESNO | MB_ICONQUESTION});
    });
    EXPECT_TRUE(guitest::PumpUntil([&answer] { return answer.load() != 0; }));
    worker.join();
    EXPECT_EQ(answer.load(), IDYES);
    EXPECT_EQ(seen.text, "worker");
}

TEST(ScriptedMessageBoxes, AnswersFromTheQueueAndRecordsEveryBox) {
    {
        guitest::ScriptedMessageBoxes boxes({IDNO});
        EXPECT_EQ(ShowMessageBox({nullptr, "a", "에러", MB_YESNO}), IDNO);
        EXPECT_EQ(ShowMessageBox({nullptr, "b", "에러", MB_YESNO}), IDYES); // default
        int fromWorker = 0;
        std::thread([&fromWorker] {
            fromWorker = ShowMessageBox({nullptr, "c", "알림", MB_OK});
        }).join();
        EXPECT_EQ(fromWorker, IDOK);
        ASSERT_EQ(boxes.Count(), 3u);
        EXPECT_EQ(boxes.Boxes()[2].request.text, "c");
        EXPECT_NE(boxes.Boxes()[2].thread, std::this_thread::get_id());
        EXPECT_EQ(boxes.Last().caption, "알림");
    }
    // The GUI handler is back: a box would be shown, so answer it.
    BoxSeen seen;
    wxTimer timer;
    AnswerNextBox(seen, GTK_RESPONSE_OK, timer);
    EXPECT_EQ(ShowMessageBox({nullptr, "back", "알림", MB_OK}), IDOK);
    EXPECT_TRUE(seen.seen);
}

TEST(AppResources, IconAndStrings) {
    const wxIconBundle icons = LoadAppIcons();
    EXPECT_EQ(icons.GetIconCount(), 3u);
    EXPECT_TRUE(icons.GetIcon(wxSize(32, 32)).IsOk());
    EXPECT_EQ(LoadAppIcon(48).GetWidth(), 48);
    EXPECT_EQ(LoadResString(IDS_ABOUTBOX), wxString::FromUTF8("ZELAgent 정보(&A)..."));
}

TEST(StaticEdge, IsAddedOnce) {
    auto* frame = new wxFrame(nullptr, wxID_ANY, "edge");
    auto* label = new wxStaticText(frame, wxID_ANY, "x");
    EXPECT_FALSE(HasStaticEdge(label));
    EnableStaticEdge(label);
    EnableStaticEdge(label);
    EXPECT_TRUE(HasStaticEdge(label));
    EXPECT_EQ(g_signal_handler_find(label->m_widget, G_SIGNAL_MATCH_ID,
                                    g_signal_lookup("draw", GTK_TYPE_WIDGET), 0, nullptr, nullptr,
                                    nullptr) != 0,
              true);
    frame->Destroy();
}
