// Splitting the client library's record text into values.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "db/RecordFieldList.h"
#include "platform/TraceChannel.h"

namespace {

std::vector<std::string> Fields(const RecordFieldList& list) {
    std::vector<std::string> fields;
    for (std::size_t i = 0; i < list.Count(); ++i)
        fields.push_back(*list.GetField(i));
    return fields;
}

using Strings = std::vector<std::string>;

TEST(RecordFieldList, EveryValueEndsAtTheAdjacentPairOnly) {
    EXPECT_EQ(Fields(RecordFieldList("12:;:;")), (Strings{"12", ""}));
    EXPECT_EQ(Fields(RecordFieldList(":;")), (Strings{""}));
    EXPECT_EQ(Fields(RecordFieldList("1:;a:b:;c;d:;")), (Strings{"1", "a:b", "c;d"}));
    EXPECT_EQ(Fields(RecordFieldList("김민준:;010-1234:;")), (Strings{"김민준", "010-1234"}));
}

TEST(RecordFieldList, TextWithoutAClosingPairIsNoValue) {
    EXPECT_EQ(RecordFieldList("abc").Count(), 0u);
    EXPECT_EQ(RecordFieldList("").Count(), 0u);
    EXPECT_EQ(Fields(RecordFieldList("a:;tail")), (Strings{"a"}));
    EXPECT_EQ(Fields(RecordFieldList("a::;;")), (Strings{"a:"}));
}

TEST(RecordFieldList, GetFieldPastTheCountIsNothing) {
    const RecordFieldList list("x:;");
    ASSERT_NE(list.GetField(0), nullptr);
    EXPECT_EQ(list.GetField(1), nullptr);
    EXPECT_EQ(RecordFieldList().GetField(0), nullptr);
}

TEST(RecordFieldList, ParseReplacesTheEarlierContents) {
    RecordFieldList list("a:;b:;c:;");
    EXPECT_EQ(list.Parse("z:;"), 1u);
    EXPECT_EQ(Fields(list), (Strings{"z"}));
    EXPECT_EQ(list.Parse("abc"), 0u);
    EXPECT_EQ(list.GetField(0), nullptr);
}

TEST(RecordFieldList, KeepsTheFirstHundredValuesAndTracesTheRest) {
    std::vector<std::string> traces;
    const auto previous = platform::SetTraceSink(
        [&traces](std::string_view message) { traces.emplace_back(message); });
    std::string text;
    for (int i = 0; i < 103; ++i)
        text += std::to_string(i) + ":;";
    const RecordFieldList list(text);
    const RecordFieldList exact(text.substr(0, text.find("100:;")));
    platform::SetTraceSink(previous);

    ASSERT_EQ(list.Count(), RecordFieldList::kMaxFields);
    EXPECT_EQ(*list.GetField(0), "0");
    EXPECT_EQ(*list.GetField(99), "99");
    EXPECT_EQ(exact.Count(), 100u);
    EXPECT_EQ(traces, (Strings{"[ZELAgent]RecordFieldList::Parse 3 fields beyond 100 ignored"}));
}

} // namespace
