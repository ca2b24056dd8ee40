// The utility's settings: values under its own key in HKEY_LOCAL_MACHINE. Each access opens the
// key, does one read or write and lets the key go again; results are Windows error codes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace core {

// The key is "Software\<corp>\WLAN\<name>\"; it never grows beyond 63 characters, so over-long
// names are cut at a character boundary rather than reaching past the key's buffer.
std::string FormatSettingsKey(std::string_view corp, std::string_view name);
inline constexpr size_t kSettingsKeyMaxLength = 63;

// A REG_SZ value of at most 255 characters; out is left untouched on failure and the key is
// never created by a read.
long ReadSetting(std::string_view key, std::string_view name, std::string& out);
long WriteSetting(std::string_view key, std::string_view name, std::string_view text);
// A REG_BINARY value: up to size bytes are read into out; a shorter value leaves the rest as it
// was, so a caller that zero-fills first never sees bytes past the value's end. readSize, when
// given, gets the number of bytes the value held.
long ReadSettingBinary(std::string_view key, std::string_view name, void* out, uint32_t size,
                       uint32_t* readSize = nullptr);
long WriteSettingBinary(std::string_view key, std::string_view name, const void* data,
                        uint32_t size);

// The same, under the settings key of this run.
long ReadSetting(std::string_view name, std::string& out);
long WriteSetting(std::string_view name, std::string_view text);
long ReadSettingBinary(std::string_view name, void* out, uint32_t size,
                       uint32_t* readSize = nullptr);
long WriteSettingBinary(std::string_view name, const void* data, uint32_t size);

}  // namespace core
