// The registry stand-in driven by random call sequences: open, create, set,
// query, delete, list and close on random handles (roots, open, closed, null,
// made up), names, types and sizes, with batches of writes opened and closed
// at random and the Run key (autostart files) as easy to reach as any key.
//
// There is deliberately no model of what the store should hold: it would be
// the stand-in written a second time, with the same misreadings. What is
// checked holds whatever the store holds:
//   - no crash and no sanitizer report;
//   - every call gives one of the results the header documents;
//   - the value last written reads back with its type and bytes, through its
//     own handle or a second one on the same key, its name in either case;
//   - the value last deleted is missing;
//   - a buffer too small gives ERROR_MORE_DATA, stays untouched, and the size
//     reported then suffices.
// Each input starts from an empty store in a scratch XDG_CONFIG_HOME.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "tests/support/temp_config_home.h"
#include "winreg_posix/winreg_posix.h"

namespace {

using brisendale::fuzzing::Require;

constexpr char kRunPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr BYTE kUntouched = 0xA5;

// A value as the sequence reaches it: through a handle, by a name (none: the
// null name), and, when known, what it holds (present false: it is missing).
struct Value {
    HKEY handle;
    std::optional<std::string> name;
    bool known = false;
    bool present = false;
    DWORD type = 0;
    std::string data{};
};

const char* CStr(const std::optional<std::string>& text) {
    return text ? text->c_str() : nullptr;
}

void FlipCase(std::string& text) {
    for (char& c : text) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))
            c ^= 0x20;
    }
}

class Sequence {
  public:
    // The Run key is open from the start, so that it is as easy to reach as
    // any other key.
    explicit Sequence(FuzzedDataProvider& input) : input_(input) {
        Require(RegOpenKeyA(HKEY_LOCAL_MACHINE, kRunPath, &handles_.emplace_back()) ==
                ERROR_SUCCESS);
    }

    void Step() {
        using Call = void (Sequence::*)();
        static constexpr Call kCalls[] = {&Sequence::Open,   &Sequence::Set,  &Sequence::Query,
                                          &Sequence::Delete, &Sequence::List, &Sequence::Close,
                                          &Sequence::Batch};
        (this->*input_.PickValueInArray(kCalls))();
    }

    // Leaves no handle or batch behind for the next input.
    void Finish() {
        for (HKEY handle : handles_)
            RegCloseKey(handle);
        while (RegEndBatchPOSIX() != ERROR_INVALID_PARAMETER) {
        }
    }

  private:
    LONG Checked(LONG code) {
        static constexpr LONG kDocumented[] = {ERROR_SUCCESS,           ERROR_FILE_NOT_FOUND,
                                               ERROR_ACCESS_DENIED,     ERROR_INVALID_HANDLE,
                                               ERROR_INVALID_PARAMETER, ERROR_MORE_DATA,
                                               ERROR_NO_MORE_ITEMS,     ERROR_BADDB};
        Require(std::find(std::begin(kDocumented), std::end(kDocumented), code) !=
                std::end(kDocumented));
        // A store failure may have rolled back the open batch and the last write with it.
        if (code == ERROR_ACCESS_DENIED || code == ERROR_BADDB)
            fact_.reset();
        return code;
    }

    // Names, paths and data: letters in both cases, separators, what an
    // autostart file must carry through unchanged, and bytes it cannot hold
    // (NUL, controls, broken UTF-8). Sometimes null.
    std::optional<std::string> Text(std::size_t maxPieces) {
        static const std::string kLong(130, 'k');
        static const std::string_view kPieces[] = {
            "a",        "B",           " ",     "\\",     "\\s",
            "\n",       "\t",          "\r",    "=",      "/",
            "[",        {"\0", 1},     "\x01",  "\x7f",   "\xff",
            "\xc3\xa9", "Hidden=true", "Exec=", kRunPath, "Software\\Microsoft",
            kLong};
        if (input_.ConsumeIntegralInRange(0, 7) == 0)
            return std::nullopt;
        std::string text;
        for (auto n = input_.ConsumeIntegralInRange<std::size_t>(0, maxPieces); n > 0; --n)
            text += input_.PickValueInArray(kPieces);
        if (input_.ConsumeBool())
            FlipCase(text);
        return text;
    }

    // A handle opened earlier (perhaps closed since), a root as <windows.h>
    // spells it or not sign-extended, null, or any value at all.
    HKEY PickHandle() {
        const auto choice = input_.ConsumeIntegralInRange<std::size_t>(0, handles_.size() + 1);
        if (choice < handles_.size())
            return handles_[choice];
        if (choice == handles_.size())
            return input_.PickValueInArray(
                {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS,
                 reinterpret_cast<HKEY>(std::uintptr_t{0x80000002u}), HKEY{nullptr}});
        return reinterpret_cast<HKEY>(input_.ConsumeIntegral<std::uintptr_t>());
    }

    // Often the fact's value, through its own handle or a second one on the
    // same key, its name in either case; else any value.
    Value PickTarget() {
        if (!fact_ || input_.ConsumeBool())
            return {PickHandle(), Text(4)};
        Value target = *fact_;
        if (input_.ConsumeBool()) {
            const char* self = input_.ConsumeBool() ? "" : nullptr;
            Require(RegOpenKeyA(target.handle, self, &target.handle) == ERROR_SUCCESS);
            handles_.push_back(target.handle);
        }
        if (target.name && input_.ConsumeBool())
            FlipCase(*target.name);
        return target;
    }

    void Open() {
        const auto open = input_.ConsumeBool() ? RegCreateKeyA : RegOpenKeyA;
        const HKEY base = PickHandle();
        HKEY opened = reinterpret_cast<HKEY>(std::uintptr_t{0x5A5A5A50});
        const LONG code = Checked(open(base, CStr(Text(4)), &opened));
        Require((code == ERROR_SUCCESS) == (opened != nullptr));
        if (opened != nullptr)
            handles_.push_back(opened);
    }

    void Set() {
        const Value target = PickTarget();
        const DWORD type = input_.ConsumeBool() ? REG_SZ : input_.ConsumeIntegral<DWORD>();
        const auto data = Text(16);  // null: no data, with a size of 0 or 1
        const auto size =
            data ? static_cast<DWORD>(data->size()) : input_.ConsumeIntegralInRange<DWORD>(0, 1);
        const auto* bytes = data ? reinterpret_cast<const BYTE*>(data->data()) : nullptr;
        if (Checked(RegSetValueExA(target.handle, CStr(target.name), 0, type, bytes, size)) ==
            ERROR_SUCCESS)
            fact_ = Value{target.handle, target.name, true, true, type, data.value_or("")};
    }

    void Query() {
        const Value target = PickTarget();
        const bool wantType = input_.ConsumeBool();
        const bool withBuffer = input_.ConsumeBool();
        auto capacity = input_.ConsumeIntegralInRange<DWORD>(0, 64);
        std::vector<BYTE> buffer(capacity + 1, kUntouched);
        DWORD size = capacity;
        DWORD type = 0;
        auto read = [&] {
            return Checked(RegQueryValueExA(target.handle, CStr(target.name), nullptr,
                                            wantType ? &type : nullptr,
                                            withBuffer ? buffer.data() : nullptr, &size));
        };
        LONG code = read();
        if (code == ERROR_MORE_DATA) {
            Require(withBuffer && size > capacity);
            Require(std::count(buffer.begin(), buffer.end(), kUntouched) == capacity + 1);
            capacity = size;
            buffer.assign(capacity + 1, kUntouched);
            code = read();
            Require(code == ERROR_SUCCESS && size == capacity);
        }
        if (!target.known)
            return;
        Require(code == (target.present ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND));
        if (target.present) {
            Require(size == target.data.size() && (!wantType || type == target.type));
            Require(!withBuffer || std::memcmp(buffer.data(), target.data.data(), size) == 0);
        }
    }

    void Delete() {
        const Value target = PickTarget();
        const LONG code = Checked(RegDeleteValueA(target.handle, CStr(target.name)));
        if (target.known)
            Require(code == (target.present ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND));
        if (code == ERROR_SUCCESS)
            fact_ = Value{target.handle, target.name, true};
    }

    // Values or sub-keys, into buffers of random size; a listing must end.
    void List() {
        const HKEY key = PickHandle();
        const bool values = input_.ConsumeBool();
        char name[512];
        BYTE data[64];
        for (DWORD index = 0;; ++index) {
            Require(index < 1000);
            DWORD length = input_.ConsumeIntegralInRange<DWORD>(0, sizeof name);
            DWORD size = input_.ConsumeIntegralInRange<DWORD>(0, sizeof data);
            const LONG code = Checked(
                values ? RegEnumValueA(key, index, name, &length, nullptr, nullptr, data, &size)
                       : RegEnumKeyA(key, index, name, length));
            Require(code != ERROR_SUCCESS || !values || std::strlen(name) == length);
            if (code != ERROR_SUCCESS && code != ERROR_MORE_DATA)
                return;
        }
    }

    void Close() {
        const HKEY key = PickHandle();
        if (Checked(RegCloseKey(key)) == ERROR_SUCCESS && fact_ && fact_->handle == key)
            fact_.reset();
    }

    void Batch() { Checked(input_.ConsumeBool() ? RegBeginBatchPOSIX() : RegEndBatchPOSIX()); }

    FuzzedDataProvider& input_;
    std::vector<HKEY> handles_;
    std::optional<Value> fact_;  // what the last successful write or delete left
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const brisendale::testing::TempConfigHome home(/*inMemory=*/true);
    home.Clear();
    FuzzedDataProvider input(data, size);
    Sequence sequence(input);
    for (int step = 0; step < 64 && input.remaining_bytes() > 0; ++step)
        sequence.Step();
    sequence.Finish();
    return 0;
}
