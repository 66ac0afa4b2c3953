#include <windows.h>

#include <vector>

#include "platform/runtime/program_file.h"
#include "platform/runtime/wide_text_windows.h"

namespace brisendale {

ProgramFile ProgramFileAt(const std::string& path) {
    const auto separator = path.find_last_of("\\/");
    const std::string file = separator == std::string::npos ? path : path.substr(separator + 1);
    std::string folder = separator == std::string::npos ? std::string() : path.substr(0, separator);
    if (folder.size() == 2 && folder[1] == ':') {
        folder += '\\';  // a drive's root folder keeps its backslash
    }
    const auto dot = file.rfind('.');
    return {path, folder, dot == std::string::npos ? file : file.substr(0, dot)};
}

ProgramFile ThisProgramFile() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return {};
        }
        if (length < buffer.size()) {
            return ProgramFileAt(FromWide(std::wstring(buffer.data(), length), CP_UTF8));
        }
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace brisendale
