// CP949 <-> UTF-8 over glibc iconv. Each thread keeps its own descriptors: an iconv_t
// carries conversion state and must not be shared between threads.
#include "util/Cp949.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>
#include <utility>

namespace cp949 {
namespace {

class Converter {
  public:
    Converter(const char* to, const char* from) : cd_(::iconv_open(to, from)) {}
    ~Converter() {
        if (Valid())
            ::iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // The whole input converted, or nullopt at the first byte sequence that the
    // target has no form for (or that is not valid in the source).
    std::optional<std::string> Convert(std::string_view input) {
        if (!Valid())
            return std::nullopt;
        ::iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        std::string out(input.size() * 2 + 4, '\0');
        char* in = const_cast<char*>(input.data()); // iconv's signature; it does not write
        std::size_t inLeft = input.size();
        std::size_t used = 0;
        while (true) {
            char* dst = out.data() + used;
            std::size_t outLeft = out.size() - used;
            const std::size_t rc =
                ::iconv(cd_, inLeft > 0 ? &in : nullptr, &inLeft, &dst, &outLeft);
            used = out.size() - outLeft;
            if (rc != static_cast<std::size_t>(-1) && inLeft == 0)
                break;
            if (rc == static_cast<std::size_t>(-1) && errno == E2BIG) {
                out.resize(out.size() * 2);
                continue;
            }
            if (rc == static_cast<std::size_t>(-1))
                return std::nullopt; // EILSEQ, or EINVAL for a cut sequence at the end
        }
        out.resize(used);
        return out;
    }

  private:
    bool Valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t cd_;
};

Converter& Utf8ToCp949() {
    thread_local Converter converter("CP949", "UTF-8");
    return converter;
}

Converter& Cp949ToUtf8() {
    thread_local Converter converter("UTF-8", "CP949");
    return converter;
}

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Bytes of the UTF-8 sequence that starts with lead; 1 for a stray byte.
std::size_t Utf8SequenceLength(unsigned char lead) {
    if (lead >= 0xF0 && lead <= 0xF7)
        return 4;
    if (lead >= 0xE0)
        return lead <= 0xEF ? 3 : 1;
    if (lead >= 0xC0)
        return 2;
    return 1;
}

} // namespace

std::optional<std::string> FromUtf8(std::string_view utf8) {
    if (IsAscii(utf8))
        return std::string(utf8);
    return Utf8ToCp949().Convert(utf8);
}

std::optional<std::string> ToUtf8(std::string_view cp949) {
    if (IsAscii(cp949))
        return std::string(cp949);
    return Cp949ToUtf8().Convert(cp949);
}

std::string ToUtf8Lossy(std::string_view cp949) {
    if (auto whole = ToUtf8(cp949))
        return std::move(*whole);
    std::string out;
    out.reserve(cp949.size() * 2);
    while (!cp949.empty()) {
        const auto lead = static_cast<unsigned char>(cp949.front());
        const std::size_t width = (lead >= 0x81 && lead <= 0xFE && cp949.size() >= 2) ? 2 : 1;
        if (auto piece = ToUtf8(cp949.substr(0, width)))
            out += *piece;
        else
            out += "\xEF\xBF\xBD";
        cp949.remove_prefix(width);
    }
    return out;
}

std::optional<std::size_t> ByteLength(std::string_view utf8) {
    if (IsAscii(utf8))
        return utf8.size();
    if (auto converted = Utf8ToCp949().Convert(utf8))
        return converted->size();
    return std::nullopt;
}

std::string TruncateToBytes(std::string_view utf8, std::size_t maxBytes) {
    // Every non-ASCII character of CP949 takes two bytes, so no conversion is needed.
    std::size_t end = 0;
    std::size_t bytes = 0;
    while (end < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[end]);
        const std::size_t width = lead < 0x80 ? 1 : 2;
        if (bytes + width > maxBytes)
            break;
        bytes += width;
        end = std::min(utf8.size(), end + Utf8SequenceLength(lead));
    }
    return std::string(utf8.substr(0, end));
}

std::size_t LimitLength(std::string_view utf8) {
    std::size_t bytes = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        bytes += lead < 0x80 ? 1 : 2;
        i += Utf8SequenceLength(lead);
    }
    return bytes;
}

std::optional<std::string> FitInsertion(std::size_t usedBytes, std::string_view inserted,
                                        std::size_t limitBytes) {
    const std::size_t room = usedBytes >= limitBytes ? 0 : limitBytes - usedBytes;
    if (LimitLength(inserted) <= room)
        return std::nullopt;
    return TruncateToBytes(inserted, room);
}

} // namespace cp949
