// machine.json: what a simulated machine is made of. Parsed once when the machine is opened.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "sim/logon_domain_description.h"
#include "sim/network_description.h"
#include "sim/supplicant_description.h"

namespace sim {

struct OsDescription {
  uint32_t platformId = 2;
  uint32_t major = 5;
  uint32_t minor = 1;
  uint32_t build = 2600;
  std::string servicePack;
  // Windows 95 and NT 4 before SP6 refuse the extended version structure.
  bool extendedVersionInfo = true;
};

struct DriverFileDescription {
  std::string version;    // "a.b.c.d", the fixed file version of the version resource
  std::string lastWrite;  // "YYYY-MM-DDTHH:MM:SS", UTC
};

struct DriverDescription {
  std::string version;    // "DriverVersion"; empty: no value
  std::string date;       // "DriverDate" as Windows keeps it ("6-21-2008"); empty: no value
  std::string service;    // Ndi\"Service"; empty: no value
  std::string imagePath;  // the service's "ImagePath", relative to the Windows folder
  std::optional<DriverFileDescription> file;  // the driver file written under drive_c
};

inline constexpr uint32_t kIfTypeIeee80211 = 71;

// The wireless adapter's hardware, as its miniport reports it.
struct RadioDescription {
  bool dualBand = false;              // also 5 GHz (802.11a)
  uint16_t firmwareVersion = 0x0105;  // major in the high byte
  uint16_t ndisVersion = 0x0501;      // the NDIS version the miniport was written for
  uint32_t region = 1;                // the driver's region number programmed at the factory
  bool radioOn = true;                // the radio's state when the machine is new
  uint32_t scanTimeMs = 2500;         // how long one scan of all channels takes
  uint32_t associationTimeMs = 500;   // from the SSID request to a completed association
  // The NDIS protocol driver the adapter's driver package installs beside the miniport
  // ("VTRNdisP"), opened as "\\.\<name>"; empty: none.
  std::string protocolDriver;
};

struct AdapterDescription {
  std::string name;  // "{GUID}"
  std::string description;
  uint32_t index = 0;
  uint32_t type = 6;  // IF_TYPE_ETHERNET_CSMACD 6, IEEE 802.11 71
  std::vector<uint8_t> mac;
  std::string pnpInstanceId;  // empty: no Connection key
  std::string connectionName;
  std::string classInstance;  // "0007": the class key subkey; empty: none
  std::string componentId;
  DriverDescription driver;
  bool dhcpEnabled = true;
  std::string ipAddress = "0.0.0.0";
  std::string subnetMask = "0.0.0.0";
  std::string gateway;
  std::string dhcpServer;
  std::vector<std::string> dnsServers;
  // Windows' automatic private addressing: with no DHCP answer this long after the link came up,
  // the DHCP client takes a 169.254 address.
  bool autonet = true;
  uint32_t autonetDelayMs = 60000;
  bool adminUp = true;     // the interface's administrative state, as GetIfEntry reports it
  RadioDescription radio;  // meaningful for a wireless adapter only
};

// The Windows logon of the machine's user, which the WLAN service offers a PEAP network when the
// profile keeps no user data of its own (single sign-on with the logon).
struct LogonCredentials {
  std::string identity;
  std::string domain;  // empty: a local account
  std::string password;
};

struct MachineDescription {
  std::string name;
  OsDescription os;
  std::string windowsDirectory = "C:\\WINDOWS";
  std::string userName = "User";
  int32_t utcOffsetMinutes = 0;  // local time = UTC + offset
  double timeScale = 1.0;        // a live machine's clock runs this much faster than real time
  std::vector<AdapterDescription> adapters;
  // The networks in range of the machine's wireless adapter.
  std::vector<NetworkDescription> neighbourhood;
  // The Windows domain the machine logs on to; none: a machine in a workgroup.
  std::optional<LogonDomainDescription> logonDomain;
  // The user's personal certificate store.
  std::vector<CertificateDescription> personalCertificates;
  SupplicantDescription supplicant;
  std::optional<LogonCredentials> logonCredentials;
};

// Parses machine.json text; on failure returns a message naming the field at fault.
std::variant<MachineDescription, std::string> ParseMachineDescription(std::string_view text);

// "C:\Documents and Settings\<user>\Local Settings\Temp\".
std::string UserTempPath(const MachineDescription& machine);

}  // namespace sim
