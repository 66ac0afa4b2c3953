// The Run key's autostart files: whatever name and text are written, the text
// reads back unchanged and nothing in either can add or hide a key; reading
// any file at all never fails.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz_check.h"
#include "winreg_posix/desktop_entry.h"

namespace {

using brisendale::fuzzing::Require;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace entry = brisendale::DesktopEntry;
    // One byte of name length, the name, then the text.
    if (size < 1)
        return 0;
    const std::size_t nameLength = std::min<std::size_t>(data[0], size - 1);
    const std::string name(reinterpret_cast<const char*>(data) + 1, nameLength);
    const std::string exec(reinterpret_cast<const char*>(data) + 1 + nameLength,
                           size - 1 - nameLength);

    Require(entry::UnescapeString(entry::EscapeString(exec)) == exec);
    Require(entry::UnescapeString(entry::EscapeString(name)) == name);

    // The name sits on its own line before Exec: a line feed or "Hidden=true"
    // in it must not end the entry's value or switch the entry off.
    const auto readBack = entry::ReadExec(entry::Format(name, exec));
    Require(readBack.has_value() && *readBack == exec);

    // The same bytes as a whole file, as a user or another program may have
    // left it in the autostart folder.
    (void)entry::ReadExec(exec);
    (void)entry::IsStorableText(exec);
    return 0;
}
