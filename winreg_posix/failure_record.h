// Why the call under way failed, beyond its result code, so that a caller can
// name the file and the system's reason to the user (RegGetLastFailurePOSIX).
// One record per thread; each call forgets the one before.
#pragma once

#include <string>

#include "winreg_posix/winreg_posix.h"

namespace brisendale::winreg {

struct Failure {
    // ERROR_BUSY, ERROR_ACCESS_DENIED, ERROR_BADDB or ERROR_CANT_ACCESS_FILE;
    // ERROR_SUCCESS when nothing failed on a file.
    LONG finer = ERROR_SUCCESS;
    std::string file;    // the file concerned, "" when there is none
    std::string reason;  // the system's words
};

void ForgetFailure();

// Keeps `failure` unless the call has already recorded one: the first
// failure is the cause, what follows from it is not.
void RecordFailure(Failure failure);

const Failure& LastFailure();

// The finer result for a failed system call's errno: ERROR_ACCESS_DENIED when
// the file or its folder may not be touched, ERROR_CANT_ACCESS_FILE otherwise.
LONG FinerFromErrno(int error);

// Records the failure of a system call on `file` (its errno `error`) and
// returns `result`. `what`, when given, says what could not be done, before
// the system's words.
LONG FailOnFile(LONG result, const std::string& file, int error, const std::string& what = "");

}  // namespace brisendale::winreg
