// The console with call-centre data that once blocked a desk: a separator or a zero byte
// in the desk's row or in the call's customer information. The call is picked up, its
// history row stamped, and the customer shown with nothing shifted and no box.
#include <string>

#include "res/ResourceIds.h"
#include "tests/console/ConsoleTestSupport.h"

namespace contest {
namespace {

using ConsoleSecurityTest = ConsoleDbTest;

TEST_F(ConsoleSecurityTest, ACallWithSeparatorsOrZeroBytesInItsDataIsPickedUpAndShown) {
    SignIn();
    TransferCall(549901);
    Admin().Execute(
        "update TRANSFER_NUM_INFO set CUST_INFO = 'desk:;line', RECV_PHONE = "
        "concat('02', char(0), '1234:;5678') where SVC_ID = 501 and TEL_NUM = '5501'; "
        "update REQ_XAN set CUST_INFO = 'VIP:;홍길동', CUST_INFO2 = concat('a', "
        "char(0), 'b'), CUST_INFO3 = ':;:;', CUST_INFO4 = 'last:' where XAN_ID = 549901");
    EXPECT_EQ(console_->PollTransfer(), 1);
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_INCALL);
    EXPECT_EQ(Hist(549901, "AGENT_NM"), kAgentName);
    console_->OnCallInfoTimer();
    EXPECT_EQ(console_->XanId(), "549901");
    EXPECT_EQ(view_.Text(IDC_EDIT_CUSTINFO1), "VIP: ;홍길동");
    EXPECT_EQ(view_.Text(IDC_EDIT_CUSTINFO2), "a b");
    EXPECT_EQ(view_.Text(IDC_EDIT_CUSTINFO3), ": ;: ;");
    EXPECT_EQ(view_.Text(IDC_EDIT_CUSTINFO4), "last:");
    EXPECT_EQ(view_.Text(IDC_EDIT_TELNUM), "02-1234-5678"); // the digits, grouped
    EXPECT_EQ(boxes_.Count(), 0u);
    // The next poll still reads the row: the desk stays in its call, not in an error.
    EXPECT_EQ(console_->PollTransfer(), 0);
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_INCALL);
    EXPECT_EQ(boxes_.Count(), 0u);
}

} // namespace
} // namespace contest
