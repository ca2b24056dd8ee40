// The registry family of exports: each opens its key, does one operation and closes it again.
#include <algorithm>
#include <cstring>
#include <string>

#include "lib/common/export_boundary.h"
#include "platform/registry.h"
#include "platform/services.h"
#include "vtrlib.h"

namespace {

using platform::RegKey;

platform::RegistryPort& Registry() {
  return platform::Current().Registry();
}

uint32_t Rights(uint32_t base, uint32_t wow64) {
  return wow64 != 0 ? base | platform::kKeyWow64_64Key : base;
}

bool OpenForReading(const char* key, uint32_t root, uint32_t wow64, RegKey& opened) {
  return key != nullptr &&
         Registry().OpenKey(root, key, Rights(platform::kKeyRead, wow64), opened) == 0;
}

bool SetValue(const char* key, const char* name, uint32_t type, const void* data, uint32_t size,
              uint32_t root, uint32_t wow64) {
  if (key == nullptr || name == nullptr || (data == nullptr && size != 0)) return false;
  RegKey opened;
  if (Registry().CreateKey(root, key, Rights(platform::kKeyAllAccess, wow64), opened) != 0) {
    return false;
  }
  return Registry().SetValue(opened, name, type, static_cast<const uint8_t*>(data), size) == 0;
}

// Copies a default text into a caller's buffer, cut to fit and always terminated.
void CopyDefaultText(char* buffer, uint32_t bufferSize, const char* defaultText) {
  if (buffer == nullptr || bufferSize == 0) return;
  const size_t length = defaultText == nullptr ? 0 : strnlen(defaultText, bufferSize - 1);
  if (length > 0) std::memcpy(buffer, defaultText, length);
  buffer[length] = '\0';
}

// The length of a multi-string (its texts and the closing empty text), at most limit bytes.
size_t MultiStringLength(const char* data, size_t limit) {
  for (size_t i = 0; i + 1 < limit; ++i) {
    if (data[i] == '\0' && data[i + 1] == '\0') return i + 2;
  }
  return limit;
}

}  // namespace

VtrBool VTR_GetRegistryString(const char* key, const char* name, char* buffer, uint32_t bufferSize,
                              const char* defaultText, uint32_t root, uint32_t wow64) try {
  RegKey opened;
  if (buffer == nullptr || bufferSize == 0 || !OpenForReading(key, root, wow64, opened)) {
    return 0;
  }
  // A stored text need not carry its NUL; the caller always gets a terminated text, so a value
  // that leaves no room for the terminator does not fit.
  uint32_t type = 0;
  uint32_t size = bufferSize;
  const long result = Registry().QueryValue(opened, name != nullptr ? name : "", &type,
                                            reinterpret_cast<uint8_t*>(buffer), &size);
  if (result == 0 && (size < bufferSize || buffer[bufferSize - 1] == '\0')) {
    if (size < bufferSize) buffer[size] = '\0';
    return 1;
  }
  CopyDefaultText(buffer, bufferSize, defaultText);
  return 0;
} catch (...) {
  return vtr::ExceptionAtBoundary(__func__, false);
}

VtrBool VTR_SetRegistryString(const char* key, const char* name, const char* text, uint32_t root,
                              uint32_t wow64) try {
  if (text == nullptr) return 0;
  return SetValue(key, name, platform::kRegSz, text, static_cast<uint32_t>(std::strlen(text)), root,
                  wow64);
} catch (...) {
  return vtr::ExceptionAtBoundary(__func__, false);
}

VtrBool VTR_GetRegistryMultiStr(const char* key, const char* name, char* buffer,
                                uint32_t bufferSize, const char* defaultValue, uint32_t root) try {
  if (buffer == nullptr || bufferSize == 0) return 0;
  // The default is copied only as far as it reaches (its closing empty text), never past it.
  std::memset(buffer, 0, bufferSize);
  if (defaultValue != nullptr) {
    std::memcpy(buffer, defaultValue, MultiStringLength(defaultValue, bufferSize));
  }
  RegKey opened;
  if (!OpenForReading(key, root, 0, opened)) return 0;
  uint32_t type = 0;
  uint32_t size = bufferSize;
  return Registry().QueryValue(opened, name != nullptr ? name : "", &type,
                               reinterpret_cast<uint8_t*>(buffer), &size) == 0;
} catch (...) {
  return vtr::ExceptionAtBoundary(__func__, false);
}

VtrBool VTR_SetRegistryMultiStr(const char* key, const char* name, const char* data, uint32_t size,
                                uint32_t root) try {
  return SetValue(key, name, platform::kRegMultiSz, data, size, root, 0);
} catch (...) {
  return vtr::ExceptionAtBoundary(__func__, false);
}

VtrBool VTR_GetRegistryDWORD(const char* key, const char* name, uint32_t* result,
                             uint32_t defaultValue, uint32_t root, uint32_t wow64) try {
  RegKey opened;
  if (result == nullptr || !OpenForReading(key, root, wow64, opened)) return 0;
  uint32_t type = 0;
  uint32_t size = sizeof(uint32_t);
  if (Registry().QueryValue(opened, name != nullptr ? name : "", &type,
                            reinterpret_cast<uint8_t*>(result), &size) == 0) {
    return 1;
  }
  *result = defaultValue;
  return 0;
} catch (...) {
  return vtr::ExceptionAtBoundary(__func__, false);
}

VtrBool VTR_SetRegistryDWORD(const char* key, const char* name, uint32_t value, uint32_t root,
                             uint32_t wow64) try {
  return SetValue(key, name, platform::kRegDword, &value, sizeof(value), root, wow64);
} catch (...) {
  return vtr::ExceptionAtBoundary(__func__, false);
}

VtrBool VTR_GetRegistryWORD(const char* key, const char* name, uint16_t* result,
                            uint16_t defaultValue, uint32_t root, uint32_t wow64) try {
  if (result == nullptr) return 0;
  uint32_t wide = defaultValue;
  const VtrBool read = VTR_GetRegistryDWORD(key, name, &wide, defaultValue, root, wow64);
  *result = read ? static_cast<uint16_t>(wide) : defaultValue;
  return read;
} catch (...) {
  return vtr::ExceptionAtBoundary(__func__, false);
}

VtrBool VTR_SetRegistryWORD(const char* key, const char* name, uint16_t value, uint32_t root,
                            uint32_t wow64) try {
  return VTR_SetRegistryDWORD(key, name, value, root, wow64);
} catch (...) {
  return vtr::ExceptionAtBoundary(__func__, false);
}

VtrBool VTR_GetRegistryBYTE(const char* key, const char* name, uint8_t* result,
                            uint8_t defaultValue, uint32_t root, uint32_t wow64) try {
  if (result == nullptr) return 0;
  uint32_t wide = defaultValue;
  const VtrBool read = VTR_GetRegistryDWORD(key, name, &wide, defaultValue, root, wow64);
  *result = read ? static_cast<uint8_t>(wide) : defaultValue;
  return read;
} catch (...) {
  return vtr::ExceptionAtBoundary(__func__, false);
}

VtrBool VTR_SetRegistryBYTE(const char* key, const char* name, uint8_t value, uint32_t root,
                            uint32_t wow64) try {
  return VTR_SetRegistryDWORD(key, name, value, root, wow64);
} catch (...) {
  return vtr::ExceptionAtBoundary(__func__, false);
}

VtrBool VTR_GetRegistryBinary(const char* key, const char* name, uint8_t* buffer,
                              uint32_t bufferSize, uint32_t root) try {
  RegKey opened;
  if (buffer == nullptr || !OpenForReading(key, root, 0, opened)) return 0;
  uint32_t type = 0;
  uint32_t size = bufferSize;
  return Registry().QueryValue(opened, name != nullptr ? name : "", &type, buffer, &size) == 0;
} catch (...) {
  return vtr::ExceptionAtBoundary(__func__, false);
}

VtrBool VTR_SetRegistryBinary(const char* key, const char* name, const uint8_t* data, uint32_t size,
                              uint32_t root) try {
  return SetValue(key, name, platform::kRegBinary, data, size, root, 0);
} catch (...) {
  return vtr::ExceptionAtBoundary(__func__, false);
}

VtrBool VTR_GetRegEnumerator(const char* key, uint32_t index, char* buffer, uint32_t bufferSize,
                             const char* defaultText, uint32_t root, uint32_t wow64) try {
  RegKey opened;
  if (buffer == nullptr || bufferSize == 0 || !OpenForReading(key, root, wow64, opened)) {
    return 0;
  }
  std::string name;
  if (Registry().EnumKey(opened, index, name) == 0 && name.size() < bufferSize) {
    std::memcpy(buffer, name.c_str(), name.size() + 1);
    return 1;
  }
  CopyDefaultText(buffer, bufferSize, defaultText);
  return 0;
} catch (...) {
  return vtr::ExceptionAtBoundary(__func__, false);
}

VtrBool VTR_DeleteRegistry(const char* key, uint32_t root) try {
  if (key == nullptr) return 0;
  const std::string path(key);
  const size_t split = path.find_last_of('\\');
  const std::string parent = split == std::string::npos ? "" : path.substr(0, split);
  const std::string subkey = split == std::string::npos ? path : path.substr(split + 1);
  RegKey opened;
  if (subkey.empty() || Registry().OpenKey(root, parent, platform::kKeyAllAccess, opened) != 0) {
    return 0;
  }
  return Registry().DeleteKey(opened, subkey) == 0;
} catch (...) {
  return vtr::ExceptionAtBoundary(__func__, false);
}

VtrBool VTR_DeleteRegistryValue(const char* key, const char* name, uint32_t root,
                                uint32_t wow64) try {
  RegKey opened;
  if (key == nullptr || name == nullptr ||
      Registry().OpenKey(root, key, Rights(platform::kKeyAllAccess, wow64), opened) != 0) {
    return 0;
  }
  return Registry().DeleteValue(opened, name) == 0;
} catch (...) {
  return vtr::ExceptionAtBoundary(__func__, false);
}
