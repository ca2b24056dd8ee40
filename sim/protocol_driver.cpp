#include "sim/protocol_driver.h"

#include <strings.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/ndis_802_11.h"
#include "platform/protocol_driver.h"
#include "platform/win_errors.h"
#include "sim/association.h"
#include "sim/chipset_wps_requests.h"
#include "sim/link_rates.h"

namespace sim {
namespace {

using namespace platform;

// The regulatory domain codes the driver reports for its region numbers 1 to 6 (FCC, IC, ETSI,
// Spain, France, MKK); other regions have none.
constexpr uint32_t kDomainOfRegion[] = {0, 0x10, 0x20, 0x30, 0x31, 0x32, 0x40};

uint32_t DomainOfRegion(uint32_t regionWord) {
  const uint32_t region = regionWord & 0x7F;
  return region < std::size(kDomainOfRegion) ? kDomainOfRegion[region] : 0;
}

// "\DEVICE\" and the adapter's name, as the UTF-16 text of an open control.
bool NamesAdapter(const void* in, uint32_t inLength, const std::string& adapterName) {
  const std::string expected = "\\DEVICE\\" + adapterName;
  if (in == nullptr || inLength % 2 != 0) return false;
  std::string text;
  const auto* bytes = static_cast<const uint8_t*>(in);
  for (uint32_t i = 0; i < inLength; i += 2) {
    const uint16_t unit = static_cast<uint16_t>(bytes[i] | (bytes[i + 1] << 8));
    if (unit == 0) break;
    if (unit > 0x7F) return false;
    text.push_back(static_cast<char>(unit));
  }
  return ::strcasecmp(text.c_str(), expected.c_str()) == 0;
}

}  // namespace

ProtocolDriver::ProtocolDriver(const MachineDescription& machine, const AdapterDescription& adapter,
                               Miniport& miniport, AdapterStateFile& state,
                               platform::ClockPort& clock)
    : machine_(machine), adapter_(adapter), miniport_(miniport), state_(state), clock_(clock) {}

bool ProtocolDriver::Named(std::string_view name) const {
  const std::string wanted(name);
  return !adapter_.radio.protocolDriver.empty() &&
         ::strcasecmp(adapter_.radio.protocolDriver.c_str(), wanted.c_str()) == 0;
}

bool ProtocolDriver::Control(Session& session, uint32_t code, const void* in, uint32_t inLength,
                             void* out, uint32_t outLength, uint32_t* returned) {
  sim::MiniportRequest entry;
  entry.length = inLength;
  const auto* inBytes = static_cast<const uint8_t*>(in);
  if (in != nullptr && inLength > 0) entry.in.assign(inBytes, inBytes + inLength);
  uint32_t written = 0;
  long error = kErrorSuccess;
  ProtocolFrameHeader header{};
  switch (code) {
    case kIoctlProtocolWaitBind:
      entry.oid = code;
      session.bound = true;
      break;
    case kIoctlProtocolOpenAdapter:
      entry.oid = code;
      error = session.bound ? OpenAdapter(session, in, inLength) : kErrorNotReady;
      break;
    case kIoctlProtocolQuery:
    case kIoctlProtocolSet: {
      entry.set = code == kIoctlProtocolSet;
      if (in == nullptr || inLength < sizeof header) {
        error = kErrorInvalidParameter;
        break;
      }
      std::memcpy(&header, in, sizeof header);
      entry.oid = header.request;
      if (!session.adapterOpen) {
        error = kErrorNotReady;
        break;
      }
      const uint32_t dataLength = inLength - uint32_t{sizeof header};
      if (entry.set) {
        error = Set(header.request, inBytes + sizeof header, dataLength);
        break;
      }
      if (out == nullptr || outLength < inLength) {
        error = kErrorInsufficientBuffer;
        break;
      }
      std::memcpy(out, in, sizeof header);
      auto* data = static_cast<uint8_t*>(out) + sizeof header;
      error = Query(header.request, data, dataLength, written);
      if (error == kErrorSuccess) {
        entry.out.assign(data, data + written);
        written += uint32_t{sizeof header};
      }
      break;
    }
    default:
      entry.oid = code;
      error = kErrorInvalidFunction;
      break;
  }
  entry.succeeded = error == kErrorSuccess;
  entry.error = error;
  entry.returned = entry.succeeded ? written : 0;
  if (returned != nullptr) *returned = entry.returned;
  log_.Add(std::move(entry));
  if (error != kErrorSuccess) SetLastError(error);
  return error == kErrorSuccess;
}

long ProtocolDriver::OpenAdapter(Session& session, const void* in, uint32_t inLength) {
  if (!NamesAdapter(in, inLength, adapter_.name) || !miniport_.Present()) {
    return kErrorFileNotFound;
  }
  session.adapterOpen = true;
  return kErrorSuccess;
}

long ProtocolDriver::MiniportRequest(uint32_t oid, void* data, uint32_t length) {
  uint32_t count = 0;
  return miniport_.Request(oid, data, length, &count) ? kErrorSuccess : GetLastError();
}

double ProtocolDriver::RateMbps(bool transmit) {
  double rate = 0;
  const uint64_t now = clock_.NowMs();
  state_.Read([&](const AdapterState& state) {
    if (!LinkUp(state, now)) return;
    const NetworkDescription* network = AssociatedNetwork(state, machine_);
    const LinkRates rates = RatesOnLink(state, network, network != nullptr ? network->rssi : -200);
    rate = (transmit ? rates.transmit.halfMbps : rates.receive.halfMbps) / 2.0;
  });
  return rate;
}

long ProtocolDriver::Query(uint32_t request, uint8_t* data, uint32_t length, uint32_t& written) {
  switch (request) {
    case kRequestRegulatoryDomain:
    case kRequestRegionWord: {
      if (length < 4) return kErrorInsufficientBuffer;
      uint32_t word = 0;
      const long error = MiniportRequest(kOidVendorRegion, &word, sizeof word);
      if (error != kErrorSuccess) return error;
      const uint32_t value = request == kRequestRegionWord ? word : DomainOfRegion(word);
      std::memcpy(data, &value, sizeof value);
      written = sizeof value;
      return kErrorSuccess;
    }
    case kRequestTxRate:
    case kRequestRxRate: {
      if (length < sizeof(double)) return kErrorInsufficientBuffer;
      if (!miniport_.Present()) return kErrorDeviceNotConnected;
      const double rate = RateMbps(request == kRequestTxRate);
      std::memcpy(data, &rate, sizeof rate);
      written = sizeof rate;
      return kErrorSuccess;
    }
    case kRequestAdhocConfiguration: {
      if (length < kAdhocConfigurationSize) return kErrorInsufficientBuffer;
      const long error = MiniportRequest(kOid802_11Configuration, data, kAdhocConfigurationSize);
      if (error == kErrorSuccess) written = kAdhocConfigurationSize;
      return error;
    }
    default:
      return WpsVendorRequest(request, false, data, length, &written);
  }
}

long ProtocolDriver::WpsVendorRequest(uint32_t request, bool set, void* data, uint32_t length,
                                      uint32_t* written) {
  const auto vendor = ChipsetWpsRequest(request, set);
  if (!vendor) return kErrorNotSupported;
  uint32_t count = 0;
  const uint32_t oid = set ? VendorSetNumber(*vendor) : uint32_t{*vendor};
  if (!miniport_.Request(oid, data, length, &count)) return GetLastError();
  if (written != nullptr) *written = count;
  return kErrorSuccess;
}

long ProtocolDriver::Set(uint32_t request, const uint8_t* data, uint32_t length) {
  switch (request & ~kOidSetBit) {
    case kRequestRegionWord & ~kOidSetBit: {
      if (length < 4) return kErrorInsufficientBuffer;
      uint32_t word = 0;
      std::memcpy(&word, data, sizeof word);
      return MiniportRequest(kOidVendorRegion | kOidSetBit, &word, sizeof word);
    }
    case kRequestAdhocConfiguration: {
      if (length < kAdhocConfigurationSize) return kErrorInsufficientBuffer;
      uint8_t block[kAdhocConfigurationSize];
      std::memcpy(block, data, sizeof block);
      return MiniportRequest(kOid802_11Configuration | kOidSetBit, block, sizeof block);
    }
    default: {
      // The miniport reads a set's value from a buffer of its own.
      std::vector<uint8_t> value(data, data + length);
      return WpsVendorRequest(request & ~kOidSetBit, true, value.data(), length, nullptr);
    }
  }
}

}  // namespace sim
