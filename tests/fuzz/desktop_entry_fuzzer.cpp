// The Run key's autostart files: whatever name and text are written, the text
// reads back unchanged, and nothing in either can end or hide the entry;
// reading any file at all never fails.
#include <fuzzer/FuzzedDataProvider.h>

#include "fuzz_check.h"
#include "winreg_posix/desktop_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace entry = brisendale::DesktopEntry;
    FuzzedDataProvider input(data, size);
    const std::string name = input.ConsumeRandomLengthString();
    const std::string exec = input.ConsumeRemainingBytesAsString();
    Require(entry::UnescapeString(entry::EscapeString(exec)) == exec);
    Require(entry::UnescapeString(entry::EscapeString(name)) == name);
    Require(entry::ReadExec(entry::Format(name, exec)) == exec);
    (void)entry::ReadExec(exec);
    (void)entry::IsStorableText(exec);
    return 0;
}
