#include "settings/registry.h"

#include <algorithm>

#include "platform/registry/ansi_text.h"

namespace brisendale::Registry {

std::int32_t GetDwordValue(HKEY root, const std::string& path, const std::string& name,
                           std::int16_t& failed) {
    std::int32_t result = 0;
    HKEY key = nullptr;
    DWORD type = 0;
    BYTE data[4] = {0, 0, 0, 0};
    if (RegOpenKeyA(root, ToAnsi(path).c_str(), &key) != ERROR_SUCCESS) {
        RegCloseKey(key);
        failed = -1;
        return 0;
    }
    DWORD size = sizeof data;
    if (RegQueryValueExA(key, ToAnsi(name).c_str(), nullptr, &type, data, &size) != ERROR_SUCCESS) {
        RegCloseKey(key);
        failed = -1;
        return 0;
    }
    if (type == REG_DWORD) {
        // Stored little-endian whatever the machine's own order.
        const std::uint32_t bits =
            static_cast<std::uint32_t>(data[0]) | static_cast<std::uint32_t>(data[1]) << 8 |
            static_cast<std::uint32_t>(data[2]) << 16 | static_cast<std::uint32_t>(data[3]) << 24;
        result = static_cast<std::int32_t>(bits);
    }
    RegCloseKey(key);
    return result;
}

void SetDwordValue(HKEY root, const std::string& path, const std::string& name, std::int32_t data) {
    HKEY key = nullptr;
    const auto bits = static_cast<std::uint32_t>(data);
    const BYTE bytes[4] = {static_cast<BYTE>(bits), static_cast<BYTE>(bits >> 8),
                           static_cast<BYTE>(bits >> 16), static_cast<BYTE>(bits >> 24)};
    RegCreateKeyA(root, ToAnsi(path).c_str(), &key);
    RegSetValueExA(key, ToAnsi(name).c_str(), 0, REG_DWORD, bytes, sizeof bytes);
    RegCloseKey(key);
}

std::string GetStringValue(HKEY root, const std::string& path, const std::string& name,
                           std::int16_t& failed) {
    HKEY key = nullptr;
    RegOpenKeyA(root, ToAnsi(path).c_str(), &key);
    std::string result = QueryStringValue(key, name, failed);
    RegCloseKey(key);
    return result;
}

std::string QueryStringValue(HKEY key, const std::string& name, std::int16_t& failed) {
    const std::string ansiName = ToAnsi(name);
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key, ansiName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
        failed = -1;
        return std::string();
    }
    if (type != REG_SZ) {
        failed = 0;
        return std::string();
    }
    // The size includes the terminating NUL when the value was stored with
    // one; TrimAtNul takes it off again.
    std::string buffer(size, ' ');
    DWORD secondType = 0;
    const LONG read = RegQueryValueExA(key, ansiName.c_str(), nullptr, &secondType,
                                       reinterpret_cast<BYTE*>(buffer.data()), &size);
    std::string result;
    if (read == ERROR_SUCCESS) {
        // Windows may report more room than an ANSI read fills (it can size
        // for the wider stored form); the blanks beyond what was read are not
        // part of the value.
        buffer.resize(std::min<std::size_t>(size, buffer.size()));
        result = TrimAtNul(FromAnsi(buffer));
    }
    failed = 0;
    return result;
}

std::string TrimAtNul(const std::string& text) {
    const std::size_t nul = text.find('\0');
    return nul == std::string::npos ? text : text.substr(0, nul);
}

void SetStringValue(HKEY root, const std::string& path, const std::string& name,
                    const std::string& data) {
    HKEY key = nullptr;
    // The size is that of the converted bytes: counting characters would cut
    // off the end of any text with a character of more than one byte.
    const std::string bytes = ToAnsi(data);
    RegCreateKeyA(root, ToAnsi(path).c_str(), &key);
    RegSetValueExA(key, ToAnsi(name).c_str(), 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()));
    RegCloseKey(key);
}

void DeleteValue(HKEY root, const std::string& path, const std::string& name) {
    HKEY key = nullptr;
    RegOpenKeyA(root, ToAnsi(path).c_str(), &key);
    RegDeleteValueA(key, ToAnsi(name).c_str());
    RegCloseKey(key);
}

}  // namespace brisendale::Registry
