// The statement builder with texts of any bytes escaped as the program escapes them: read
// the way MariaDB reads a statement, every quoted value comes back whole and in its
// place, and nothing outside the quotes comes from a value (no comment, no second
// statement).
#include <optional>
#include <vector>

#include "db/SqlBuilder.h"
#include "db/SqlText.h"
#include "fuzz/FuzzSupport.h"

namespace {

struct Scanned {
    std::vector<std::string> literals; // the quoted texts, decoded
    std::string outside;               // everything else, each literal as '?'
};

// Splits a statement into quoted texts and the rest by MariaDB's rules for a
// single-quoted string (doubled quotes, backslash escapes); nullopt when a quote is
// left open.
std::optional<Scanned> Scan(std::string_view sql) {
    Scanned s;
    for (std::size_t i = 0; i < sql.size(); ++i) {
        if (sql[i] != '\'') {
            s.outside += sql[i];
            continue;
        }
        std::string text;
        bool closed = false;
        for (++i; i < sql.size(); ++i) {
            const char c = sql[i];
            if (c == '\\') {
                if (++i == sql.size())
                    return std::nullopt;
                switch (sql[i]) {
                case '0':
                    text += '\0';
                    break;
                case 'n':
                    text += '\n';
                    break;
                case 'r':
                    text += '\r';
                    break;
                case 't':
                    text += '\t';
                    break;
                case 'b':
                    text += '\b';
                    break;
                case 'Z':
                    text += '\x1A';
                    break;
                case '%':
                    text += "\\%";
                    break;
                case '_':
                    text += "\\_";
                    break;
                default:
                    text += sql[i];
                    break;
                }
            } else if (c == '\'') {
                if (i + 1 < sql.size() && sql[i + 1] == '\'') {
                    text += '\'';
                    ++i;
                } else {
                    closed = true;
                    break;
                }
            } else {
                text += c;
            }
        }
        if (!closed)
            return std::nullopt;
        s.literals.push_back(std::move(text));
        s.outside += '?';
    }
    return s;
}

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

    const auto scanned = Scan(sql);
    FUZZ_CHECK(scanned.has_value());
    FUZZ_CHECK(scanned->literals == expected);
    // Outside the quotes there is nothing a value could have brought in.
    FUZZ_CHECK(scanned->outside.find_first_of(";#\\\"`") == std::string::npos);
    FUZZ_CHECK(scanned->outside.find("--") == std::string::npos);
    FUZZ_CHECK(scanned->outside.find("/*") == std::string::npos);
    return 0;
}
