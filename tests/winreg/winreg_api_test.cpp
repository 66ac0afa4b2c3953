// The registry API stand-in: Windows behaviours, batches, where it keeps the data, what it refuses.
#include "winreg_posix/winreg_posix.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "tests/support/raw_registry.h"
#include "tests/support/temp_config_home.h"

namespace brisendale {
namespace {

using namespace testing;
namespace fs = std::filesystem;

const std::string kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class WinregApi : public ::testing::Test {
  protected:
    TempConfigHome home_;
};

TEST_F(WinregApi, KeysValuesAndHandlesBehaveAsOnWindows) {
    HKEY key = HKEY_LOCAL_MACHINE;
    EXPECT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "K", &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key, nullptr);
    EXPECT_FALSE(fs::exists(home_.Store())) << "reading made a store";
    const std::string withNuls("ab\0cd\0", 6);
    ASSERT_EQ(StoreRaw("K\\Sub", "v", REG_BINARY, withNuls), ERROR_SUCCESS);
    ASSERT_EQ(StoreRaw("K\\Sub", nullptr, REG_SZ, "default"), ERROR_SUCCESS);
    EXPECT_EQ(ReadRaw("k\\SUB", "V"), withNuls);
    EXPECT_EQ(ReadRaw("K\\Sub", ""), "default");
    // Only the low 32 bits of a predefined key count; an open key is a base.
    ASSERT_EQ(RegOpenKeyA(reinterpret_cast<HKEY>(std::uintptr_t{0x80000002u}), "K", &key), 0);
    HKEY sub = nullptr;
    ASSERT_EQ(RegOpenKeyA(key, "sub", &sub), ERROR_SUCCESS);
    BYTE buffer[4] = {'x', 'x', 'x', 'x'};
    DWORD size = sizeof buffer;
    EXPECT_EQ(RegQueryValueExA(sub, "v", nullptr, nullptr, buffer, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 4), "xxxx");
    EXPECT_EQ(RegQueryValueExA(sub, "v", nullptr, nullptr, buffer, nullptr),
              ERROR_INVALID_PARAMETER);
    ASSERT_EQ(RegSetValueExA(sub, nullptr, 0, REG_SZ, nullptr, 0), 0);  // no data at all
    EXPECT_EQ(ReadRaw("K\\Sub", nullptr), "");
    EXPECT_EQ(RegCloseKey(sub), ERROR_SUCCESS);
    EXPECT_EQ(RegCreateKeyA(key, "a\\\\b", &sub), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, nullptr, nullptr, nullptr), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
    EXPECT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "K", &key), ERROR_FILE_NOT_FOUND);
    using enum fs::perms;
    EXPECT_EQ(fs::status(home_.Store()).permissions(), owner_read | owner_write);
    EXPECT_EQ(fs::status(home_.Store().parent_path()).permissions(), owner_all);
}

// A relative XDG_CONFIG_HOME is ignored for $HOME/.config; with no HOME, nowhere is.
TEST_F(WinregApi, RelativeConfigHomeFallsBackToAnAbsoluteHome) {
    const std::string realHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    setenv("HOME", home_.Path().c_str(), 1);
    setenv("XDG_CONFIG_HOME", "relative", 1);
    EXPECT_EQ(StoreRaw("K", "v", REG_SZ, "x"), ERROR_SUCCESS);
    EXPECT_TRUE(fs::exists(home_.Path() / ".config" / "brisendale" / "registry.sqlite3"));
    unsetenv("HOME");
    EXPECT_NE(StoreRaw("K", "v", REG_SZ, "x"), ERROR_SUCCESS);
    setenv("HOME", realHome.c_str(), 1);
}

// What another process sees of the key, read by the reg command.
std::string SeenElsewhere() {
    FILE* pipe = popen("'" BRISENDALE_REG_PATH "' query 'HKLM\\Software\\Quorvel' 2>&1", "r");
    std::string output(1024, '\0');
    output.resize(std::fread(output.data(), 1, output.size(), pipe));
    pclose(pipe);
    return output;
}

TEST_F(WinregApi, NestedBatchWritesLandTogetherAtTheOutermostEnd) {
    ASSERT_EQ(RegBeginBatchPOSIX(), ERROR_SUCCESS);
    EXPECT_EQ(ReadRaw("K", "v"), Failed(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(RegEndBatchPOSIX(), ERROR_SUCCESS);
    EXPECT_FALSE(fs::exists(home_.Store())) << "a batch without writes made a store";
    ASSERT_EQ(StoreRaw("Software\\Quorvel", "Delay", REG_DWORD, DwordBytes(2)), ERROR_SUCCESS);
    ASSERT_EQ(RegBeginBatchPOSIX(), ERROR_SUCCESS);
    ASSERT_EQ(RegBeginBatchPOSIX(), ERROR_SUCCESS);
    EXPECT_EQ(StoreRaw("Software\\Quorvel", "Delay", REG_DWORD, DwordBytes(5)), ERROR_SUCCESS);
    // A delete that finds nothing changed nothing: it costs the batch nothing.
    EXPECT_EQ(RegDeleteValueA(HKEY_LOCAL_MACHINE, "NoSuchValue"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegEndBatchPOSIX(), ERROR_SUCCESS);
    EXPECT_EQ(ReadRaw("Software\\Quorvel", "Delay"), DwordBytes(5)) << "it sees its own writes";
    EXPECT_NE(SeenElsewhere().find("Delay    REG_DWORD    0x2\n"), std::string::npos);
    EXPECT_EQ(RegEndBatchPOSIX(), ERROR_SUCCESS);
    EXPECT_NE(SeenElsewhere().find("Delay    REG_DWORD    0x5\n"), std::string::npos);
    EXPECT_EQ(RegEndBatchPOSIX(), ERROR_INVALID_PARAMETER) << "no batch left to end";
}

// Nor, once a write in a batch has failed, is the store looked at again until the batch ends.
TEST_F(WinregApi, StoreThatIsNotASoundDatabaseFailsAndIsLeftAlone) {
    ASSERT_EQ(StoreRaw("K", "v", REG_SZ, std::string(5000, 'a')), ERROR_SUCCESS);
    std::string damaged = ReadFile(home_.Store());
    ASSERT_GT(damaged.size(), 4096u);
    std::fill(damaged.begin() + 4096, damaged.end(), '\xAA');
    const fs::path theirs = home_.Path() / "theirs.sqlite3";  // a sound database, not ours
    sqlite3* db = nullptr;
    sqlite3_open(theirs.c_str(), &db);
    sqlite3_exec(db, "CREATE TABLE t(x)", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    for (const std::string& bytes :
         {damaged, std::string("someone else's text\n"), ReadFile(theirs)}) {
        WriteFile(home_.Store(), bytes);
        EXPECT_EQ(ReadRaw("K", "v"), Failed(ERROR_BADDB));
        EXPECT_EQ(RegSetValueExA(HKEY_LOCAL_MACHINE, "v", 0, REG_SZ, nullptr, 0), ERROR_BADDB);
        EXPECT_EQ(StoreRaw(kRun, "Quorvel", REG_SZ, "x"), ERROR_SUCCESS) << "it needs no store";
        ASSERT_EQ(RegBeginBatchPOSIX(), ERROR_SUCCESS);
        EXPECT_EQ(StoreRaw("K", "v", REG_SZ, "x"), ERROR_BADDB);
        EXPECT_EQ(ReadFile(home_.Store()), bytes);
        fs::remove(home_.Store());
        EXPECT_EQ(StoreRaw("K", "v", REG_SZ, "x"), ERROR_BADDB);
        EXPECT_EQ(RegEndBatchPOSIX(), ERROR_BADDB);
        EXPECT_EQ(RegGetLastFailurePOSIX(nullptr, 0, nullptr, 0), ERROR_BADDB);
    }
    ASSERT_EQ(RegBeginBatchPOSIX(), ERROR_SUCCESS);
    EXPECT_EQ(StoreRaw("K", "v", REG_SZ, "x"), ERROR_SUCCESS) << "the failure was that batch's";
    EXPECT_EQ(RegEndBatchPOSIX(), ERROR_SUCCESS);
}

// The finer result of the last call, and the file that made it fail.
std::pair<LONG, std::string> LastFailure() {
    char file[4096];
    const LONG finer = RegGetLastFailurePOSIX(file, sizeof file, nullptr, 0);
    return {finer, file};
}

// Our files may be links to files of ours. A FIFO would hang the reader, and a
// dangling link or one to another user's file is not ours: refused, named, kept.
TEST(WinregFiles, LinksToOurOwnFilesAreFollowedAndAnythingElseIsRefused) {
    for (int kind = 0; kind < (geteuid() == 0 ? 4 : 3); ++kind) {  // ours, FIFO, dangling, foreign
        TempConfigHome home;
        for (const fs::path& path : {home.Store(), home.Autostart()}) {
            const fs::path target = home.Path() / path.filename();
            fs::create_directories(path.parent_path());
            if (kind != 2)
                WriteFile(target, "");
            ASSERT_TRUE(kind != 3 || chown(target.c_str(), 65534, 65534) == 0);
            if (kind == 1)
                mkfifo(path.c_str(), 0600);
            else
                fs::create_symlink(target, path);
        }
        if (kind == 0) {
            EXPECT_EQ(StoreRaw("K", "v", REG_SZ, "1"), ERROR_SUCCESS);
            EXPECT_EQ(StoreRaw(kRun, "Quorvel", REG_SZ, "b"), ERROR_SUCCESS);
            EXPECT_EQ(ReadRaw("K", "v") + ReadRaw(kRun, "Quorvel"), "1b");
            EXPECT_TRUE(fs::is_symlink(home.Store()) && fs::is_symlink(home.Autostart()));
            continue;
        }
        const std::pair<LONG, std::string> store = {ERROR_CANT_ACCESS_FILE, home.Store()},
                                           entry = {ERROR_CANT_ACCESS_FILE, home.Autostart()};
        EXPECT_EQ(ReadRaw("K", "v"), Failed(ERROR_ACCESS_DENIED)) << kind;
        char cut[5], reason[64], noRoom[1] = {'x'};
        RegGetLastFailurePOSIX(cut, sizeof cut, reason, sizeof reason);
        EXPECT_EQ(cut, home.Store().string().substr(0, 4));
        EXPECT_EQ(reason == std::string("it is not a regular file"), kind == 1) << reason;
        RegGetLastFailurePOSIX(noRoom, 0, nullptr, 0);
        EXPECT_EQ(noRoom[0], 'x');
        EXPECT_EQ(LastFailure(), store);
        EXPECT_EQ(StoreRaw("K", "v", REG_SZ, "x"), ERROR_ACCESS_DENIED) << kind;
        EXPECT_EQ(LastFailure(), store);
        EXPECT_EQ(ReadRaw(kRun, "Quorvel"), Failed(ERROR_FILE_NOT_FOUND)) << kind;
        EXPECT_EQ(LastFailure().first, ERROR_SUCCESS) << "a call forgets the one before";
        EXPECT_EQ(StoreRaw(kRun, "Quorvel", REG_SZ, "x"), ERROR_ACCESS_DENIED) << kind;
        EXPECT_EQ(LastFailure(), entry);
        for (const fs::path& path : {home.Store(), home.Autostart()}) {
            EXPECT_EQ(fs::symlink_status(path).type(),
                      kind == 1 ? fs::file_type::fifo : fs::file_type::symlink);
            EXPECT_EQ(ReadFile(home.Path() / path.filename()), "") << path;
        }
    }
}

TEST_F(WinregApi, RunValueIsAnAutostartFileAndNoStoreData) {
    EXPECT_EQ(StoreRaw(kRun, "Q", REG_DWORD, DwordBytes(0)), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(StoreRaw(kRun, "Q", REG_SZ, "\xFF"), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(StoreRaw(kRun, "../escape", REG_SZ, "x"), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(StoreRaw(kRun, "", REG_SZ, "x"), ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(fs::exists(home_.Path() / "autostart"));
    ASSERT_EQ(StoreRaw(kRun, "Quorvel", REG_SZ, "\"/opt/b\" -startup"), ERROR_SUCCESS);
    EXPECT_TRUE(fs::exists(home_.Autostart()));
    EXPECT_FALSE(fs::exists(home_.Store()));
    EXPECT_EQ(ReadRaw("software\\microsoft\\windows\\currentversion\\run\\", "QUORVEL"),
              "\"/opt/b\" -startup");
    HKEY run = nullptr;
    ASSERT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, kRun.c_str(), &run), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueA(run, "quorvel"), ERROR_SUCCESS);
    EXPECT_FALSE(fs::exists(home_.Autostart()));
    // A switched-off entry is no value until it is written again.
    WriteFile(home_.Autostart("Off"), "[Desktop Entry]\nExec=a\nHidden=true\n");
    EXPECT_EQ(RegDeleteValueA(run, "Off"), ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(fs::exists(home_.Autostart("Off")));
    RegCloseKey(run);
    ASSERT_EQ(StoreRaw(kRun, "Off", REG_SZ, "b"), ERROR_SUCCESS);
    EXPECT_EQ(ReadRaw(kRun, "Off"), "b");
}

}  // namespace
}  // namespace brisendale
