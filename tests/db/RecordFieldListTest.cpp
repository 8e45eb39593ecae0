// Splitting the client library's record text into values.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "db/RecordFieldList.h"
#include "platform/TraceChannel.h"

namespace {

using Strings = std::vector<std::string>;

Strings Fields(const RecordFieldList& list) {
    Strings fields;
    for (std::size_t i = 0; i < list.Count(); ++i)
        fields.push_back(*list.GetField(i));
    return fields;
}

TEST(RecordFieldList, EveryValueEndsAtTheAdjacentPairAndAHundredAreKept) {
    const std::pair<const char*, Strings> cases[] = {
        {"12:;:;", {"12", ""}},
        {":;", {""}},
        {"1:;a:b:;c;d:;", {"1", "a:b", "c;d"}},
        {"김민준:;010-1234:;", {"김민준", "010-1234"}},
        {"abc", {}},
        {"", {}},
        {"a:;tail", {"a"}},
        {"a::;;", {"a:"}},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(Fields(RecordFieldList(text)), expected) << text;

    RecordFieldList list("a:;b:;c:;");
    EXPECT_EQ(list.Parse("z:;"), 1u); // replaces the earlier contents
    EXPECT_EQ(Fields(list), Strings{"z"});
    EXPECT_EQ(list.GetField(1), nullptr);

    // The first hundred values are kept and the rest traced.
    Strings traces;
    const auto previous = platform::SetTraceSink(
        [&traces](std::string_view message) { traces.emplace_back(message); });
    std::string text;
    for (int i = 0; i < 103; ++i)
        text += std::to_string(i) + ":;";
    const RecordFieldList many(text);
    const RecordFieldList exact(text.substr(0, text.find("100:;")));
    platform::SetTraceSink(previous);

    ASSERT_EQ(many.Count(), RecordFieldList::kMaxFields);
    EXPECT_EQ(*many.GetField(99), "99");
    EXPECT_EQ(exact.Count(), 100u);
    EXPECT_EQ(traces, (Strings{"[ZELAgent]RecordFieldList::Parse 3 fields beyond 100 ignored"}));
}

} // namespace
