// brisendale-reg: each row runs a few commands in a fresh store and checks
// status, output and messages.
#include "tools/brisendale-reg/reg_command.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "tests/support/temp_config_home.h"

namespace brisendale {
namespace {

struct Step {
    std::vector<std::string> args;
    int status;
    std::string out;         // exact, when not empty
    std::string errPart;     // contained in the messages, when not empty
    std::string input = "";  // what the user types at a question
};

struct Row {
    const char* name;
    std::vector<Step> steps;
};

class RegCommand : public ::testing::TestWithParam<Row> {
  protected:
    testing::TempConfigHome home_;
};

TEST_P(RegCommand, Runs) {
    for (const Step& step : GetParam().steps) {
        std::istringstream in(step.input);
        std::ostringstream out;
        std::ostringstream err;
        std::string shown;
        for (const std::string& arg : step.args)
            shown += arg + " ";
        EXPECT_EQ(RunRegCommand(step.args, in, out, err), step.status) << shown << err.str();
        if (!step.out.empty()) {
            EXPECT_EQ(out.str(), step.out) << shown;
        }
        if (!step.errPart.empty()) {
            EXPECT_NE(err.str().find(step.errPart), std::string::npos) << shown << err.str();
        } else {
            EXPECT_EQ(err.str(), "") << shown;
        }
    }
}

const std::string kDone = "The operation completed successfully.\n";
const std::string kNotFound = "unable to find the specified registry key or value";
const std::string kKey = "HKLM\\Software\\Quorvel";

INSTANTIATE_TEST_SUITE_P(
    Rows, RegCommand,
    ::testing::Values(
        Row{"AddThenQueryOneValue",
            {{{"add", kKey, "/v", "Delay", "/t", "REG_DWORD", "/d", "30"}, 0, kDone, ""},
             {{"query", "HKEY_LOCAL_MACHINE\\Software\\Quorvel\\", "/v", "delay"},
              0,
              "\nHKEY_LOCAL_MACHINE\\Software\\Quorvel\n    delay    REG_DWORD    0x1e\n\n",
              ""}}},
        Row{"QueryWholeKeyListsValuesThenSubKeys",
            {{{"add", kKey, "/v", "Name", "/d", "some text"}, 0, kDone, ""},
             {{"add", kKey, "/v", "ServerIndex", "/t", "reg_dword", "/d", "0xFFFFFFFF"},
              0,
              kDone,
              ""},
             {{"add", kKey + "\\Sub"}, 0, kDone, ""},
             {{"query", "hklm\\software\\quorvel"},
              0,
              "\nHKEY_LOCAL_MACHINE\\software\\quorvel\n"
              "    Name    REG_SZ    some text\n"
              "    ServerIndex    REG_DWORD    0xffffffff\n\n"
              "HKEY_LOCAL_MACHINE\\software\\quorvel\\Sub\n",
              ""}}},
        Row{"ExistingValueNeedsForceOrAYes",
            {{{"add", kKey, "/v", "V", "/d", "1"}, 0, kDone, ""},
             {{"add", kKey, "/v", "V", "/d", "2"}, 1, "", "cancelled", "n\n"},
             {{"add", kKey, "/v", "V", "/d", "3"}, 1, "", "cancelled"},
             {{"query", kKey, "/v", "V"},
              0,
              "\nHKEY_LOCAL_MACHINE\\Software\\Quorvel\n    V    REG_SZ    1\n\n",
              ""},
             {{"add", kKey, "/v", "V", "/d", "4"}, 0, "", "", "yes\n"},
             {{"add", kKey, "-V", "V", "-D", "5", "-F"}, 0, kDone, ""},
             {{"query", kKey, "/v", "V"},
              0,
              "\nHKEY_LOCAL_MACHINE\\Software\\Quorvel\n    V    REG_SZ    5\n\n",
              ""}}},
        Row{"DeleteAsksUnlessForced",
            {{{"add", kKey, "/v", "V", "/d", "1"}, 0, kDone, ""},
             {{"delete", kKey, "/v", "V"}, 1, "", "cancelled", ""},
             {{"delete", kKey, "/v", "V", "/f"}, 0, kDone, ""},
             {{"delete", kKey, "/v", "V", "/f"}, 1, "", kNotFound},
             {{"query", kKey, "/v", "V"}, 1, "", kNotFound}}},
        Row{"DefaultValue",
            {{{"add", kKey, "/ve", "/d", "d"}, 0, kDone, ""},
             {{"query", kKey, "/ve"},
              0,
              "\nHKEY_LOCAL_MACHINE\\Software\\Quorvel\n    (Default)    REG_SZ    d\n\n",
              ""}}},
        Row{"RunKeyIsTheAutostartFolder",
            {{{"add", "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", "/v", "Quorvel",
               "/d", "\"/opt/b\" -startup"},
              0,
              kDone,
              ""},
             {{"query", "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"},
              0,
              "\nHKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\n"
              "    Quorvel    REG_SZ    \"/opt/b\" -startup\n\n",
              ""},
             {{"add", "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", "/v", "Quorvel",
               "/t", "REG_DWORD", "/d", "1", "/f"},
              1,
              "",
              "parameter is incorrect"}}},
        Row{"MissingKey", {{{"query", "HKLM\\Nothing\\Here"}, 1, "", kNotFound}}},
        Row{"BadSyntax",
            {{{}, 1, "", "Invalid syntax"},
             {{"list", kKey}, 1, "", "Invalid syntax"},
             {{"query"}, 1, "", "key is missing"},
             {{"query", "HKCU\\Software"}, 1, "", "Invalid key name"},
             {{"query", "Software\\Quorvel"}, 1, "", "Invalid key name"},
             {{"query", kKey, "/v"}, 1, "", "Invalid syntax"},
             {{"query", kKey, "/v", "a", "/v", "b"}, 1, "", "Invalid syntax"},
             {{"query", kKey, "/f"}, 1, "", "Invalid syntax"},
             {{"query", kKey, "stray"}, 1, "", "Invalid syntax"},
             {{"delete", kKey, "/f"}, 1, "", "keys are not deleted"},
             {{"add", kKey, "/v", "V", "/t", "REG_BINARY", "/d", "00"},
              1,
              "",
              "REG_SZ or REG_DWORD"},
             {{"add", kKey, "/v", "V", "/t", "REG_DWORD", "/d", "4294967296"},
              1,
              "",
              "REG_DWORD data"},
             {{"add", kKey, "/v", "V", "/t", "REG_DWORD", "/d", "-1"}, 1, "", "REG_DWORD data"},
             {{"add", kKey, "/v", "V", "/t", "REG_DWORD", "/d", "0x"}, 1, "", "REG_DWORD data"},
             {{"add", kKey, "/v", "V", "/t", "REG_DWORD", "/d", "12abc"}, 1, "", "REG_DWORD data"},
             {{"query", kKey}, 1, "", kNotFound}}},
        Row{"Help", {{{"/?"}, 0, "", ""}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RegCommandStore, BrokenStoreIsReportedAndLeftAlone) {
    testing::TempConfigHome home;
    testing::WriteFile(home.Store(), "not a database");
    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunRegCommand({"add", kKey, "/v", "V", "/d", "1", "/f"}, in, out, err), 1);
    EXPECT_NE(err.str().find("left as it is"), std::string::npos) << err.str();
    EXPECT_EQ(testing::ReadFile(home.Store()), "not a database");
}

}  // namespace
}  // namespace brisendale
