#include "platform/runtime/display.h"

namespace brisendale {

// A Windows session always has a desktop to draw on.
bool DisplayAvailable() {
    return true;
}

}  // namespace brisendale
