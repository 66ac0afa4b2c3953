// The few file operations the store and the autostart entries need, over
// POSIX calls.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "winreg_posix/failure_record.h"

namespace brisendale::winreg {

// Makes `path` and every missing folder above it (mode 0700). 0 when `path`
// is a folder afterwards, the errno of the failure otherwise (ENOTDIR when
// something else stands there).
int MakeFolders(const std::string& path);

enum class FileKind {
    kMissing,  // nothing stands there
    kRegular,  // a regular file, or a symbolic link to a regular file of ours
    kOther,    // anything else, which is neither read nor written
};

// What stands at `path`, found without blocking: opening a FIFO the usual
// way waits for a writer for ever. A symbolic link (dotfiles kept in a
// repository are linked into place) is followed only to a regular file that
// belongs to this user. `why` says what is wrong with a kOther, for the
// caller to record.
FileKind KindOfFile(const std::string& path, Failure* why = nullptr);

// The whole of the regular file at `path` (see KindOfFile), or nothing when
// it cannot be read or holds more than `maxSize` bytes.
std::optional<std::string> ReadSmallFile(const std::string& path, std::size_t maxSize);

// Puts `text` at `target` (mode 0644) through a temporary file in `folder`,
// so the file appears whole or not at all. A symbolic link at `target` stays
// and the file it leads to is replaced. 0 when it did, the errno of the
// failure otherwise.
int ReplaceFile(const std::string& folder, const std::string& target, std::string_view text);

}  // namespace brisendale::winreg
