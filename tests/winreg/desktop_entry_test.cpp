#include "winreg_posix/desktop_entry.h"

#include <gtest/gtest.h>

#include <string>

namespace brisendale {
namespace {

struct EscapeRow {
    const char* name;
    std::string text;
    std::string escaped;
};

class DesktopEscape : public ::testing::TestWithParam<EscapeRow> {};

TEST_P(DesktopEscape, EscapesAndReadsBack) {
    const EscapeRow& row = GetParam();
    EXPECT_EQ(DesktopEntry::EscapeString(row.text), row.escaped);
    EXPECT_EQ(DesktopEntry::UnescapeString(row.escaped), row.text);
    const auto exec = DesktopEntry::ReadExec(DesktopEntry::Format("n", row.text));
    ASSERT_TRUE(exec.has_value());
    EXPECT_EQ(*exec, row.text);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DesktopEscape,
    ::testing::Values(EscapeRow{"Plain", "abc", "abc"}, EscapeRow{"Empty", "", ""},
                      EscapeRow{"Backslash", "a\\b", "a\\\\b"},
                      EscapeRow{"DoubledBackslash", "\\\\", "\\\\\\\\"},
                      EscapeRow{"ControlCharacters", "a\nb\tc\rd", "a\\nb\\tc\\rd"},
                      EscapeRow{"InnerBlanksStay", "a b", "a b"},
                      EscapeRow{"EdgeBlanks", " a ", "\\sa\\s"},
                      EscapeRow{"OnlyABlank", " ", "\\s"},
                      EscapeRow{"NonAscii", "Z\xC3\xBCrich", "Z\xC3\xBCrich"},
                      EscapeRow{"LooksLikeAnEscape", "\\s", "\\\\s"}),
    [](const auto& info) { return std::string(info.param.name); });

struct ReadRow {
    const char* name;
    std::string file;
    std::optional<std::string> exec;
};

class DesktopRead : public ::testing::TestWithParam<ReadRow> {};

TEST_P(DesktopRead, FindsTheExecOfTheEntryGroup) {
    EXPECT_EQ(DesktopEntry::ReadExec(GetParam().file), GetParam().exec);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DesktopRead,
    ::testing::Values(
        ReadRow{"Plain", "[Desktop Entry]\nExec=a b\n", "a b"},
        ReadRow{"BlanksAroundEquals", "[Desktop Entry]\nExec = a\n", "a"},
        ReadRow{"CrLf", "[Desktop Entry]\r\nExec=a\r\n", "a"},
        ReadRow{"CommentsAndOtherKeys", "# c\n[Desktop Entry]\nName=x\n\nExec=a\n", "a"},
        ReadRow{"Hidden", "[Desktop Entry]\nExec=a\nHidden=true\n", std::nullopt},
        ReadRow{"HiddenFalse", "[Desktop Entry]\nExec=a\nHidden=false\n", "a"},
        ReadRow{"GnomeSwitchedOff", "[Desktop Entry]\nExec=a\nX-GNOME-Autostart-enabled=false\n",
                std::nullopt},
        ReadRow{"GnomeSwitchedOn", "[Desktop Entry]\nExec=a\nX-GNOME-Autostart-enabled=true\n",
                "a"},
        ReadRow{"NoExec", "[Desktop Entry]\nName=x\n", std::nullopt},
        ReadRow{"ExecInAnotherGroup", "[Desktop Entry]\n[Desktop Action x]\nExec=a\n",
                std::nullopt},
        ReadRow{"NoNewlineAtEnd", "[Desktop Entry]\nExec=a", "a"},
        ReadRow{"UnknownEscapeKept", "[Desktop Entry]\nExec=a\\xb\\", "a\\xb\\"},
        ReadRow{"Empty", "", std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DesktopEntryFormat, TryExecNamesTheProgramOfExecAndTheIconIsOurs) {
    const std::pair<std::string, std::string> rows[] = {
        {"\"/opt/My Apps/brisendale\" -startup", "\nTryExec=/opt/My Apps/brisendale\n"},
        {"\"/opt/a\\\"b\\$c%%d\\\\e/x\" -startup", "\nTryExec=/opt/a\"b$c%d\\\\e/x\n"},
        {"/usr/bin/brisendale -startup", "\nTryExec=/usr/bin/brisendale\n"},
        {"", ""},
        {"\"/opt/unclosed -startup", ""},
    };
    for (const auto& [exec, tryExecLine] : rows) {
        const std::string file = DesktopEntry::Format("Quorvel", exec);
        if (tryExecLine.empty()) {
            EXPECT_EQ(file.find("TryExec="), std::string::npos) << file;
        } else {
            EXPECT_NE(file.find(tryExecLine), std::string::npos) << file;
        }
        EXPECT_NE(file.find("\nIcon=org.brisendale.Brisendale\n"), std::string::npos) << file;
        EXPECT_EQ(DesktopEntry::ReadExec(file), exec);
    }
}

TEST(DesktopEntryText, StorableTextIsValidUtf8WithoutControlCharacters) {
    EXPECT_TRUE(DesktopEntry::IsStorableText("a\tb\nc \xC3\xBC \xF0\x9F\x95\x90"));
    for (const std::string& bad :
         {std::string("a\0b", 3), std::string("\x01"), std::string("\x7F"), std::string("\xC3"),
          std::string("\xC0\x80"), std::string("\xED\xA0\x80"), std::string("\xF4\x90\x80\x80")}) {
        EXPECT_FALSE(DesktopEntry::IsStorableText(bad)) << ::testing::PrintToString(bad);
    }
}

}  // namespace
}  // namespace brisendale
