// The registry API stand-in against the behaviours of the Windows API that
// the settings code relies on. One row per behaviour.
#include "winreg_posix/winreg_posix.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/support/temp_config_home.h"

namespace brisendale {
namespace {

using testing::ReadFile;
using testing::TempConfigHome;
using testing::WriteFile;

const char* const kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

HKEY Create(const char* path) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, path, &key), ERROR_SUCCESS) << path;
    return key;
}

LONG Set(HKEY key, const char* name, DWORD type, const std::string& bytes) {
    return RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                          static_cast<DWORD>(bytes.size()));
}

// Stores one value under a fresh key and closes it again.
void Store(const char* path, const char* name, DWORD type, const std::string& bytes) {
    HKEY key = Create(path);
    EXPECT_EQ(Set(key, name, type, bytes), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
}

struct Read {
    LONG result;
    DWORD type;
    std::string data;
};

Read Query(const char* path, const char* name) {
    HKEY key = nullptr;
    Read read{RegOpenKeyA(HKEY_LOCAL_MACHINE, path, &key), 0, {}};
    if (read.result != ERROR_SUCCESS)
        return read;
    DWORD size = 0;
    read.result = RegQueryValueExA(key, name, nullptr, &read.type, nullptr, &size);
    if (read.result == ERROR_SUCCESS) {
        read.data.assign(size, '\0');
        read.result = RegQueryValueExA(key, name, nullptr, &read.type,
                                       reinterpret_cast<BYTE*>(read.data.data()), &size);
    }
    RegCloseKey(key);
    return read;
}

struct Row {
    const char* name;
    std::function<void(const TempConfigHome&)> check;
};

class WinregApi : public ::testing::TestWithParam<Row> {
  protected:
    TempConfigHome home_;
};

TEST_P(WinregApi, BehavesAsOnWindows) {
    GetParam().check(home_);
}

const Row kRows[] = {
    {"NamesIgnoreCaseAndTrailingBackslashes",
     [](const TempConfigHome&) {
         Store("Software\\Quorvel\\", "Delay", REG_DWORD, std::string("\x05\0\0\0", 4));
         const Read read = Query("SOFTWARE\\quorvel\\\\", "DELAY");
         EXPECT_EQ(read.result, ERROR_SUCCESS);
         EXPECT_EQ(read.type, REG_DWORD);
         EXPECT_EQ(read.data, std::string("\x05\0\0\0", 4));
     }},
    {"OpenOfMissingKeyGives2AndNullHandle",
     [](const TempConfigHome&) {
         Store("Software\\Other", "x", REG_SZ, "1");
         HKEY key = HKEY_LOCAL_MACHINE;
         EXPECT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "Software\\Quorvel\\", &key),
                   ERROR_FILE_NOT_FOUND);
         EXPECT_EQ(key, nullptr);
     }},
    {"OpenWithoutAnyStoreGives2AndMakesNoFile",
     [](const TempConfigHome& home) {
         HKEY key = HKEY_LOCAL_MACHINE;
         EXPECT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "Software\\Quorvel", &key),
                   ERROR_FILE_NOT_FOUND);
         EXPECT_EQ(key, nullptr);
         EXPECT_FALSE(std::filesystem::exists(home.Store()));
     }},
    {"CreateMakesEveryMissingKeyOnThePath",
     [](const TempConfigHome&) {
         EXPECT_EQ(RegCloseKey(Create("A\\B\\C")), ERROR_SUCCESS);
         for (const char* path : {"A", "a\\b", "A\\B\\C\\"}) {
             HKEY key = nullptr;
             EXPECT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, path, &key), ERROR_SUCCESS) << path;
             EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
         }
     }},
    {"SubKeyOfAnOpenKeyIsFoundBelowIt",
     [](const TempConfigHome&) {
         Store("Software\\Quorvel", "ServerIndex", REG_DWORD, std::string("\x03\0\0\0", 4));
         HKEY software = nullptr;
         HKEY quorvel = nullptr;
         ASSERT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "software", &software), ERROR_SUCCESS);
         ASSERT_EQ(RegOpenKeyA(software, "quorvel", &quorvel), ERROR_SUCCESS);
         DWORD size = 0;
         EXPECT_EQ(RegQueryValueExA(quorvel, "serverindex", nullptr, nullptr, nullptr, &size),
                   ERROR_SUCCESS);
         EXPECT_EQ(size, 4u);
         RegCloseKey(quorvel);
         RegCloseKey(software);
     }},
    {"EmptyComponentIsRefused",
     [](const TempConfigHome&) {
         HKEY key = nullptr;
         EXPECT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, "A\\\\B", &key), ERROR_INVALID_PARAMETER);
         EXPECT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, "\\A", &key), ERROR_INVALID_PARAMETER);
     }},
    {"NullDataPointerReportsTypeAndSize",
     [](const TempConfigHome&) {
         HKEY key = Create("K");
         Set(key, "v", REG_BINARY, "12345");
         DWORD type = 0;
         DWORD size = 0;
         EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
         EXPECT_EQ(type, REG_BINARY);
         EXPECT_EQ(size, 5u);
         EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
         RegCloseKey(key);
     }},
    {"SmallBufferGives234TheSizeNeededAndAnUntouchedBuffer",
     [](const TempConfigHome&) {
         HKEY key = Create("K");
         Set(key, "v", REG_SZ, std::string("hello\0", 6));
         BYTE buffer[4] = {'x', 'x', 'x', 'x'};
         DWORD size = sizeof buffer;
         EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, nullptr, buffer, &size), ERROR_MORE_DATA);
         EXPECT_EQ(size, 6u);
         EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 4), "xxxx");
         RegCloseKey(key);
     }},
    {"MissingValueGives2",
     [](const TempConfigHome&) {
         HKEY key = Create("K");
         DWORD size = 0;
         EXPECT_EQ(RegQueryValueExA(key, "nothing", nullptr, nullptr, nullptr, &size),
                   ERROR_FILE_NOT_FOUND);
         RegCloseKey(key);
     }},
    {"TextComesBackByteForByteWithNoNulAdded",
     [](const TempConfigHome&) {
         Store("K", "plain", REG_SZ, "abc");
         Store("K", "withNul", REG_SZ, std::string("ab\0cd\0", 6));
         Store("K", "empty", REG_SZ, "");
         Store("K", "utf8", REG_SZ, "Z\xC3\xBCrich");
         EXPECT_EQ(Query("K", "plain").data, "abc");
         EXPECT_EQ(Query("K", "withNul").data, std::string("ab\0cd\0", 6));
         EXPECT_EQ(Query("K", "empty").result, ERROR_SUCCESS);
         EXPECT_EQ(Query("K", "empty").data, "");
         EXPECT_EQ(Query("K", "utf8").data, "Z\xC3\xBCrich");
     }},
    {"DefaultValueIsItsOwnValue",
     [](const TempConfigHome&) {
         Store("K", nullptr, REG_SZ, "default");
         Store("K", "other", REG_SZ, "other");
         EXPECT_EQ(Query("K", "").data, "default");
         EXPECT_EQ(Query("K", nullptr).data, "default");
     }},
    {"NullAndClosedHandlesGive6",
     [](const TempConfigHome&) {
         DWORD size = 0;
         EXPECT_EQ(RegQueryValueExA(nullptr, "v", nullptr, nullptr, nullptr, &size),
                   ERROR_INVALID_HANDLE);
         EXPECT_EQ(Set(nullptr, "v", REG_SZ, "x"), ERROR_INVALID_HANDLE);
         EXPECT_EQ(RegDeleteValueA(nullptr, "v"), ERROR_INVALID_HANDLE);
         EXPECT_EQ(RegCloseKey(nullptr), ERROR_INVALID_HANDLE);
         HKEY key = Create("K");
         EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
         EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
         EXPECT_EQ(Set(key, "v", REG_SZ, "x"), ERROR_INVALID_HANDLE);
         EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, nullptr, nullptr, &size),
                   ERROR_INVALID_HANDLE);
         HKEY made = nullptr;
         EXPECT_EQ(RegOpenKeyA(key, "x", &made), ERROR_INVALID_HANDLE);
     }},
    {"DataWithoutSizeGives87",
     [](const TempConfigHome&) {
         Store("K", "v", REG_SZ, "abc");
         HKEY key = Create("K");
         BYTE buffer[8] = {};
         EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, nullptr, buffer, nullptr),
                   ERROR_INVALID_PARAMETER);
         RegCloseKey(key);
     }},
    {"SetReplacesAValueOfAnyType",
     [](const TempConfigHome&) {
         Store("K", "v", REG_DWORD, std::string("\x01\0\0\0", 4));
         Store("K", "V", REG_SZ, "text");
         const Read read = Query("K", "v");
         EXPECT_EQ(read.type, REG_SZ);
         EXPECT_EQ(read.data, "text");
     }},
    {"DeleteRemovesAndAMissingValueGives2",
     [](const TempConfigHome&) {
         Store("K", "v", REG_SZ, "x");
         HKEY key = Create("K");
         EXPECT_EQ(RegDeleteValueA(key, "V"), ERROR_SUCCESS);
         EXPECT_EQ(RegDeleteValueA(key, "v"), ERROR_FILE_NOT_FOUND);
         RegCloseKey(key);
         EXPECT_EQ(Query("K", "v").result, ERROR_FILE_NOT_FOUND);
     }},
    {"OnlyTheLow32BitsOfAPredefinedKeyCount",
     [](const TempConfigHome&) {
         Store("K", "v", REG_SZ, "x");
         const auto narrow = reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000002u));
         HKEY key = nullptr;
         EXPECT_EQ(RegOpenKeyA(narrow, "K", &key), ERROR_SUCCESS);
         RegCloseKey(key);
         EXPECT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "K", &key), ERROR_FILE_NOT_FOUND);
     }},
    {"StoreIsMadeOnFirstWriteWithPrivateModes",
     [](const TempConfigHome& home) {
         EXPECT_FALSE(std::filesystem::exists(home.Store()));
         Store("K", "v", REG_SZ, "x");
         struct stat file {};
         struct stat folder {};
         ASSERT_EQ(stat(home.Store().c_str(), &file), 0);
         ASSERT_EQ(stat(home.Store().parent_path().c_str(), &folder), 0);
         EXPECT_EQ(file.st_mode & 0777, 0600u);
         EXPECT_EQ(folder.st_mode & 0777, 0700u);
     }},
    {"StoreThatIsNotADatabaseFailsAndIsLeftAlone",
     [](const TempConfigHome& home) {
         const std::string garbage = "this is not a database, and it is someone's file\n";
         WriteFile(home.Store(), garbage);
         HKEY key = nullptr;
         EXPECT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "K", &key), ERROR_BADDB);
         EXPECT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, "K", &key), ERROR_BADDB);
         EXPECT_EQ(key, nullptr);
         EXPECT_EQ(Set(HKEY_LOCAL_MACHINE, "v", REG_SZ, "x"), ERROR_BADDB);
         EXPECT_EQ(ReadFile(home.Store()), garbage);
     }},
    {"DamagedDatabaseIsLeftAlone",
     [](const TempConfigHome& home) {
         Store("K", "v", REG_SZ, std::string(5000, 'a'));
         std::string bytes = ReadFile(home.Store());
         ASSERT_GT(bytes.size(), 4096u);
         for (std::size_t i = 4096; i < bytes.size(); ++i)
             bytes[i] = '\xAA';
         WriteFile(home.Store(), bytes);
         HKEY key = nullptr;
         EXPECT_NE(RegCreateKeyA(HKEY_LOCAL_MACHINE, "K", &key), ERROR_SUCCESS);
         EXPECT_NE(Query("K", "v").result, ERROR_SUCCESS);
         EXPECT_EQ(ReadFile(home.Store()), bytes);
     }},
    {"FifoInPlaceOfAFileIsNoneAndIsLeftAlone",
     [](const TempConfigHome& home) {
         for (const auto& path : {home.Store(), home.Autostart("Quorvel")}) {
             std::filesystem::create_directories(path.parent_path());
             ASSERT_EQ(mkfifo(path.c_str(), 0600), 0) << path;
         }
         ::testing::internal::CaptureStderr();
         HKEY key = nullptr;
         EXPECT_NE(RegOpenKeyA(HKEY_LOCAL_MACHINE, "K", &key), ERROR_SUCCESS);
         EXPECT_NE(RegCreateKeyA(HKEY_LOCAL_MACHINE, "K", &key), ERROR_SUCCESS);
         EXPECT_EQ(Query(kRun, "Quorvel").result, ERROR_FILE_NOT_FOUND);
         key = Create(kRun);
         EXPECT_NE(Set(key, "Quorvel", REG_SZ, "x"), ERROR_SUCCESS);
         RegCloseKey(key);
         const std::string said = ::testing::internal::GetCapturedStderr();
         for (const auto& path : {home.Store(), home.Autostart("Quorvel")}) {
             EXPECT_TRUE(std::filesystem::is_fifo(std::filesystem::symlink_status(path))) << path;
             EXPECT_NE(said.find(path.string()), std::string::npos) << said;
         }
     }},
    {"LinksToOurOwnFilesAreReadAndWrittenThrough",
     [](const TempConfigHome& home) {
         Store("K", "v", REG_SZ, "1");
         Store(kRun, "Quorvel", REG_SZ, "a");
         const auto dotfiles = home.Path() / "dotfiles";
         std::filesystem::create_directories(dotfiles);
         for (const auto& path : {home.Store(), home.Autostart("Quorvel")}) {
             std::filesystem::rename(path, dotfiles / path.filename());
             std::filesystem::create_symlink(dotfiles / path.filename(), path);
         }
         EXPECT_EQ(Query("K", "v").data, "1");
         EXPECT_EQ(Query(kRun, "Quorvel").data, "a");
         Store("K", "w", REG_SZ, "2");
         Store(kRun, "Quorvel", REG_SZ, "b");
         EXPECT_EQ(Query("K", "w").data, "2");
         EXPECT_EQ(Query(kRun, "Quorvel").data, "b");
         for (const auto& path : {home.Store(), home.Autostart("Quorvel")}) {
             EXPECT_TRUE(std::filesystem::is_symlink(path)) << path;
         }
         EXPECT_NE(ReadFile(dotfiles / "Quorvel.desktop").find("Exec=b"), std::string::npos);
     }},
    {"StoreLinkedToNothingOrToAnotherUsersFileIsRefusedAndSaysSo",
     [](const TempConfigHome& home) {
         const auto elsewhere = home.Path() / "elsewhere";
         std::filesystem::create_directories(home.Store().parent_path());
         std::filesystem::create_symlink(elsewhere, home.Store());
         std::vector<std::string> targets = {"nothing"};
         if (geteuid() == 0) {
             targets.push_back("a file of another user");
         }
         for (const std::string& target : targets) {
             if (target != "nothing") {
                 WriteFile(elsewhere, "");
                 ASSERT_EQ(chown(elsewhere.c_str(), 65534, 65534), 0);
             }
             ::testing::internal::CaptureStderr();
             HKEY key = nullptr;
             EXPECT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, "K", &key), ERROR_ACCESS_DENIED) << target;
             EXPECT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "K", &key), ERROR_ACCESS_DENIED) << target;
             const std::string said = ::testing::internal::GetCapturedStderr();
             EXPECT_TRUE(target != "nothing" ||
                         said.find(home.Store().string()) != std::string::npos)
                 << said;
             EXPECT_TRUE(std::filesystem::is_symlink(home.Store()));
         }
         EXPECT_EQ(std::filesystem::exists(elsewhere) ? ReadFile(elsewhere) : "", "");
     }},
    {"RunValueIsAnAutostartFileThatReadsBackExactly",
     [](const TempConfigHome& home) {
         const std::string command = "\"/opt/My \\\\Apps/x\" -startup\twith\ttabs ";
         Store(kRun, "Quorvel", REG_SZ, command);
         const std::string file = ReadFile(home.Autostart("Quorvel"));
         EXPECT_EQ(file.rfind("[Desktop Entry]\nType=Application\nName=Quorvel\nExec=", 0), 0u)
             << file;
         const Read read = Query("software\\microsoft\\windows\\currentversion\\run\\", "quorvel");
         EXPECT_EQ(read.result, ERROR_SUCCESS);
         EXPECT_EQ(read.type, REG_SZ);
         EXPECT_EQ(read.data, command);
         EXPECT_FALSE(std::filesystem::exists(home.Store()));
     }},
    {"DeletingTheRunValueDeletesTheFile",
     [](const TempConfigHome& home) {
         Store(kRun, "Quorvel", REG_SZ, "x");
         HKEY key = Create(kRun);
         EXPECT_EQ(RegDeleteValueA(key, "QUORVEL"), ERROR_SUCCESS);
         EXPECT_FALSE(std::filesystem::exists(home.Autostart("Quorvel")));
         EXPECT_EQ(RegDeleteValueA(key, "Quorvel"), ERROR_FILE_NOT_FOUND);
         RegCloseKey(key);
     }},
    {"SwitchedOffOrExeclessAutostartFileIsNoValue",
     [](const TempConfigHome& home) {
         WriteFile(home.Autostart("Hidden"), "[Desktop Entry]\nExec=a\nHidden=true\n");
         WriteFile(home.Autostart("GnomeOff"),
                   "[Desktop Entry]\nExec=a\nX-GNOME-Autostart-enabled=false\n");
         WriteFile(home.Autostart("NoExec"), "[Desktop Entry]\nName=NoExec\n");
         WriteFile(home.Autostart("OtherGroup"), "[Other]\nExec=a\n");
         for (const char* name : {"Hidden", "GnomeOff", "NoExec", "OtherGroup", "Absent"}) {
             EXPECT_EQ(Query(kRun, name).result, ERROR_FILE_NOT_FOUND) << name;
         }
         HKEY key = Create(kRun);
         EXPECT_EQ(RegDeleteValueA(key, "Hidden"), ERROR_FILE_NOT_FOUND);
         EXPECT_TRUE(std::filesystem::exists(home.Autostart("Hidden")));
         // Writing the value switches the entry on again.
         EXPECT_EQ(Set(key, "GnomeOff", REG_SZ, "b"), ERROR_SUCCESS);
         EXPECT_EQ(Query(kRun, "GnomeOff").data, "b");
         RegCloseKey(key);
     }},
    {"RunValueThatAFileCannotHoldIsRefused",
     [](const TempConfigHome& home) {
         HKEY key = Create(kRun);
         EXPECT_EQ(Set(key, "Quorvel", REG_SZ, std::string("a\0", 2)), ERROR_INVALID_PARAMETER);
         EXPECT_EQ(Set(key, "Quorvel", REG_DWORD, std::string(4, '\0')), ERROR_INVALID_PARAMETER);
         EXPECT_EQ(Set(key, "Quorvel", REG_SZ, "\xFF"), ERROR_INVALID_PARAMETER);
         EXPECT_EQ(Set(key, "../escape", REG_SZ, "x"), ERROR_INVALID_PARAMETER);
         RegCloseKey(key);
         EXPECT_FALSE(std::filesystem::exists(home.Path() / "autostart"));
     }},
    {"RunKeyWorksWhenTheStoreIsBroken",
     [](const TempConfigHome& home) {
         WriteFile(home.Store(), "garbage");
         Store(kRun, "Quorvel", REG_SZ, "x");
         EXPECT_EQ(Query(kRun, "Quorvel").data, "x");
     }},
    {"EnumerationListsValuesAndSubKeysInNameOrder",
     [](const TempConfigHome&) {
         Store("K", "b", REG_SZ, "2");
         Store("K", "A", REG_SZ, "1");
         EXPECT_EQ(RegCloseKey(Create("K\\Sub")), ERROR_SUCCESS);
         HKEY key = Create("K");
         char name[32];
         DWORD length = sizeof name;
         EXPECT_EQ(RegEnumValueA(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr), 0);
         EXPECT_EQ(std::string(name, length), "A");
         length = sizeof name;
         EXPECT_EQ(RegEnumValueA(key, 1, name, &length, nullptr, nullptr, nullptr, nullptr), 0);
         EXPECT_EQ(std::string(name, length), "b");
         length = sizeof name;
         EXPECT_EQ(RegEnumValueA(key, 2, name, &length, nullptr, nullptr, nullptr, nullptr),
                   ERROR_NO_MORE_ITEMS);
         EXPECT_EQ(RegEnumKeyA(key, 0, name, sizeof name), ERROR_SUCCESS);
         EXPECT_STREQ(name, "Sub");
         EXPECT_EQ(RegEnumKeyA(key, 1, name, sizeof name), ERROR_NO_MORE_ITEMS);
         RegCloseKey(key);
     }},
};

INSTANTIATE_TEST_SUITE_P(Behaviours, WinregApi, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace brisendale
