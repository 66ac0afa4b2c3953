// The few file operations the store and the autostart entries need, over
// POSIX calls.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace brisendale::winreg {

// Makes `path` and every missing folder above it (mode 0700); true when
// `path` is a folder afterwards.
bool MakeFolders(const std::string& path);

// Whether anything, even a dangling link, stands at `path`.
bool FileExists(const std::string& path);

// The whole of the regular file at `path`, or nothing when it cannot be read
// or holds more than `maxSize` bytes.
std::optional<std::string> ReadSmallFile(const std::string& path, std::size_t maxSize);

// Puts `text` at `target` (mode 0644) through a temporary file in `folder`,
// so the file appears whole or not at all. False when it did not.
bool ReplaceFile(const std::string& folder, const std::string& target, std::string_view text);

}  // namespace brisendale::winreg
