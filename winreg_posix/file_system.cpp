#include "winreg_posix/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace brisendale::winreg {

int MakeFolders(const std::string& path) {
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string prefix = path.substr(0, slash);
        if (mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST)
            return errno;
        if (slash == std::string::npos)
            break;
    }
    struct stat info {};
    if (stat(path.c_str(), &info) != 0)
        return errno;
    return S_ISDIR(info.st_mode) ? 0 : ENOTDIR;
}

namespace {

// Opens `path` for reading; -1 unless KindOfFile would say kRegular.
int OpenRegularFile(const std::string& path, FileKind& kind, Failure& why) {
    kind = FileKind::kOther;
    why = Failure{ERROR_CANT_ACCESS_FILE, path, ""};
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
    bool throughLink = false;
    if (fd < 0 && errno == ELOOP) {
        throughLink = true;
        fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0) {
            why.reason = errno == ENOENT ? "it is a symbolic link that leads nowhere"
                                         : "it is a symbolic link that cannot be followed";
            return -1;
        }
    } else if (fd < 0) {
        if (errno == ENOENT)
            kind = FileKind::kMissing;
        why.finer = FinerFromErrno(errno);
        why.reason = std::strerror(errno);
        return -1;
    }
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        why.reason = throughLink ? "it is a symbolic link to something that is not a regular file"
                                 : "it is not a regular file";
    } else if (throughLink && info.st_uid != geteuid()) {
        why.reason = "it is a symbolic link to a file of another user";
    } else {
        kind = FileKind::kRegular;
        return fd;
    }
    close(fd);
    return -1;
}

}  // namespace

FileKind KindOfFile(const std::string& path, Failure* why) {
    FileKind kind = FileKind::kOther;
    Failure reason;
    const int fd = OpenRegularFile(path, kind, reason);
    if (fd >= 0)
        close(fd);
    if (why != nullptr)
        *why = std::move(reason);
    return kind;
}

std::optional<std::string> ReadSmallFile(const std::string& path, std::size_t maxSize) {
    FileKind kind = FileKind::kOther;
    Failure why;
    const int fd = OpenRegularFile(path, kind, why);
    if (fd < 0)
        return std::nullopt;
    struct stat info {};
    std::optional<std::string> text;
    if (fstat(fd, &info) == 0 && info.st_size <= static_cast<off_t>(maxSize)) {
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

int ReplaceFile(const std::string& folder, const std::string& target, std::string_view text) {
    struct stat link {};
    if (lstat(target.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        // Renaming over the link would replace it by a plain file; the file
        // it leads to is the one to replace, beside itself.
        char* resolved = realpath(target.c_str(), nullptr);
        if (resolved == nullptr)
            return errno;
        const std::string real = resolved;
        std::free(resolved);
        return ReplaceFile(real.substr(0, real.rfind('/')), real, text);
    }
    std::string temporary = folder + "/.brisendale-XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0)
        return errno;
    int error = 0;
    std::size_t written = 0;
    while (written < text.size() && error == 0) {
        const ssize_t n = write(fd, text.data() + written, text.size() - written);
        if (n > 0)
            written += static_cast<std::size_t>(n);
        else if (n == 0 || errno != EINTR)
            error = n == 0 ? EIO : errno;
    }
    if (error == 0 && (fchmod(fd, 0644) != 0 || fsync(fd) != 0))
        error = errno;
    if (close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && rename(temporary.c_str(), target.c_str()) != 0)
        error = errno;
    if (error != 0)
        unlink(temporary.c_str());
    return error;
}

}  // namespace brisendale::winreg
