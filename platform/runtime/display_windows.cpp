#include "platform/runtime/display.h"

namespace brisendale {

// A Windows session always has a desktop to draw on, and only the windows
// platform plugin is deployed beside the program.
const char* HeadlessPlatformName() {
    return nullptr;
}

}  // namespace brisendale
