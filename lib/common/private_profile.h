// Reading a value of a settings (INI) file as GetPrivateProfileStringA does: "[Section]" and
// "key=value" lines; section and key names compare without regard to case; blanks around names
// and values are dropped; a value in matching double quotes loses them; the first matching
// section and key win; a missing file, section or key gives the caller's default.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vtr {

// The value in the file's text (pointer and length; nothing outside them is read).
std::string PrivateProfileString(const char* text, size_t length, std::string_view section,
                                 std::string_view key, std::string_view fallback);

// The value in the file at a host path; the default when the file cannot be read.
std::string PrivateProfileStringFromFile(const std::string& path, std::string_view section,
                                         std::string_view key, std::string_view fallback);

}  // namespace vtr
