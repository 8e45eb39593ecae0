#include "tools/CredentialsCopy.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

namespace callcenter {

namespace {

// Plain buffers, so that a signal handler can remove what they name without allocating.
char g_folder[PATH_MAX];
char g_env[PATH_MAX];
char g_file[PATH_MAX];

bool Fail(std::string* why, const std::string& what) {
    if (why)
        *why = what + ": " + std::strerror(errno);
    return false;
}

bool WriteAll(int fd, const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

void RemoveCredentialsCopy() {
    if (g_file[0] != '\0')
        unlink(g_file);
    if (g_env[0] != '\0')
        rmdir(g_env);
    if (g_folder[0] != '\0')
        rmdir(g_folder);
}

bool MakeCredentialsCopy(const std::string& cnf, std::string* why) {
    std::ifstream in(cnf, std::ios::binary);
    if (!in)
        return Fail(why, "cannot read " + cnf);
    const std::string content{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};

    const char* tmp = std::getenv("TMPDIR");
    const std::string base = tmp != nullptr && tmp[0] == '/' ? tmp : "/tmp";
    const std::string pattern = base + "/zelagent-callcenter-XXXXXX";
    if (pattern.size() + sizeof "/Env/rdbclient.cnf" > sizeof g_folder) {
        errno = ENAMETOOLONG;
        return Fail(why, "cannot make a folder in " + base);
    }
    std::atexit(RemoveCredentialsCopy);
    std::strcpy(g_folder, pattern.c_str());
    if (mkdtemp(g_folder) == nullptr) { // mode 0700
        g_folder[0] = '\0';
        return Fail(why, "cannot make a folder in " + base);
    }
    // Each name is recorded before its file exists, so a signal in between leaves nothing.
    const std::string env = std::string(g_folder) + "/Env"; // fits: the length was checked
    std::strcpy(g_env, env.c_str());
    if (mkdir(g_env, 0700) != 0)
        return Fail(why, std::string("cannot make ") + g_env);
    std::strcpy(g_file, (env + "/rdbclient.cnf").c_str());
    const int fd = open(g_file, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return Fail(why, std::string("cannot write ") + g_file);
    const bool written = WriteAll(fd, content);
    if (close(fd) != 0 || !written)
        return Fail(why, std::string("cannot write ") + g_file);
    if (chdir(g_folder) != 0)
        return Fail(why, std::string("cannot change into ") + g_folder);
    return true;
}

} // namespace callcenter
