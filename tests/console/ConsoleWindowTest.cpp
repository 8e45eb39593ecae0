// The console as a window: layout, colours, keys, data exchange, the memo limit and
// the call for attention. No database: only what the window does by itself.
#include <gtest/gtest.h>

#include <gtk/gtk.h>
#include <wx/frame.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include "controls/ColorEdit.h"
#include "controls/ColorLabel.h"
#include "controls/HoverButton.h"
#include "platform/gui/DialogBuilder.h"
#include "platform/gui/SysColors.h"
#include "res/ResourceIds.h"
#include "tests/console/ConsoleWindowSupport.h"
#include "tests/gui/support/GuiTestSupport.h"
#include "tests/support/DbTestSupport.h"

namespace contest {
namespace {

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
    template <class T> T* Item(int id) { return platform::GetDlgItemAs<T>(dlg_, id); }
    void Key(int key, int modifiers = wxMOD_NONE) {
        wxUIActionSimulator sim;
        sim.Char(key, modifiers);
        guitest::PumpEvents(100);
    }

    guitest::ScriptedMessageBoxes boxes_;
    std::unique_ptr<zel::test::TempWorkDir> work_;
    CTELVOAgentEnv env_;
    TestConsoleDlg* dlg_ = nullptr;
};

TEST_F(ConsoleWindowTest, OpensSignedOutWithItsControlsInTheirColours) {
    EXPECT_EQ(dlg_->GetTitle().utf8_string(), "ZELAgent-로그아웃");
    EXPECT_EQ(dlg_->GetBackgroundColour(), wxColour(209, 247, 254));
    EXPECT_TRUE(Item<wxWindow>(IDC_BTN_LOGIN)->IsEnabled());
    for (int id : {IDC_BTN_READY, IDC_BTN_BREAK, IDC_BTN_LOGOUT})
        EXPECT_FALSE(Item<wxWindow>(id)->IsEnabled()) << id;

    const std::pair<int, const char*> tips[] = {{IDC_BTN_LOGIN, "로그인 합니다."},
                                                {IDC_BTN_LOGOUT, "로그아웃 합니다."},
                                                {IDC_BTN_READY, "대기중 상태로 설정합니다."},
                                                {IDC_BTN_BREAK, "휴식중 상태로 설정합니다."}};
    for (const auto& [id, tip] : tips) {
        auto* button = Item<CHoverButton>(id);
        ASSERT_NE(button, nullptr) << id;
        EXPECT_EQ(button->GetTipText(), tip);
        EXPECT_TRUE(button->IsTipActive());
        EXPECT_EQ(button->GetStateColor(CHoverButton::ColorBackHot), wxColour(0, 0, 255));
        EXPECT_EQ(button->GetStateColor(CHoverButton::ColorTextHot), wxColour(255, 255, 255));
        EXPECT_EQ(button->GetStateColor(CHoverButton::ColorBackNormal), wxColour(245, 245, 220));
    }
    const wxColour infoText = platform::GetSysColor(platform::COLOR_INFOTEXT);
    for (int id : {IDC_STATIC_TELNUM, IDC_STATIC_CUSTINFO1, IDC_STATIC_CUSTINFO2,
                   IDC_STATIC_CUSTINFO3, IDC_STATIC_CUSTINFO4}) {
        auto* label = Item<CColorLabel>(id);
        ASSERT_NE(label, nullptr) << id;
        EXPECT_EQ(label->GetTextColor(), infoText);
        EXPECT_EQ(label->GetBackColor(), wxColour(230, 230, 250));
    }
    for (int id : {IDC_EDIT_TELNUM, IDC_EDIT_CUSTINFO1, IDC_EDIT_CUSTINFO2, IDC_EDIT_CUSTINFO3,
                   IDC_EDIT_CUSTINFO4}) {
        auto* field = Item<CColorEdit>(id);
        ASSERT_NE(field, nullptr) << id;
        EXPECT_EQ(field->GetTextColor(), infoText);
        EXPECT_EQ(field->GetBackColor(), wxColour(173, 216, 230));
        EXPECT_FALSE(field->IsEditable());
    }
    for (int id : {IDC_STATIC_CALLTIME, IDC_STATIC_TODAY_COUNT, IDC_STATIC_MEMO, IDC_RADIO_RESULT1})
        EXPECT_EQ(Item<wxWindow>(id)->GetForegroundColour(), *wxBLACK) << id;
    EXPECT_TRUE(Item<wxTextCtrl>(IDC_EDIT_MEMO)->IsEditable());
}

TEST_F(ConsoleWindowTest, TheStartupTickComesOnceAfterHalfASecond) {
    EXPECT_EQ(dlg_->startupTicks, 0);
    guitest::PumpUntil([this] { return dlg_->startupTicks > 0; }, 2000);
    EXPECT_EQ(dlg_->startupTicks, 1);
    guitest::PumpEvents(700);
    EXPECT_EQ(dlg_->startupTicks, 1);
}

TEST_F(ConsoleWindowTest, NoGradeMeansNoRadioButtonOn) {
    std::string memo = "첫 줄\n둘째 줄";
    int grade = 4;
    dlg_->ExchangeCallResult(false, memo, grade);
    EXPECT_TRUE(Item<wxRadioButton>(IDC_RADIO_RESULT5)->GetValue());
    EXPECT_EQ(Item<wxTextCtrl>(IDC_EDIT_MEMO)->GetValue().utf8_string(), memo);

    grade = -1;
    dlg_->ExchangeCallResult(false, memo, grade);
    for (int id = IDC_RADIO_RESULT1; id <= IDC_RADIO_RESULT7; ++id)
        EXPECT_FALSE(Item<wxRadioButton>(id)->GetValue()) << id;
    std::string readMemo;
    int readGrade = 0;
    dlg_->ExchangeCallResult(true, readMemo, readGrade);
    EXPECT_EQ(readGrade, -1);
    EXPECT_EQ(readMemo, memo);

    Item<wxRadioButton>(IDC_RADIO_RESULT7)->SetValue(true);
    dlg_->ExchangeCallResult(true, readMemo, readGrade);
    EXPECT_EQ(readGrade, 6);
}

TEST_F(ConsoleWindowTest, EscapeNeverClosesTheConsole) {
    Item<wxTextCtrl>(IDC_EDIT_MEMO)->SetFocus();
    Key(WXK_ESCAPE);
    Item<wxWindow>(IDC_EDIT_CUSTINFO1)->SetFocus();
    Key(WXK_ESCAPE);
    EXPECT_TRUE(dlg_->IsShown());
}

TEST_F(ConsoleWindowTest, EnterBreaksALineInTheMemo) {
    auto* memo = Item<wxTextCtrl>(IDC_EDIT_MEMO);
    memo->SetFocus();
    guitest::PumpEvents(50);
    Key('a');
    Key(WXK_RETURN);
    Key('b');
    EXPECT_EQ(memo->GetValue().utf8_string(), "a\nb");
    EXPECT_TRUE(dlg_->IsShown());
}

TEST_F(ConsoleWindowTest, EnterInAnInformationFieldRunsTheClosePath) {
    Item<wxWindow>(IDC_EDIT_CUSTINFO2)->SetFocus();
    guitest::PumpEvents(50);
    Key(WXK_RETURN);
    // Signed out: closed without a question.
    EXPECT_FALSE(dlg_->IsShown());
    EXPECT_EQ(boxes_.Count(), 0u);
}

TEST_F(ConsoleWindowTest, AltF4AndACloseRequestRunTheClosePath) {
    Key(WXK_F4, wxMOD_ALT);
    EXPECT_FALSE(dlg_->IsShown());
    ASSERT_TRUE(guitest::ShowAndActivate(dlg_));
    dlg_->Close(); // as the title bar's close button does
    guitest::PumpEvents(50);
    EXPECT_FALSE(dlg_->IsShown());
    EXPECT_EQ(boxes_.Count(), 0u);
}

TEST_F(ConsoleWindowTest, F1OpensTheAboutBox) {
    ModalDialogRecorder dialogs;
    Key(WXK_F1);
    ASSERT_EQ(dialogs.titles.size(), 1u);
    EXPECT_EQ(dialogs.titles[0].rfind("ZELAgent(", 0), 0u);
}

TEST_F(ConsoleWindowTest, TheMemoTakesAtMost250Cp949Bytes) {
    auto* memo = Item<wxTextCtrl>(IDC_EDIT_MEMO);
    GtkTextView* view = GTK_TEXT_VIEW(gtk_bin_get_child(GTK_BIN(memo->GetHandle())));
    GtkTextBuffer* buffer = gtk_text_view_get_buffer(view);
    std::string syllables;
    for (int i = 0; i < 124; ++i)
        syllables += "가";
    // As typing or an input method's commit inserts text.
    gtk_text_buffer_insert_interactive_at_cursor(buffer, syllables.c_str(), -1, TRUE);
    gtk_text_buffer_insert_interactive_at_cursor(buffer, "a", -1, TRUE);
    gtk_text_buffer_insert_interactive_at_cursor(buffer, "나", -1, TRUE); // 2 bytes: no room
    gtk_text_buffer_insert_interactive_at_cursor(buffer, "bc", -1, TRUE); // room for one
    EXPECT_EQ(memo->GetValue().utf8_string(), syllables + "ab");
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

    dlg_->RequestAttention(); // in front already: nothing to ask
    EXPECT_FALSE(gtk_window_get_urgency_hint(GTK_WINDOW(dlg_->m_widget)));
}

} // namespace
} // namespace contest
