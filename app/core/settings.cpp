#include "app/core/settings.h"

#include <cstring>
#include <vector>

#include "app/core/app_state.h"
#include "platform/services.h"
#include "platform/win_errors.h"

namespace core {

namespace {

constexpr uint32_t kSettingBufferSize = 256;

// Registry paths have no trailing backslash in the port.
std::string_view KeyPath(std::string_view key) {
  while (!key.empty() && key.back() == '\\') key.remove_suffix(1);
  return key;
}

// Cuts text to at most max bytes without splitting a UTF-8 sequence.
std::string CutAtCharacter(std::string_view text, size_t max) {
  if (text.size() <= max) return std::string(text);
  size_t end = max;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return std::string(text.substr(0, end));
}

long ReadRaw(std::string_view key, std::string_view name, uint32_t expectedType,
             std::vector<uint8_t>& data) {
  auto& registry = platform::Current().Registry();
  platform::RegKey handle;
  long result =
      registry.OpenKey(platform::kHkeyLocalMachine, KeyPath(key), platform::kKeyRead, handle);
  if (result != 0) return result;
  uint32_t type = 0;
  uint32_t size = static_cast<uint32_t>(data.size());
  result = registry.QueryValue(handle, name, &type, data.data(), &size);
  if (result != 0) return result;
  if (type != expectedType) return platform::kErrorFileNotFound;
  data.resize(size);
  return 0;
}

long WriteRaw(std::string_view key, std::string_view name, uint32_t type, const uint8_t* data,
              uint32_t size) {
  auto& registry = platform::Current().Registry();
  platform::RegKey handle;
  const long result = registry.CreateKey(platform::kHkeyLocalMachine, KeyPath(key),
                                         platform::kKeyAllAccess, handle);
  if (result != 0) return result;
  return registry.SetValue(handle, name, type, data, size);
}

}  // namespace

std::string FormatSettingsKey(std::string_view corp, std::string_view name) {
  std::string key = "Software\\" + std::string(corp) + "\\WLAN\\" + std::string(name) + "\\";
  return CutAtCharacter(key, kSettingsKeyMaxLength);
}

long ReadSetting(std::string_view key, std::string_view name, std::string& out) {
  std::vector<uint8_t> data(kSettingBufferSize);
  const long result = ReadRaw(key, name, platform::kRegSz, data);
  if (result != 0) return result;
  const auto* text = reinterpret_cast<const char*>(data.data());
  out.assign(text, strnlen(text, data.size()));
  return 0;
}

long WriteSetting(std::string_view key, std::string_view name, std::string_view text) {
  std::string stored(text);
  return WriteRaw(key, name, platform::kRegSz, reinterpret_cast<const uint8_t*>(stored.c_str()),
                  static_cast<uint32_t>(stored.size() + 1));
}

long ReadSettingBinary(std::string_view key, std::string_view name, void* out, uint32_t size,
                       uint32_t* readSize) {
  std::vector<uint8_t> data(size);
  const long result = ReadRaw(key, name, platform::kRegBinary, data);
  if (result != 0) return result;
  std::memcpy(out, data.data(), data.size());
  if (readSize != nullptr) *readSize = static_cast<uint32_t>(data.size());
  return 0;
}

long WriteSettingBinary(std::string_view key, std::string_view name, const void* data,
                        uint32_t size) {
  return WriteRaw(key, name, platform::kRegBinary, static_cast<const uint8_t*>(data), size);
}

long ReadSetting(std::string_view name, std::string& out) {
  return ReadSetting(State().settingsKey, name, out);
}
long WriteSetting(std::string_view name, std::string_view text) {
  return WriteSetting(State().settingsKey, name, text);
}
long ReadSettingBinary(std::string_view name, void* out, uint32_t size, uint32_t* readSize) {
  return ReadSettingBinary(State().settingsKey, name, out, size, readSize);
}
long WriteSettingBinary(std::string_view name, const void* data, uint32_t size) {
  return WriteSettingBinary(State().settingsKey, name, data, size);
}

}  // namespace core
