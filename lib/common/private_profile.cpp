#include "lib/common/private_profile.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>

namespace vtr {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r';
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

}  // namespace

std::string PrivateProfileString(const char* text, size_t length, std::string_view section,
                                 std::string_view key, std::string_view fallback) {
  if (text == nullptr) return std::string(fallback);
  const std::string_view all(text, length);
  bool inSection = false;
  bool sectionSeen = false;
  size_t start = 0;
  while (start < all.size()) {
    size_t end = all.find('\n', start);
    if (end == std::string_view::npos) end = all.size();
    const std::string_view line = Trim(all.substr(start, end - start));
    start = end + 1;
    if (!line.empty() && line.front() == '[') {
      const size_t close = line.find(']');
      const std::string_view name =
          Trim(line.substr(1, (close == std::string_view::npos ? line.size() : close) - 1));
      // Only the first section of a name counts; a later one of the same name is ignored.
      inSection = !sectionSeen && SameName(name, section);
      sectionSeen = sectionSeen || inSection;
      continue;
    }
    if (!inSection) continue;
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos || !SameName(Trim(line.substr(0, equals)), key)) {
      continue;
    }
    std::string_view value = Trim(line.substr(equals + 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
      value = value.substr(1, value.size() - 2);
    }
    return std::string(value);
  }
  return std::string(fallback);
}

std::string PrivateProfileStringFromFile(const std::string& path, std::string_view section,
                                         std::string_view key, std::string_view fallback) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::string(fallback);
  const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  return PrivateProfileString(text.data(), text.size(), section, key, fallback);
}

}  // namespace vtr
