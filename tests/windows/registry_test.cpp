// Only on Windows: the ANSI code page between our UTF-8 and the registry; the logon entry's form.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "settings/logon_command.h"
#include "settings/registry.h"
#include "settings/stored_settings.h"

namespace brisendale {
namespace {

const wchar_t kRun[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// The text as the registry holds it, in UTF-16.
std::wstring WideValue(const wchar_t* path, const wchar_t* name) {
    wchar_t text[256] = {};
    DWORD size = sizeof text;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, path, name, RRF_RT_REG_SZ, nullptr, text, &size) != 0)
        return L"(missing)";
    return std::wstring(text, size / sizeof(wchar_t) - 1);  // embedded NULs too, not the last
}

// Sized by its UTF-8 form a text would be cut or overrun; through the ANSI entry points a folder
// outside the code page would be "?". Lower-cased beyond A to Z; no second backslash after a root.
TEST(WindowsRegistry, TextsGoThroughTheCodePageAndTheLogonEntryNamesAnyFolder) {
    // Wine's code page for an English locale; the texts below are in it.
    ASSERT_EQ(GetACP(), 1252u) << "run under Wine with LANG=en_US.UTF-8";
    const char path[] = "Software\\Quorvel\\Caf\xC3\xA9\\";
    const std::string text = "Z\xC3\xBCrich \xE2\x82\xAC 5";
    Registry::SetStringValue(HKEY_LOCAL_MACHINE, path, "\xC3\xA9t\xC3\xA9", text);
    EXPECT_EQ(WideValue(L"Software\\Quorvel\\Caf\u00E9", L"\u00E9t\u00E9"),
              L"Z\u00FCrich \u20AC 5");
    std::int16_t flag = -1;
    EXPECT_EQ(Registry::GetStringValue(HKEY_LOCAL_MACHINE, path, "\xC3\xA9t\xC3\xA9", flag), text);
    SaveSettings({0, 7, "2", true, "C:\\Apps\\\xC3\x9C\xE6\x97\xA5", "ClockSet"});
    EXPECT_EQ(WideValue(kRun, L"Quorvel"), L"\"c:\\apps\\\u00FC\u65E5\\ClockSet.exe\" -startup");
    EXPECT_TRUE(ReadLogonEntryExists());
    EXPECT_EQ(LogonCommandLine("C:\\", "TIME"), "\"c:\\TIME.exe\" -startup");
    // One Wine prefix holds one registry for every test.
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Quorvel");
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kRun, L"Quorvel");
}

}  // namespace
}  // namespace brisendale
