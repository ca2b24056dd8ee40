// The Native Wi-Fi service of a Vista machine (the WLAN AutoConfig service): one interface, the
// machine's wireless adapter, driven through the same radio as the miniport (its scan, its list of
// networks heard, its association and its state file shared by every process on the machine).
//
// What it announces (scan complete, connection complete, disconnected, and the media-specific
// associated, connected and disconnected) reaches the registered callbacks from the machine's
// timer thread at the moment the radio gets there. Every call is logged with its arguments.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/native_wifi.h"
#include "sim/adapter_state_file.h"
#include "sim/machine_description.h"
#include "sim/native_wifi_log.h"
#include "sim/timer_clock.h"
#include "sim/wlan_profile_fit.h"
#include "sim/wlan_profile_store.h"

namespace sim {

class SimCertificates;
class SimDevices;

class SimNativeWifi : public platform::NativeWifiPort {
 public:
  // Stored profiles live in profileFile.
  SimNativeWifi(const MachineDescription& machine, SimDevices& devices, TimerClock& clock,
                SimCertificates& certificates, std::filesystem::path profileFile);
  ~SimNativeWifi() override;

  long WlanOpenHandle(uint32_t clientVersion, uint32_t* negotiatedVersion,
                      platform::WlanHandle* handle) override;
  long WlanCloseHandle(platform::WlanHandle handle) override;
  long WlanEnumInterfaces(platform::WlanHandle handle, platform::WlanInterfaceList** list) override;
  long WlanScan(platform::WlanHandle handle, const platform::WlanGuid& interfaceGuid) override;
  long WlanGetNetworkBssList(platform::WlanHandle handle, const platform::WlanGuid& interfaceGuid,
                             uint32_t bssType, bool securityEnabled,
                             platform::WlanBssList** list) override;
  long WlanConnect(platform::WlanHandle handle, const platform::WlanGuid& interfaceGuid,
                   const platform::WlanConnectionParameters& parameters) override;
  long WlanDisconnect(platform::WlanHandle handle,
                      const platform::WlanGuid& interfaceGuid) override;
  long WlanSetProfile(platform::WlanHandle handle, const platform::WlanGuid& interfaceGuid,
                      uint32_t flags, const std::u16string& profileXml, bool overwrite,
                      uint32_t* reasonCode) override;
  long WlanGetProfile(platform::WlanHandle handle, const platform::WlanGuid& interfaceGuid,
                      const std::u16string& profileName, std::u16string** profileXml) override;
  long WlanQueryInterface(platform::WlanHandle handle, const platform::WlanGuid& interfaceGuid,
                          uint32_t opcode, uint32_t* dataSize, void** data) override;
  long WlanSetInterface(platform::WlanHandle handle, const platform::WlanGuid& interfaceGuid,
                        uint32_t opcode, uint32_t dataSize, const void* data) override;
  long WlanSetAutoConfigParameter(platform::WlanHandle handle, uint32_t opcode, uint32_t dataSize,
                                  const void* data) override;
  long WlanGetInterfaceCapability(platform::WlanHandle handle,
                                  const platform::WlanGuid& interfaceGuid,
                                  platform::WlanInterfaceCapability** capability) override;
  long WlanRegisterNotification(platform::WlanHandle handle, uint32_t sourceMask,
                                bool ignoreDuplicate, platform::WlanNotificationCallback callback,
                                void* context, uint32_t* previousSources) override;
  void WlanFreeMemory(const void* memory) override;

  // Joins a network by terms read from a profile, as the service does once it has read one:
  // the adapter takes the settings and keys and looks for the network; connection complete (and,
  // when it joins, associated and connected) follow when the radio is done.
  long Join(const platform::WlanGuid& interfaceGuid, const JoinTerms& terms);

  NativeWifiLog& Log() { return log_; }
  // What the service handed out and has not had back.
  size_t OutstandingMemory() const;
  // The power setting of the autoconfig parameters (0 none ... 3 maximum saving).
  uint32_t PowerSetting() const;
  // The interface's GUID, parsed from the wireless adapter's name; nothing without one.
  std::optional<platform::WlanGuid> InterfaceGuid() const { return interfaceGuid_; }

 private:
  struct Client {
    uint32_t sources = 0;
    platform::WlanNotificationCallback callback = nullptr;
    void* context = nullptr;
    int callbacksRunning = 0;
  };

  bool ServiceRunning() const;
  // 0 when the handle is open and the GUID is the adapter's and the adapter is plugged in.
  long CheckInterface(platform::WlanHandle handle, const platform::WlanGuid& guid);
  bool CheckHandle(platform::WlanHandle handle);
  std::vector<uint32_t> PhyTypes() const;
  template <typename T>
  T* HandOut(std::unique_ptr<T> memory);
  long QueryConnection(platform::WlanConnectionAttributes& attributes);
  // The profile a connect names (its own text, or a stored profile by name); why it cannot be
  // read, or the error of a call that names none.
  std::variant<WlanProfile, std::string, long> ConnectionProfile(
      const platform::WlanConnectionParameters& parameters);
  // Gives the adapter the terms and starts the join: connection complete follows when the radio
  // is done, after associated and connected when it joined.
  long StartJoin(const JoinTerms& terms);
  // A connect whose profile does not fit: the adapter leaves its network, and the attempt ends
  // without a connection.
  long FailJoin();
  // Announces at dueMs, on the timer thread, to every client registered for the source.
  void Announce(uint64_t dueMs, uint32_t source, uint32_t code);
  void Deliver(uint32_t source, uint32_t code);
  // Associated at associatedAtMs, connected (the keys in place) at upAtMs.
  void AnnounceJoin(uint64_t associatedAtMs, uint64_t upAtMs);
  long Call(const char* name, std::string arguments, long result);

  const MachineDescription& machine_;
  TimerClock& clock_;
  SimCertificates& certificates_;
  const AdapterDescription* adapter_;
  AdapterStateFile* state_;
  std::optional<platform::WlanGuid> interfaceGuid_;
  NativeWifiLog log_;
  WlanProfileStore profiles_;

  mutable std::mutex mutex_;
  std::condition_variable callbacksDone_;
  platform::WlanHandle nextHandle_ = 1;                  // guarded by mutex_
  std::map<platform::WlanHandle, Client> clients_;       // guarded by mutex_
  std::map<const void*, std::shared_ptr<void>> memory_;  // guarded by mutex_
  uint32_t powerSetting_ = 0;                            // guarded by mutex_
  std::string profileName_;                              // guarded by mutex_
  uint32_t connectionMode_ = 0;                          // guarded by mutex_
};

// "{D4E7A1B2-6C3F-4E85-9A0B-1F2E3D4C5B6A}" into a GUID; nothing when it is not one.
std::optional<platform::WlanGuid> ParseGuidText(const std::string& text);

}  // namespace sim
