// The version record and icon that the resource script gives brisendale.exe,
// read back from a test executable built with the same script, through the
// Windows API that Explorer's property sheet uses.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace brisendale {
namespace {

std::vector<BYTE> OwnVersionBlock() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return {};
    }
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path, &ignored);
    std::vector<BYTE> block(size);
    if (size == 0 || !GetFileVersionInfoW(path, 0, size, block.data())) {
        return {};
    }
    return block;
}

// The text of one field of the US-English (040904B0) table, or "(missing)".
std::wstring Field(std::vector<BYTE>& block, const std::wstring& name) {
    const std::wstring query = L"\\StringFileInfo\\040904B0\\" + name;
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), query.c_str(), &value, &length) || value == nullptr) {
        return L"(missing)";
    }
    std::wstring text(static_cast<const wchar_t*>(value), length);
    while (!text.empty() && text.back() == L'\0') {
        text.pop_back();
    }
    return text;
}

TEST(VersionResource, TextFieldsInUsEnglish) {
    auto block = OwnVersionBlock();
    ASSERT_FALSE(block.empty()) << "the executable carries no version record";

    struct Row {
        const char* label;
        const wchar_t* name;
        const wchar_t* expected;
    };
    const Row rows[] = {
        {"file version", L"FileVersion", L"1.00"},
        {"product version", L"ProductVersion", L"1.00"},
        {"description", L"FileDescription", L"Syncronize your system time with the atomic time"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(Field(block, row.name), row.expected) << row.label;
    }
}

TEST(VersionResource, TranslationIsUsEnglishUnicode) {
    auto block = OwnVersionBlock();
    ASSERT_FALSE(block.empty());
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &value, &length));
    ASSERT_GE(length, 4u);
    const auto* pair = static_cast<const WORD*>(value);
    EXPECT_EQ(pair[0], 0x0409);
    EXPECT_EQ(pair[1], 1200);
}

TEST(VersionResource, FixedNumbersAgreeWithTheText) {
    auto block = OwnVersionBlock();
    ASSERT_FALSE(block.empty());
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", &value, &length));
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(0, 1));  // 1.0, written "1.00"
    EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(0, 1));
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
}

// The icon group that Explorer shows: 32 x 32 and 16 x 16, 16 colours each.
#pragma pack(push, 2)
struct IconGroupHeader {
    WORD reserved;
    WORD type;
    WORD count;
};
struct IconGroupEntry {
    BYTE width;
    BYTE height;
    BYTE colours;
    BYTE reserved;
    WORD planes;
    WORD bitsPerPixel;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

TEST(VersionResource, IconHasTwoSixteenColourImages) {
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(14));  // group icon
    ASSERT_NE(found, nullptr) << "no icon group with id 1";
    HGLOBAL loaded = LoadResource(nullptr, found);
    ASSERT_NE(loaded, nullptr);
    const auto* bytes = static_cast<const BYTE*>(LockResource(loaded));
    const DWORD size = SizeofResource(nullptr, found);
    ASSERT_GE(size, sizeof(IconGroupHeader));
    const auto* header = reinterpret_cast<const IconGroupHeader*>(bytes);
    ASSERT_EQ(header->count, 2);
    ASSERT_GE(size, sizeof(IconGroupHeader) + 2 * sizeof(IconGroupEntry));
    const auto* entries = reinterpret_cast<const IconGroupEntry*>(bytes + sizeof(IconGroupHeader));

    bool saw32 = false;
    bool saw16 = false;
    for (int i = 0; i < 2; ++i) {
        const IconGroupEntry& entry = entries[i];
        EXPECT_EQ(entry.width, entry.height);
        EXPECT_EQ(entry.colours, 16);
        saw32 = saw32 || entry.width == 32;
        saw16 = saw16 || entry.width == 16;
        // Each image is there in full, as a 4-bit picture of the stated size
        // (its bitmap holds the colour and the mask rows, hence twice the height).
        HRSRC image = FindResourceW(nullptr, MAKEINTRESOURCEW(entry.id), MAKEINTRESOURCEW(3));
        ASSERT_NE(image, nullptr) << "image " << entry.id;
        EXPECT_EQ(SizeofResource(nullptr, image), entry.bytes);
        ASSERT_GE(SizeofResource(nullptr, image), sizeof(BITMAPINFOHEADER));
        const auto* bitmap =
            static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(nullptr, image)));
        EXPECT_EQ(bitmap->biWidth, entry.width);
        EXPECT_EQ(bitmap->biHeight, 2 * entry.height);
        EXPECT_EQ(bitmap->biBitCount, 4);
    }
    EXPECT_TRUE(saw32);
    EXPECT_TRUE(saw16);
}

}  // namespace
}  // namespace brisendale
