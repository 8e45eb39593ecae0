// Hangul typed through a real input method (ibus with its Hangul engine, started by
// run_with_ibus.sh) into the console's memo and the sign-in dialog's agent name, with
// a syllable being composed at the field's byte limit.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <memory>
#include <string>
#include <vector>

#include <spawn.h>
#include <sys/wait.h>

#include <gtk/gtk.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>

#include "console/logic/AgentConsole.h"
#include "console/window/AgentConsoleDlg.h"
#include "db/AgentEnv.h"
#include "dialogs/LoginDlg.h"
#include "platform/gui/DialogBuilder.h"
#include "res/ResourceIds.h"
#include "tests/dialogs/DialogTestSupport.h"
#include "tests/gui/support/GuiTestSupport.h"
#include "tests/support/DbTestSupport.h"
#include "util/Cp949.h"

extern char** environ;

namespace imetest {
namespace {

std::string Repeat(const std::string& text, int count) {
    std::string out;
    for (int i = 0; i < count; ++i)
        out += text;
    return out;
}

// Runs a program with args while the event loop goes on; false if it failed or took
// longer than 20 s.
bool Run(std::vector<std::string> args) {
    std::vector<char*> argv(args.size() + 1, nullptr);
    std::transform(args.begin(), args.end(), argv.begin(),
                   [](std::string& arg) { return arg.data(); });
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return false;
    int status = 0;
    const bool ended =
        guitest::PumpUntil([&] { return waitpid(pid, &status, WNOHANG) == pid; }, 20000);
    if (!ended) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// What a field is composing: the preedit its GTK widget (an entry, or the text view of a
// memo) announces when the input method changes it. Lives within the field's lifetime.
class Composition {
  public:
    explicit Composition(wxTextCtrl* field) {
        GtkWidget* widget = static_cast<GtkWidget*>(field->GetHandle());
        if (GTK_IS_BIN(widget))
            widget = gtk_bin_get_child(GTK_BIN(widget));
        m_widget = widget;
        m_handler = g_signal_connect(
            widget, "preedit-changed", G_CALLBACK(+[](GtkWidget*, gchar* preedit, gpointer self) {
                static_cast<Composition*>(self)->m_preedit = preedit ? preedit : "";
            }),
            this);
    }
    ~Composition() { g_signal_handler_disconnect(m_widget, m_handler); }
    Composition(const Composition&) = delete;
    Composition& operator=(const Composition&) = delete;

    // The syllable being composed; empty when none is.
    const std::string& Composing() const { return m_preedit; }

  private:
    GtkWidget* m_widget = nullptr;
    gulong m_handler = 0;
    std::string m_preedit;
};

// Waits until the input method has answered every key sent to the window so far. A Shift
// goes last: the Hangul engine passes it on untouched, and ibus answers a field's keys in
// order, each key's text before its answer; the window's own handler, run after the
// field's, sees the Shift only once the input method has given it back.
bool KeysAnswered(wxTopLevelWindow* window) {
    int seen = 0;
    const gulong handler =
        g_signal_connect_after(window->m_widget, "key-release-event",
                               G_CALLBACK(+[](GtkWidget*, GdkEventKey* key, gpointer count) {
                                   if (key->keyval == GDK_KEY_Shift_L)
                                       ++*static_cast<int*>(count);
                                   return FALSE;
                               }),
                               &seen);
    const bool answered = Run({"xdotool", "key", "Shift_L"}) &&
                          guitest::PumpUntil([&seen] { return seen > 0; }, 5000);
    g_signal_handler_disconnect(window->m_widget, handler);
    return answered;
}

// Keys pressed as on a keyboard, into the window with the X focus, and the input method's
// answers to them.
bool TypeKeys(wxTopLevelWindow* window, const std::string& keys) {
    return Run({"xdotool", "type", "--delay", "80", "--", keys}) && KeysAnswered(window);
}

bool PressKey(const std::string& keyName) {
    return Run({"xdotool", "key", "--delay", "80", keyName});
}

// A click of the mouse in the middle of the control. GTK takes a click only on a widget
// the pointer has entered: the synchronous move returns once the pointer is there, and
// the crossing reaches the program before the click (a synchronous move to where the
// pointer already is never returns, so it leaves first).
bool Click(wxWindow* control) {
    const wxRect rect = control->GetScreenRect();
    const wxPoint centre = rect.GetPosition() + wxSize(rect.width / 2, rect.height / 2);
    return Run({"xdotool", "mousemove", "0", "0", "mousemove", "--sync", std::to_string(centre.x),
                std::to_string(centre.y), "click", "1"});
}

// A setting of the Hangul engine; the engine follows it on its own time.
bool SetEngineOption(const std::string& key, const std::string& value) {
    return Run({"gsettings", "set", "org.freedesktop.ibus.engine.hangul", key, value});
}

// Gives the control the keyboard focus of its window and the window the X focus.
bool FocusControl(wxTopLevelWindow* window, wxWindow* control) {
    if (!guitest::ShowAndActivate(window))
        return false;
    control->SetFocus();
    return guitest::PumpUntil([control] { return wxWindow::FindFocus() == control; }, 2000);
}

// The CP949 length and the end of a text: a memo in full is too long to read.
std::string Brief(const std::string& utf8) {
    const auto bytes = cp949::FromUtf8(utf8);
    std::size_t tail = utf8.size();
    for (int chars = 0; tail > 0 && chars < 6; ++chars)
        do
            --tail;
        while (tail > 0 && (static_cast<unsigned char>(utf8[tail]) & 0xC0) == 0x80);
    return (bytes ? std::to_string(bytes->size()) + " bytes" : std::string("no CP949 form")) +
           (tail > 0 ? " ..." : " ") + "\"" + utf8.substr(tail) + "\"";
}

testing::AssertionResult SameText(const std::string& actual, const std::string& expected) {
    if (actual == expected)
        return testing::AssertionSuccess();
    return testing::AssertionFailure()
           << "got " << Brief(actual) << ", expected " << Brief(expected);
}

// What the program stores from a field is whole CP949 characters within the limit.
testing::AssertionResult Storable(const std::string& utf8, std::size_t limit) {
    const auto bytes = cp949::FromUtf8(utf8);
    if (!bytes || cp949::ToUtf8(*bytes) != utf8 || bytes->size() > limit)
        return testing::AssertionFailure() << Brief(utf8) << " with a limit of " << limit;
    return testing::AssertionSuccess();
}

// The console with its start-up (sign-in, worker) held back.
class QuietConsoleDlg : public CAgentConsoleDlg {
  public:
    explicit QuietConsoleDlg(CTELVOAgentEnv& env) : CAgentConsoleDlg(nullptr, env) {}
    void OnStartup() override {}
};

class MemoInputTest : public ::testing::Test {
  protected:
    void SetUp() override {
        env_.telNum = "2001";
        dlg_ = new QuietConsoleDlg(env_);
        ASSERT_TRUE(guitest::ShowAndActivate(dlg_));
        memo_ = platform::GetDlgItemAs<wxTextCtrl>(dlg_, IDC_EDIT_MEMO);
        ASSERT_NE(memo_, nullptr);
        composition_ = std::make_unique<Composition>(memo_);
    }
    void TearDown() override {
        composition_.reset();
        dlg_->Destroy();
        guitest::PumpEvents(20);
    }

    // Starts from text with the focus in the memo and the characters from..to selected
    // (the cursor at from if equal; -1: the end).
    void StartWith(const std::string& text, long from = -1, long to = -1) {
        memo_->ChangeValue(wxString::FromUTF8(text));
        ASSERT_TRUE(FocusControl(dlg_, memo_));
        if (from < 0)
            memo_->SetInsertionPointEnd();
        else
            memo_->SetSelection(from, to);
    }

    bool TypeKeys(const std::string& keys) { return imetest::TypeKeys(dlg_, keys); }

    // The memo as the console's data exchange reads it for the call result.
    std::string Stored() {
        std::string memo;
        int grade = -1;
        dlg_->ExchangeCallResult(true, memo, grade);
        return memo;
    }

    // Moves the focus out of the memo, which ends a composition.
    void LeaveMemo() {
        wxWindow* grade = platform::GetDlgItem(dlg_, IDC_RADIO_RESULT1);
        ASSERT_NE(grade, nullptr);
        grade->SetFocus();
        ASSERT_TRUE(guitest::PumpUntil([&] {
            return wxWindow::FindFocus() == grade && composition_->Composing().empty();
        })) << "still composing "
            << composition_->Composing();
    }

    // The engine composes in word mode (or syllable mode): after "gksr" it composes 한ㄱ,
    // where in syllable mode it commits 한 and composes ㄱ. Tried again until the engine
    // has followed its setting, 5 s at most.
    bool EngineInWordMode(bool wordMode) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        do {
            StartWith("");
            if (!TypeKeys("gksr"))
                return false;
            const bool inWordMode = composition_->Composing() == "한ㄱ";
            LeaveMemo();
            if (inWordMode == wordMode)
                return true;
        } while (std::chrono::steady_clock::now() < end);
        return false;
    }

    std::unique_ptr<Composition> composition_;
    guitest::ScriptedMessageBoxes boxes_;
    zel::test::TempWorkDir work_{false};
    CTELVOAgentEnv env_;
    QuietConsoleDlg* dlg_ = nullptr;
    wxTextCtrl* memo_ = nullptr;
};

constexpr std::size_t kMemoLimit = AgentConsole::kMemoMaxBytes;

// Hangul is composed into the memo; near the limit a syllable is kept whole or dropped
// whole, and so are its letters: the text never holds half a character, nor a stray
// consonant or vowel.
TEST_F(MemoInputTest, ASyllableComposedAtTheLimitIsKeptWholeOrDroppedWhole) {
    StartWith("");
    ASSERT_TRUE(TypeKeys("gksrmf"));
    LeaveMemo();
    ASSERT_EQ(Stored(), "한글") << "the input method did not compose Hangul into the memo";
    const std::string start = Repeat("가", 124); // 248 bytes
    StartWith(start);
    ASSERT_TRUE(TypeKeys("gksrm")); // 한 taken by the next consonant, 그 composing
    EXPECT_EQ(composition_->Composing(), "그");
    EXPECT_TRUE(SameText(Stored(), start + "한")) << "while 그 is composed";
    ASSERT_TRUE(TypeKeys("f")); // 글 composing, with no room
    LeaveMemo();
    EXPECT_TRUE(SameText(Stored(), start + "한"));

    const std::string full = "메모" + Repeat("나", 123); // 250 bytes
    const struct {
        std::string text;
        long from, to; // cursor or selection, in characters; -1: the end
        std::string keys, stored;
    } cases[] = {
        {"한글", -1, -1, " dlqfur", "한글 입력"},
        {start + "a", -1, -1, "gks", start + "a"}, // one byte left
        {start + "a", -1, -1, "r", start + "a"},
        {start + "a", -1, -1, "gksrmf", start + "a"},
        {full, 1, 1, "gksrmf", full}, // full, typed in the middle
        {"메" + Repeat("나", 123), 1, 1, "gksrmf", "메한" + Repeat("나", 123)},
        // A selection is replaced: its room counts.
        {full, 1, 2, "gksrmf", "메한" + Repeat("나", 123)},
        {full, 124, 125, "rmf", "메모" + Repeat("나", 122) + "글"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Brief(c.text) + " + " + c.keys);
        StartWith(c.text, c.from, c.to);
        ASSERT_TRUE(TypeKeys(c.keys));
        LeaveMemo();
        const std::string stored = Stored();
        EXPECT_TRUE(SameText(stored, c.stored));
        EXPECT_TRUE(Storable(stored, kMemoLimit));
    }
}

// 통화결과 등록 pressed while the last syllable is still being composed: the memo taken
// for the call result holds it, as the screen showed it, and still keeps the limit.
TEST_F(MemoInputTest, ARegistrationWhileComposingTakesTheComposedSyllable) {
    std::vector<std::string> taken;
    dlg_->Bind(
        wxEVT_BUTTON, [&](wxCommandEvent&) { taken.push_back(Stored()); }, IDC_BTN_REGIST);
    const std::string start = Repeat("가", 123); // 246 bytes
    for (const auto& [keys, memo] : {std::pair<std::string, std::string>{"gksrmf", start + "한글"},
                                     {"gksrmfdl", start + "한글"}}) {
        SCOPED_TRACE(keys);
        taken.clear();
        StartWith(start);
        ASSERT_TRUE(TypeKeys(keys));
        ASSERT_TRUE(Click(platform::GetDlgItem(dlg_, IDC_BTN_REGIST)));
        guitest::PumpUntil([&taken] { return !taken.empty(); });
        ASSERT_EQ(taken.size(), 1u);
        EXPECT_TRUE(SameText(taken[0], memo));
        EXPECT_TRUE(Storable(taken[0], kMemoLimit));
    }
}

// A new call comes while a syllable is being composed: the syllable belongs to the memo
// of the ended call, which is read for its save, and never lands in the new call's memo.
TEST_F(MemoInputTest, ASyllableComposedWhenTheNextCallComesStaysWithTheEndedCall) {
    StartWith("메모");
    ASSERT_TRUE(TypeKeys("gks")); // 한 composing
    dlg_->FinishTyping();         // as the console does before it reads the memo
    EXPECT_TRUE(SameText(Stored(), "메모한"));
    EXPECT_EQ(wxWindow::FindFocus(), memo_); // the agent types on in the memo
    dlg_->SetFieldText(IDC_EDIT_MEMO, "");   // cleared for the new call
    ASSERT_TRUE(KeysAnswered(dlg_));         // nothing of the input method's still to come
    LeaveMemo();
    EXPECT_TRUE(SameText(Stored(), ""));
}

// With the engine composing whole words, a word that does not fit arrives in one commit
// and is cut at a syllable, not refused whole.
TEST_F(MemoInputTest, AWordCommittedAtOnceIsCutAtASyllable) {
    std::vector<std::string> inserted;
    GtkTextView* view = GTK_TEXT_VIEW(gtk_bin_get_child(GTK_BIN(memo_->GetHandle())));
    const gulong handler = g_signal_connect(
        gtk_text_view_get_buffer(view), "insert-text",
        G_CALLBACK(+[](GtkTextBuffer*, GtkTextIter*, gchar* text, gint length, gpointer list) {
            static_cast<std::vector<std::string>*>(list)->emplace_back(text, length);
        }),
        &inserted);
    const std::string start = Repeat("가", 123); // 246 bytes: room for two syllables
    for (const bool wordMode : {false, true}) {
        SCOPED_TRACE(wordMode ? "word mode" : "syllable mode");
        ASSERT_TRUE(SetEngineOption("preedit-mode", wordMode ? "word" : "syllable"));
        ASSERT_TRUE(EngineInWordMode(wordMode));
        StartWith(start);
        inserted.clear();
        ASSERT_TRUE(TypeKeys("gksrnrdj")); // 한국어
        LeaveMemo();
        EXPECT_TRUE(SameText(Stored(), start + "한국"));
        const std::vector<std::string> commits =
            wordMode ? std::vector<std::string>{"한국"} : std::vector<std::string>{"한", "국"};
        EXPECT_EQ(inserted, commits);
    }
    SetEngineOption("preedit-mode", "syllable");
    g_signal_handler_disconnect(gtk_text_view_get_buffer(view), handler);
}

class AgentNameInputTest : public ::testing::Test {
  protected:
    void SetUp() override {
        theAgentEnv().serverAddress = "10.1.2.3";
        theAgentEnv().connection = 0; // no database
        theAgentEnv().userId.clear();
    }

    // Types keys at the end of the agent name holding start, then moves on to the
    // password field; returns what the sign-in's data exchange takes.
    std::string TypeIntoAgentName(const std::string& start, const std::string& keys) {
        CLoginDlg dialog;
        std::string taken = "<not exchanged>";
        dlgtest::RunModal(dialog, [&] {
            auto* name = platform::GetDlgItemAs<wxTextCtrl>(&dialog, IDC_EDIT_AGENT_NM);
            auto* password = platform::GetDlgItemAs<wxTextCtrl>(&dialog, IDC_EDIT_PASSWORD);
            if (!name || !password || !FocusControl(&dialog, name))
                return;
            name->ChangeValue(wxString::FromUTF8(start));
            name->SetInsertionPointEnd();
            const Composition composition(name);
            typed_ = TypeKeys(&dialog, keys);
            password->SetFocus();
            // Leaving the field ends a composition.
            left_ = guitest::PumpUntil([&] {
                return wxWindow::FindFocus() == password && composition.Composing().empty();
            });
            shown_ = name->GetValue().utf8_string();
            if (dialog.UpdateData(true))
                taken = dialog.Fields().agentName;
        });
        return taken;
    }

    zel::test::TempWorkDir work_{false};
    guitest::ScriptedMessageBoxes boxes_;
    dlgtest::ExitRecorder exits_;
    bool typed_ = false;
    bool left_ = false;
    std::string shown_;
};

constexpr std::size_t kAgentNameLimit = 10;

TEST_F(AgentNameInputTest, ASyllableComposedAtTheLimitIsKeptWholeOrDroppedWhole) {
    const struct {
        std::string start, keys, taken;
    } cases[] = {
        {"", "rlaalswns", "김민준"},          // plain composition
        {"김민준이", "gksrmf", "김민준이한"}, // 한 fills the last two bytes, 글 dropped
        {"김민준이a", "gksrmf", "김민준이a"}, // one byte left: no syllable
        {"김민준이", "gks", "김민준이한"},    // completed by leaving the field
        {"김민준이", "gksk", "김민준이하"},   // 한 then 나: the ㄴ moves on, 하 stays
        {"abcdefgh", "dkssud", "abcdefgh안"}, // 안 fills the limit, 녕 dropped
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.start + " + " + c.keys);
        const std::string taken = TypeIntoAgentName(c.start, c.keys);
        EXPECT_TRUE(typed_);
        EXPECT_TRUE(left_) << "the composition did not end on leaving the field";
        EXPECT_EQ(taken, c.taken);
        EXPECT_EQ(shown_, c.taken);
        EXPECT_TRUE(Storable(taken, kAgentNameLimit));
    }
    EXPECT_EQ(boxes_.Count(), 0u);
}

// Enter while the last syllable is being composed signs in with it.
TEST_F(AgentNameInputTest, EnterWhileComposingSignsInWithTheComposedSyllable) {
    CLoginDlg dialog;
    dlgtest::RunModal(dialog, [&] {
        auto* name = platform::GetDlgItemAs<wxTextCtrl>(&dialog, IDC_EDIT_AGENT_NM);
        ASSERT_TRUE(name && FocusControl(&dialog, name));
        ASSERT_TRUE(TypeKeys(&dialog, "rlaalswns"));
        ASSERT_TRUE(PressKey("Return"));
        guitest::PumpUntil([this] { return !exits_.statuses.empty(); });
    });
    // No database: the sign-in was tried, met no connection and ends the program.
    ASSERT_EQ(boxes_.Count(), 1u);
    EXPECT_EQ(boxes_.Last().text.rfind("데이터베이스 오류입니다.\r\n오류코드:9001", 0), 0u)
        << boxes_.Last().text;
    EXPECT_EQ(exits_.statuses, std::vector<int>{1});
    EXPECT_EQ(dialog.Fields().agentName, "김민준");
}

} // namespace
} // namespace imetest
