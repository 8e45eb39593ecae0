// Without a server: records read from the client library's text, and the database error
// box (the statements' texts are checked as the server receives them, in AgentEnvDbTest).
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "db/AgentEnv.h"
#include "db/AgentStatements.h"
#include "db/RecordFieldList.h"
#include "db/SqlText.h"
#include "platform/MessageBox.h"
#include "platform/TraceChannel.h"
#include "rdbclient/RDBClient.h"

namespace {

using namespace agentsql;
using Strings = std::vector<std::string>;

TEST(AgentRecords, ValuesAreReadInOrderAndCutToTheirFieldsAtACharacterBoundary) {
    std::string korean; // 60 syllables: 120 CP949 bytes
    for (int i = 0; i < 60; ++i)
        korean += "가";
    const TransferInfo info =
        MakeTransferInfo({std::string(25, '1'), "0" + korean, "x" + korean, "1"});
    EXPECT_EQ(info.xanId, std::string(20, '1'));
    EXPECT_EQ(info.recvPhone, "0" + korean.substr(0, 9 * 3)); // 1 + 9 x 2 bytes = 19
    EXPECT_EQ(info.custInfo, "x" + korean.substr(0, 49 * 3)); // 1 + 49 x 2 = 99
    EXPECT_EQ(info.transferStatus, 1);
    const CustInfo cust = MakeCustInfo({korean, korean, std::string(51, 'c'), "d", "extra"});
    EXPECT_EQ(cust.custInfo1, korean.substr(0, 50 * 3));
    EXPECT_EQ(cust.custInfo2, korean.substr(0, 25 * 3));
    EXPECT_EQ(cust.custInfo3, std::string(50, 'c'));
    EXPECT_EQ(cust.custInfo4, "d");
}

Strings Fields(const RecordFieldList& list) {
    Strings fields;
    for (std::size_t i = 0; i < list.Count(); ++i)
        fields.push_back(*list.GetField(i));
    return fields;
}

TEST(RecordFieldList, EveryValueEndsAtTheAdjacentPairAndAHundredAreKept) {
    const std::pair<const char*, Strings> cases[] = {{"12:;:;", {"12", ""}},
                                                     {"1:;a:b:;c;d:;", {"1", "a:b", "c;d"}},
                                                     {"김민준:;", {"김민준"}},
                                                     {"abc", {}},
                                                     {"", {}},
                                                     {"a:;tail", {"a"}},
                                                     {"a::;;", {"a:"}}};
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(Fields(RecordFieldList(text)), expected) << text;

    Strings traces;
    const auto previous = platform::SetTraceSink(
        [&traces](std::string_view message) { traces.emplace_back(message); });
    std::string text;
    for (int i = 0; i < 103; ++i)
        text += std::to_string(i) + ":;";
    const RecordFieldList many(text);
    platform::SetTraceSink(previous);
    ASSERT_EQ(many.Count(), RecordFieldList::kMaxFields);
    EXPECT_EQ(*many.GetField(99), "99");
    EXPECT_EQ(traces, (Strings{"[ZELAgent]RecordFieldList::Parse 3 fields beyond 100 ignored"}));
}

TEST(AgentEnv, DatabaseErrorBoxShowsCodeAndMessageEvenWithoutATerminatingZero) {
    Strings texts;
    const auto previous = platform::SetMessageBoxHandler([&texts](const auto& request) {
        texts.push_back(request.text);
        return platform::IDOK;
    });
    CTELVOAgentEnv env;
    RDBStatus status{};
    env.ShowDBError(status); // code 0 and no message still make a box
    status.code = 2006;
    std::memset(status.message, 'm', sizeof status.message);
    env.ShowDBError(status);
    platform::SetMessageBoxHandler(previous);
    const std::string head = "데이터베이스 오류입니다.\r\n오류코드:";
    EXPECT_EQ(texts,
              (Strings{head + "0\r\n오류메세지:",
                       head + "2006\r\n오류메세지:" + std::string(sizeof status.message, 'm')}));
}

} // namespace
