#include "platform/registry/registry_failure.h"

#include "platform/runtime/wide_text_windows.h"

namespace brisendale {

RegistryFailure ExplainRegistryFailure(LONG result) {
    wchar_t text[512] = L"";
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                       static_cast<DWORD>(result), 0, text, sizeof text / sizeof text[0], nullptr);
    std::wstring reason(text, length);
    while (!reason.empty() && (reason.back() == L'\r' || reason.back() == L'\n' ||
                               reason.back() == L' ' || reason.back() == L'.'))
        reason.pop_back();
    return {result, "", FromWide(reason, CP_UTF8)};
}

}  // namespace brisendale
