// The platform the logon run asks Qt for. The run never shows its window, so
// it needs no display at all: it may start before the desktop has one, or
// with a DISPLAY left over from a session that is gone, and Qt's usual
// platform would then abort the process.
#pragma once

namespace brisendale {

// The name of a Qt platform plugin that needs no display, or nullptr where
// Qt's default always works.
const char* HeadlessPlatformName();

}  // namespace brisendale
