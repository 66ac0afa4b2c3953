// Random stand-in calls, Run key included: no crash, documented results, and the last write or
// delete reads back through another handle and case.
#include <fuzzer/FuzzedDataProvider.h>

#include <cctype>
#include <optional>
#include <set>
#include <vector>

#include "fuzz_check.h"
#include "tests/support/temp_config_home.h"
#include "winreg_posix/winreg_posix.h"

namespace {

constexpr char kRunPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// Pieces that a key path or an autostart file may trip on, NUL included.
std::string Text(FuzzedDataProvider& input, int maxPieces) {
    static const std::string kPieces[] = {
        "a",      "B",           "\\",       "\\s",
        "=",      "\xff",        "\xc3\xa9", std::string(1, '\0'),
        "\x01",   "Hidden=true", "Exec=",    "Software\\Microsoft",
        kRunPath, "\n"};
    std::string text;
    for (int n = input.ConsumeIntegralInRange(0, maxPieces); n > 0; --n)
        text += input.PickValueInArray(kPieces);
    return text;
}

struct Value {
    HKEY key;
    std::string name;  // up to its first NUL, as the API reads it
    LONG found;        // ERROR_SUCCESS, or ERROR_FILE_NOT_FOUND once deleted
    DWORD type;
    std::string data;
};

void CheckReadBack(const Value& value) {
    HKEY key = nullptr;
    Require(RegOpenKeyA(value.key, "", &key) == ERROR_SUCCESS);
    std::string name = value.name, data(value.data.size() + 1, '\xA5');
    for (char& c : name)
        c = std::isalpha(static_cast<unsigned char>(c)) ? c ^ 0x20 : c;
    DWORD type = 0, size = data.size();
    const LONG code = RegQueryValueExA(key, name.c_str(), nullptr, &type,
                                       reinterpret_cast<BYTE*>(data.data()), &size);
    Require(code == value.found &&
            (code != ERROR_SUCCESS || (type == value.type && data.substr(0, size) == value.data)));
    RegCloseKey(key);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    const brisendale::testing::TempConfigHome home;
    static const std::set<LONG> kDocumented = {
        ERROR_SUCCESS,           ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED, ERROR_INVALID_HANDLE,
        ERROR_INVALID_PARAMETER, ERROR_MORE_DATA,      ERROR_BADDB};
    FuzzedDataProvider input(bytes, size);
    std::vector<HKEY> keys = {HKEY_LOCAL_MACHINE, HKEY_USERS, nullptr};
    RegOpenKeyA(HKEY_LOCAL_MACHINE, kRunPath, &keys.emplace_back());
    std::optional<Value> last;
    for (int step = 0; step < 64 && input.remaining_bytes() > 0; ++step) {
        HKEY key = keys[input.ConsumeIntegralInRange<std::size_t>(0, keys.size() - 1)];
        const std::string name = Text(input, 4), data = Text(input, 12);
        const char* n = name.c_str();
        DWORD type = input.ConsumeBool() ? REG_SZ : input.ConsumeIntegral<DWORD>();
        std::vector<char> buffer(input.ConsumeIntegralInRange(1, 64));
        DWORD length = buffer.size();
        LONG code = ERROR_SUCCESS;
        const int call = input.ConsumeIntegralInRange(0, 5);
        if (call == 0) {
            code = (input.ConsumeBool() ? RegCreateKeyA : RegOpenKeyA)(key, n, &key);
            Require((code == ERROR_SUCCESS) == (key != nullptr));
            keys.push_back(key);
        } else if (call == 1) {
            const auto* in =
                input.ConsumeBool() ? reinterpret_cast<const BYTE*>(data.data()) : nullptr;
            if ((code = RegSetValueExA(key, n, 0, type, in, data.size())) == ERROR_SUCCESS)
                last = Value{key, n, ERROR_SUCCESS, type, data};
        } else if (call == 2) {
            if ((code = RegDeleteValueA(key, n)) == ERROR_SUCCESS)
                last = Value{key, n, ERROR_FILE_NOT_FOUND, 0, ""};
        } else if (call == 3) {
            auto* out = input.ConsumeBool() ? reinterpret_cast<BYTE*>(buffer.data()) : nullptr;
            code = RegQueryValueExA(key, n, nullptr, &type, out,
                                    input.ConsumeBool() ? &length : nullptr);
        } else if (call == 4) {
            if ((code = RegCloseKey(key)) == ERROR_SUCCESS && last && last->key == key)
                last.reset();
        } else {
            code = input.ConsumeBool() ? RegBeginBatchPOSIX() : RegEndBatchPOSIX();
        }
        Require(kDocumented.count(code));
        // A failing store may have rolled back a batch, and the last write with it.
        if (code == ERROR_ACCESS_DENIED || code == ERROR_BADDB)
            last.reset();
        else if (last && code == ERROR_SUCCESS && (call == 1 || call == 2))
            CheckReadBack(*last);
    }
    if (last)
        CheckReadBack(*last);  // and still, after whatever came since
    for (HKEY key : keys)
        RegCloseKey(key);
    while (RegEndBatchPOSIX() != ERROR_INVALID_PARAMETER) {
    }
    return 0;
}
