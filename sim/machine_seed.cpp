#include "sim/machine_seed.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdio>
#include <fstream>

#include "platform/version_resource.h"
#include "sim/machine.h"
#include "sim/machine_clock.h"
#include "sim/sim_files.h"
#include "sim/sim_registry.h"

namespace sim {
namespace {

using platform::kHkeyLocalMachine;

class Seeder {
 public:
  Seeder(const std::filesystem::path& directory, const MachineDescription& machine)
      : machine_(machine),
        registry_(directory / kHiveFile),
        files_(directory / kDriveC, machine.utcOffsetMinutes) {}

  std::optional<std::string> Run() {
    CreateFolders();
    SetText("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "SystemRoot",
            machine_.windowsDirectory);
    for (const AdapterDescription& adapter : machine_.adapters) SeedAdapter(adapter);
    if (machine_.logonDomain) {
      SetText("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\Halvorn",
              "WinlogonDomain", machine_.logonDomain->name);
    }
    return error_;
  }

 private:
  void Fail(std::string message) {
    if (!error_) error_ = std::move(message);
  }

  void CreateFolders() {
    const std::string windows = machine_.windowsDirectory;
    for (const std::string& folder :
         {windows + "\\system32\\drivers", UserTempPath(machine_), std::string("C:\\vtrlog")}) {
      std::error_code error;
      const auto host = files_.HostPath(folder);
      if (!host) {
        Fail("machine.json: " + folder + " is not on drive C:");
        continue;
      }
      std::filesystem::create_directories(*host, error);
      if (error) Fail("cannot create " + host->string() + ": " + error.message());
    }
  }

  void SetValue(const std::string& key, const std::string& name, uint32_t type,
                const std::string& bytes) {
    platform::RegKey opened;
    long result = registry_.CreateKey(kHkeyLocalMachine, key, platform::kKeyAllAccess, opened);
    if (result == 0) {
      result =
          registry_.SetValue(opened, name, type, reinterpret_cast<const uint8_t*>(bytes.data()),
                             static_cast<uint32_t>(bytes.size()));
    }
    if (result != 0)
      Fail("cannot write the registry key " + key + " (error " + std::to_string(result) + ")");
  }

  // Windows keeps texts with their terminating NUL.
  void SetText(const std::string& key, const std::string& name, const std::string& text,
               uint32_t type = platform::kRegSz) {
    SetValue(key, name, type, text + std::string(1, '\0'));
  }

  void SeedAdapter(const AdapterDescription& adapter) {
    if (!adapter.pnpInstanceId.empty()) {
      const std::string connection =
          std::string(kNetworkConnectionsKey) + "\\" + adapter.name + "\\Connection";
      SetText(connection, "PnpInstanceID", adapter.pnpInstanceId);
      SetText(connection, "Name", adapter.connectionName);
    }
    const std::string tcpip =
        "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\" + adapter.name;
    SetValue(tcpip, "EnableDHCP", platform::kRegDword,
             std::string(adapter.dhcpEnabled ? "\x01\0\0\0" : "\0\0\0\0", 4));
    if (!adapter.classInstance.empty()) SeedClassKey(adapter);
    // A new XP machine leaves its wireless adapters to the zero-configuration service (bit 15).
    if (adapter.type == kIfTypeIeee80211) {
      SetValue("SOFTWARE\\Microsoft\\WZCSVC\\Parameters\\Interfaces\\" + adapter.name,
               "ControlFlags", platform::kRegDword, std::string("\x00\xA0\x00\x00", 4));
    }
  }

  void SeedClassKey(const AdapterDescription& adapter) {
    const std::string key = std::string(kNetworkClassKey) + "\\" + adapter.classInstance;
    const DriverDescription& driver = adapter.driver;
    SetText(key, "NetCfgInstanceId", adapter.name);
    SetText(key, "DriverDesc", adapter.description);
    if (!adapter.componentId.empty()) SetText(key, "ComponentId", adapter.componentId);
    if (!driver.version.empty()) SetText(key, "DriverVersion", driver.version);
    if (!driver.date.empty()) SetText(key, "DriverDate", driver.date);
    if (driver.service.empty()) return;
    SetText(key + "\\Ndi", "Service", driver.service);
    if (driver.imagePath.empty()) return;
    SetText("SYSTEM\\CurrentControlSet\\Services\\" + driver.service, "ImagePath", driver.imagePath,
            platform::kRegExpandSz);
    if (driver.file) WriteDriverFile(driver.imagePath, *driver.file);
  }

  void WriteDriverFile(const std::string& imagePath, const DriverFileDescription& file) {
    unsigned parts[4] = {};
    char tail = 0;
    if (std::sscanf(file.version.c_str(), "%u.%u.%u.%u%c", &parts[0], &parts[1], &parts[2],
                    &parts[3], &tail) != 4 ||
        parts[0] > 0xFFFF || parts[1] > 0xFFFF || parts[2] > 0xFFFF || parts[3] > 0xFFFF) {
      Fail("machine.json: driver file version \"" + file.version + "\" is not a.b.c.d");
      return;
    }
    std::time_t lastWrite = 0;
    if (!ParseUtcTimestamp(file.lastWrite, lastWrite)) {
      Fail("machine.json: driver file lastWrite \"" + file.lastWrite +
           "\" is not YYYY-MM-DDTHH:MM:SS");
      return;
    }
    const auto host = files_.HostPath(machine_.windowsDirectory + "\\" + imagePath);
    if (!host) {
      Fail("machine.json: driver " + imagePath + " is not on drive C:");
      return;
    }
    std::error_code error;
    std::filesystem::create_directories(host->parent_path(), error);
    // A driver image: a DOS header stub, then its version resource.
    std::string bytes = "MZ";
    bytes.resize(64, '\0');
    const auto block =
        platform::BuildVersionInfoBlock({parts[0] << 16 | parts[1], parts[2] << 16 | parts[3]});
    bytes.append(block.begin(), block.end());
    std::ofstream out(*host, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    const struct timespec times[2] = {{lastWrite, 0}, {lastWrite, 0}};
    if (!out || ::utimensat(AT_FDCWD, host->c_str(), times, 0) != 0) {
      Fail("cannot write the driver file " + host->string());
    }
  }

  const MachineDescription& machine_;
  SimRegistry registry_;
  SimFiles files_;
  std::optional<std::string> error_;
};

}  // namespace

std::optional<std::string> SeedMachine(const std::filesystem::path& directory,
                                       const MachineDescription& machine) {
  return Seeder(directory, machine).Run();
}

}  // namespace sim
