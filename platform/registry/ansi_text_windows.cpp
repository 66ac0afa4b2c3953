#include "platform/registry/ansi_text.h"

#include "platform/registry/registry_api.h"
#include "platform/runtime/wide_text_windows.h"

namespace brisendale {

std::string ToAnsi(std::string_view utf8) {
    return FromWide(ToWide(utf8, CP_UTF8), CP_ACP);
}

std::string FromAnsi(std::string_view ansi) {
    return FromWide(ToWide(ansi, CP_ACP), CP_UTF8);
}

}  // namespace brisendale
