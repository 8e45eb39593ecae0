// Splitting a record text at every ":;" pair.
#include "db/RecordFieldList.h"

#include "util/Trace.h"

std::size_t RecordFieldList::Parse(std::string_view text) {
    static constexpr std::string_view kEnd = ":;";
    text_.assign(text);
    fields_.clear();

    std::size_t position = 0;
    std::size_t ignored = 0;
    for (;;) {
        const std::size_t end = text_.find(kEnd, position);
        if (end == std::string::npos)
            break;
        // A record holds at most 100 values; any further ones are dropped, not shifted.
        if (fields_.size() < kMaxFields)
            fields_.emplace_back(text_, position, end - position);
        else
            ++ignored;
        position = end + kEnd.size();
    }
    if (ignored > 0)
        DebugTrace("RecordFieldList::Parse %zu fields beyond %zu ignored", ignored, kMaxFields);
    return fields_.size();
}

const std::string* RecordFieldList::GetField(std::size_t i) const {
    return i < fields_.size() ? &fields_[i] : nullptr;
}
