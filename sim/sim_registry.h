// The machine's registry, kept in one hive file in the registry-export text format (REGEDIT4).
// Every operation reads the file; every change writes a complete new file and renames it over
// the old one, under an exclusive lock, so two processes never lose each other's changes and a
// crash never leaves a torn hive. A hive that does not parse is never overwritten.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "platform/registry.h"

namespace sim {

class RegistryFileStore;

class SimRegistry : public platform::RegistryPort {
 public:
  // A hive file that does not exist yet is an empty registry; it is created by the first change.
  explicit SimRegistry(std::filesystem::path hiveFile);

  long OpenKey(uint32_t root, std::string_view path, uint32_t access,
               platform::RegKey& key) override;
  long CreateKey(uint32_t root, std::string_view path, uint32_t access,
                 platform::RegKey& key) override;
  long QueryValue(const platform::RegKey& key, std::string_view name, uint32_t* type, uint8_t* data,
                  uint32_t* size) override;
  long SetValue(const platform::RegKey& key, std::string_view name, uint32_t type,
                const uint8_t* data, uint32_t size) override;
  long EnumKey(const platform::RegKey& key, uint32_t index, std::string& name) override;
  long DeleteKey(const platform::RegKey& key, std::string_view subkey) override;
  long DeleteValue(const platform::RegKey& key, std::string_view name) override;

 private:
  std::filesystem::path hiveFile_;
  // Shared by copies of this object, so they share the cache of the parsed hive.
  std::shared_ptr<RegistryFileStore> store_;
};

// Why a hive file cannot be used ("registry.reg line 7: ..."), or nothing when it reads whole.
std::optional<std::string> CheckHiveFile(const std::filesystem::path& hiveFile);

}  // namespace sim
