// The Run key's autostart files: whatever name and text are written, the text
// reads back unchanged, and nothing in either can end or hide the entry;
// reading any file at all never fails.
#include <algorithm>
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "winreg_posix/desktop_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace entry = brisendale::DesktopEntry;
    if (size < 1)
        return 0;
    // One byte of name length, the name, then the text.
    const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::string name = bytes.substr(0, data[0]), exec = bytes.substr(name.size());
    Require(entry::UnescapeString(entry::EscapeString(exec)) == exec);
    Require(entry::UnescapeString(entry::EscapeString(name)) == name);
    Require(entry::ReadExec(entry::Format(name, exec)) == exec);
    (void)entry::ReadExec(exec);
    (void)entry::IsStorableText(exec);
    return 0;
}
