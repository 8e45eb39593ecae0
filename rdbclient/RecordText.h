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
    int code = 0;        // 0, or RDB_ERR_RECORD_TOO_LONG
    std::string message; // the error; with code 0, a note naming the values changed
};

// Writes the record into out (capacity bytes, including the terminating zero). A value
// holding the separator ":;" has it broken up as ": ;", and a zero byte becomes a blank,
// so the fields never shift; the note then says which columns were changed. A record
// that does not fit is an error and out holds the empty text: never cut.
RecordOutcome WriteRecordText(const std::vector<ColumnValue>& values, char* out,
                              std::size_t capacity);

} // namespace rdb
