// The registry routines' results and failure flag, through the real stand-in.
#include "settings/registry.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "tests/support/temp_config_home.h"

namespace brisendale {
namespace {

using testing::TempConfigHome;

const std::string kPath = "Software\\Quorvel\\";

void StoreRaw(const std::string& path, const std::string& name, DWORD type,
              const std::string& bytes) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, path.c_str(), &key), ERROR_SUCCESS);
    ASSERT_EQ(
        RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                       static_cast<DWORD>(bytes.size())),
        ERROR_SUCCESS);
    RegCloseKey(key);
}

struct StoredRaw {
    DWORD type;
    std::string bytes;
};

std::optional<StoredRaw> ReadRaw(const std::string& path, const std::string& name) {
    HKEY key = nullptr;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, path.c_str(), &key) != ERROR_SUCCESS)
        return std::nullopt;
    StoredRaw raw{0, std::string(4096, '\0')};
    DWORD size = 4096;
    const LONG result = RegQueryValueExA(key, name.c_str(), nullptr, &raw.type,
                                         reinterpret_cast<BYTE*>(raw.bytes.data()), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS)
        return std::nullopt;
    raw.bytes.resize(size);
    return raw;
}

struct FlagRow {
    const char* name;
    std::function<void()> setup;
    std::int16_t flagBefore;
    std::int32_t number;  // for the DWORD reads
    std::int16_t flagAfter;
};

class GetDwordValueTest : public ::testing::TestWithParam<FlagRow> {
  protected:
    TempConfigHome home_;
};

TEST_P(GetDwordValueTest, ResultAndFlag) {
    const FlagRow& row = GetParam();
    row.setup();
    std::int16_t flag = row.flagBefore;
    EXPECT_EQ(Registry::GetDwordValue(HKEY_LOCAL_MACHINE, kPath, "Value", flag), row.number);
    EXPECT_EQ(flag, row.flagAfter);
}

const std::string kSeven("\x07\0\0\0", 4);

INSTANTIATE_TEST_SUITE_P(
    Rows, GetDwordValueTest,
    ::testing::Values(
        FlagRow{"MissingKey", [] {}, 0, 0, -1},
        FlagRow{"MissingValue", [] { StoreRaw(kPath, "Other", REG_DWORD, kSeven); }, 0, 0, -1},
        FlagRow{"Read", [] { StoreRaw(kPath, "Value", REG_DWORD, kSeven); }, 0, 7, 0},
        FlagRow{"ReadLeavesEarlierFailure", [] { StoreRaw(kPath, "Value", REG_DWORD, kSeven); }, -1,
                7, -1},
        FlagRow{"AllOnesIsMinusOne",
                [] { StoreRaw(kPath, "Value", REG_DWORD, std::string(4, '\xFF')); }, 0, -1, 0},
        FlagRow{"TextSevenWithNulIsZero",
                [] { StoreRaw(kPath, "Value", REG_SZ, std::string("7\0", 2)); }, 0, 0, 0},
        FlagRow{"FourCharactersWithNulDoNotFit",
                [] { StoreRaw(kPath, "Value", REG_SZ, std::string("1234\0", 5)); }, 0, 0, -1},
        FlagRow{"ThreeBinaryBytesAreZero", [] { StoreRaw(kPath, "Value", REG_BINARY, "abc"); }, 0,
                0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

struct TextRow {
    const char* name;
    std::function<void()> setup;
    std::int16_t flagBefore;
    std::string text;
    std::int16_t flagAfter;
};

class GetStringValueTest : public ::testing::TestWithParam<TextRow> {
  protected:
    TempConfigHome home_;
};

TEST_P(GetStringValueTest, ResultAndFlag) {
    const TextRow& row = GetParam();
    row.setup();
    std::int16_t flag = row.flagBefore;
    EXPECT_EQ(Registry::GetStringValue(HKEY_LOCAL_MACHINE, kPath, "Value", flag), row.text);
    EXPECT_EQ(flag, row.flagAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, GetStringValueTest,
    ::testing::Values(
        TextRow{"MissingKey", [] {}, 0, "", -1},
        TextRow{"MissingValue", [] { StoreRaw(kPath, "Other", REG_SZ, "x"); }, 0, "", -1},
        TextRow{"WithoutNulReadsWhole", [] { StoreRaw(kPath, "Value", REG_SZ, "abc"); }, -1, "abc",
                0},
        TextRow{"WithNulLosesIt", [] { StoreRaw(kPath, "Value", REG_SZ, std::string("abc\0", 4)); },
                -1, "abc", 0},
        TextRow{"CutAtEmbeddedNul",
                [] { StoreRaw(kPath, "Value", REG_SZ, std::string("ab\0cd", 5)); }, 0, "ab", 0},
        TextRow{"Empty", [] { StoreRaw(kPath, "Value", REG_SZ, ""); }, -1, "", 0},
        TextRow{"NonAscii", [] { StoreRaw(kPath, "Value", REG_SZ, "Z\xC3\xBCrich"); }, 0,
                "Z\xC3\xBCrich", 0},
        TextRow{"ExpandSzIsNotText", [] { StoreRaw(kPath, "Value", REG_EXPAND_SZ, "x"); }, -1, "",
                0},
        TextRow{"MultiSzIsNotText",
                [] { StoreRaw(kPath, "Value", REG_MULTI_SZ, std::string("a\0\0", 3)); }, -1, "",
                0}),
    [](const auto& info) { return std::string(info.param.name); });

class RegistryWrites : public ::testing::Test {
  protected:
    TempConfigHome home_;
};

TEST_F(RegistryWrites, TextIsStoredWithoutNulAndWithAllItsBytes) {
    Registry::SetStringValue(HKEY_LOCAL_MACHINE, "A\\B\\", "abc", "abc");
    Registry::SetStringValue(HKEY_LOCAL_MACHINE, "A\\B\\", "empty", "");
    // Three characters, five bytes: sized by characters it would lose its end.
    Registry::SetStringValue(HKEY_LOCAL_MACHINE, "A\\B\\", "wide", "\xC3\xA9t\xC3\xA9");
    EXPECT_EQ(ReadRaw("A\\B", "abc")->bytes, "abc");
    EXPECT_EQ(ReadRaw("A\\B", "abc")->type, REG_SZ);
    EXPECT_EQ(ReadRaw("A\\B", "empty")->bytes, "");
    EXPECT_EQ(ReadRaw("A\\B", "wide")->bytes, "\xC3\xA9t\xC3\xA9");
}

TEST_F(RegistryWrites, DwordIsFourLittleEndianBytesUnderANewKeyChain) {
    Registry::SetDwordValue(HKEY_LOCAL_MACHINE, "X\\Y\\Z\\", "v", -2);
    const auto raw = ReadRaw("X\\Y\\Z", "v");
    ASSERT_TRUE(raw);
    EXPECT_EQ(raw->type, REG_DWORD);
    EXPECT_EQ(raw->bytes, "\xFE\xFF\xFF\xFF");
    std::int16_t flag = 0;
    EXPECT_EQ(Registry::GetDwordValue(HKEY_LOCAL_MACHINE, "X\\Y\\Z\\", "v", flag), -2);
}

TEST_F(RegistryWrites, DeleteOfMissingKeyOrValueChangesNothing) {
    Registry::DeleteValue(HKEY_LOCAL_MACHINE, kPath, "Value");
    EXPECT_FALSE(std::filesystem::exists(home_.Store()));
    StoreRaw(kPath, "Keep", REG_SZ, "k");
    Registry::DeleteValue(HKEY_LOCAL_MACHINE, kPath, "Value");
    Registry::DeleteValue(HKEY_LOCAL_MACHINE, kPath, "keep");
    EXPECT_FALSE(ReadRaw(kPath, "Keep"));
}

TEST(TrimAtNul, CutsAtTheFirstNul) {
    EXPECT_EQ(Registry::TrimAtNul("abc"), "abc");
    EXPECT_EQ(Registry::TrimAtNul(std::string("\0abc", 4)), "");
    EXPECT_EQ(Registry::TrimAtNul(std::string("ab\0c\0", 5)), "ab");
    // Far beyond what a 16-bit position could count.
    const std::string longText = std::string(40000, 'a') + std::string(1, '\0') + "b";
    EXPECT_EQ(Registry::TrimAtNul(longText), std::string(40000, 'a'));
}

}  // namespace
}  // namespace brisendale
