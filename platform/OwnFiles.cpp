#include "platform/OwnFiles.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ownfiles {

namespace {

std::string Octal(unsigned mode) {
    char text[8];
    std::snprintf(text, sizeof text, "%04o", mode & 07777);
    return text;
}

Opened Refused(std::string why) {
    Opened opened;
    opened.refusal = std::move(why);
    return opened;
}

Opened FromOpen(int fd, const std::string& path, bool isFolder, Access access) {
    if (fd < 0) {
        const int error = errno;
        if (error == ENOENT) {
            Opened opened;
            opened.missing = true;
            return opened;
        }
        if (error == ELOOP || (isFolder && error == ENOTDIR))
            return Refused(path + "은(는) 링크이거나 " + (isFolder ? "폴더가" : "파일이") +
                           " 아니어서 사용할 수 없습니다. 링크 대신 실제 " +
                           (isFolder ? "폴더를" : "파일을") + " 두십시오.");
        return Refused(path + "을(를) 열 수 없습니다: " + std::strerror(error));
    }
    Fd owned(fd);
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return Refused(path + "을(를) 확인할 수 없습니다: " + std::strerror(errno));
    if (!isFolder && !S_ISREG(info.st_mode))
        return Refused(path + "은(는) 일반 파일이 아니어서 사용할 수 없습니다.");
    std::string why = Refusal(path, info.st_uid, info.st_mode, isFolder, access);
    if (!why.empty())
        return Refused(std::move(why));
    Opened opened;
    opened.fd = std::move(owned);
    return opened;
}

} // namespace

Fd::~Fd() {
    if (fd_ >= 0)
        ::close(fd_);
}

Fd& Fd::operator=(Fd&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = other.Release();
    }
    return *this;
}

std::string Refusal(const std::string& path, unsigned owner, unsigned mode, bool isFolder,
                    Access access) {
    if (owner != ::geteuid())
        return path + "의 소유자가 현재 사용자가 아니어서 사용할 수 없습니다. 자신의 " +
               (isFolder ? "폴더" : "파일") + "를 쓰거나 소유자를 바꾸십시오 (chown " +
               std::to_string(::geteuid()) + " " + path + ").";
    if (access == Access::OwnerOnly && (mode & 077) != 0)
        return path + "을(를) 다른 사용자가 읽거나 고칠 수 있어(권한 " + Octal(mode) +
               ") 사용할 수 없습니다. chmod 600 " + path + " 으로 고치십시오.";
    if ((mode & 022) != 0)
        return path + "을(를) 다른 사용자가 고칠 수 있어(권한 " + Octal(mode) +
               ") 사용할 수 없습니다. chmod go-w " + path + " 으로 고치십시오.";
    return {};
}

Opened OpenFolder(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    return FromOpen(fd, path, true, Access::OwnerWrites);
}

Opened OpenInFolder(int dirFd, const std::string& folderPath, const std::string& name, int flags,
                    Access access) {
    const std::string path = folderPath + "/" + name;
    // A FIFO put in the file's place must not block the opening.
    const int fd = ::openat(dirFd, name.c_str(), flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    Opened opened = FromOpen(fd, path, false, access);
    if (opened.fd) {
        const int status = ::fcntl(opened.fd.Get(), F_GETFL);
        if (status >= 0)
            ::fcntl(opened.fd.Get(), F_SETFL, status & ~O_NONBLOCK);
    }
    return opened;
}

std::string EnvFolderPath() {
    char cwd[PATH_MAX];
    if (::getcwd(cwd, sizeof cwd) == nullptr)
        return "Env";
    return std::string(cwd) + (cwd[1] == '\0' ? "Env" : "/Env");
}

std::string CheckEnvFolder() {
    const std::string path = EnvFolderPath();
    Opened folder = OpenFolder(path);
    if (folder.missing)
        return {};
    if (!folder.refusal.empty())
        return folder.refusal;
    const std::pair<const char*, Access> files[] = {
        {"ZELAgent.INI", Access::OwnerWrites},
        {"tnvx.INI", Access::OwnerWrites},
        {"rdbclient.cnf", Access::OwnerOnly},
    };
    for (const auto& [name, access] : files) {
        Opened file = OpenInFolder(folder.fd.Get(), path, name, O_RDONLY, access);
        if (!file.refusal.empty())
            return file.refusal;
    }
    return {};
}

} // namespace ownfiles
