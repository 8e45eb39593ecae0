// The settings-file text on any file content: a value written reads back as written,
// writing it again changes nothing, every other key keeps its value, and a cut never
// splits a double-byte character.
#include "fuzz/FuzzSupport.h"
#include "platform/ProfileText.h"

namespace {

using namespace platform::profile;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool HasEdgeBlank(std::string_view s) {
    return !s.empty() && (IsBlank(s.front()) || IsBlank(s.back()));
}

bool HasLineBreak(std::string_view s) {
    return s.find_first_of("\r\n") != std::string_view::npos;
}

// A section or key name as the settings-file writer accepts it, without blanks around
// it (those are not part of the name when the file is read).
bool IsWritableSection(std::string_view s) {
    return !s.empty() && !HasLineBreak(s) && !HasEdgeBlank(s) &&
           s.find(']') == std::string_view::npos;
}
bool IsWritableKey(std::string_view k) {
    return !k.empty() && !HasLineBreak(k) && !HasEdgeBlank(k) &&
           k.find('=') == std::string_view::npos && k.front() != ';' && k.front() != '[';
}

// How a written value reads back: without blanks around it and one pair of matching
// quotes, double or single.
std::string_view AsRead(std::string_view v) {
    while (!v.empty() && IsBlank(v.front()))
        v.remove_prefix(1);
    while (!v.empty() && IsBlank(v.back()))
        v.remove_suffix(1);
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    return v;
}

void CheckCut(std::string_view bytes, std::size_t max) {
    const std::string_view cut = CutAtCharacter(bytes, max);
    FUZZ_CHECK(cut.data() == bytes.data());
    FUZZ_CHECK(cut.size() <= max && cut.size() <= bytes.size());
    if (cut.size() == bytes.size())
        return; // nothing was cut (a dangling lead byte at the end is the file's own)
    // Walking character by character from the start lands exactly on the cut.
    std::size_t end = 0;
    while (end < cut.size())
        end += static_cast<unsigned char>(bytes[end]) >= 0x81 ? 2 : 1;
    FUZZ_CHECK(end == cut.size());
    // Nothing more fits: the next character would pass the limit.
    const std::size_t next = static_cast<unsigned char>(bytes[cut.size()]) >= 0x81 ? 2 : 1;
    FUZZ_CHECK(cut.size() + next > max);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    const std::string section = in.Text();
    const std::string key = in.Text();
    const std::string value = in.Text();
    const std::string otherSection = in.Text();
    const std::string otherKey = in.Text();
    const std::size_t cut = in.Byte();
    const std::string content = in.Rest();

    CheckCut(content, cut);
    CheckCut(value, cut);
    FUZZ_CHECK(NamesEqual(section, section));
    FUZZ_CHECK(NamesEqual(key, otherKey) == NamesEqual(otherKey, key));

    // Reading any content is safe, whatever the names.
    const auto before = FindValue(content, otherSection, otherKey);
    if (before)
        FUZZ_CHECK(content.find(*before) != std::string::npos);

    if (!IsWritableSection(section) || !IsWritableKey(key) || HasLineBreak(value))
        return 0;
    const std::string written = SetValue(content, section, key, value);
    const auto read = FindValue(written, section, key);
    FUZZ_CHECK(read.has_value());
    FUZZ_CHECK(*read == AsRead(value));
    FUZZ_CHECK(SetValue(written, section, key, value) == written);

    if (!(NamesEqual(otherSection, section) && NamesEqual(otherKey, key)))
        FUZZ_CHECK(FindValue(written, otherSection, otherKey) == before);
    return 0;
}
