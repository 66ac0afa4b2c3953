#include "platform/runtime/display.h"

#include <cstdlib>
#include <initializer_list>

namespace brisendale {

bool DisplayAvailable() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0')
            return true;
    }
    return false;
}

}  // namespace brisendale
