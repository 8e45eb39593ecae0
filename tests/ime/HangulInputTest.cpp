// Hangul typed through a real input method (ibus with its Hangul engine, started by
// run_with_ibus.sh) into the console's memo and the sign-in dialog's agent name, with
// a syllable being composed at the field's byte limit.
#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <vector>

#include <spawn.h>
#include <sys/wait.h>

#include <gtk/gtk.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>

#include "console/AgentConsole.h"
#include "console/AgentConsoleDlg.h"
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

// Presses the keys with xdotool as a keyboard would, into the window with the X focus,
// while the event loop runs, then lets the input method's answers arrive.
bool TypeKeys(const std::string& keys) {
    std::vector<std::string> args = {"xdotool", "type", "--delay", "80", "--", keys};
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, "xdotool", nullptr, nullptr, argv.data(), environ) != 0)
        return false;
    int status = 0;
    const bool ended = guitest::PumpUntil(
        [&] { return waitpid(pid, &status, WNOHANG) == pid; }, 20000);
    if (!ended) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        return false;
    }
    guitest::PumpEvents(400);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Gives the control the keyboard focus of its window and the window the X focus.
bool FocusControl(wxTopLevelWindow* window, wxWindow* control) {
    if (!guitest::ShowAndActivate(window))
        return false;
    control->SetFocus();
    return guitest::PumpUntil([control] { return wxWindow::FindFocus() == control; }, 2000);
}

// What the program stores from a field must be whole CP949 characters within the limit.
void ExpectStorable(const std::string& utf8, std::size_t limit) {
    const auto bytes = cp949::FromUtf8(utf8);
    ASSERT_TRUE(bytes.has_value()) << "no CP949 form: " << utf8;
    EXPECT_LE(bytes->size(), limit) << utf8;
    EXPECT_EQ(cp949::ToUtf8(*bytes), utf8);
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
    }
    void TearDown() override {
        dlg_->Destroy();
        guitest::PumpEvents(20);
    }

    // Starts from text with the cursor at insertionPoint (-1: the end) and the focus in
    // the memo.
    void StartWith(const std::string& text, long insertionPoint = -1) {
        memo_->ChangeValue(wxString::FromUTF8(text));
        ASSERT_TRUE(FocusControl(dlg_, memo_));
        if (insertionPoint < 0)
            memo_->SetInsertionPointEnd();
        else
            memo_->SetInsertionPoint(insertionPoint);
        guitest::PumpEvents(50);
    }

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
        guitest::PumpEvents(400);
    }

    guitest::ScriptedMessageBoxes boxes_;
    zel::test::TempWorkDir work_{false};
    CTELVOAgentEnv env_;
    QuietConsoleDlg* dlg_ = nullptr;
    wxTextCtrl* memo_ = nullptr;
};

constexpr std::size_t kMemoLimit = AgentConsole::kMemoMaxBytes;

TEST_F(MemoInputTest, TheInputMethodComposesHangulIntoAnEmptyMemo) {
    StartWith("");
    ASSERT_TRUE(TypeKeys("gksrmf"));
    LeaveMemo();
    ASSERT_EQ(Stored(), "한글") << "the input method did not compose Hangul into the memo";
    ASSERT_TRUE(FocusControl(dlg_, memo_));
    memo_->SetInsertionPointEnd();
    ASSERT_TRUE(TypeKeys(" dlqfur"));
    LeaveMemo();
    EXPECT_EQ(Stored(), "한글 입력");
}

// Two bytes left: the syllable that completes there is kept whole, the next one being
// composed is dropped whole, also while it is still on screen as a composition.
TEST_F(MemoInputTest, ASyllableComposedAtTheLimitIsKeptWholeOrDroppedWhole) {
    const std::string start = Repeat("가", 124); // 248 bytes
    StartWith(start);
    ASSERT_TRUE(TypeKeys("gksrm")); // 한 committed by the next consonant, 그 composing
    EXPECT_EQ(Stored(), start + "한");
    ExpectStorable(Stored(), kMemoLimit);

    ASSERT_TRUE(TypeKeys("f")); // 글, still composing
    LeaveMemo();                // ends the composition: 글 has no room
    EXPECT_EQ(Stored(), start + "한");
    ExpectStorable(Stored(), kMemoLimit);
    EXPECT_EQ(memo_->GetValue().utf8_string(), start + "한");
}

// One byte left: no syllable fits, nor any of its letters.
TEST_F(MemoInputTest, WithOneByteLeftNoSyllableNorAnyOfItsLettersGetsIn) {
    const std::string start = Repeat("가", 124) + "a"; // 249 bytes
    for (const char* keys : {"gks", "r", "gksrmf"}) {
        SCOPED_TRACE(keys);
        StartWith(start);
        ASSERT_TRUE(TypeKeys(keys));
        LeaveMemo();
        EXPECT_EQ(Stored(), start);
    }
}

// A full memo takes nothing anywhere, and the text around the cursor stays as it was.
TEST_F(MemoInputTest, AFullMemoTakesNoSyllableInTheMiddleAndKeepsItsText) {
    const std::string full = "메모" + Repeat("나", 123); // 250 bytes
    StartWith(full, 1);
    ASSERT_TRUE(TypeKeys("gksrmf"));
    LeaveMemo();
    EXPECT_EQ(Stored(), full);
    ExpectStorable(Stored(), kMemoLimit);
    // Room made in the middle takes exactly one syllable there.
    StartWith("메" + Repeat("나", 123), 1); // 248 bytes
    ASSERT_TRUE(TypeKeys("gksrmf"));
    LeaveMemo();
    EXPECT_EQ(Stored(), "메한" + Repeat("나", 123));
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
            guitest::PumpEvents(50);
            typed_ = TypeKeys(keys);
            password->SetFocus();
            guitest::PumpEvents(400);
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
    std::string shown_;
};

constexpr std::size_t kAgentNameLimit = 10;

TEST_F(AgentNameInputTest, ASyllableComposedAtTheLimitIsKeptWholeOrDroppedWhole) {
    const struct {
        std::string start, keys, taken;
    } cases[] = {
        {"", "rlaalswns", "김민준"},               // plain composition
        {"김민준이", "gksrmf", "김민준이한"},      // 한 fills the last two bytes, 글 dropped
        {"김민준이a", "gksrmf", "김민준이a"},      // one byte left: no syllable
        {"김민준이", "gks", "김민준이한"},         // completed by leaving the field
        {"김민준이", "gksk", "김민준이하"},        // 한 then 나: the ㄴ moves on, 하 stays
        {"abcdefgh", "dkssud", "abcdefgh안"},     // the composition is cut at a syllable
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.start + " + " + c.keys);
        const std::string taken = TypeIntoAgentName(c.start, c.keys);
        EXPECT_TRUE(typed_);
        EXPECT_EQ(taken, c.taken);
        EXPECT_EQ(shown_, c.taken);
        ExpectStorable(taken, kAgentNameLimit);
    }
    EXPECT_EQ(boxes_.Count(), 0u);
}

} // namespace
} // namespace imetest
