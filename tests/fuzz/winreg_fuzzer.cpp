// The registry stand-in under random call sequences on random handles, names,
// types and data, the Run key (autostart files) as easy to reach as any key.
// There is no second model of the store: what must hold whatever it holds is
// that nothing crashes, every result is one the header documents, and the
// value last written or deleted reads back so, through a second handle and
// with its name in the other case.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <optional>
#include <vector>

#include "fuzz_check.h"
#include "tests/support/temp_config_home.h"
#include "winreg_posix/winreg_posix.h"

namespace {

constexpr char kRunPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

LONG Documented(LONG code) {
    const LONG results[] = {ERROR_SUCCESS,           ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED,
                            ERROR_INVALID_HANDLE,    ERROR_MORE_DATA,      ERROR_NO_MORE_ITEMS,
                            ERROR_INVALID_PARAMETER, ERROR_BADDB};
    Require(std::count(std::begin(results), std::end(results), code) == 1);
    return code;
}

// Pieces that a key path or an autostart file may trip on.
std::string Text(FuzzedDataProvider& input, int maxPieces) {
    static const char* const kPieces[] = {"a",     "B",           "\\",    "\\s",
                                          "\n",    "=",           "\xff",  "\xc3\xa9",
                                          "\x01",  "Hidden=true", "Exec=", "Software\\Microsoft",
                                          kRunPath};
    std::string text;
    for (int n = input.ConsumeIntegralInRange(0, maxPieces); n > 0; --n)
        text += input.ConsumeBool() ? std::string(1, '\0') : input.PickValueInArray(kPieces);
    return text;
}

struct Value {
    HKEY key;
    std::string name;  // up to its first NUL, as the API reads it
    LONG found;
    DWORD type;
    std::string data;
};

void CheckReadBack(const Value& value) {
    HKEY key = nullptr;
    Require(RegOpenKeyA(value.key, "", &key) == ERROR_SUCCESS);
    std::string name = value.name;
    for (char& c : name)
        c = std::isalpha(static_cast<unsigned char>(c)) ? c ^ 0x20 : c;
    std::string data(value.data.size(), '\xA5');
    DWORD type = 0, size = data.empty() ? 0 : data.size() - 1;
    auto* out = reinterpret_cast<BYTE*>(data.data());
    LONG code = RegQueryValueExA(key, name.c_str(), nullptr, &type, out, &size);
    if (value.found == ERROR_SUCCESS && !data.empty()) {
        // One byte short: the size needed, and the buffer untouched.
        Require(code == ERROR_MORE_DATA && size == data.size() &&
                data == std::string(size, '\xA5'));
        code = RegQueryValueExA(key, name.c_str(), nullptr, &type, out, &size);
    }
    Require(code == value.found);
    Require(code != ERROR_SUCCESS ||
            (type == value.type && data == value.data && size == data.size()));
    RegCloseKey(key);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    static const brisendale::testing::TempConfigHome home(/*inMemory=*/true);
    home.Clear();
    FuzzedDataProvider input(bytes, size);
    std::vector<HKEY> keys = {HKEY_LOCAL_MACHINE, HKEY_USERS, nullptr};
    RegOpenKeyA(HKEY_LOCAL_MACHINE, kRunPath, &keys.emplace_back());
    std::optional<Value> last;
    for (int step = 0; step < 64 && input.remaining_bytes() > 0; ++step) {
        const auto pick = input.ConsumeIntegralInRange<std::size_t>(0, keys.size());
        HKEY key = pick < keys.size()
                       ? keys[pick]
                       : reinterpret_cast<HKEY>(input.ConsumeIntegral<std::uintptr_t>());
        const std::string name = Text(input, 4), data = Text(input, 12);
        const char* n = name.c_str();
        DWORD type = input.ConsumeBool() ? REG_SZ : input.ConsumeIntegral<DWORD>();
        std::vector<char> buffer(input.ConsumeIntegralInRange(1, 64));
        DWORD length = buffer.size();
        auto* out = reinterpret_cast<BYTE*>(buffer.data());
        LONG code = ERROR_SUCCESS;
        const int call = input.ConsumeIntegralInRange(0, 7);
        if (call == 0) {
            code = Documented((input.ConsumeBool() ? RegCreateKeyA : RegOpenKeyA)(key, n, &key));
            Require((code == ERROR_SUCCESS) == (key != nullptr));
            keys.push_back(key);
        } else if (call == 1) {
            const auto* in = reinterpret_cast<const BYTE*>(data.data());
            code = Documented(
                RegSetValueExA(key, n, 0, type, input.ConsumeBool() ? in : nullptr, data.size()));
            last = code == ERROR_SUCCESS ? Value{key, n, ERROR_SUCCESS, type, data} : last;
        } else if (call == 2) {
            code = Documented(RegDeleteValueA(key, n));
            last = code == ERROR_SUCCESS ? Value{key, n, ERROR_FILE_NOT_FOUND, 0, ""} : last;
        } else if (call == 3) {
            code = Documented(RegQueryValueExA(key, n, nullptr, &type,
                                               input.ConsumeBool() ? out : nullptr,
                                               input.ConsumeBool() ? &length : nullptr));
        } else if (call == 4) {
            code = Documented(RegCloseKey(key));
            last = code == ERROR_SUCCESS && last && last->key == key ? std::nullopt : last;
        } else if (call == 5) {
            code = Documented(input.ConsumeBool() ? RegBeginBatchPOSIX() : RegEndBatchPOSIX());
        }
        // A listing ends, and gives each value's name with its length.
        for (DWORD i = 0; call >= 6 && (code == ERROR_SUCCESS || code == ERROR_MORE_DATA); ++i) {
            Require(i < 1000);
            length = buffer.size();
            code = Documented(call == 6 ? RegEnumKeyA(key, i, buffer.data(), length)
                                        : RegEnumValueA(key, i, buffer.data(), &length, nullptr,
                                                        nullptr, nullptr, nullptr));
            Require(call == 6 || code != ERROR_SUCCESS || std::strlen(buffer.data()) == length);
        }
        // A failing store may have rolled back a batch, and the last write with it.
        last = code == ERROR_ACCESS_DENIED || code == ERROR_BADDB ? std::nullopt : last;
        if (last)
            CheckReadBack(*last);
    }
    for (HKEY key : keys)
        RegCloseKey(key);
    while (RegEndBatchPOSIX() != ERROR_INVALID_PARAMETER) {
    }
    return 0;
}
