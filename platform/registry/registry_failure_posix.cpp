#include "platform/registry/registry_failure.h"

namespace brisendale {

RegistryFailure ExplainRegistryFailure(LONG result) {
    char file[4096] = "";
    char reason[512] = "";
    const LONG finer = RegGetLastFailurePOSIX(file, sizeof file, reason, sizeof reason);
    if (finer == ERROR_SUCCESS)
        return {result, "", ""};
    return {finer, file, reason};
}

}  // namespace brisendale
