// CBaseVistaLib: the Vista build's backend over the Native Wi-Fi service and the protocol driver
// "VTRNdisP". Every adapter export calls one virtual operation of the one process-wide object,
// in the slot order below, and returns its result unchanged.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "platform/device_io.h"
#include "platform/native_wifi.h"
#include "vtrlib.h"

namespace vtr {

class CBaseVistaLib {
 public:
  CBaseVistaLib();
  virtual ~CBaseVistaLib();
  CBaseVistaLib(const CBaseVistaLib&) = delete;
  CBaseVistaLib& operator=(const CBaseVistaLib&) = delete;

  virtual int32_t Initialize(uintptr_t ownerWindow);                   // 0
  virtual VtrBool UnInitialize();                                      // 1
  virtual VtrBool IsCardConnect();                                     // 2
  virtual VtrBool SetSuspendMode();                                    // 3
  virtual VtrBool SetWakeUpMode();                                     // 4
  virtual VtrBool Reserved5();                                         // 5
  virtual VtrBool Reserved6();                                         // 6
  virtual VtrBool GetRadioMode(uint32_t* mode);                        // 7
  virtual VtrBool SetRadioMode(uint32_t mode);                         // 8
  virtual VtrBool SetCountryDomain(uint32_t countryCode);              // 9
  virtual VtrBool SetRegionalDomain(uint32_t regionCode);              // 10
  virtual VtrBool GetAdapterCapability(VtrCapability* capability);     // 11
  virtual int32_t SiteSurveyEx(uint32_t filterMask, uint32_t sortKey,  // 12
                               uint32_t sortDescending, uint32_t scanMode, VtrSurveyEntry* entries,
                               uint32_t signalFormat);
  virtual VtrBool ConnectToAP(ProfileRecord* profile, uint32_t flags);  // 13
  virtual VtrBool DisConnectToAP();                                     // 14
  virtual void APLinkInformation(VtrLinkInfo* link, uint32_t flags);    // 15
  virtual void APInternetInformation(VtrIpInfo* ip);                    // 16
  virtual void DriverParameter(VtrAdapterInfo* info);                   // 17
  virtual VtrBool SetZeroConfigControlMode(uint32_t mode);              // 18
  virtual void Reserved19();                                            // 19
  virtual int32_t WPSInitialize();                                      // 20
  virtual int32_t WPSUninitialize();                                    // 21
  virtual int32_t WPSStartEngine(const WpsRequest& request, VtrWpsCallback callback,
                                 uintptr_t context);     // 22
  virtual int32_t WPSStopEngine();                       // 23
  virtual int32_t WPSGetProfile(ProfileRecord* record);  // 24
  virtual int32_t WPSGeneratePin(char* text);            // 25
  virtual platform::DeviceHandle OpenDriver(const std::string& driverName,
                                            const std::string& guidText);  // 26
  virtual VtrBool SetAdhocChannel(const ProfileRecord& profile);           // 27

  int32_t AdapterIndex() const { return adapterIndex_; }
  int32_t ChipsetCode() const { return chipsetCode_; }

 protected:
  // The adapter discovery over the hardware-id list; stores what it found.
  bool DiscoverAdapter();
  bool QueryRadioState(platform::WlanRadioState& radio);
  platform::WlanHandle WlanHandle() const { return wlanHandle_; }
  platform::DeviceHandle DriverHandle() const { return driverHandle_; }
  bool CurrentlyConnected();

  std::mutex listMutex_;
  std::vector<std::string> hardwareIds_;     // guarded by listMutex_
  std::vector<std::string> reportedBssids_;  // guarded by listMutex_
  std::atomic<int32_t> adapterIndex_{-1};
  std::atomic<int32_t> chipsetCode_{-1};
  std::atomic<platform::WlanHandle> wlanHandle_{0};
  std::atomic<platform::DeviceHandle> driverHandle_;
  WpsRequest wpsRequest_{};

 private:
  // The connect of slot 13: one WlanConnect and the service's verdict on it.
  enum class ConnectAttempt { kFailed, kNoConnection, kConnected };
  ConnectAttempt TryConnect(const ProfileRecord& profile, uint32_t flags, bool& dhcpEnabled);
  // The record's addresses, gateway and DNS servers through WMI; clears the DNS fields the
  // record does not fix.
  void ApplyIpSettings(ProfileRecord& profile, bool dhcpWasEnabled);
  VtrBool WaitForUsableAddress();

  bool FindInterface();
  bool RegisterCallback();
  void CloseDriver();
  void CloseWlan();
  bool SetPowerSetting(uint32_t value);
};

}  // namespace vtr
