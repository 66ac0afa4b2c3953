// The version record of brisendale.exe's resource script, read back from a
// test executable built with it, as Explorer reads it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(VersionResource, UsEnglishRecordGivesVersionAndDescription) {
    wchar_t path[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameW(nullptr, path, MAX_PATH), 0u);
    std::vector<BYTE> block(GetFileVersionInfoSizeW(path, nullptr));
    ASSERT_FALSE(block.empty()) << "the executable carries no version record";
    ASSERT_TRUE(GetFileVersionInfoW(path, 0, static_cast<DWORD>(block.size()), block.data()));
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\StringFileInfo\\040904B0\\FileDescription", &value,
                               &length));
    EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(value)),
              L"Syncronize your system time with the atomic time");
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", &value, &length));
    // "1.00" is version 1.0 to Windows, not 1.00 read as a hundred.
    EXPECT_EQ(static_cast<const VS_FIXEDFILEINFO*>(value)->dwFileVersionMS, MAKELONG(0, 1));
}
