#include "winreg_posix/desktop_entry.h"

namespace brisendale::DesktopEntry {
namespace {

// The name under which the package installs the program's icon.
constexpr std::string_view kIconName = "org.brisendale.Brisendale";
// The file name of the program's executable, as the build makes it and the
// logon command line names it.
constexpr std::string_view kProgramFileName = "brisendale";

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// Length of the UTF-8 sequence starting at `text[i]`, or 0 when it is not a
// well-formed, shortest-form encoding of a scalar value.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    char32_t value = 0;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07;
    } else {
        return 0;
    }
    if (i + length > text.size())
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (byte(i + k) & 0x3F);
    }
    const bool overlong = (length == 3 && value < 0x800) || (length == 4 && value < 0x10000);
    const bool surrogate = value >= 0xD800 && value <= 0xDFFF;
    if (overlong || surrogate || value > 0x10FFFF)
        return 0;
    return length;
}

// The program that an Exec text starts: its first argument, with the
// quoting of the Exec key undone (inside double quotes a backslash escapes
// the next character, and %% is a literal %). Nothing when there is no
// first argument or its quote is never closed.
std::optional<std::string> ExecProgram(std::string_view exec) {
    exec = Trim(exec);
    std::string program;
    if (exec.empty() || exec.front() != '"') {
        program = exec.substr(0, exec.find_first_of(" \t"));
    } else {
        std::size_t i = 1;
        for (; i < exec.size() && exec[i] != '"'; ++i) {
            if (exec[i] == '\\' && i + 1 < exec.size())
                ++i;
            else if (exec[i] == '%' && i + 1 < exec.size() && exec[i + 1] == '%')
                ++i;
            program += exec[i];
        }
        if (i == exec.size())
            return std::nullopt;
    }
    if (program.empty())
        return std::nullopt;
    return program;
}

}  // namespace

std::string EscapeString(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 8);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool atEdge = i == 0 || i + 1 == text.size();
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\r':
                out += "\\r";
                break;
            case ' ':
                out += atEdge ? "\\s" : " ";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string UnescapeString(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        switch (text[i + 1]) {
            case '\\':
                out += '\\';
                break;
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case 'r':
                out += '\r';
                break;
            case 's':
                out += ' ';
                break;
            default:
                out += text.substr(i, 2);
        }
        ++i;
    }
    return out;
}

bool IsStorableText(std::string_view text) {
    for (const char c : text) {
        if ((static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r') ||
            c == 0x7F)
            return false;
    }
    return IsUtf8(text);
}

bool IsUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = Utf8SequenceLength(text, i);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

std::string ShownAsUtf8(std::string_view bytes) {
    std::string out;
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t length = Utf8SequenceLength(bytes, i);
        out += length == 0 ? std::string_view("\xEF\xBF\xBD") : bytes.substr(i, length);
        i += length == 0 ? 1 : length;
    }
    return out;
}

std::string Format(std::string_view name, std::string_view exec) {
    const auto program = ExecProgram(exec);
    const bool startsUs = program && program->substr(program->rfind('/') + 1) == kProgramFileName;
    std::string out = "[Desktop Entry]\nType=Application\nName=";
    // An entry for another command keeps the value's name and gets no icon of
    // ours: the desktop's list of start-up programs must not pass it off as us.
    if (startsUs) {
        out += "Brisendale\nComment=Set the computer's clock from a time server at logon\nIcon=";
        out += kIconName;
    } else {
        out += EscapeString(name);
    }
    out += "\nExec=";
    out += EscapeString(exec);
    // A desktop skips the entry once its program is gone, rather than fail
    // at every logon.
    if (program) {
        out += "\nTryExec=";
        out += EscapeString(*program);
    }
    out += '\n';
    return out;
}

std::optional<std::string> ReadExec(std::string_view fileText) {
    std::optional<std::string> exec;
    bool inEntryGroup = false;
    while (!fileText.empty()) {
        const std::size_t end = fileText.find('\n');
        std::string_view line = fileText.substr(0, end);
        fileText.remove_prefix(end == std::string_view::npos ? fileText.size() : end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        // Blanks before the value are the separator's; a leading blank that
        // belongs to the value was written as \s.
        std::string_view trimmed = line;
        while (!trimmed.empty() && IsBlank(trimmed.front()))
            trimmed.remove_prefix(1);
        if (trimmed.empty() || trimmed.front() == '#')
            continue;
        if (trimmed.front() == '[') {
            inEntryGroup = Trim(trimmed) == "[Desktop Entry]";
            continue;
        }
        const std::size_t equals = trimmed.find('=');
        if (!inEntryGroup || equals == std::string_view::npos)
            continue;
        const std::string_view key = Trim(trimmed.substr(0, equals));
        const std::string_view value = Trim(trimmed.substr(equals + 1));
        // Hidden=true is the standard's way of switching an entry off;
        // GNOME's "Startup Applications" writes its own key instead.
        const bool switchedOff = (key == "Hidden" && value == "true") ||
                                 (key == "X-GNOME-Autostart-enabled" && value == "false");
        if (switchedOff)
            return std::nullopt;
        if (key == "Exec")
            exec = UnescapeString(value);
    }
    return exec;
}

}  // namespace brisendale::DesktopEntry
