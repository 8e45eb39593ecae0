// Hostile texts in the agent's identity and in every column the program reads: each
// statement keeps its shape on the server and touches only its own row; a value holding
// the record separator or a zero byte neither shifts the fields nor blocks the desk.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "db/AgentEnv.h"
#include "db/SqlText.h"
#include "dialogs/SignIn.h"
#include "tests/console/ConsoleTestSupport.h"
#include "tests/security/SecurityDbFixture.h"
#include "util/Cp949.h"

namespace sectest {
namespace {

// What the record text can carry: the separator broken up, a zero byte as a blank.
std::string Delivered(std::string text) {
    for (std::size_t at = text.find(":;"); at != std::string::npos; at = text.find(":;", at))
        text.insert(++at, " ");
    std::replace(text.begin(), text.end(), '\0', ' ');
    return text;
}

class DataSecurityTest : public SecurityDbTest {
  protected:
    void SetUp() override {
        SecurityDbTest::SetUp();
        if (HasFatalFailure())
            return;
        env_ = std::make_unique<CTELVOAgentEnv>();
        env_->serverAddress = "127.0.0.1";
        env_->svcId = "872";
        ASSERT_TRUE(env_->RDBServerOpen());
    }
    void TearDown() override {
        if (env_)
            env_->ServerClose();
        SecurityDbTest::TearDown();
    }
    std::unique_ptr<CTELVOAgentEnv> env_;
};

// Each hostile text is the phone number of a desk of its own and the agent's name: the
// readiness, the poll and the agent's name on the call reach exactly that desk's and that
// call's rows, with the text stored as it was.
TEST_F(DataSecurityTest, IdentityTextsReachOnlyTheirOwnRowsAndAreStoredWhole) {
    // Those that fit the phone-number column.
    const std::vector<std::string> hostile = HostileTexts();
    std::vector<std::string> texts;
    std::copy_if(hostile.begin(), hostile.end(), std::back_inserter(texts),
                 [](const std::string& text) { return cp949::LimitLength(text) <= 20; });
    texts.push_back("8799"); // a plain desk beside them
    long xan = 870000;
    for (const std::string& text : texts) {
        const std::string id = std::to_string(++xan);
        Admin().Execute("insert into TRANSFER_NUM_INFO (SVC_ID, TEL_NUM, USER_ID, XAN_ID) values "
                        "(872, " +
                        Admin().Quote(text) + ", 'sectest', " + id +
                        "); insert into TRANSFER_HIST (XAN_ID, SVC_ID) values (" + id + ", 872)");
    }

    for (const int dbType : {DB_TYPE_MYSQL, 0}) {
        env_->dbType = dbType;
        xan = 870000;
        for (const std::string& text : texts) {
            SCOPED_TRACE(std::to_string(dbType) + ": " + text);
            const std::string key = "SVC_ID = 872 and TEL_NUM = " + Admin().Quote(text);
            const std::string xanText = std::to_string(++xan);
            const std::string call = "XAN_ID = " + xanText;
            const std::string before = Digest({key, "", call});
            env_->telNum = text;
            env_->agentName = text;
            zel::test::GeneralLogReader log;
            // Mode 1 has one form for both dialects; the others use the server's functions.
            const int mode = dbType == DB_TYPE_MYSQL ? 3 : 1;
            EXPECT_EQ(env_->UpdateReadyStatus(mode), 1);
            EXPECT_EQ(Admin().Scalar("select IS_READY from TRANSFER_NUM_INFO where " + key),
                      mode == 3 ? "0" : "1");
            TransferInfo info;
            EXPECT_EQ(env_->GetTransferInfo(info), 1);
            EXPECT_EQ(info.xanId, xanText);
            EXPECT_EQ(env_->UpdateHistAgentName(xanText), 1);
            EXPECT_EQ(Admin().Scalar("select AGENT_NM from TRANSFER_HIST where " + call), text);

            EXPECT_EQ(Digest({key, "", call}), before); // every other row as it was
            int statements = 0;                         // the three above
            for (const auto& entry : log.Entries()) {
                const bool ours = entry.argument.rfind("update TRANSFER_", 0) == 0 ||
                                  entry.argument.rfind("select XAN_ID", 0) == 0;
                if (entry.command != "Query" || !ours)
                    continue;
                ++statements;
                const ParsedSql parsed = ParseSql(entry.argument);
                EXPECT_TRUE(parsed.closed) << entry.argument;
                for (const std::string& literal : parsed.literals)
                    EXPECT_TRUE(literal == text || literal == "00000000000000") << entry.argument;
            }
            EXPECT_EQ(statements, 3);
        }
    }
    EXPECT_TRUE(boxes_.empty());
}

// A memo registered by the console is stored whole in its call's row and nowhere else,
// whatever it holds. The field keeps at most 250 bytes: a longer one (ASCII here) is
// registered as its first 250. Keys of the console's tests: desk 501/5501, XAN_ID 549801 on.
using MemoSecurityTest = contest::ConsoleDbTest;

TEST_F(MemoSecurityTest, RegisteredMemosReachOnlyTheirCallsRowAndAreStoredWhole) {
    SignIn();
    std::vector<std::string> memos = HostileTexts();
    memos.push_back(std::string(251, 'm'));
    memos.push_back(std::string(250, 'm'));
    long long xan = 549800;
    for (const std::string& memo : memos) {
        SCOPED_TRACE(memo.substr(0, 20));
        TransferCall(++xan);
        ASSERT_EQ(console_->PollTransfer(), 1);
        console_->OnCallInfoTimer();
        boxes_.Clear();
        const std::string before =
            TableDigest(Admin(), {"", "", "XAN_ID = " + std::to_string(xan)});
        view_.resultControl = 2;
        view_.memoControl = memo;
        console_->RegistConfResult();
        EXPECT_EQ(Hist(xan, "concat(CONSULT_RESULT, '/', COMMENT)"), "03/" + memo.substr(0, 250));
        EXPECT_EQ(TableDigest(Admin(), {"", "", "XAN_ID = " + std::to_string(xan)}), before);
        ASSERT_EQ(boxes_.Count(), 1u);
        EXPECT_EQ(boxes_[0].text, "등록 되었습니다.");
        SetTransferStatus(0);
        console_->PollTransfer();
        ASSERT_EQ(console_->AgentMode(), AGENT_MODE_READY);
    }
}

// The call centre's side may hold anything in the columns the program reads.
TEST_F(DataSecurityTest, ColumnsWithHostileTextsAreReadWholeAndTheCallGoesThrough) {
    env_->telNum = "8701";
    int n = 0;
    for (const std::string& text : HostileTexts()) {
        SCOPED_TRACE(text);
        const std::string xan = std::to_string(870100 + ++n);
        const std::string cut100 = text.substr(0, 100), cut50 = text.substr(0, 50);
        Admin().Execute("delete from TRANSFER_NUM_INFO where SVC_ID = 872; delete from REQ_XAN "
                        "where XAN_ID = " +
                        xan);
        // RECV_PHONE holds 20 characters; the other columns take the text cut to theirs.
        Admin().Execute(
            "insert into TRANSFER_NUM_INFO (SVC_ID, TEL_NUM, USER_ID, XAN_ID, RECV_PHONE, "
            "CUST_INFO, TRANSFER_STATUS) values (872, '8701', 'sectest', " +
            xan + ", " + Admin().Quote(text.substr(0, 20)) + ", " + Admin().Quote(cut100) +
            ", 1); insert into REQ_XAN (XAN_ID, SVC_ID, CUST_INFO, CUST_INFO2, CUST_INFO3, "
            "CUST_INFO4) values (" +
            xan + ", 872, " + Admin().Quote(cut100) + ", " + Admin().Quote(cut50) + ", " +
            Admin().Quote(cut50) + ", " + Admin().Quote(cut50) + ")");
        traces_.clear();
        TransferInfo info;
        ASSERT_EQ(env_->GetTransferInfo(info), 1);
        EXPECT_EQ(info.transferStatus, 1); // fields never shift: the call is seen
        EXPECT_EQ(info.xanId, xan);
        EXPECT_EQ(info.recvPhone, cp949::TruncateToBytes(Delivered(text.substr(0, 20)), 20));
        EXPECT_EQ(info.custInfo, cp949::TruncateToBytes(Delivered(cut100), 100));
        CustInfo cust;
        ASSERT_EQ(env_->GetCustInfo(cust, xan), 1);
        EXPECT_EQ(cust.custInfo1, cp949::TruncateToBytes(Delivered(cut100), 100));
        EXPECT_EQ(cust.custInfo4, cp949::TruncateToBytes(Delivered(cut50), 50));
        // A changed value leaves a trace line.
        const bool changed = Delivered(text) != text;
        bool traced = false;
        for (const std::string& line : traces_)
            traced = traced || line.find("record changed") != std::string::npos;
        EXPECT_EQ(traced, changed);
    }
    EXPECT_EQ(boxes_.size(), 0u);
}

} // namespace
} // namespace sectest
