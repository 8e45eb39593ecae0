// Profile files on disk: CP949 bytes, read by name on every call, replaced atomically
// on every write.
#include "platform/ProfileFile.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <filesystem>
#include <mutex>
#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/OwnFiles.h"
#include "platform/ProfileText.h"
#include "util/Cp949.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

// Writes of this process are read-modify-write; one at a time keeps them whole.
std::mutex writeMutex;

// The file's folder, opened and trusted as the user's own; the file is then reached
// inside it without following a link.
struct FileInFolder {
    ownfiles::Fd folder;
    std::string folderPath;
    std::string name;
};

std::optional<FileInFolder> OpenFolderOf(const fs::path& path) {
    FileInFolder file;
    file.folderPath = path.has_parent_path() ? path.parent_path().string() : ".";
    file.name = path.filename().string();
    ownfiles::Opened folder = ownfiles::OpenFolder(file.folderPath);
    if (!folder.fd)
        return std::nullopt;
    file.folder = std::move(folder.fd);
    return file;
}

// The content of a file the user owns and no one else may change; nothing otherwise.
std::optional<std::string> ReadWholeFile(const FileInFolder& file) {
    const ownfiles::Opened opened = ownfiles::OpenInFolder(
        file.folder.Get(), file.folderPath, file.name, O_RDONLY, ownfiles::Access::OwnerWrites);
    if (!opened.fd)
        return std::nullopt;
    std::string content;
    char buffer[8192];
    for (;;) {
        const ssize_t n = ::read(opened.fd.Get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            return content;
        content.append(buffer, static_cast<std::size_t>(n));
    }
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
bool ReplaceFile(const FileInFolder& file, const std::string& content,
                 std::optional<mode_t> keepMode) {
    static std::atomic<unsigned> counter{0};
    const int folder = file.folder.Get();
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        temp = "." + file.name + "." + std::to_string(::getpid()) + "." +
               std::to_string(counter++) + ".tmp";
        fd = ::openat(folder, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                      0666);
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
    ok = ok && ::renameat(folder, temp.c_str(), folder, file.name.c_str()) == 0;
    if (!ok) {
        ::unlinkat(folder, temp.c_str(), 0);
        return false;
    }
    // Make the rename itself durable; a failure here no longer loses the new file.
    ::fsync(folder);
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
        const auto file = OpenFolderOf(NativeProfilePath(fileName));
        if (const auto content = file ? ReadWholeFile(*file) : std::nullopt) {
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
    const auto file = OpenFolderOf(NativeProfilePath(fileName));
    if (!file)
        return false;

    std::string content;
    std::optional<mode_t> keepMode;
    struct stat info {};
    // A link is never written through, nor replaced: the file must be the user's own.
    if (::fstatat(file->folder.Get(), file->name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0) {
        if (!S_ISREG(info.st_mode))
            return false;
        // A read-only file stays unchanged, even for a user whom the system would
        // let write it: that is what the file's owner asked for.
        if ((info.st_mode & S_IWUSR) == 0 ||
            ::faccessat(file->folder.Get(), file->name.c_str(), W_OK, AT_SYMLINK_NOFOLLOW) != 0)
            return false;
        auto existing = ReadWholeFile(*file);
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
    return ReplaceFile(*file, updated, keepMode);
}

} // namespace platform
