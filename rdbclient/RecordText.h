// Writes the first record of a result as the record text: every column value
// followed by ":;", NULL as the empty value.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace rdb {

struct ColumnValue {
    std::string_view name; // column name, for messages
    const char* data;      // nullptr for NULL
    std::size_t size;
};

struct RecordOutcome {
    int code = 0; // 0, or one of the RDB_ERR_RECORD_* codes
    std::string message;
};

// Writes the record into out (capacity bytes, including the terminating zero). On
// an error out holds the empty text: a record is never cut or shifted.
RecordOutcome WriteRecordText(const std::vector<ColumnValue>& values, char* out,
                              std::size_t capacity);

} // namespace rdb
