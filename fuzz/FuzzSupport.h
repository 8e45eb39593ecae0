// Shared pieces of the fuzz targets: a reader that takes typed values from the fuzzer's
// bytes, and a check that stops the run with a message when a property fails.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

// A failed property is a finding: print it and abort so the fuzzer keeps the input.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #condition);  \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

namespace fuzz {

// Takes values from the front of the input; once it is used up every value is zero or
// empty, so a target never reads past the fuzzer's bytes.
class Input {
  public:
    Input(const std::uint8_t* data, std::size_t size)
        : rest_(reinterpret_cast<const char*>(data), size) {}

    std::uint8_t Byte() {
        if (rest_.empty())
            return 0;
        const auto b = static_cast<std::uint8_t>(rest_.front());
        rest_.remove_prefix(1);
        return b;
    }
    bool Flag() { return (Byte() & 1) != 0; }
    std::size_t Number(std::size_t max) { // 0..max from two bytes
        const std::size_t raw = (std::size_t{Byte()} << 8) | Byte();
        return max == 0 ? 0 : raw % (max + 1);
    }
    // A text of up to 255 bytes: one length byte, then the bytes.
    std::string Text() { return Take(Byte()); }
    // A text of up to 65535 bytes: two length bytes, then the bytes.
    std::string LongText() { return Take(Number(65535)); }
    // Everything not yet taken.
    std::string Rest() { return Take(rest_.size()); }
    bool Empty() const { return rest_.empty(); }

  private:
    std::string Take(std::size_t n) {
        n = n < rest_.size() ? n : rest_.size();
        std::string text(rest_.substr(0, n));
        rest_.remove_prefix(n);
        return text;
    }
    std::string_view rest_;
};

// True when the bytes are well-formed UTF-8 (no overlong forms, surrogates or values
// beyond U+10FFFF).
inline bool IsValidUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t n = 0;
        unsigned min = 0;
        unsigned cp = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            n = 1, min = 0x80, cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            n = 2, min = 0x800, cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            n = 3, min = 0x10000, cp = c & 0x07;
        } else {
            return false;
        }
        if (i + n >= s.size())
            return false;
        for (std::size_t k = 1; k <= n; ++k) {
            const auto t = static_cast<unsigned char>(s[i + k]);
            if ((t & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (t & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += n + 1;
    }
    return true;
}

} // namespace fuzz
