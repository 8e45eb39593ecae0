// What the console window does by itself (no database): start-up, keys, exchange, memo
// limit, attention.
#include <gtest/gtest.h>

#include <gtk/gtk.h>
#include <wx/frame.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include "console/window/AgentConsoleDlg.h"
#include "platform/gui/DialogBuilder.h"
#include "res/ResourceIds.h"
#include "tests/gui/support/GuiTestSupport.h"
#include "tests/support/DbTestSupport.h"

namespace contest {
namespace {

// The console with its start-up (sign-in, worker) held back and counted.
class TestConsoleDlg : public CAgentConsoleDlg {
  public:
    explicit TestConsoleDlg(CTELVOAgentEnv& env) : CAgentConsoleDlg(nullptr, env) {}
    void OnStartup() override { ++startupTicks; }
    int startupTicks = 0;
};

class ConsoleWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        work_ = std::make_unique<zel::test::TempWorkDir>(false);
        env_.telNum = "2001";
        dlg_ = new TestConsoleDlg(env_);
        ASSERT_TRUE(guitest::ShowAndActivate(dlg_));
    }
    void TearDown() override {
        dlg_->Destroy();
        guitest::PumpEvents(20);
    }
    template <class T = wxWindow> T* Item(int id) { return platform::GetDlgItemAs<T>(dlg_, id); }
    void Key(int key, int modifiers = wxMOD_NONE) {
        wxUIActionSimulator().Char(key, modifiers);
        guitest::PumpEvents(100);
    }
    void KeyIn(int id, int key) {
        Item(id)->SetFocus();
        guitest::PumpEvents(50);
        Key(key);
    }

    guitest::ScriptedMessageBoxes boxes_;
    std::unique_ptr<zel::test::TempWorkDir> work_;
    CTELVOAgentEnv env_;
    TestConsoleDlg* dlg_ = nullptr;
};

TEST_F(ConsoleWindowTest, EscapeNeverClosesEnterBreaksTheMemoLineElseClosesLikeAltF4) {
    guitest::PumpEvents(1200);
    EXPECT_EQ(dlg_->startupTicks, 1);
    KeyIn(IDC_EDIT_MEMO, WXK_ESCAPE);
    KeyIn(IDC_EDIT_CUSTINFO1, WXK_ESCAPE);
    KeyIn(IDC_EDIT_MEMO, 'a');
    Key(WXK_RETURN);
    Key('b');
    EXPECT_EQ(Item<wxTextCtrl>(IDC_EDIT_MEMO)->GetValue().utf8_string(), "a\nb");
    EXPECT_TRUE(dlg_->IsShown());

    KeyIn(IDC_EDIT_CUSTINFO2, WXK_RETURN); // signed out: closed without a question
    EXPECT_FALSE(dlg_->IsShown());
    ASSERT_TRUE(guitest::ShowAndActivate(dlg_));
    Key(WXK_F4, wxMOD_ALT);
    EXPECT_FALSE(dlg_->IsShown());
    EXPECT_EQ(boxes_.Count(), 0u);
    EXPECT_EQ(dlg_->startupTicks, 1);
}

TEST_F(ConsoleWindowTest, NoGradeMeansNoRadioButtonOnAndTheMemoTakesAtMost250Cp949Bytes) {
    std::string memo, syllables;
    int grade = 4;
    dlg_->ExchangeCallResult(false, memo, grade);
    EXPECT_TRUE(Item<wxRadioButton>(IDC_RADIO_RESULT5)->GetValue());
    dlg_->ExchangeCallResult(false, memo, grade = -1);
    for (int id = IDC_RADIO_RESULT1; id <= IDC_RADIO_RESULT7; ++id)
        EXPECT_FALSE(Item<wxRadioButton>(id)->GetValue()) << id;

    GtkWidget* view = gtk_bin_get_child(GTK_BIN(Item(IDC_EDIT_MEMO)->GetHandle()));
    GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(view));
    for (int i = 0; i < 124; ++i)
        syllables += "가";
    // As typing or an input method's commit inserts text.
    for (const char* text : {syllables.c_str(), "a", "나" /* no room */, "bc" /* room for one */})
        gtk_text_buffer_insert_interactive_at_cursor(buffer, text, -1, TRUE);
    dlg_->ExchangeCallResult(true, memo, grade = 0);
    EXPECT_EQ(memo, syllables + "ab");
    EXPECT_EQ(grade, -1);
}

TEST_F(ConsoleWindowTest, ACallBehindOtherWindowsAsksForAttentionWithoutTakingFocus) {
    wxFrame* other = new wxFrame(nullptr, wxID_ANY, "other");
    ASSERT_TRUE(guitest::ShowAndActivate(other));
    dlg_->RequestAttention();
    EXPECT_TRUE(gtk_window_get_urgency_hint(GTK_WINDOW(dlg_->m_widget)));
    EXPECT_TRUE(other->IsActive());
    // Coming to the front ends the call for attention.
    ASSERT_TRUE(guitest::ShowAndActivate(dlg_));
    EXPECT_FALSE(gtk_window_get_urgency_hint(GTK_WINDOW(dlg_->m_widget)));
    other->Destroy();
}

} // namespace
} // namespace contest
