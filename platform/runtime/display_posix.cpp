#include "platform/runtime/display.h"

namespace brisendale {

const char* HeadlessPlatformName() {
    return "offscreen";
}

}  // namespace brisendale
