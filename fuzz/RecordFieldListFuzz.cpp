// The record parser on any text: it reads only the bytes it is given, every field is
// the text between two separators, and the fields put back together give the input.
#include <cstring>
#include <memory>

#include "db/RecordFieldList.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // An exact-size copy with no terminating zero: a read past the end is caught.
    const auto bytes = std::make_unique<char[]>(size);
    if (size > 0)
        std::memcpy(bytes.get(), data, size);
    const std::string_view text(bytes.get(), size);

    RecordFieldList list;
    const std::size_t count = list.Parse(text);
    FUZZ_CHECK(count == list.Count());
    FUZZ_CHECK(count <= RecordFieldList::kMaxFields);
    FUZZ_CHECK(list.GetField(count) == nullptr);

    // Field by field the input reads back: value, separator, value, separator...
    std::size_t position = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::string* field = list.GetField(i);
        FUZZ_CHECK(field != nullptr);
        FUZZ_CHECK(field->find(":;") == std::string::npos);
        FUZZ_CHECK(text.substr(position, field->size()) == *field);
        position += field->size();
        FUZZ_CHECK(text.substr(position, 2) == ":;");
        position += 2;
    }
    // Below the field limit nothing after the last separator is another field.
    if (count < RecordFieldList::kMaxFields)
        FUZZ_CHECK(text.find(":;", position) == std::string_view::npos);

    // Parsing again replaces the fields instead of adding to them.
    FUZZ_CHECK(list.Parse(text) == count);
    return 0;
}
