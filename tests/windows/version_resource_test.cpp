// The version record and icon of brisendale.exe's resource script, read back
// from a test executable built with it, as Explorer reads them.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace brisendale {
namespace {

TEST(VersionResource, UsEnglishRecordGivesVersionAndDescription) {
    wchar_t path[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameW(nullptr, path, MAX_PATH), 0u);
    std::vector<BYTE> block(GetFileVersionInfoSizeW(path, nullptr));
    ASSERT_FALSE(block.empty()) << "the executable carries no version record";
    ASSERT_TRUE(GetFileVersionInfoW(path, 0, static_cast<DWORD>(block.size()), block.data()));
    const auto query = [&](const std::wstring& what, UINT minimum) -> const void* {
        void* value = nullptr;
        UINT length = 0;
        return VerQueryValueW(block.data(), what.c_str(), &value, &length) && length >= minimum
                   ? value
                   : nullptr;
    };

    const auto* translation = static_cast<const WORD*>(query(L"\\VarFileInfo\\Translation", 4));
    ASSERT_NE(translation, nullptr);
    EXPECT_EQ(translation[0], 0x0409);
    EXPECT_EQ(translation[1], 1200);
    const std::pair<const wchar_t*, const wchar_t*> fields[] = {
        {L"FileVersion", L"1.00"},
        {L"ProductVersion", L"1.00"},
        {L"FileDescription", L"Syncronize your system time with the atomic time"}};
    for (const auto& [name, expected] : fields) {
        const auto* text = static_cast<const wchar_t*>(
            query(L"\\StringFileInfo\\040904B0\\" + std::wstring(name), 1));
        EXPECT_EQ(std::wstring(text ? text : L"(missing)"), expected) << name;
    }
    const auto* fixed =
        static_cast<const VS_FIXEDFILEINFO*>(query(L"\\", sizeof(VS_FIXEDFILEINFO)));
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(0, 1));  // 1.0, written "1.00"
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
}

// A 6-byte header, then 14-byte entries starting with width, height, colours.
TEST(VersionResource, IconGroupHoldsTwoSixteenColourSizes) {
    HRSRC group = FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(14));
    ASSERT_NE(group, nullptr) << "no icon group with id 1";
    ASSERT_EQ(SizeofResource(nullptr, group), 6u + 2 * 14u);
    const auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, group)));
    EXPECT_EQ(std::vector<int>({bytes[6], bytes[7], bytes[8], bytes[20], bytes[21], bytes[22]}),
              std::vector<int>({32, 32, 16, 16, 16, 16}));
}

}  // namespace
}  // namespace brisendale
