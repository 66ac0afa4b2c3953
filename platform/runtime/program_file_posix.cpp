#include <unistd.h>

#include <vector>

#include "platform/runtime/program_file.h"

namespace brisendale {

ProgramFile ProgramFileAt(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) {
        return {path, {}, path};
    }
    return {path, slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

ProgramFile ThisProgramFile() {
    // Read as bytes: Qt's own view of the path is empty when it is not UTF-8.
    std::vector<char> buffer(256);
    for (;;) {
        const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0) {
            return {};
        }
        if (static_cast<std::size_t>(length) < buffer.size()) {
            return ProgramFileAt(std::string(buffer.data(), static_cast<std::size_t>(length)));
        }
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace brisendale
