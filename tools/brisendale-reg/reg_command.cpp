#include "tools/brisendale-reg/reg_command.h"

#include <cstdint>
#include <istream>
#include <optional>
#include <ostream>
#include <string_view>

#include "platform/registry/ansi_text.h"
#include "platform/registry/registry_api.h"
#include "platform/registry/registry_failure.h"
#include "platform/runtime/ascii_digit.h"

namespace brisendale {
namespace {

constexpr std::string_view kUsage =
    "Usage:\n"
    "  brisendale-reg query  KEY [/v NAME | /ve]\n"
    "  brisendale-reg add    KEY [(/v NAME | /ve) [/t REG_SZ|REG_DWORD] [/d DATA]] [/f]\n"
    "  brisendale-reg delete KEY (/v NAME | /ve) [/f]\n"
    "\n"
    "  KEY    HKLM\\path or HKEY_LOCAL_MACHINE\\path\n"
    "  /v     the value's name; /ve the key's default value\n"
    "  /t     the value's type (REG_SZ when left out)\n"
    "  /d     the data: text, or for REG_DWORD a number 0 to 4294967295 or 0x0 to 0xffffffff\n"
    "  /f     overwrite or delete without asking\n"
    "  add without /v or /ve makes the key only\n";

constexpr std::string_view kNotFound =
    "ERROR: The system was unable to find the specified registry key or value.";
// Listings stop here even if the store keeps answering.
constexpr DWORD kMaxListed = 100000;

// The message for a call that failed with `code`, told right after it why.
std::string ErrorText(LONG code) {
    const RegistryFailure failure = ExplainRegistryFailure(code);
    std::string text;
    if (failure.result == ERROR_BUSY) {
        text = "ERROR: The registry store is busy, as another program has kept it locked";
    } else if (code == ERROR_FILE_NOT_FOUND) {
        return std::string(kNotFound);
    } else if (code == ERROR_ACCESS_DENIED) {
        text = "ERROR: Access is denied";
    } else if (code == ERROR_INVALID_PARAMETER) {
        text = "ERROR: The parameter is incorrect";
    } else if (code == ERROR_BADDB) {
        text = "ERROR: The registry store is damaged or is not a database; it was left as it is";
    } else {
        text = "ERROR: The operation failed with error " + std::to_string(code);
    }
    if (!failure.file.empty())
        text += " (" + failure.file + (failure.reason.empty() ? "" : ": " + failure.reason) + ")";
    return text + ".";
}

struct KeyName {
    HKEY root;
    std::string display;  // HKEY_LOCAL_MACHINE\path, as reg prints it
    std::string path;     // below the root, without trailing backslashes
};

std::optional<KeyName> ParseKey(std::string_view text) {
    const std::size_t slash = text.find('\\');
    const std::string rootName = AsciiLower(text.substr(0, slash));
    if (rootName != "hklm" && rootName != "hkey_local_machine")
        return std::nullopt;
    std::string path(slash == std::string_view::npos ? "" : text.substr(slash + 1));
    while (!path.empty() && path.back() == '\\')
        path.pop_back();
    std::string display = "HKEY_LOCAL_MACHINE";
    if (!path.empty())
        display += "\\" + path;
    return KeyName{HKEY_LOCAL_MACHINE, display, path};
}

struct Options {
    std::optional<std::string> name;  // "" for /ve
    std::optional<std::string> type;
    std::optional<std::string> data;
    bool force = false;
};

// Reads the options after the key; nothing when they are not valid for `verb`.
std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::string_view verb) {
    Options options;
    const bool isAdd = verb == "add";
    const bool isQuery = verb == "query";
    for (std::size_t i = 2; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.size() < 2 || (arg[0] != '/' && arg[0] != '-'))
            return std::nullopt;
        const std::string option = AsciiLower(std::string_view(arg).substr(1));
        const bool hasNext = i + 1 < args.size();
        if (option == "v" && hasNext && !options.name) {
            options.name = args[++i];
        } else if (option == "ve" && !options.name) {
            options.name = "";
        } else if (option == "t" && isAdd && hasNext && !options.type) {
            options.type = args[++i];
        } else if (option == "d" && isAdd && hasNext && !options.data) {
            options.data = args[++i];
        } else if (option == "f" && !isQuery && !options.force) {
            options.force = true;
        } else {
            return std::nullopt;
        }
    }
    return options;
}

// Decimal, or hexadecimal after 0x, within 32 bits unsigned.
std::optional<std::uint32_t> ParseDword(std::string_view text) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && AsciiLower(text[1]) == 'x') {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty() || text.size() > 10)
        return std::nullopt;
    std::uint64_t value = 0;
    for (char c : text) {
        const int digit = AsciiDigitValue(c);
        if (digit >= base)
            return std::nullopt;
        value = value * base + digit;
    }
    if (value > 0xFFFFFFFFu)
        return std::nullopt;
    return static_cast<std::uint32_t>(value);
}

std::string TypeName(DWORD type) {
    switch (type) {
        case REG_NONE:
            return "REG_NONE";
        case REG_SZ:
            return "REG_SZ";
        case REG_EXPAND_SZ:
            return "REG_EXPAND_SZ";
        case REG_BINARY:
            return "REG_BINARY";
        case REG_DWORD:
            return "REG_DWORD";
        case REG_MULTI_SZ:
            return "REG_MULTI_SZ";
        default:
            return "REG_TYPE_" + std::to_string(type);
    }
}

std::string Hex(std::uint64_t value, bool upper) {
    const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    std::string out;
    do {
        out.insert(out.begin(), digits[value % 16]);
        value /= 16;
    } while (value != 0);
    return out;
}

// The data the way reg query shows them.
std::string FormatData(DWORD type, const std::string& bytes) {
    if (type == REG_SZ || type == REG_EXPAND_SZ) {
        return FromAnsi(bytes.substr(0, bytes.find('\0')));
    }
    if (type == REG_DWORD && bytes.size() == 4) {
        std::uint32_t value = 0;
        for (int i = 3; i >= 0; --i)
            value = value << 8 | static_cast<unsigned char>(bytes[i]);
        return "0x" + Hex(value, false);
    }
    if (type == REG_MULTI_SZ) {
        std::string text = bytes;
        while (!text.empty() && text.back() == '\0')
            text.pop_back();
        std::string out;
        for (char c : text)
            out += c == '\0' ? std::string("\\0") : std::string(1, c);
        return FromAnsi(out);
    }
    std::string out;
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        out += Hex(byte >> 4, true) + Hex(byte & 0xF, true);
    }
    return out;
}

void PrintValue(std::ostream& out, const std::string& name, DWORD type, const std::string& data) {
    out << "    " << (name.empty() ? std::string("(Default)") : FromAnsi(name)) << "    "
        << TypeName(type) << "    " << FormatData(type, data) << '\n';
}

bool Confirm(std::istream& in, std::ostream& out, const std::string& question) {
    out << question << " (Yes/No)? " << std::flush;
    std::string answer;
    if (!std::getline(in, answer))
        return false;
    return !answer.empty() && AsciiLower(answer[0]) == 'y';
}

// Reads one value in two steps: its size, then its data.
LONG QueryValue(HKEY key, const std::string& ansiName, DWORD& type, std::string& data) {
    DWORD size = 0;
    LONG result = RegQueryValueExA(key, ansiName.c_str(), nullptr, &type, nullptr, &size);
    if (result != ERROR_SUCCESS)
        return result;
    data.assign(size, '\0');
    result = RegQueryValueExA(key, ansiName.c_str(), nullptr, &type,
                              reinterpret_cast<BYTE*>(data.data()), &size);
    data.resize(size < data.size() ? size : data.size());
    return result;
}

// Prints the error for `code`; the exit status of a command that failed.
int Failed(std::ostream& err, LONG code) {
    err << ErrorText(code) << '\n';
    return 1;
}

int Cancelled(std::ostream& err) {
    err << "ERROR: The operation was cancelled; nothing was changed.\n";
    return 1;
}

// A value's name as the questions show it.
std::string ShownName(const std::string& name) {
    return name.empty() ? "(Default)" : name;
}

class OpenedKey {
  public:
    ~OpenedKey() {
        if (handle != nullptr)
            RegCloseKey(handle);
    }
    HKEY handle = nullptr;
};

int Query(const KeyName& key, const Options& options, std::ostream& out, std::ostream& err) {
    OpenedKey opened;
    if (LONG code = RegOpenKeyA(key.root, ToAnsi(key.path).c_str(), &opened.handle); code != 0) {
        return Failed(err, code);
    }
    if (options.name) {
        DWORD type = 0;
        std::string data;
        const std::string ansiName = ToAnsi(*options.name);
        if (LONG code = QueryValue(opened.handle, ansiName, type, data); code != ERROR_SUCCESS) {
            return Failed(err, code);
        }
        out << '\n' << key.display << '\n';
        PrintValue(out, ansiName, type, data);
        out << '\n';
        return 0;
    }
    out << '\n' << key.display << '\n';
    bool anyValue = false;
    for (DWORD index = 0; index < kMaxListed; ++index) {
        char name[16384];
        DWORD nameLength = sizeof name;
        DWORD type = 0;
        DWORD size = 0;
        LONG code =
            RegEnumValueA(opened.handle, index, name, &nameLength, nullptr, &type, nullptr, &size);
        if (code == ERROR_NO_MORE_ITEMS)
            break;
        std::string data(size, '\0');
        nameLength = sizeof name;
        if (code == ERROR_SUCCESS) {
            code = RegEnumValueA(opened.handle, index, name, &nameLength, nullptr, &type,
                                 reinterpret_cast<BYTE*>(data.data()), &size);
        }
        if (code != ERROR_SUCCESS) {
            return Failed(err, code);
        }
        data.resize(size < data.size() ? size : data.size());
        PrintValue(out, std::string(name, nameLength), type, data);
        anyValue = true;
    }
    if (anyValue)
        out << '\n';
    for (DWORD index = 0; index < kMaxListed; ++index) {
        char name[256];
        const LONG code = RegEnumKeyA(opened.handle, index, name, sizeof name);
        if (code == ERROR_NO_MORE_ITEMS)
            break;
        if (code != ERROR_SUCCESS) {
            return Failed(err, code);
        }
        out << key.display << '\\' << FromAnsi(name) << '\n';
    }
    return 0;
}

int Add(const KeyName& key, const Options& options, std::istream& in, std::ostream& out,
        std::ostream& err) {
    const std::string type = AsciiLower(options.type.value_or("REG_SZ"));
    if (type != "reg_sz" && type != "reg_dword") {
        err << "ERROR: Unsupported type \"" << *options.type << "\"; use REG_SZ or REG_DWORD.\n";
        return 1;
    }
    std::string bytes;
    DWORD typeCode = REG_SZ;
    if (type == "reg_dword") {
        const auto value = ParseDword(options.data.value_or("0"));
        if (!value) {
            err << "ERROR: REG_DWORD data must be a number from 0 to 4294967295, or 0x0 to "
                   "0xffffffff.\n";
            return 1;
        }
        typeCode = REG_DWORD;
        for (int shift = 0; shift < 32; shift += 8)
            bytes += static_cast<char>(*value >> shift);
    } else {
        bytes = ToAnsi(options.data.value_or(""));
    }
    OpenedKey opened;
    if (LONG code = RegCreateKeyA(key.root, ToAnsi(key.path).c_str(), &opened.handle); code != 0) {
        return Failed(err, code);
    }
    if (options.name) {
        const std::string ansiName = ToAnsi(*options.name);
        const bool exists = RegQueryValueExA(opened.handle, ansiName.c_str(), nullptr, nullptr,
                                             nullptr, nullptr) == ERROR_SUCCESS;
        const std::string shown = ShownName(*options.name);
        if (exists && !options.force &&
            !Confirm(in, out, "Value " + shown + " exists, overwrite")) {
            return Cancelled(err);
        }
        const LONG code = RegSetValueExA(opened.handle, ansiName.c_str(), 0, typeCode,
                                         reinterpret_cast<const BYTE*>(bytes.data()),
                                         static_cast<DWORD>(bytes.size()));
        if (code != ERROR_SUCCESS) {
            return Failed(err, code);
        }
    }
    out << "The operation completed successfully.\n";
    return 0;
}

int Delete(const KeyName& key, const Options& options, std::istream& in, std::ostream& out,
           std::ostream& err) {
    if (!options.name) {
        err << "ERROR: Name the value to delete with /v NAME or /ve; keys are not deleted.\n";
        return 1;
    }
    OpenedKey opened;
    if (LONG code = RegOpenKeyA(key.root, ToAnsi(key.path).c_str(), &opened.handle); code != 0) {
        return Failed(err, code);
    }
    const std::string shown = ShownName(*options.name);
    if (!options.force && !Confirm(in, out, "Delete the registry value " + shown)) {
        return Cancelled(err);
    }
    if (LONG code = RegDeleteValueA(opened.handle, ToAnsi(*options.name).c_str()); code != 0) {
        return Failed(err, code);
    }
    out << "The operation completed successfully.\n";
    return 0;
}

}  // namespace

int RunRegCommand(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                  std::ostream& err) {
    const std::string first = args.empty() ? "" : AsciiLower(args[0]);
    if (args.size() == 1 &&
        (first == "/?" || first == "-?" || first == "-h" || first == "--help" || first == "help")) {
        out << kUsage;
        return 0;
    }
    const std::string& verb = first;
    if (verb != "query" && verb != "add" && verb != "delete") {
        err << "ERROR: Invalid syntax.\n" << kUsage;
        return 1;
    }
    if (args.size() < 2) {
        err << "ERROR: Invalid syntax: the key is missing.\n" << kUsage;
        return 1;
    }
    const auto key = ParseKey(args[1]);
    if (!key) {
        err << "ERROR: Invalid key name \"" << args[1]
            << "\"; it must start with HKLM\\ or HKEY_LOCAL_MACHINE\\.\n";
        return 1;
    }
    const auto options = ParseOptions(args, verb);
    // Data without a value to hold them would be dropped in silence.
    if (!options || (!options->name && (options->type || options->data))) {
        err << "ERROR: Invalid syntax.\n" << kUsage;
        return 1;
    }
    if (verb == "query")
        return Query(*key, *options, out, err);
    if (verb == "add")
        return Add(*key, *options, in, out, err);
    return Delete(*key, *options, in, out, err);
}

}  // namespace brisendale
