// The registry API stand-in driven by random sequences of open, create, set,
// query, delete, list and close, on random handles, names, types and sizes,
// each result held against a small in-memory model of what Windows would do.
// Groups of writes (RegBeginBatchPOSIX/RegEndBatchPOSIX) open and close at
// random in between: inside one process they must change nothing that can be
// seen.
// The Run key (XDG autostart files) is part of the model: REG_SZ text only,
// names that can be file names, data that a desktop file can hold.
//
// Each input starts from an empty store in a scratch XDG_CONFIG_HOME.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "fuzz_check.h"
#include "platform/runtime/ascii_case.h"
#include "scratch_config_home.h"
#include "winreg_posix/winreg_posix.h"

namespace {

using brisendale::AsciiLower;
using brisendale::fuzzing::Require;

constexpr std::uint32_t kHklm = 0x80000002u;
constexpr std::string_view kRunPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// ------------------------------------------------------------------ model

struct Key {
    std::uint32_t root;
    std::string path;  // as the caller spelled it
};

struct Data {
    std::string name;  // as first written
    DWORD type;
    std::string bytes;
};

class Model {
  public:
    static bool OnRunPath(const Key& key) {
        if (key.root != kHklm)
            return false;
        const std::string path = AsciiLower(key.path);
        const std::string run = AsciiLower(kRunPath);
        return path.empty() || path == run || run.rfind(path + "\\", 0) == 0;
    }
    static bool IsRunKey(const Key& key) {
        return key.root == kHklm && AsciiLower(key.path) == AsciiLower(kRunPath);
    }

    bool KeyExists(const Key& key) const {
        return key.path.empty() || OnRunPath(key) ||
               keys_.count({key.root, AsciiLower(key.path)}) != 0;
    }

    void AddKey(const Key& key) {
        for (std::size_t end = key.path.find('\\'); !key.path.empty();
             end = key.path.find('\\', end + 1)) {
            keys_.insert({key.root, AsciiLower(key.path.substr(0, end))});
            if (end == std::string::npos)
                break;
        }
    }

    std::map<std::string, Data>& ValuesOf(const Key& key) {
        return values_[{key.root, AsciiLower(key.path)}];
    }

  private:
    std::set<std::pair<std::uint32_t, std::string>> keys_;
    std::map<std::pair<std::uint32_t, std::string>, std::map<std::string, Data>> values_;
};

// Whether a value of the Run key may carry `name`: it becomes a file name.
bool IsRunName(std::string_view name) {
    if (name.empty() || name.size() > 200)
        return false;
    for (char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '/' || byte < 0x20 || byte == 0x7F || byte == 0xFF)
            return false;
    }
    return true;
}

// Whether a desktop file can hold `text`. The generator below only makes
// invalid UTF-8 through a lone 0xFF, so a byte check is enough.
bool IsStorableRunText(std::string_view text) {
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && c != '\t' && c != '\n' && c != '\r') || byte == 0x7F || byte == 0xFF)
            return false;
    }
    return true;
}

// ------------------------------------------------------------------ inputs

// Pieces that names and data are made of: letters in both cases (names are
// case-insensitive), separators, blanks and escapes a desktop file must
// survive, and bytes that are not allowed there.
std::string Pieces(FuzzedDataProvider& input, std::size_t maxPieces,
                   std::initializer_list<std::string_view> alphabet) {
    const std::vector<std::string_view> pieces(alphabet);
    std::string out;
    const auto count = input.ConsumeIntegralInRange<std::size_t>(0, maxPieces);
    for (std::size_t i = 0; i < count; ++i)
        out += pieces[input.ConsumeIntegralInRange<std::size_t>(0, pieces.size() - 1)];
    return out;
}

std::string ValueName(FuzzedDataProvider& input) {
    return Pieces(input, 5,
                  {"a", "A", "b", "B", " ", ".", "/", "\\", "\t", "\x01", "\x7f", "\xff",
                   "\xc3\xa9", "\xc3\x89"});
}

std::string ValueData(FuzzedDataProvider& input) {
    return Pieces(input, 24,
                  {"a", "B", " ", "\\", "\\s", "\n", "\t", "\r", "=", "[", "#", "\"", "%",
                   std::string_view("\0", 1), "\x01", "\xff", "\xc3\xa9", "Hidden=true", "Exec="});
}

// A sub-key path: a few components, sometimes empty or over-long ones, a
// stray leading or trailing backslash, or a spelling of the Run key's path.
std::string SubKey(FuzzedDataProvider& input) {
    if (input.ConsumeIntegralInRange(0, 5) == 0) {
        std::string path(kRunPath.substr(
            0, kRunPath.size() - input.ConsumeIntegralInRange<std::size_t>(0, 2) * 4));
        for (char& c : path) {
            if (input.ConsumeBool())
                c = AsciiLower(c);
        }
        return path + std::string(input.ConsumeIntegralInRange(0, 2), '\\');
    }
    std::string path;
    const int parts = input.ConsumeIntegralInRange(0, 3);
    for (int i = 0; i < parts; ++i) {
        if (i > 0)
            path += '\\';
        if (input.ConsumeIntegralInRange(0, 15) == 0)
            path += std::string(input.ConsumeBool() ? 255 : 256, 'k');
        else
            path += Pieces(input, 2, {"a", "A", "b", "B"});
    }
    if (input.ConsumeIntegralInRange(0, 7) == 0)
        path = "\\" + path;
    return path + std::string(input.ConsumeIntegralInRange(0, 2), '\\');
}

// What Descend does: trailing backslashes dropped, every component 1 to 255
// characters. Empty for an invalid path.
bool Descend(const Key& base, std::string_view subKey, Key& key) {
    while (!subKey.empty() && subKey.back() == '\\')
        subKey.remove_suffix(1);
    key = base;
    while (!subKey.empty()) {
        const std::size_t slash = subKey.find('\\');
        const std::string_view part = subKey.substr(0, slash);
        if (part.empty() || part.size() > 255)
            return false;
        if (!key.path.empty())
            key.path += '\\';
        key.path += part;
        subKey.remove_prefix(slash == std::string_view::npos ? subKey.size() : slash + 1);
    }
    return true;
}

// ------------------------------------------------------------------ the run

struct Slot {
    HKEY handle;
    bool open;
    Key key;
};

class Run {
  public:
    // The Run key is open from the start, so that sequences reach it as
    // easily as any other key.
    explicit Run(FuzzedDataProvider& input) : input_(input) {
        HKEY run = nullptr;
        Require(RegOpenKeyA(HKEY_LOCAL_MACHINE, std::string(kRunPath).c_str(), &run) ==
                ERROR_SUCCESS);
        slots_.push_back({run, true, {kHklm, std::string(kRunPath)}});
    }

    void Step() {
        switch (input_.ConsumeIntegralInRange(0, 8)) {
            case 0:
            case 1:
                OpenOrCreate(input_.ConsumeBool());
                break;
            case 2:
                Set();
                break;
            case 3:
            case 4:
                Query();
                break;
            case 5:
                Delete();
                break;
            case 6:
                List();
                break;
            case 7:
                Close();
                break;
            default:
                Batch();
        }
    }

    void CloseAll() {
        for (; batchDepth_ > 0; --batchDepth_)
            Require(RegEndBatchPOSIX() == ERROR_SUCCESS);
        for (Slot& slot : slots_) {
            if (slot.open)
                Require(RegCloseKey(slot.handle) == ERROR_SUCCESS);
            slot.open = false;
        }
    }

  private:
    struct Target {
        HKEY handle;
        bool valid;
        Key key;
    };

    // A handle to use: a predefined root (sign-extended or not), one opened
    // earlier (perhaps closed since), the null handle or a made-up one.
    Target PickHandle() {
        const auto choice = input_.ConsumeIntegralInRange<std::size_t>(0, slots_.size() + 6);
        if (choice < 4) {
            const std::uint32_t root = 0x80000000u + static_cast<std::uint32_t>(choice);
            const auto extended = static_cast<std::intptr_t>(static_cast<std::int32_t>(root));
            return {reinterpret_cast<HKEY>(extended), true, {root, ""}};
        }
        if (choice == 4)
            return {reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(kHklm)), true, {kHklm, ""}};
        if (choice == 5)
            return {nullptr, false, {}};
        if (choice == 6)
            return {reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x38)), false, {}};
        const Slot& slot = slots_[choice - 7];
        return {slot.handle, slot.open, slot.key};
    }

    void OpenOrCreate(bool create) {
        const Target base = PickHandle();
        const bool nullSubKey = input_.ConsumeIntegralInRange(0, 7) == 0;
        const std::string subKey = nullSubKey ? std::string() : SubKey(input_);
        HKEY result = reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x5A5A5A50));
        const LONG code =
            create ? RegCreateKeyA(base.handle, nullSubKey ? nullptr : subKey.c_str(), &result)
                   : RegOpenKeyA(base.handle, nullSubKey ? nullptr : subKey.c_str(), &result);
        Key key;
        LONG expected = ERROR_SUCCESS;
        if (!base.valid) {
            expected = ERROR_INVALID_HANDLE;
        } else if (!Descend(base.key, subKey, key)) {
            expected = ERROR_INVALID_PARAMETER;
        } else if (!create && !model_.KeyExists(key)) {
            expected = ERROR_FILE_NOT_FOUND;
        }
        Require(code == expected);
        if (code != ERROR_SUCCESS) {
            Require(result == nullptr);
            return;
        }
        Require(result != nullptr);
        if (create && !Model::OnRunPath(key))
            model_.AddKey(key);
        slots_.push_back({result, true, key});
    }

    void Set() {
        const Target target = PickHandle();
        const bool nullName = input_.ConsumeIntegralInRange(0, 7) == 0;
        const std::string name = nullName ? std::string() : ValueName(input_);
        const DWORD type =
            input_.ConsumeBool() ? REG_SZ : input_.ConsumeIntegralInRange<DWORD>(0, 8);
        const std::string data = ValueData(input_);
        const bool nullData = input_.ConsumeIntegralInRange(0, 15) == 0;
        const DWORD size =
            nullData ? input_.ConsumeIntegralInRange<DWORD>(0, 1) : static_cast<DWORD>(data.size());
        const LONG code =
            RegSetValueExA(target.handle, nullName ? nullptr : name.c_str(), 0, type,
                           nullData ? nullptr : reinterpret_cast<const BYTE*>(data.data()), size);
        const std::string stored = nullData ? std::string() : data;
        if (nullData && size != 0) {
            Require(code == ERROR_INVALID_PARAMETER ||
                    (!target.valid && code == ERROR_INVALID_HANDLE));
            return;
        }
        if (!target.valid) {
            Require(code == ERROR_INVALID_HANDLE);
            return;
        }
        if (Model::IsRunKey(target.key)) {
            if (type != REG_SZ || !IsRunName(name) || !IsStorableRunText(stored)) {
                Require(code == ERROR_INVALID_PARAMETER);
                return;
            }
        }
        Require(code == ERROR_SUCCESS);
        auto& values = model_.ValuesOf(target.key);
        auto [it, added] = values.try_emplace(AsciiLower(name), Data{name, type, stored});
        if (!added) {
            it->second.type = type;
            it->second.bytes = stored;
        }
        if (!Model::IsRunKey(target.key))
            model_.AddKey(target.key);
    }

    const Data* Find(const Target& target, const std::string& name) {
        auto& values = model_.ValuesOf(target.key);
        const auto it = values.find(AsciiLower(name));
        return it == values.end() ? nullptr : &it->second;
    }

    void Query() {
        const Target target = PickHandle();
        const bool nullName = input_.ConsumeIntegralInRange(0, 7) == 0;
        const std::string name = nullName ? std::string() : ValueName(input_);
        const int mode = input_.ConsumeIntegralInRange(0, 4);  // see below
        const bool wantType = input_.ConsumeBool();
        const auto capacity = input_.ConsumeIntegralInRange<DWORD>(0, 64);

        constexpr BYTE kUntouched = 0xA5;
        std::vector<BYTE> buffer(capacity + 1, kUntouched);
        DWORD type = 0xDEADBEEF;
        DWORD size = capacity;
        const bool withData = mode >= 2;  // 2, 3: a buffer; 4: a buffer without a size
        const bool withSize = mode != 0 && mode != 4;
        const LONG code = RegQueryValueExA(
            target.handle, nullName ? nullptr : name.c_str(), nullptr, wantType ? &type : nullptr,
            withData ? buffer.data() : nullptr, withSize ? &size : nullptr);
        if (mode == 4) {
            Require(code == ERROR_INVALID_PARAMETER);
            return;
        }
        if (!target.valid) {
            Require(code == ERROR_INVALID_HANDLE);
            return;
        }
        const Data* value = Find(target, name);
        if (value == nullptr) {
            Require(code == ERROR_FILE_NOT_FOUND);
            return;
        }
        if (wantType)
            Require(type == value->type);
        const auto needed = static_cast<DWORD>(value->bytes.size());
        if (withData && capacity < needed) {
            Require(code == ERROR_MORE_DATA && size == needed);
            for (BYTE b : buffer)
                Require(b == kUntouched);
            return;
        }
        Require(code == ERROR_SUCCESS);
        if (withSize)
            Require(size == needed);
        if (withData) {
            Require(std::memcmp(buffer.data(), value->bytes.data(), needed) == 0);
            for (std::size_t i = needed; i < buffer.size(); ++i)
                Require(buffer[i] == kUntouched);
        }
    }

    void Delete() {
        const Target target = PickHandle();
        const std::string name = ValueName(input_);
        const LONG code = RegDeleteValueA(target.handle, name.c_str());
        if (!target.valid) {
            Require(code == ERROR_INVALID_HANDLE);
            return;
        }
        auto& values = model_.ValuesOf(target.key);
        if (values.erase(AsciiLower(name)) == 0) {
            Require(code == ERROR_FILE_NOT_FOUND);
            return;
        }
        Require(code == ERROR_SUCCESS);
    }

    // Every value of the key, names as first written, listed exactly once.
    void List() {
        const Target target = PickHandle();
        std::set<std::tuple<std::string, DWORD, std::string>> listed;
        for (DWORD index = 0;; ++index) {
            char name[512];
            DWORD nameLength = sizeof name;
            BYTE data[512];
            DWORD size = sizeof data;
            DWORD type = 0;
            const LONG code =
                RegEnumValueA(target.handle, index, name, &nameLength, nullptr, &type, data, &size);
            if (!target.valid) {
                Require(code == ERROR_INVALID_HANDLE);
                return;
            }
            if (code == ERROR_NO_MORE_ITEMS)
                break;
            Require(code == ERROR_SUCCESS && index < 10000);
            Require(std::strlen(name) == nameLength);
            listed.insert({std::string(name, nameLength), type,
                           std::string(reinterpret_cast<const char*>(data), size)});
        }
        std::set<std::tuple<std::string, DWORD, std::string>> expected;
        for (const auto& [lower, value] : model_.ValuesOf(target.key))
            expected.insert({value.name, value.type, value.bytes});
        Require(listed == expected);
    }

    void Close() {
        const Target target = PickHandle();
        const LONG code = RegCloseKey(target.handle);
        if (!target.valid) {
            Require(code == ERROR_INVALID_HANDLE);
            return;
        }
        Require(code == ERROR_SUCCESS);
        for (Slot& slot : slots_) {
            if (slot.handle == target.handle && target.key.path == slot.key.path)
                slot.open = false;
        }
    }

    void Batch() {
        if (input_.ConsumeBool()) {
            Require(RegBeginBatchPOSIX() == ERROR_SUCCESS);
            ++batchDepth_;
        } else if (batchDepth_ == 0) {
            Require(RegEndBatchPOSIX() == ERROR_INVALID_PARAMETER);
        } else {
            Require(RegEndBatchPOSIX() == ERROR_SUCCESS);
            --batchDepth_;
        }
    }

    FuzzedDataProvider& input_;
    int batchDepth_ = 0;
    Model model_;
    std::vector<Slot> slots_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    brisendale::fuzzing::ScratchConfigHome::Instance().Reset();
    FuzzedDataProvider input(data, size);
    Run run(input);
    for (int step = 0; step < 64 && input.remaining_bytes() > 0; ++step)
        run.Step();
    run.CloseAll();
    return 0;
}
