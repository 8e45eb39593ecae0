// The agent's own files: Env/ and what it holds are trusted only when they belong to the
// user running the program and no one else can change them (the credentials file: nor
// read it). Links are never followed. Root is held to the same rule.
#pragma once

#include <string>

namespace ownfiles {

// A file descriptor, closed with the object.
class Fd {
  public:
    Fd() = default;
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd();
    Fd(Fd&& other) noexcept : fd_(other.Release()) {}
    Fd& operator=(Fd&& other) noexcept;
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;

    int Get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    int Release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

  private:
    int fd_ = -1;
};

enum class Access {
    OwnerWrites, // others may read it, only the owner may change it
    OwnerOnly,   // nobody but the owner may read or change it (a password inside)
};

// What opening came to: fd open and trusted, or missing (no such name), or refused
// with a Korean sentence naming the path and what mends it.
struct Opened {
    Fd fd;
    bool missing = false;
    std::string refusal;
};

// Opens the folder at path (its last part must not be a link) and checks it.
Opened OpenFolder(const std::string& path);

// Opens name inside the opened folder dirFd (shown as folderPath in messages) with
// flags (O_RDONLY or O_RDWR...), never following a link, and checks the file.
Opened OpenInFolder(int dirFd, const std::string& folderPath, const std::string& name, int flags,
                    Access access);

// Why an object with this owner and mode cannot be trusted; empty when it can.
std::string Refusal(const std::string& path, unsigned owner, unsigned mode, bool isFolder,
                    Access access);

// The absolute path of "Env" under the working folder, for opening and for messages.
std::string EnvFolderPath();

// The start-up check of the program and the tool: the folder "Env" under the working
// folder and, when present, each of its known files. Empty when all are trusted or
// there is no Env folder.
std::string CheckEnvFolder();

} // namespace ownfiles
