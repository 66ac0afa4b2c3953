#include "winreg_posix/failure_record.h"

#include <cerrno>
#include <cstring>
#include <utility>

namespace brisendale::winreg {
namespace {

thread_local Failure lastFailure;

}  // namespace

void ForgetFailure() {
    lastFailure = Failure{};
}

void RecordFailure(Failure failure) {
    if (lastFailure.finer == ERROR_SUCCESS)
        lastFailure = std::move(failure);
}

const Failure& LastFailure() {
    return lastFailure;
}

LONG FinerFromErrno(int error) {
    // EPERM is what an immutable file or folder gives, even to root.
    return error == EACCES || error == EPERM || error == EROFS ? ERROR_ACCESS_DENIED
                                                               : ERROR_CANT_ACCESS_FILE;
}

LONG FailOnFile(LONG result, const std::string& file, int error, const std::string& what) {
    const std::string said = std::strerror(error);
    RecordFailure({FinerFromErrno(error), file, what.empty() ? said : what + ": " + said});
    return result;
}

}  // namespace brisendale::winreg
