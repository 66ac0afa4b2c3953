// Why a registry call failed, in words the user can be shown.
#pragma once

#include <string>

#include "platform/registry/registry_api.h"

namespace brisendale {

struct RegistryFailure {
    // The call's result, or a finer one where the registry can tell:
    // ERROR_BUSY (another process kept the store locked past the wait),
    // ERROR_ACCESS_DENIED (the file may not be read or written),
    // ERROR_BADDB (not a sound store).
    LONG result;
    std::string file;    // the file concerned; empty where the registry names none (Windows)
    std::string reason;  // the system's words, UTF-8, without a final full stop
};

// Call on the thread of the failed call, right after it, with its result.
RegistryFailure ExplainRegistryFailure(LONG result);

}  // namespace brisendale
