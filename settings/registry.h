// Plain routines over the registry API: read, write and delete one value.
//
// Each routine opens or creates its key, does one thing and closes the key
// again on every path; none keeps a handle or any state between calls. None
// raises or reports to the user: the reads say through `failed` (set to -1)
// that they found nothing, and the writes and the delete ignore every result,
// so a store that refuses a write is found unchanged at the next start.
//
// Texts are UTF-8; the routines convert them for the API's ANSI entry points.
#pragma once

#include <cstdint>
#include <string>

#include "platform/registry/registry_api.h"

namespace brisendale::Registry {

// The REG_DWORD value `name` of key `path` under `root`, as a signed 32-bit
// integer. When the key or value is missing or its data take more than four
// bytes: 0, and `failed` set to -1. A value of another type that fits in four
// bytes reads as 0. On success `failed` keeps whatever the caller put there,
// so one flag shared by several reads tells whether any of them failed.
std::int32_t GetDwordValue(HKEY root, const std::string& path, const std::string& name,
                           std::int16_t& failed);

// Stores `data` as the REG_DWORD value `name`, creating the key (and any key
// above it) when needed.
void SetDwordValue(HKEY root, const std::string& path, const std::string& name, std::int32_t data);

// The REG_SZ value `name` of key `path` under `root`, up to its first NUL.
// Missing key or value: the empty text, `failed` -1. A value of another type
// or one that changes between the two reads: the empty text, `failed` 0.
std::string GetStringValue(HKEY root, const std::string& path, const std::string& name,
                           std::int16_t& failed);

// As GetStringValue, on a key already open. Reads the size first, then the
// data into a buffer of exactly that size.
std::string QueryStringValue(HKEY key, const std::string& name, std::int16_t& failed);

// `text` up to its first NUL character; all of it when it holds none.
std::string TrimAtNul(const std::string& text);

// Stores `data` as the REG_SZ value `name`, without a terminating NUL,
// creating the key when needed.
void SetStringValue(HKEY root, const std::string& path, const std::string& name,
                    const std::string& data);

// Removes the value `name`; a missing key or value is not an error.
void DeleteValue(HKEY root, const std::string& path, const std::string& name);

}  // namespace brisendale::Registry
