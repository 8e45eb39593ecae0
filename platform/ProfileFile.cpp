// Profile files on disk: CP949 bytes, read by name on every call, replaced atomically
// on every write.
#include "platform/ProfileFile.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/ProfileText.h"
#include "util/Cp949.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

// Writes of this process are read-modify-write; one at a time keeps them whole.
std::mutex writeMutex;

std::optional<std::string> ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string content{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad())
        return std::nullopt;
    return content;
}

// CP949 length of a UTF-8 text, counting characters with no CP949 form as two bytes,
// as cp949::TruncateToBytes does.
std::size_t Cp949Width(const std::string& utf8) {
    if (auto length = cp949::ByteLength(utf8))
        return *length;
    std::size_t bytes = 0;
    for (const char c : utf8) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x80)
            ++bytes;
        else if ((u & 0xC0) != 0x80)
            bytes += 2;
    }
    return bytes;
}

// Names and values that would change the file's structure when written as they are.
bool HasLineBreak(std::string_view s) {
    return s.find_first_of("\r\n") != std::string_view::npos;
}

bool IsWritableName(std::string_view section, std::string_view key) {
    if (section.empty() || key.empty() || HasLineBreak(section) || HasLineBreak(key))
        return false;
    if (section.find(']') != std::string_view::npos || key.find('=') != std::string_view::npos)
        return false;
    const auto first = key.find_first_not_of(" \t");
    return first != std::string_view::npos && key[first] != ';' && key[first] != '[';
}

// Writes content to a new file beside path and renames it over path, so a reader
// sees either the old file or the new one, never a part of it.
bool ReplaceFile(const fs::path& path, const std::string& content, std::optional<mode_t> keepMode) {
    static std::atomic<unsigned> counter{0};
    const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
    fs::path temp;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        temp = folder / ("." + path.filename().string() + "." + std::to_string(::getpid()) + "." +
                         std::to_string(counter++) + ".tmp");
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return false; // missing folder, no permission: nothing was created
    }
    if (fd < 0)
        return false;

    bool ok = true;
    std::size_t done = 0;
    while (ok && done < content.size()) {
        const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        if (ok)
            done += static_cast<std::size_t>(n);
    }
    if (ok && keepMode)
        ok = ::fchmod(fd, *keepMode) == 0;
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    // Make the rename itself durable; a failure here no longer loses the new file.
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

} // namespace

std::string NativeProfilePath(const std::string& fileName) {
    std::string path = fileName;
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

std::size_t GetPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& defaultValue, std::string& out,
                                    std::size_t capacity, const std::string& fileName) {
    out.clear();
    if (capacity == 0)
        return 0;
    const std::size_t maxBytes = capacity - 1;

    const auto sectionBytes = cp949::FromUtf8(section);
    const auto keyBytes = cp949::FromUtf8(key);
    if (sectionBytes && keyBytes) {
        if (const auto content = ReadWholeFile(NativeProfilePath(fileName))) {
            if (const auto value = profile::FindValue(*content, *sectionBytes, *keyBytes)) {
                const std::string_view delivered = profile::CutAtCharacter(*value, maxBytes);
                out = cp949::ToUtf8Lossy(delivered);
                return delivered.size();
            }
        }
    }
    out = cp949::TruncateToBytes(defaultValue, maxBytes);
    out.erase(out.find_last_not_of(" \t") + 1); // npos + 1 empties an all-blank default
    return Cp949Width(out);
}

bool WritePrivateProfileString(const std::string& section, const std::string& key,
                               const std::string& value, const std::string& fileName) {
    if (!IsWritableName(section, key) || HasLineBreak(value))
        return false;
    const auto sectionBytes = cp949::FromUtf8(section);
    const auto keyBytes = cp949::FromUtf8(key);
    const auto valueBytes = cp949::FromUtf8(value);
    if (!sectionBytes || !keyBytes || !valueBytes)
        return false;

    std::lock_guard lock(writeMutex);
    fs::path path = NativeProfilePath(fileName);
    std::error_code ec;
    // Replace the file a link points to, not the link.
    if (fs::is_symlink(path, ec)) {
        path = fs::weakly_canonical(path, ec);
        if (ec)
            return false;
    }

    std::string content;
    std::optional<mode_t> keepMode;
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        if (!S_ISREG(info.st_mode))
            return false;
        // A read-only file stays unchanged, even for a user whom the system would
        // let write it: that is what the file's owner asked for.
        if ((info.st_mode & S_IWUSR) == 0 || ::access(path.c_str(), W_OK) != 0)
            return false;
        auto existing = ReadWholeFile(path);
        if (!existing)
            return false;
        content = std::move(*existing);
        keepMode = info.st_mode & 07777;
    } else if (errno != ENOENT) {
        return false;
    }

    std::string updated = profile::SetValue(content, *sectionBytes, *keyBytes, *valueBytes);
    if (keepMode && updated == content)
        return true;
    return ReplaceFile(path, updated, keepMode);
}

} // namespace platform
