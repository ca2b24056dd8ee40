// Windows Management Instrumentation over COM, as far as the library uses it: the locator's
// ConnectServer, the proxy's security blanket, a class object with its methods' in-parameter
// classes, instances of those classes to put parameters into, and IWbemServices::ExecMethod.
// Results are HRESULTs.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

using HResult = int32_t;

inline constexpr HResult kSOk = 0;
inline constexpr HResult kWbemEFailed = static_cast<HResult>(0x80041001u);
inline constexpr HResult kWbemENotFound = static_cast<HResult>(0x80041002u);
inline constexpr HResult kWbemEAccessDenied = static_cast<HResult>(0x80041003u);
inline constexpr HResult kWbemETypeMismatch = static_cast<HResult>(0x80041005u);
inline constexpr HResult kWbemEInvalidParameter = static_cast<HResult>(0x80041008u);
inline constexpr HResult kWbemEInvalidNamespace = static_cast<HResult>(0x8004100Eu);
inline constexpr HResult kWbemEInvalidClass = static_cast<HResult>(0x80041010u);
inline constexpr HResult kWbemEInvalidMethod = static_cast<HResult>(0x8004102Eu);
inline constexpr HResult kWbemEInvalidMethodParameters = static_cast<HResult>(0x8004102Fu);
inline constexpr HResult kWbemEInvalidObjectPath = static_cast<HResult>(0x8004103Au);
// CoCreateInstance's answer when the locator class is not registered.
inline constexpr HResult kRegDbEClassNotReg = static_cast<HResult>(0x80040154u);

inline bool Succeeded(HResult result) {
  return result >= 0;
}

// CIM types of properties and parameters.
inline constexpr uint32_t kCimString = 8;
inline constexpr uint32_t kCimUint8 = 17;
inline constexpr uint32_t kCimUint16 = 18;
inline constexpr uint32_t kCimUint32 = 19;
inline constexpr uint32_t kCimFlagArray = 0x2000;

// The proxy security the library asks for: Windows NT authentication, no authorisation
// service, call-level authentication, impersonation.
inline constexpr uint32_t kRpcAuthnWinNt = 10;
inline constexpr uint32_t kRpcAuthzNone = 0;
inline constexpr uint32_t kRpcAuthnLevelCall = 3;
inline constexpr uint32_t kRpcImpLevelImpersonate = 3;

struct WmiProxySecurity {
  uint32_t authnService = 0;
  uint32_t authzService = 0;
  uint32_t authnLevel = 0;
  uint32_t impLevel = 0;

  bool operator==(const WmiProxySecurity&) const = default;
};

// A value as a VARIANT carries it: its CIM type (with kCimFlagArray for a SAFEARRAY) and the
// strings or numbers it holds.
struct WmiValue {
  uint32_t cimType = 0;
  std::vector<std::string> strings;
  std::vector<uint32_t> numbers;

  static WmiValue StringArray(std::vector<std::string> items);
  static WmiValue Uint8Array(const std::vector<uint8_t>& items);
  static WmiValue Uint32(uint32_t number);

  bool IsArray() const { return (cimType & kCimFlagArray) != 0; }
  uint32_t BaseType() const { return cimType & ~kCimFlagArray; }
  bool operator==(const WmiValue&) const = default;
};

struct WmiProperty {
  std::string name;
  uint32_t cimType = 0;
};

// An instance (IWbemClassObject): the properties its class declares, each unset (NULL) until
// put. Names compare without regard to case, as WMI compares them.
class WmiObject {
 public:
  WmiObject() = default;
  explicit WmiObject(std::vector<WmiProperty> schema);

  // WBEM_E_NOT_FOUND for a property the class does not declare; WBEM_E_TYPE_MISMATCH for a
  // value it cannot hold (an array for a scalar, text for a number). A narrower unsigned number
  // widens, as VARIANT coercion does.
  HResult Put(std::string_view name, WmiValue value);
  // WBEM_E_NOT_FOUND for an undeclared property; nothing in value while the property is NULL.
  HResult Get(std::string_view name, std::optional<WmiValue>& value) const;

  const std::vector<WmiProperty>& Schema() const { return schema_; }

 private:
  std::vector<WmiProperty> schema_;
  std::vector<std::optional<WmiValue>> values_;
};

struct WmiMethod {
  std::string name;
  std::vector<WmiProperty> inParameters;  // empty: the method takes none
};

// A class object (GetObject on a class name).
struct WmiClass {
  std::string name;
  std::vector<WmiMethod> methods;

  // IWbemClassObject::GetMethod: WBEM_E_NOT_FOUND for an unknown method; otherwise the
  // in-parameter class to spawn an instance of, or nothing when the method takes none.
  HResult GetMethod(std::string_view method, std::optional<WmiObject>& inSignature) const;
};

// IWbemServices, connected to one namespace.
class WmiServices {
 public:
  virtual ~WmiServices() = default;
  // CoSetProxyBlanket on this proxy.
  virtual HResult SetProxyBlanket(const WmiProxySecurity& security) = 0;
  virtual HResult GetClass(std::string_view className, WmiClass& wmiClass) = 0;
  // Runs method on the instance objectPath names ("Class.Key='value'"); the method's results,
  // "ReturnValue" among them, come back in outParameters.
  virtual HResult ExecMethod(std::string_view objectPath, std::string_view method,
                             const WmiObject* inParameters, WmiObject& outParameters) = 0;
};

class WmiPort {
 public:
  virtual ~WmiPort() = default;
  // CoCreateInstance of the WMI locator (in-process server), then IWbemLocator::ConnectServer
  // to the namespace ("root\cimv2") with the caller's own identity.
  virtual HResult ConnectServer(std::string_view nameSpace,
                                std::unique_ptr<WmiServices>& services) = 0;
};

}  // namespace platform
