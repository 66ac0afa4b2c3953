#include "platform/registry/ansi_text.h"

namespace brisendale {

// The POSIX store keeps UTF-8, so there is nothing to convert.
std::string ToAnsi(std::string_view utf8) {
    return std::string(utf8);
}

std::string FromAnsi(std::string_view ansi) {
    return std::string(ansi);
}

}  // namespace brisendale
