// Whether a window could be shown at all. The logon run needs no display, and
// may start before a desktop session has one.
#pragma once

namespace brisendale {

bool DisplayAvailable();

}  // namespace brisendale
