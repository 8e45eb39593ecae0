// The client library's record text for any column values and buffer size: it never
// writes past the buffer, a delivered record parses back into exactly its values, and
// a record that is refused leaves the empty text.
#include <cstring>
#include <memory>
#include <vector>

#include "db/RecordFieldList.h"
#include "fuzz/FuzzSupport.h"
#include "rdbclient/RDBClient.h"
#include "rdbclient/RecordText.h"

namespace {

// What a delivered value may read as: a separator inside it broken up and a zero byte
// replaced, or the value unchanged when it holds neither.
std::string Delivered(std::string_view value) {
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\0')
            out += ' ';
        else if (value[i] == ':' && i + 1 < value.size() && value[i + 1] == ';')
            out += ": ";
        else
            out += value[i];
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    const std::size_t capacity = 1 + in.Number(4200);
    const std::size_t columns = in.Byte() % (RecordFieldList::kMaxFields + 1);

    std::vector<std::string> texts;
    std::vector<bool> isNull;
    for (std::size_t i = 0; i < columns; ++i) {
        isNull.push_back(in.Flag());
        texts.push_back(in.Text());
    }
    std::vector<rdb::ColumnValue> values;
    bool clean = true;
    std::size_t needed = 1;
    for (std::size_t i = 0; i < columns; ++i) {
        const std::string& t = texts[i];
        values.push_back({"c", isNull[i] ? nullptr : t.data(), isNull[i] ? 0 : t.size()});
        if (!isNull[i]) {
            clean = clean && t.find(":;") == std::string::npos && t.find('\0') == std::string::npos;
            needed += Delivered(t).size();
        }
        needed += 2;
    }

    // Exactly capacity bytes, so a write past the end is caught.
    const auto out = std::make_unique<char[]>(capacity);
    std::memset(out.get(), 'x', capacity);
    const rdb::RecordOutcome outcome = rdb::WriteRecordText(values, out.get(), capacity);

    if (outcome.code != 0) {
        FUZZ_CHECK(out[0] == '\0');
        FUZZ_CHECK(!outcome.message.empty());
        FUZZ_CHECK(outcome.code == RDB_ERR_RECORD_TOO_LONG ||
                   outcome.code == RDB_ERR_RECORD_SEPARATOR ||
                   outcome.code == RDB_ERR_RECORD_ZERO_BYTE);
        if (outcome.code == RDB_ERR_RECORD_TOO_LONG)
            FUZZ_CHECK(needed > capacity);
        // A record of plain values that fits is always delivered.
        FUZZ_CHECK(!(clean && needed <= capacity));
        return 0;
    }
    const std::size_t length = ::strnlen(out.get(), capacity);
    FUZZ_CHECK(length < capacity);
    FUZZ_CHECK(length + 1 == needed);

    const RecordFieldList fields(std::string_view(out.get(), length));
    FUZZ_CHECK(fields.Count() == columns);
    for (std::size_t i = 0; i < columns; ++i)
        FUZZ_CHECK(*fields.GetField(i) == (isNull[i] ? std::string() : Delivered(texts[i])));
    return 0;
}
