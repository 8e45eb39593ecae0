#include "rdbclient/RecordText.h"

#include <cstring>

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

} // namespace

RecordOutcome WriteRecordText(const std::vector<ColumnValue>& values, char* out,
                              std::size_t capacity) {
    out[0] = '\0';
    std::size_t total = 0;
    for (std::size_t i = 0; i < values.size(); ++i) {
        const std::string_view value =
            values[i].data ? std::string_view(values[i].data, values[i].size) : std::string_view();
        // Inside a value the separator would split it in two and shift every later one.
        if (value.find(kSeparator) != std::string_view::npos)
            return {RDB_ERR_RECORD_SEPARATOR,
                    "The value of " + ColumnLabel(i, values[i].name) +
                        " contains the separator \":;\"; the record cannot be delivered."};
        // A zero byte would end the record text early.
        if (value.find('\0') != std::string_view::npos)
            return {RDB_ERR_RECORD_ZERO_BYTE,
                    "The value of " + ColumnLabel(i, values[i].name) +
                        " contains a zero byte; the record cannot be delivered."};
        total += value.size() + kSeparator.size();
    }
    if (total + 1 > capacity)
        return {RDB_ERR_RECORD_TOO_LONG, "The record text needs " + std::to_string(total) +
                                             " bytes; at most " + std::to_string(capacity - 1) +
                                             " fit the record buffer."};
    char* p = out;
    for (const ColumnValue& v : values) {
        if (v.data) {
            std::memcpy(p, v.data, v.size);
            p += v.size;
        }
        std::memcpy(p, kSeparator.data(), kSeparator.size());
        p += kSeparator.size();
    }
    *p = '\0';
    return {};
}

} // namespace rdb
