#include "winreg_posix/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace brisendale::winreg {

bool MakeFolders(const std::string& path) {
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string prefix = path.substr(0, slash);
        if (mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            break;
    }
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool FileExists(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0;
}

std::optional<std::string> ReadSmallFile(const std::string& path, std::size_t maxSize) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat info {};
    std::optional<std::string> text;
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
        info.st_size <= static_cast<off_t>(maxSize)) {
        // One byte more than allowed, so a file that grew meanwhile is seen.
        std::string buffer(maxSize + 1, '\0');
        std::size_t used = 0;
        ssize_t got = 0;
        while ((got = read(fd, buffer.data() + used, buffer.size() - used)) > 0) {
            used += static_cast<std::size_t>(got);
        }
        if (got == 0 && used <= maxSize) {
            buffer.resize(used);
            text = std::move(buffer);
        }
    }
    close(fd);
    return text;
}

bool ReplaceFile(const std::string& folder, const std::string& target, std::string_view text) {
    std::string temporary = folder + "/.brisendale-XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0)
        return false;
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = write(fd, text.data() + written, text.size() - written);
        if (n <= 0 && errno != EINTR)
            break;
        if (n > 0)
            written += static_cast<std::size_t>(n);
    }
    const bool ok = written == text.size() && fchmod(fd, 0644) == 0 && fsync(fd) == 0;
    const bool closed = close(fd) == 0;
    if (!ok || !closed || rename(temporary.c_str(), target.c_str()) != 0) {
        unlink(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace brisendale::winreg
