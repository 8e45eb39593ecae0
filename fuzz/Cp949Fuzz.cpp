// The CP949 module on any bytes: a cut never passes its limit, never splits a
// character and leaves out nothing that would still fit; conversion round-trips; a
// fitted insertion respects the room left.
#include "fuzz/FuzzSupport.h"
#include "util/Cp949.h"

namespace {

bool IsContinuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Bytes of the character starting at text[i] in a valid UTF-8 text.
std::size_t CharLength(std::string_view text, std::size_t i) {
    std::size_t n = 1;
    while (i + n < text.size() && IsContinuation(text[i + n]))
        ++n;
    return n;
}

void CheckCut(std::string_view text, std::size_t max) {
    const std::string cut = cp949::TruncateToBytes(text, max);
    FUZZ_CHECK(text.substr(0, cut.size()) == cut);
    FUZZ_CHECK(cp949::LimitLength(cut) <= max);
    if (!fuzz::IsValidUtf8(text))
        return;
    FUZZ_CHECK(fuzz::IsValidUtf8(cut));
    if (cut.size() < text.size()) {
        FUZZ_CHECK(!IsContinuation(text[cut.size()]));
        const std::string_view next = text.substr(cut.size(), CharLength(text, cut.size()));
        FUZZ_CHECK(cp949::LimitLength(cut) + cp949::LimitLength(next) > max);
    }
    if (const auto bytes = cp949::FromUtf8(cut))
        FUZZ_CHECK(bytes->size() <= max);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    const std::size_t limit = in.Number(300);
    const std::size_t used = in.Number(300);
    const std::string inserted = in.Text();
    const std::string text = in.Rest();

    CheckCut(text, limit);
    CheckCut(inserted, limit);

    // Text with a CP949 form counts as many bytes as its CP949 form has, and comes back.
    if (fuzz::IsValidUtf8(text)) {
        if (const auto bytes = cp949::FromUtf8(text)) {
            FUZZ_CHECK(cp949::ByteLength(text) == bytes->size());
            FUZZ_CHECK(cp949::LimitLength(text) == bytes->size());
            FUZZ_CHECK(cp949::ToUtf8(*bytes) == text);
        } else {
            FUZZ_CHECK(!cp949::ByteLength(text).has_value());
        }
    } else {
        FUZZ_CHECK(!cp949::FromUtf8(text).has_value());
    }

    // Bytes read from a file always become valid UTF-8; valid CP949 loses nothing.
    const std::string lossy = cp949::ToUtf8Lossy(text);
    FUZZ_CHECK(fuzz::IsValidUtf8(lossy));
    if (const auto exact = cp949::ToUtf8(text)) {
        FUZZ_CHECK(*exact == lossy);
        FUZZ_CHECK(cp949::FromUtf8(*exact) == text);
    }

    const auto fitted = cp949::FitInsertion(used, inserted, limit);
    const std::size_t room = used >= limit ? 0 : limit - used;
    if (!fitted) {
        FUZZ_CHECK(cp949::LimitLength(inserted) <= room);
    } else {
        FUZZ_CHECK(cp949::LimitLength(*fitted) <= room);
        FUZZ_CHECK(fitted->size() < inserted.size() || cp949::LimitLength(inserted) > room);
        FUZZ_CHECK(inserted.substr(0, fitted->size()) == *fitted);
    }
    return 0;
}
