#include "winreg_posix/autostart_entry.h"

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>
#include <vector>

#include "winreg_posix/desktop_entry.h"
#include "winreg_posix/file_system.h"
#include "winreg_posix/name_case.h"
#include "winreg_posix/store_location.h"

namespace brisendale::winreg {
namespace {

constexpr std::size_t kMaxDesktopFileSize = 64 * 1024;
constexpr std::size_t kMaxRunNameLength = 200;
constexpr std::string_view kSuffix = ".desktop";

struct RunEntry {
    std::string fileName;  // without ".desktop", in the case found on disk
    std::string exec;
};

std::string DesktopFilePath(const std::string& folder, std::string_view fileName) {
    return folder + "/" + std::string(fileName) + std::string(kSuffix);
}

// The names of the desktop files in `folder`, without the suffix, in name
// order; names that differ only in case in byte order.
std::vector<std::string> DesktopFileNames(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr)
        return names;
    while (const dirent* entry = readdir(dir)) {
        const std::string_view file = entry->d_name;
        if (file.size() > kSuffix.size() && file.substr(file.size() - kSuffix.size()) == kSuffix) {
            names.emplace_back(file.substr(0, file.size() - kSuffix.size()));
        }
    }
    closedir(dir);
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return LessNoCase(a, b) || (EqualNoCase(a, b) && a < b);
    });
    return names;
}

std::optional<RunEntry> ReadEntryFile(const std::string& folder, const std::string& fileName) {
    const auto text = ReadSmallFile(DesktopFilePath(folder, fileName), kMaxDesktopFileSize);
    if (!text)
        return std::nullopt;
    auto exec = DesktopEntry::ReadExec(*text);
    if (!exec)
        return std::nullopt;
    return RunEntry{fileName, std::move(*exec)};
}

// The entry for value `name`: the file of exactly that name if it holds a
// value, else the first whose name matches without regard to case.
std::optional<RunEntry> FindRunEntry(std::string_view name) {
    const auto folder = AutostartFolder();
    if (!folder || !IsValidRunName(name))
        return std::nullopt;
    if (auto exact = ReadEntryFile(*folder, std::string(name)))
        return exact;
    for (const std::string& fileName : DesktopFileNames(*folder)) {
        if (fileName != name && EqualNoCase(fileName, name)) {
            if (auto entry = ReadEntryFile(*folder, fileName))
                return entry;
        }
    }
    return std::nullopt;
}

}  // namespace

bool IsValidRunName(std::string_view name) {
    if (name.empty() || name.size() > kMaxRunNameLength)
        return false;
    for (char c : name) {
        if (c == '/' || static_cast<unsigned char>(c) < 0x20)
            return false;
    }
    return DesktopEntry::IsStorableText(name);
}

std::optional<std::string> ReadRunEntry(std::string_view name) {
    auto entry = FindRunEntry(name);
    if (!entry)
        return std::nullopt;
    return std::move(entry->exec);
}

NamedValues ListRunEntries() {
    NamedValues values;
    const auto folder = AutostartFolder();
    if (!folder)
        return values;
    for (const std::string& fileName : DesktopFileNames(*folder)) {
        if (!IsValidRunName(fileName))
            continue;
        // A file that holds no value is found as one whose name differs in
        // case; that one is listed under its own name.
        if (auto entry = FindRunEntry(fileName); entry && entry->fileName == fileName) {
            values.emplace_back(fileName, Value{REG_SZ, std::move(entry->exec)});
        }
    }
    return values;
}

LONG WriteRunEntry(std::string_view name, std::string_view exec) {
    const auto folder = AutostartFolder();
    if (!folder) {
        RecordFailure({ERROR_CANT_ACCESS_FILE, "", std::string(kNoConfigHome)});
        return ERROR_ACCESS_DENIED;
    }
    const auto existing = FindRunEntry(name);
    const std::string target = DesktopFilePath(*folder, existing ? existing->fileName : name);
    if (const int error = MakeFolders(*folder); error != 0)
        return FailOnFile(ERROR_ACCESS_DENIED, target, error, "its folder cannot be made");
    // A FIFO, a device or a folder of that name, or a link to one, is not
    // ours to replace.
    if (Failure why; KindOfFile(target, &why) == FileKind::kOther) {
        RecordFailure(std::move(why));
        return ERROR_ACCESS_DENIED;
    }
    // Written whole and renamed into place, so a session starting meanwhile
    // never reads half a file.
    if (const int error = ReplaceFile(*folder, target, DesktopEntry::Format(name, exec));
        error != 0)
        return FailOnFile(ERROR_ACCESS_DENIED, target, error);
    return ERROR_SUCCESS;
}

LONG DeleteRunEntry(std::string_view name) {
    const auto entry = FindRunEntry(name);
    const auto folder = AutostartFolder();
    if (!entry || !folder)
        return ERROR_FILE_NOT_FOUND;
    const std::string path = DesktopFilePath(*folder, entry->fileName);
    return unlink(path.c_str()) == 0 ? ERROR_SUCCESS : FailOnFile(ERROR_ACCESS_DENIED, path, errno);
}

}  // namespace brisendale::winreg
