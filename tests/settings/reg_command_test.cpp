// brisendale-reg against a fresh store: what each command prints, asks, changes.
#include "tools/brisendale-reg/reg_command.h"

#include <gtest/gtest.h>

#include <sstream>

#include "tests/support/raw_registry.h"
#include "tests/support/temp_config_home.h"

namespace brisendale {
namespace {

const std::string kKey = "HKLM\\Software\\Quorvel";
const std::string kShown = "\nHKEY_LOCAL_MACHINE\\Software\\Quorvel";
const std::string kSucceeded = "The operation completed successfully.\n";
const std::string kDone = "0 " + kSucceeded;
const std::string kCancelled = "ERROR: The operation was cancelled; nothing was changed.\n";
const std::string kNotFound =
    "1 ERROR: The system was unable to find the specified registry key or value.\n";

// The status, then what the command printed and its messages.
std::string Reg(const std::vector<std::string>& args, const std::string& typed = "") {
    std::istringstream in(typed);
    std::ostringstream out;
    const int status = RunRegCommand(args, in, out, out);
    return std::to_string(status) + " " + out.str();
}

// A query lists values in name order, then child keys; overwriting or deleting needs a yes or /f.
TEST(RegCommand, AddQueryAndDeleteAskBeforeChangingAValue) {
    testing::TempConfigHome home;
    EXPECT_EQ(Reg({"add", kKey, "/v", "Name", "/d", "some text"}), kDone);
    EXPECT_EQ(Reg({"add", kKey, "/v", "A", "/t", "reg_dword", "/d", "0x7"}), kDone);
    EXPECT_EQ(Reg({"add", kKey + "\\Sub\\Deeper", "/ve", "/t", "REG_DWORD", "/d", "4294967295"}),
              kDone);
    EXPECT_EQ(Reg({"query", "hklm\\software\\quorvel\\"}),
              "0 \nHKEY_LOCAL_MACHINE\\software\\quorvel\n    A    REG_DWORD    0x7\n"
              "    Name    REG_SZ    some text\n\nHKEY_LOCAL_MACHINE\\software\\quorvel\\Sub\n");
    EXPECT_EQ(Reg({"query", "HKEY_LOCAL_MACHINE\\Software\\Quorvel\\Sub\\Deeper", "/ve"}),
              "0 " + kShown + "\\Sub\\Deeper\n    (Default)    REG_DWORD    0xffffffff\n\n");
    // Another program's multi-string: its inner NULs shown as \0, its closing ones not.
    ASSERT_EQ(testing::StoreRaw("Software\\Quorvel\\M", "m", REG_MULTI_SZ, {"a\0b\0\0", 5}),
              ERROR_SUCCESS);
    EXPECT_EQ(Reg({"query", kKey + "\\M"}),
              "0 " + kShown + "\\M\n    m    REG_MULTI_SZ    a\\0b\n\n");
    // The Run key's values are autostart files; the key itself is always there.
    const std::string version = "\\Software\\Microsoft\\Windows\\CurrentVersion";
    EXPECT_EQ(Reg({"add", "HKLM" + version + "\\Run", "/v", "Quorvel", "/d", "x -startup"}), kDone);
    EXPECT_EQ(
        Reg({"query", "HKLM" + version + "\\Run"}),
        "0 \nHKEY_LOCAL_MACHINE" + version + "\\Run\n    Quorvel    REG_SZ    x -startup\n\n");
    EXPECT_EQ(Reg({"query", "HKLM" + version}),
              "0 \nHKEY_LOCAL_MACHINE" + version + "\nHKEY_LOCAL_MACHINE" + version + "\\Run\n");
    const std::string question = "Value V exists, overwrite (Yes/No)? ";
    EXPECT_EQ(Reg({"add", kKey, "/v", "V", "/t", "REG_DWORD", "/d", "0xFFFFFFFF"}), kDone);
    EXPECT_EQ(Reg({"add", kKey, "/v", "V", "/d", "2"}, "n\n"), "1 " + question + kCancelled);
    EXPECT_EQ(Reg({"add", kKey, "/v", "V", "/d", "3"}), "1 " + question + kCancelled);
    EXPECT_EQ(Reg({"query", kKey, "/v", "v"}),
              "0 " + kShown + "\n    v    REG_DWORD    0xffffffff\n\n");
    EXPECT_EQ(Reg({"add", kKey, "/v", "V", "/d", "4"}, "yes\n"), "0 " + question + kSucceeded);
    EXPECT_EQ(Reg({"add", kKey, "-V", "V", "-D", "5", "-F"}), kDone);
    EXPECT_EQ(Reg({"query", kKey, "/v", "V"}), "0 " + kShown + "\n    V    REG_SZ    5\n\n");
    EXPECT_EQ(Reg({"delete", kKey, "/v", "V"}),
              "1 Delete the registry value V (Yes/No)? " + kCancelled);
    EXPECT_EQ(Reg({"delete", kKey, "/v", "V", "/f"}), kDone);
    EXPECT_EQ(Reg({"delete", kKey, "/v", "V", "/f"}), kNotFound);
}

TEST(RegCommand, BadCommandFailsWithItsReasonAndChangesNothing) {
    testing::TempConfigHome home;
    const std::pair<std::vector<std::string>, std::string> rows[] = {
        {{}, "Invalid syntax"},
        {{"query"}, "key is missing"},
        {{"query", "HKCU\\Software"}, "Invalid key name"},
        {{"query", kKey, "/v"}, "Invalid syntax"},
        {{"query", kKey, "/v", "a", "/v", "b"}, "Invalid syntax"},
        {{"query", kKey, "/f"}, "Invalid syntax"},
        {{"query", kKey, "stray"}, "Invalid syntax"},
        {{"delete", kKey, "/f"}, "keys are not deleted"},
        {{"add", kKey, "/v", "V", "/t", "REG_BINARY"}, "REG_SZ or REG_DWORD"},
        {{"add", kKey, "/v", "V", "/t", "REG_DWORD", "/d", "4294967296"}, "REG_DWORD data"},
        {{"add", kKey, "/v", "V", "/t", "REG_DWORD", "/d", "12abc"}, "REG_DWORD data"},
        {{"add", kKey, "/v", "V", "/t", "REG_DWORD", "/d", ""}, "REG_DWORD data"},
        {{"add", kKey, "/t", "REG_DWORD", "/d", "30", "/f"}, "Invalid syntax"},
    };
    for (const auto& [args, reason] : rows) {
        const std::string result = Reg(args);
        EXPECT_TRUE(result.starts_with("1 ERROR: ") && result.find(reason) != std::string::npos)
            << result;
    }
    EXPECT_EQ(Reg({"query", kKey}), kNotFound);
    for (const char* help : {"/?", "-h", "--HELP", "help"})
        EXPECT_TRUE(Reg({help}).starts_with("0 Usage:")) << help;
    ASSERT_EQ(Reg({"add", kKey, "/f"}), kDone);
    const testing::StoreLock locked = testing::LockStore(home.Store());
    EXPECT_TRUE(
        Reg({"add", kKey, "/v", "V", "/f"}).starts_with("1 ERROR: The registry store is busy"));
}

}  // namespace
}  // namespace brisendale
