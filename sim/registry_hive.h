// The registry in memory: four predefined roots, each a tree of keys holding typed values.
// Names compare the way the Windows registry compares them (ASCII letters without regard to case)
// but keep the case they were created with; subkeys stay sorted in that order, which is the order
// RegEnumKey reports and the order the hive file lists them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

// Longest names the registry takes, in characters.
inline constexpr size_t kMaxKeyNameLength = 255;
inline constexpr size_t kMaxValueNameLength = 16383;

// Windows folds to upper case before comparing, so '_' sorts after the letters; we do the same
// so enumeration order matches what a real machine would report.
int CompareRegistryNames(std::string_view a, std::string_view b);
bool RegistryNamesEqual(std::string_view a, std::string_view b);

struct RegistryValue {
  std::string name;  // empty: the key's default value
  uint32_t type = 0;
  std::string data;  // the bytes exactly as stored

  bool operator==(const RegistryValue&) const = default;
};

struct RegistryKey {
  std::string name;
  std::vector<RegistryValue> values;  // in the order they were first set
  std::vector<RegistryKey> subkeys;   // sorted by CompareRegistryNames

  RegistryKey* FindSubkey(std::string_view subkeyName);
  const RegistryKey* FindSubkey(std::string_view subkeyName) const;
  // Returns the existing subkey of that name, or a new empty one at its sorted place.
  RegistryKey& AddSubkey(std::string_view subkeyName);
  bool RemoveSubkey(std::string_view subkeyName);

  RegistryValue* FindValue(std::string_view valueName);
  const RegistryValue* FindValue(std::string_view valueName) const;
  // Replaces the value of that name in place (taking the new name's case), or appends it.
  // Returns whether anything changed.
  bool SetValue(std::string_view valueName, uint32_t type, std::string_view data);
  bool RemoveValue(std::string_view valueName);

  bool operator==(const RegistryKey&) const = default;
};

// The predefined root handle values, and their names in the hive file.
struct RegistryRoot {
  uint32_t handle;
  std::string_view name;
};
inline constexpr std::array<RegistryRoot, 4> kRegistryRoots = {{
    {0x80000000u, "HKEY_CLASSES_ROOT"},
    {0x80000001u, "HKEY_CURRENT_USER"},
    {0x80000002u, "HKEY_LOCAL_MACHINE"},
    {0x80000003u, "HKEY_USERS"},
}};

// Index into kRegistryRoots, or nothing for a handle that is not a predefined root.
std::optional<size_t> RootIndexOfHandle(uint32_t handle);
// Root names in the file are matched without regard to case, as hand edits may differ.
std::optional<size_t> RootIndexOfName(std::string_view name);

struct Hive {
  std::array<RegistryKey, kRegistryRoots.size()> roots;

  // The key at path (components already split), or null.
  RegistryKey* Find(size_t root, const std::vector<std::string_view>& path);
  const RegistryKey* Find(size_t root, const std::vector<std::string_view>& path) const;

  bool operator==(const Hive&) const = default;
};

// Splits a key path at backslashes. Like Windows we tolerate a leading or trailing backslash and
// doubled separators: empty components are dropped, so "\A\\B\" names A\B.
std::vector<std::string_view> SplitKeyPath(std::string_view path);
// A key name the registry can hold and the hive file can write back: 1 to 255 characters, no
// backslash, no control character (a line break would cut the section header in two).
bool IsValidKeyName(std::string_view name);
// A value name: up to 16383 characters, no control character (the file keeps one value a line).
bool IsValidValueName(std::string_view name);

}  // namespace sim
