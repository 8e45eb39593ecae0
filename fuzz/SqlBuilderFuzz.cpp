// The statement builder with texts of any bytes escaped as the program escapes them: read
// the way MariaDB reads a statement, every quoted value comes back whole and in its
// place, and nothing outside the quotes comes from a value (no comment, no second
// statement).
#include <vector>

#include "db/SqlBuilder.h"
#include "db/SqlText.h"
#include "fuzz/FuzzSupport.h"
#include "tests/support/SqlLiterals.h"

namespace {

constexpr const char* kColumns[] = {"AGENT_ID", "MEMO", "GRADE", "TEL_NO", "CALL_ID"};
constexpr const char* kTables[] = {"TRANSFER_HIST", "AGENT_INFO", "P_SET_RESULT"};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    SqlBuilder builder(SqlBuilder::Update);
    builder.table = kTables[in.Byte() % 3];
    const bool withWhere = in.Flag();
    const std::string whereText = in.Text();
    const std::size_t count = in.Byte() % 12;

    std::vector<std::string> expected;
    for (std::size_t i = 0; i < count; ++i) {
        const std::string text = in.LongText(); // also longer than any fixed buffer
        builder.AddString(kColumns[in.Byte() % 5], EscapeSqlText(text));
        expected.push_back(text);
    }
    if (withWhere) {
        builder.where = "CALL_ID = '" + EscapeSqlText(whereText) + "'";
        expected.push_back(whereText);
    }

    const std::string sql = builder.BuildSQL();

    const zel::test::ParsedSql parsed = zel::test::ParseSql(sql);
    FUZZ_CHECK(parsed.closed);
    FUZZ_CHECK(parsed.literals == expected);
    // Outside the quotes there is nothing a value could have brought in.
    FUZZ_CHECK(parsed.shape.find_first_of(";#\\\"`") == std::string::npos);
    FUZZ_CHECK(parsed.shape.find("--") == std::string::npos);
    FUZZ_CHECK(parsed.shape.find("/*") == std::string::npos);
    return 0;
}
