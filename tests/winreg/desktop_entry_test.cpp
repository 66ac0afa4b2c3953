// The autostart entry's text: written, read back, and read from others' files.
#include "winreg_posix/desktop_entry.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>

namespace brisendale {
namespace {

// The standard's escapes, so the desktop reads our text; the round trip is the fuzz target's.
TEST(DesktopEntry, EscapesAsTheStandardSays) {
    EXPECT_EQ(DesktopEntry::EscapeString(" a\\b\n\t\r "), "\\sa\\\\b\\n\\t\\r\\s");
}

TEST(DesktopEntry, ReaderTakesTheEntryGroupsExecUnlessSwitchedOff) {
    const std::pair<std::string, std::optional<std::string>> rows[] = {
        {"# c\n[Desktop Entry]\r\nName=x\n\n Exec = a\\xb\\\r\n", "a\\xb\\"},
        {"[Desktop Entry]\nExec=a\nHidden=false\nX-GNOME-Autostart-enabled=true", "a"},
        {"[Desktop Entry]\nExec=a\nHidden=true\n", std::nullopt},
        {"[Desktop Entry]\nExec=a\nX-GNOME-Autostart-enabled=false\n", std::nullopt},
        {"[Other]\nHidden=true\n[Desktop Entry]\nExec=b\n", "b"},
        {"[Desktop Entry]\n[Desktop Action x]\nExec=a\n", std::nullopt},
    };
    for (const auto& [file, exec] : rows)
        EXPECT_EQ(DesktopEntry::ReadExec(file), exec) << file;
}

// Desktops list entries by Name: ours by the program's, others by the value's; ours has our icon.
TEST(DesktopEntry, TryExecNamesTheUnquotedProgramAndOnlyOursLooksLikeUs) {
    const std::tuple<std::string, std::string, bool> rows[] = {
        {"\"/opt/a\\\"b\\$c\\\\d%%%%e x\" -startup", "\nTryExec=/opt/a\"b$c\\\\d%%e x\n", false},
        {"\"/opt/my apps/brisendale\" -startup", "\nTryExec=/opt/my apps/brisendale\n", true},
        {"brisendale -startup", "\nTryExec=brisendale\n", true},
        {"/usr/bin/brisendale-reg", "\nTryExec=/usr/bin/brisendale-reg\n", false},
        {"/opt/brisendale/other", "\nTryExec=/opt/brisendale/other\n", false},
        {"", "", false},
        {"\"/opt/unclosed -startup", "", false},
        {"\"/opt/x\\", "", false},
    };
    for (const auto& [exec, tryExecLine, ours] : rows) {
        const std::string file = DesktopEntry::Format("Quorvel", exec);
        const std::string wanted = tryExecLine.empty() ? "\nTryExec=" : tryExecLine;
        EXPECT_EQ(file.find(wanted) != std::string::npos, !tryExecLine.empty()) << file;
        const bool named = file.find(ours ? "\nName=Brisendale\nComment=" : "\nName=Quorvel\n") !=
                           std::string::npos;
        EXPECT_TRUE(named) << file;
        EXPECT_EQ(file.find("\nIcon=org.brisendale.Brisendale\n") != std::string::npos, ours)
            << file;
    }
}

TEST(DesktopEntry, StorableTextIsValidUtf8WithoutControlCharacters) {
    // The first and last scalar values of each sequence length, and around the surrogates.
    EXPECT_TRUE(DesktopEntry::IsStorableText(
        "a\tb\nc\r "
        "\xC2\x80\xDF\xBF\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80\xF0\x90\x80\x80\xF4\x8F\xBF\xBF"));
    for (const char* bad : {"\x01", "\x7F", "\xC3", "\xC1\xBF", "\xE0\x9F\xBF", "\xED\xA0\x80",
                            "\xED\xBF\xBF", "\xF0\x8F\xBF\xBF", "\xF4\x90\x80\x80"})
        EXPECT_FALSE(DesktopEntry::IsStorableText(bad)) << ::testing::PrintToString(bad);
}

}  // namespace
}  // namespace brisendale
