// Settings files on disk: whatever the file held before, a value written reads back as
// written (cut at a character when the reader's buffer is smaller), other keys keep
// their values, and a refused write leaves the file as it was.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

#include "fuzz/FuzzSupport.h"
#include "platform/ProfileFile.h"
#include "util/Cp949.h"

namespace {

namespace fs = std::filesystem;

// A private folder for the run, in memory when the machine has /dev/shm.
const fs::path& WorkFolder() {
    static const fs::path folder = [] {
        std::error_code ec;
        const fs::path base =
            fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
        fs::path dir = base / ("zel-fuzz-profile-" + std::to_string(::getpid()));
        fs::create_directories(dir);
        std::atexit([] {
            std::error_code ignored;
            fs::remove_all(WorkFolder(), ignored);
        });
        return dir;
    }();
    return folder;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Read(const std::string& section, const std::string& key, const std::string& file,
                 std::size_t capacity = 4096) {
    std::string out;
    platform::GetPrivateProfileString(section, key, "\x01missing", out, capacity, file);
    return out;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// A UTF-8 text the agent could type: valid, with a CP949 form, no line break, no
// blanks or quotes around it (those the reader takes off).
bool IsPlainValue(const std::string& v) {
    if (!fuzz::IsValidUtf8(v) || !cp949::FromUtf8(v) || v.find_first_of("\r\n") != v.npos)
        return false;
    if (!v.empty() &&
        (IsBlank(v.front()) || IsBlank(v.back()) || v.front() == '"' || v.front() == '\''))
        return false;
    return v.find('\0') == v.npos;
}

bool IsPlainName(const std::string& n) {
    return !n.empty() && IsPlainValue(n) && n.find_first_of("[]=;\"") == n.npos;
}

// Names equal when ASCII letters are compared without case (other bytes exactly).
bool SameAsciiName(const std::string& a, const std::string& b) {
    const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    const std::string section = in.Text();
    const std::string key = in.Text();
    const std::string value = in.Text();
    const std::string otherKey = in.Text();
    const std::size_t capacity = in.Byte();
    const bool backslashName = in.Flag();
    const std::string content = in.Rest();

    const fs::path path = WorkFolder() / "Test.INI";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << content;
    }
    // Callers name the file the Windows way as well.
    const std::string file = backslashName ? WorkFolder().string() + "\\Test.INI" : path.string();

    const std::string otherBefore = Read(section, otherKey, file);
    const bool ok = platform::WritePrivateProfileString(section, key, value, file);
    if (!ok) {
        FUZZ_CHECK(ReadFile(path) == content);
        // Plain names and values are always written to a writable file.
        FUZZ_CHECK(!(IsPlainName(section) && IsPlainName(key) && IsPlainValue(value)));
        return 0;
    }
    FUZZ_CHECK(cp949::FromUtf8(value).has_value());
    if (IsPlainName(section) && IsPlainName(key) && IsPlainValue(value)) {
        FUZZ_CHECK(Read(section, key, file) == value);
        // A smaller buffer gets the longest prefix that fits, cut at a character.
        if (capacity > 0) {
            const std::string shortRead = Read(section, key, file, capacity);
            FUZZ_CHECK(shortRead == cp949::TruncateToBytes(value, capacity - 1));
        }
        if (IsPlainName(otherKey) && !SameAsciiName(otherKey, key))
            FUZZ_CHECK(Read(section, otherKey, file) == otherBefore);
    }
    return 0;
}
