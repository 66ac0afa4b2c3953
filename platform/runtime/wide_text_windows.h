// Text between a multibyte code page (CP_UTF8, CP_ACP) and the UTF-16 of the
// wide Windows API. Windows only.
#pragma once

#include <string>
#include <string_view>

namespace brisendale {

// Lengths are passed explicitly, so embedded NULs survive and no terminating
// NUL is added. Empty for an empty text and for one the system cannot convert
// or that is too long for its int lengths.
std::wstring ToWide(std::string_view text, unsigned int codePage);
std::string FromWide(std::wstring_view wide, unsigned int codePage);

}  // namespace brisendale
