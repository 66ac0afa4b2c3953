// Texts on their way to and from the registry's ANSI entry points.
//
// The program holds texts as UTF-8. Windows' "A" functions take bytes in the
// system's ANSI code page, so texts are converted on the way in and back on
// the way out. Elsewhere the store takes UTF-8 as it is.
#pragma once

#include <string>
#include <string_view>

namespace brisendale {

// `utf8` in the ANSI code page. Characters the code page lacks become its
// default character. Embedded NULs are kept.
std::string ToAnsi(std::string_view utf8);

// `ansi`, bytes in the ANSI code page, as UTF-8. Embedded NULs are kept.
std::string FromAnsi(std::string_view ansi);

}  // namespace brisendale
