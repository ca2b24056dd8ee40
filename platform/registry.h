// The Windows registry, as RegOpenKeyEx, RegCreateKeyEx, RegQueryValueEx, RegSetValueEx,
// RegEnumKey, RegDeleteKey and RegDeleteValue offer it. Results are Windows error codes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

inline constexpr uint32_t kHkeyClassesRoot = 0x80000000u;
inline constexpr uint32_t kHkeyCurrentUser = 0x80000001u;
inline constexpr uint32_t kHkeyLocalMachine = 0x80000002u;
inline constexpr uint32_t kHkeyUsers = 0x80000003u;

inline constexpr uint32_t kRegSz = 1;
inline constexpr uint32_t kRegExpandSz = 2;
inline constexpr uint32_t kRegBinary = 3;
inline constexpr uint32_t kRegDword = 4;
inline constexpr uint32_t kRegMultiSz = 7;

inline constexpr uint32_t kKeyQueryValue = 0x0001;
inline constexpr uint32_t kKeySetValue = 0x0002;
inline constexpr uint32_t kKeyRead = 0x20019;
inline constexpr uint32_t kKeyAllAccess = 0xF003F;
inline constexpr uint32_t kKeyWow64_64Key = 0x0100;

// An open key: which key, and the rights it was opened with. Holding one keeps nothing open;
// every operation reaches the registry anew, so a key deleted meanwhile answers
// ERROR_KEY_DELETED.
struct RegKey {
  uint32_t root = 0;
  std::string path;  // below the root, without leading or trailing backslash
  uint32_t access = 0;
};

class RegistryPort {
 public:
  virtual ~RegistryPort() = default;

  // Opens an existing key (path may be empty: the root itself).
  virtual long OpenKey(uint32_t root, std::string_view path, uint32_t access, RegKey& key) = 0;
  // Opens a key, creating it and any missing parent keys.
  virtual long CreateKey(uint32_t root, std::string_view path, uint32_t access, RegKey& key) = 0;
  // With data null, only the size is reported. A buffer smaller than the value gives
  // ERROR_MORE_DATA with the needed size and no data. Needs query rights.
  virtual long QueryValue(const RegKey& key, std::string_view name, uint32_t* type, uint8_t* data,
                          uint32_t* size) = 0;
  // Needs set rights. An empty name is the key's default value.
  virtual long SetValue(const RegKey& key, std::string_view name, uint32_t type,
                        const uint8_t* data, uint32_t size) = 0;
  // The name of the subkey at index, in the registry's order; ERROR_NO_MORE_ITEMS past the end.
  virtual long EnumKey(const RegKey& key, uint32_t index, std::string& name) = 0;
  // Deletes a subkey of key that has no subkeys of its own.
  virtual long DeleteKey(const RegKey& key, std::string_view subkey) = 0;
  virtual long DeleteValue(const RegKey& key, std::string_view name) = 0;
};

}  // namespace platform
