#include <windows.h>

#include <string>

#include "platform/clock/desktop_clock.h"
#include "platform/clock/system_clock.h"
#include "platform/runtime/wide_text_windows.h"

namespace brisendale {

namespace {

// The system's own text for an error code, in UTF-8, without the line end.
std::string SystemReason(DWORD error) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    if (length == 0 || buffer == nullptr) {
        return "System error " + std::to_string(error);
    }
    std::wstring wide(buffer, length);
    LocalFree(buffer);
    while (!wide.empty() && (wide.back() == L'\r' || wide.back() == L'\n' || wide.back() == L' ')) {
        wide.pop_back();
    }
    return FromWide(wide, CP_UTF8);
}

ClockRefusal Refusal(DWORD error) {
    return ClockRefusal{SystemReason(error),
                        error == ERROR_PRIVILEGE_NOT_HELD || error == ERROR_NOT_ALL_ASSIGNED};
}

// Even an administrator's token holds the system-time privilege switched off;
// it has to be switched on before the clock can be set.
std::optional<ClockRefusal> EnableSystemTimePrivilege() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
        return Refusal(GetLastError());
    }
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!LookupPrivilegeValueW(nullptr, L"SeSystemtimePrivilege", &privileges.Privileges[0].Luid)) {
        const DWORD error = GetLastError();
        CloseHandle(token);
        return Refusal(error);
    }
    // AdjustTokenPrivileges succeeds even when the token lacks the privilege;
    // only the last error (ERROR_NOT_ALL_ASSIGNED) tells.
    const BOOL adjusted = AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
    const DWORD error = GetLastError();
    CloseHandle(token);
    if (!adjusted || error != ERROR_SUCCESS) {
        return Refusal(error);
    }
    return std::nullopt;
}

// 100-nanosecond intervals from 1601-01-01, the start of FILETIME, to 1970-01-01.
constexpr ULONGLONG kFileTimeAtEpoch = 116'444'736'000'000'000ULL;

class WindowsClock : public SystemClock {
  public:
    std::optional<ClockRefusal> SetTime(ClockInstant instant) override {
        if (!IsSettable(instant)) {
            return NotSettableRefusal(instant);
        }
        if (auto refusal = EnableSystemTimePrivilege()) {
            return refusal;
        }
        // IsSettable keeps the instant after 1970, so the count is positive.
        const ULONGLONG ticks =
            kFileTimeAtEpoch + static_cast<ULONGLONG>(instant.time_since_epoch().count()) * 10;
        const FILETIME fileTime{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
        SYSTEMTIME utc{};
        // SetSystemTime takes UTC, so neither the zone nor its daylight saving
        // plays any part; milliseconds are its finest step.
        if (!FileTimeToSystemTime(&fileTime, &utc) || !SetSystemTime(&utc)) {
            return Refusal(GetLastError());
        }
        return std::nullopt;
    }
};

}  // namespace

std::unique_ptr<SystemClock> MakeSystemClock() {
    return std::make_unique<WindowsClock>();
}

std::unique_ptr<SystemClock> MakeDesktopClock(const std::string&) {
    return MakeSystemClock();
}

}  // namespace brisendale
