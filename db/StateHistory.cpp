// Statement texts of the state history and the meaning of its switch's value.
#include "db/StateHistory.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <iterator>

#include "db/SqlText.h"

namespace agentsql {

namespace {

// Every text column of the table holds at most 20 characters.
constexpr std::size_t kTextColumnChars = 20;

std::size_t Utf8Chars(const std::string& text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

bool IsMode(int state) {
    return state == 1 || state == 2 || state == 3 || state == 4 || state == 5 || state == 7;
}

bool IsValidTime(const SystemTime& t) {
    static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (t.year < 1000 || t.year > 9999 || t.month < 1 || t.month > 12 || t.day < 1)
        return false;
    const bool leap = (t.year % 4 == 0 && t.year % 100 != 0) || t.year % 400 == 0;
    if (t.day > kDays[t.month - 1] || (t.month == 2 && t.day == 29 && !leap))
        return false;
    return t.hour < 24 && t.minute < 60 && t.second < 60 && t.milliseconds < 1000;
}

std::string Quoted(const std::string& text) {
    return "'" + EscapeSqlText(text) + "'";
}

} // namespace

bool StateHistorySwitchOn(const std::string& value) {
    std::string word;
    for (char c : value)
        if (!std::isspace(static_cast<unsigned char>(c)))
            word += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return word == "Y" || word == "YES" || word == "ON" || word == "1";
}

std::string HistoryTimeText(const SystemTime& t) {
    char text[64];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u.%03u", unsigned{t.year},
                  unsigned{t.month}, unsigned{t.day}, unsigned{t.hour}, unsigned{t.minute},
                  unsigned{t.second}, unsigned{t.milliseconds});
    return text;
}

std::optional<std::string> StateHistoryInsertSql(const StateHistoryRow& row) {
    if (!IsPlainDigits(row.svcId) || row.svcId.size() > 9 || !IsMode(row.state) ||
        !IsValidTime(row.start))
        return std::nullopt;
    const auto tooLong = [](const std::string* text) {
        return Utf8Chars(*text) > kTextColumnChars;
    };
    if (const std::string * texts[] = {&row.userId, &row.agentName, &row.telNum, &row.reasonCode};
        std::any_of(std::begin(texts), std::end(texts), tooLong))
        return std::nullopt;
    return "insert ignore into AGENT_STATE_HIST (USER_ID, AGENT_NM, SVC_ID, TEL_NUM, STATE, "
           "REASON_CD, START_TIME) values (" +
           Quoted(row.userId) + ", " + Quoted(row.agentName) + ", " + row.svcId + ", " +
           Quoted(row.telNum) + ", " + std::to_string(row.state) + ", " + Quoted(row.reasonCode) +
           ", '" + HistoryTimeText(row.start) + "')";
}

} // namespace agentsql
