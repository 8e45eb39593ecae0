#include "rdbclient/RecordText.h"

#include "rdbclient/RDBClient.h"

namespace rdb {

namespace {

constexpr std::string_view kSeparator = ":;";

std::string ColumnLabel(std::size_t index, std::string_view name) {
    std::string label = "column " + std::to_string(index + 1);
    if (!name.empty())
        label.append(" (").append(name).append(")");
    return label;
}

// A ':' directly followed by ';' inside a value: a blank goes between them.
bool SeparatorAt(std::string_view value, std::size_t i) {
    return value[i] == ':' && i + 1 < value.size() && value[i + 1] == ';';
}

// Writes the value as the record text can carry it: a blank between every ':' and the
// ';' after it, and a blank for every zero byte (inserting never forms a new pair).
// Returns the bytes written; with out null, only counts them.
std::size_t WriteDeliverable(std::string_view value, char* out, bool& changed) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const bool zero = value[i] == '\0';
        const bool separator = SeparatorAt(value, i);
        changed = changed || zero || separator;
        if (out != nullptr) {
            out[n] = zero ? ' ' : value[i];
            if (separator)
                out[n + 1] = ' ';
        }
        n += separator ? 2 : 1;
    }
    return n;
}

std::string_view ValueOf(const ColumnValue& v) {
    return v.data ? std::string_view(v.data, v.size) : std::string_view();
}

} // namespace

RecordOutcome WriteRecordText(const std::vector<ColumnValue>& values, char* out,
                              std::size_t capacity) {
    out[0] = '\0';
    // Measured first, so a record that does not fit is refused before anything is written.
    std::size_t total = 0;
    std::string changedColumns;
    for (std::size_t i = 0; i < values.size(); ++i) {
        bool changed = false;
        total += WriteDeliverable(ValueOf(values[i]), nullptr, changed) + kSeparator.size();
        if (changed)
            changedColumns += (changedColumns.empty() ? "" : ", ") + ColumnLabel(i, values[i].name);
    }
    if (total + 1 > capacity)
        return {RDB_ERR_RECORD_TOO_LONG,
                "레코드가 " + std::to_string(total) + "바이트로, 레코드 버퍼(" +
                    std::to_string(capacity - 1) + "바이트)에 들어가지 않습니다."};
    char* p = out;
    for (const ColumnValue& v : values) {
        bool changed = false;
        p += WriteDeliverable(ValueOf(v), p, changed);
        kSeparator.copy(p, kSeparator.size());
        p += kSeparator.size();
    }
    *p = '\0';
    RecordOutcome outcome;
    if (!changedColumns.empty())
        outcome.message = changedColumns + ": \":;\" written as \": ;\", a zero byte as a blank";
    return outcome;
}

} // namespace rdb
