#include "screen/RestoreToken.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string StateFolder()
{
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state && state[0] == '/')
        return std::string(state) + "/tessilo";
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.local/state/tessilo";
}

bool MakeFolders(const std::string& folder)
{
    for (size_t slash = folder.find('/', 1); ; slash = folder.find('/', slash + 1)) {
        const std::string part = folder.substr(0, slash);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            return true;
    }
}

}  // namespace

std::string RestoreTokenPath()
{
    return StateFolder() + "/screen-restore-token";
}

std::string LoadRestoreToken()
{
    std::ifstream file(RestoreTokenPath());
    std::string token;
    std::getline(file, token);
    return token;
}

bool StoreRestoreToken(const std::string& token)
{
    if (!MakeFolders(StateFolder()))
        return false;
    // Written whole under another name first: a run cut short leaves the old token or the new.
    const std::string path = RestoreTokenPath();
    const std::string fresh = path + ".new";
    const int fd = open(fresh.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const std::string line = token + "\n";
    const bool written = write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size());
    const bool closed = close(fd) == 0;
    if (!written || !closed || rename(fresh.c_str(), path.c_str()) != 0) {
        unlink(fresh.c_str());
        return false;
    }
    return true;
}

bool ForgetRestoreToken()
{
    return unlink(RestoreTokenPath().c_str()) == 0 || errno == ENOENT;
}
