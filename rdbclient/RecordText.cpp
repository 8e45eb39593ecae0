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

// The value as the record text can carry it: a blank between every ':' and the ';' after
// it, and a blank for every zero byte. Inserting never forms a new pair.
std::string Deliverable(std::string_view value, bool& changed) {
    std::string text;
    text.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '\0') {
            text += ' ';
            changed = true;
            continue;
        }
        text += c;
        if (c == ':' && i + 1 < value.size() && value[i + 1] == ';') {
            text += ' ';
            changed = true;
        }
    }
    return text;
}

} // namespace

RecordOutcome WriteRecordText(const std::vector<ColumnValue>& values, char* out,
                              std::size_t capacity) {
    out[0] = '\0';
    std::string record;
    std::string changedColumns;
    for (std::size_t i = 0; i < values.size(); ++i) {
        const std::string_view value =
            values[i].data ? std::string_view(values[i].data, values[i].size) : std::string_view();
        bool changed = false;
        record += Deliverable(value, changed);
        record += kSeparator;
        if (changed)
            changedColumns += (changedColumns.empty() ? "" : ", ") + ColumnLabel(i, values[i].name);
    }
    if (record.size() + 1 > capacity)
        return {RDB_ERR_RECORD_TOO_LONG,
                "레코드가 " + std::to_string(record.size()) + "바이트로, 레코드 버퍼(" +
                    std::to_string(capacity - 1) + "바이트)에 들어가지 않습니다."};
    record.copy(out, record.size());
    out[record.size()] = '\0';
    RecordOutcome outcome;
    if (!changedColumns.empty())
        outcome.message = changedColumns + ": \":;\" written as \": ;\", a zero byte as a blank";
    return outcome;
}

} // namespace rdb
