// Reading and writing the small XDG autostart files that stand in for the
// values of the Windows Run key.
//
// The file for value NAME holding the text EXEC is
//   [Desktop Entry]
//   Type=Application
//   Name=NAME
//   Exec=EXEC
//   TryExec=PROGRAM
// where PROGRAM is the first argument of EXEC without its quotes (left out
// when there is none). Desktops list autostart entries by their Name, so an
// entry that starts this program (PROGRAM's file name is "brisendale", the
// executable the build makes and the logon command line names) reads
//   Name=Brisendale
//   Comment=Set the computer's clock from a time server at logon
//   Icon=org.brisendale.Brisendale
// in place of its Name line. Every text is written in the string escapes of
// the Desktop Entry format (\s \n \t \r \\), so that it reads back unchanged.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace brisendale::DesktopEntry {

// `text` with backslash, line feed, tab and carriage return escaped, and
// blanks at either end written as \s (a reader trims them otherwise).
std::string EscapeString(std::string_view text);

// The inverse of EscapeString. An unknown escape such as \x is kept as it
// stands, as is a lone backslash at the end.
std::string UnescapeString(std::string_view text);

// Whether `text` can be stored as a desktop-file value: valid UTF-8 without
// NUL or other control characters apart from tab, line feed and carriage
// return.
bool IsStorableText(std::string_view text);

// Whether `text` is well-formed UTF-8.
bool IsUtf8(std::string_view text);

// `bytes` as UTF-8 text for a message: every byte that is not part of a
// well-formed sequence shown as U+FFFD.
std::string ShownAsUtf8(std::string_view bytes);

// The whole file for an autostart entry.
std::string Format(std::string_view name, std::string_view exec);

// The unescaped Exec text of the [Desktop Entry] group, or nothing when the
// file has no such key or the entry is switched off (Hidden=true, or GNOME's
// X-GNOME-Autostart-enabled=false).
std::optional<std::string> ReadExec(std::string_view fileText);

}  // namespace brisendale::DesktopEntry
