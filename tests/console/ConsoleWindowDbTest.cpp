// The console window against the private database with its worker running: a call
// taken and registered through the window, and closing or shutting down while the
// worker is busy or waits on a box (no path may hang).
#include <gtest/gtest.h>

#include <chrono>

#include <wx/radiobut.h>
#include <wx/textctrl.h>

#include "config/IniFile.h"
#include "db/SqlText.h"
#include "dialogs/ProcessExit.h"
#include "platform/gui/DialogBuilder.h"
#include "res/ResourceIds.h"
#include "tests/console/ConsoleWindowSupport.h"
#include "tests/gui/support/GuiTestSupport.h"
#include "tests/support/DbTestSupport.h"

namespace contest {
namespace {

using Clock = std::chrono::steady_clock;
constexpr const char* kSvc = "530";
constexpr const char* kTel = "5530";

class ConsoleWindowDbTest : public zel::test::DbFixture {
  protected:
    void SetUp() override {
        DbFixture::SetUp();
        if (HasFatalFailure())
            return;
        ready_ = true;
        previousExit_ = SetExitProcessHandler([this](int status) { exitStatus_ = status; });
        work_ = std::make_unique<zel::test::TempWorkDir>();
        CIniFile("Env\\ZELAgent.INI", "GENERAL").WriteString("127.0.0.1", "ZEL_CTI_SERVER_IP_ADDR");
        DeleteRows();
        Admin().Execute(
            std::string("insert into TRANSFER_NUM_INFO (SVC_ID, TEL_NUM, USER_ID) values (") +
            kSvc + ", '" + kTel + "', 'contest3')");
        env_.dbType = DB_TYPE_MYSQL;
        env_.userId = "contest3";
        env_.svcId = kSvc;
        env_.telNum = kTel;
        env_.agentName = "박창구";
        dlg_ = new TestConsoleDlg(env_);
        dlg_->runStartup = true;
        ASSERT_TRUE(guitest::ShowAndActivate(dlg_));
        ASSERT_TRUE(guitest::PumpUntil([this] { return Title() == "ZELAgent-5530-대기중"; }, 5000))
            << Title();
    }
    void TearDown() override {
        if (ready_) {
            if (dlg_)
                dlg_->Destroy();
            guitest::PumpEvents(50);
            if (env_.connection != 0)
                env_.ServerClose();
            DeleteRows();
            work_.reset();
            SetExitProcessHandler(previousExit_);
        }
        DbFixture::TearDown();
    }
    void DeleteRows() {
        Admin().Execute("delete from TRANSFER_NUM_INFO where SVC_ID = 530; "
                        "delete from REQ_XAN where XAN_ID between 530000 and 539999; "
                        "delete from TRANSFER_HIST where XAN_ID between 530000 and 539999");
    }
    void TransferCall(long long xanId) {
        const std::string id = std::to_string(xanId);
        Admin().Execute(
            "insert into REQ_XAN (XAN_ID, SVC_ID, RECV_PHONE, CUST_INFO, CUST_INFO2) values (" +
            id +
            ", 530, '0212345678', '이영희 고객님', '가입일 2020-01-01'); "
            "insert into TRANSFER_HIST (XAN_ID, SVC_ID, CONF_DT, CONF_TIME, AGENT_NM) values (" +
            id +
            ", 530, date_format(now(), '%Y%m%d'), 42, ''); "
            "update TRANSFER_NUM_INFO set TRANSFER_STATUS = 1, XAN_ID = " +
            id + ", RECV_PHONE = '0212345678' where SVC_ID = 530");
    }
    zel::test::DbValue Desk(const std::string& column) {
        return Admin().Scalar("select " + column + " from TRANSFER_NUM_INFO where SVC_ID = 530");
    }
    std::string Title() { return dlg_->GetTitle().utf8_string(); }
    std::string Text(int id) {
        wxWindow* window = platform::GetDlgItem(dlg_, id);
        if (auto* edit = dynamic_cast<wxTextCtrl*>(window))
            return edit->GetValue().utf8_string();
        return window ? window->GetLabel().utf8_string() : std::string();
    }

    guitest::ScriptedMessageBoxes boxes_;
    std::unique_ptr<zel::test::TempWorkDir> work_;
    CTELVOAgentEnv env_;
    TestConsoleDlg* dlg_ = nullptr;
    int exitStatus_ = -1;

  private:
    bool ready_ = false;
    ExitProcessHandler previousExit_;
};

TEST_F(ConsoleWindowDbTest, ACallIsShownAndRegisteredThroughTheWindow) {
    EXPECT_EQ(dlg_->loginDialogs, 1);
    EXPECT_EQ(Desk("IS_READY"), "0");
    EXPECT_EQ(Text(IDC_STATIC_TODAY_COUNT), "0");

    TransferCall(530001);
    ASSERT_TRUE(
        guitest::PumpUntil([this] { return Text(IDC_EDIT_CUSTINFO1) == "이영희 고객님"; }, 3000));
    EXPECT_EQ(Title(), "ZELAgent-5530-통화중");
    EXPECT_EQ(Text(IDC_EDIT_TELNUM), "02-1234-5678");
    EXPECT_EQ(Text(IDC_EDIT_CUSTINFO2), "가입일 2020-01-01");
    EXPECT_EQ(Admin().Scalar("select AGENT_NM from TRANSFER_HIST where XAN_ID = 530001"), "박창구");
    for (int id : {IDC_BTN_LOGIN, IDC_BTN_READY, IDC_BTN_BREAK, IDC_BTN_LOGOUT})
        EXPECT_FALSE(platform::GetDlgItem(dlg_, id)->IsEnabled());
    // The call clock runs.
    ASSERT_TRUE(
        guitest::PumpUntil([this] { return Text(IDC_STATIC_CALLTIME) == "00:00:01"; }, 3000));

    platform::GetDlgItemAs<wxRadioButton>(dlg_, IDC_RADIO_RESULT2)->SetValue(true);
    platform::GetDlgItemAs<wxTextCtrl>(dlg_, IDC_EDIT_MEMO)
        ->ChangeValue(wxString::FromUTF8("요금 문의 안내"));
    wxCommandEvent click(wxEVT_BUTTON, IDC_BTN_REGIST);
    click.SetEventObject(platform::GetDlgItem(dlg_, IDC_BTN_REGIST));
    platform::GetDlgItem(dlg_, IDC_BTN_REGIST)->GetEventHandler()->ProcessEvent(click);
    EXPECT_EQ(boxes_.Last().text, "등록 되었습니다.");
    EXPECT_EQ(boxes_.Last().owner, dlg_);
    EXPECT_EQ(Admin().Scalar("select CONSULT_RESULT from TRANSFER_HIST where XAN_ID = 530001"),
              "02");
    EXPECT_EQ(Admin().Scalar("select COMMENT from TRANSFER_HIST where XAN_ID = 530001"),
              "요금 문의 안내");
    EXPECT_EQ(Text(IDC_EDIT_MEMO), "");

    Admin().Execute("update TRANSFER_NUM_INFO set TRANSFER_STATUS = 0 where SVC_ID = 530");
    ASSERT_TRUE(guitest::PumpUntil([this] { return Title() == "ZELAgent-5530-대기중"; }, 3000));
    ASSERT_TRUE(guitest::PumpUntil([this] { return Text(IDC_STATIC_TODAY_COUNT) == "1"; }, 2000));
    EXPECT_EQ(Text(IDC_STATIC_TODAY_TIME), "00:00:42");
    ASSERT_TRUE(
        guitest::PumpUntil([this] { return Text(IDC_STATIC_CALLTIME) == "00:00:00"; }, 2000));
}

TEST_F(ConsoleWindowDbTest, ClosingWhileTheWorkerPollsSignsOutAndEndsQuickly) {
    TransferCall(530002);
    // Close right as the worker takes the call.
    guitest::PumpUntil([this] { return Desk("XAN_ID") == "530002"; }, 1000);
    const auto start = Clock::now();
    dlg_->OnOK(); // Yes to the question (the scripted default)
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
    EXPECT_FALSE(dlg_->IsShown());
    EXPECT_FALSE(dlg_->Console().WorkerRunning());
    EXPECT_EQ(Desk("IS_READY"), "1");
    EXPECT_EQ(Desk("STATUS_START_TIME"), "00000000000000");
    guitest::PumpEvents(100); // what the worker left queued must not touch anything
}

TEST_F(ConsoleWindowDbTest, AShutdownWhileTheWorkersBoxIsOnScreenEndsWithoutHanging) {
    const int good = env_.connection;
    bool boxShown = false;
    // The worker's database error box, shown on the UI thread; while it is up (the
    // worker waiting for it) a shutdown signal arrives, as the app's signal watch
    // delivers it from inside the box's event loop.
    platform::MessageBoxHandler previous =
        platform::SetMessageBoxHandler([&](const platform::MessageBoxRequest&) {
            if (boxShown)
                return platform::IDOK;
            boxShown = true;
            env_.connection = good;
            dlg_->OnShutdownRequest(143);
            return platform::IDOK;
        });
    env_.connection = 987654;
    const bool shown = guitest::PumpUntil([&] { return exitStatus_ != -1; }, 5000);
    platform::SetMessageBoxHandler(previous);
    ASSERT_TRUE(shown);
    EXPECT_TRUE(boxShown);
    EXPECT_EQ(exitStatus_, 143);
    EXPECT_FALSE(dlg_->Console().WorkerRunning());
    EXPECT_EQ(Desk("IS_READY"), "1");
    EXPECT_EQ(Desk("STATUS_START_TIME"), "00000000000000");
}

} // namespace
} // namespace contest
