#include "sim/beacon_elements.h"

#include <algorithm>

namespace sim {
namespace {

constexpr uint8_t kOuiIeee[3] = {0x00, 0x0F, 0xAC};
constexpr uint8_t kOuiMicrosoft[3] = {0x00, 0x50, 0xF2};
constexpr uint8_t kOuiPrestandardHt[3] = {0x00, 0x90, 0x4C};
constexpr uint8_t kCipherTkip = 2;
constexpr uint8_t kCipherCcmp = 4;
constexpr uint8_t kAkm8021x = 1;
constexpr uint8_t kAkmPsk = 2;

void Element(std::vector<uint8_t>& out, uint8_t id, const std::vector<uint8_t>& body) {
  out.push_back(id);
  out.push_back(static_cast<uint8_t>(body.size()));
  out.insert(out.end(), body.begin(), body.end());
}

void Le16(std::vector<uint8_t>& out, uint16_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

void Be16(std::vector<uint8_t>& out, uint16_t value) {
  out.push_back(static_cast<uint8_t>(value >> 8));
  out.push_back(static_cast<uint8_t>(value));
}

void Suite(std::vector<uint8_t>& out, const uint8_t (&oui)[3], uint8_t type) {
  out.insert(out.end(), oui, oui + 3);
  out.push_back(type);
}

void WpsAttribute(std::vector<uint8_t>& out, uint16_t type, const std::vector<uint8_t>& value) {
  Be16(out, type);
  Be16(out, static_cast<uint16_t>(value.size()));
  out.insert(out.end(), value.begin(), value.end());
}

// HT capability information: 20/40 MHz, short guard interval at 20 and 40 MHz, one receive
// space-time stream, DSSS/CCK in 40 MHz; A-MPDU 64 KiB with 8 µs spacing; MCS 0-15 received.
std::vector<uint8_t> HtCapabilitiesBody() {
  std::vector<uint8_t> body;
  Le16(body, 0x116E);
  body.push_back(0x17);
  const uint8_t mcs[16] = {0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  body.insert(body.end(), mcs, mcs + 16);
  Le16(body, 0);                  // extended capabilities
  body.insert(body.end(), 4, 0);  // transmit beamforming
  body.push_back(0);              // antenna selection
  return body;
}

// HT operation: the primary channel, a secondary channel above it (below it for the upper half
// of the band), any channel width allowed; no basic MCS set.
std::vector<uint8_t> HtOperationBody(uint32_t primaryChannel) {
  std::vector<uint8_t> body;
  body.push_back(static_cast<uint8_t>(primaryChannel));
  const bool secondaryBelow = primaryChannel > 7 && primaryChannel <= 14;
  body.push_back(static_cast<uint8_t>((secondaryBelow ? 0x03 : 0x01) | 0x04));
  Le16(body, 0x0000);
  Le16(body, 0x0000);
  body.insert(body.end(), 16, 0);
  return body;
}

std::vector<uint8_t> VendorBody(const uint8_t (&oui)[3], uint8_t type,
                                const std::vector<uint8_t>& rest) {
  std::vector<uint8_t> body(oui, oui + 3);
  body.push_back(type);
  body.insert(body.end(), rest.begin(), rest.end());
  return body;
}

bool IsPsk(NetworkSecurity security) {
  return security == NetworkSecurity::kWpaPsk || security == NetworkSecurity::kWpa2Psk ||
         security == NetworkSecurity::kWpaWpa2Psk;
}

bool HasWpaElement(NetworkSecurity security) {
  return security == NetworkSecurity::kWpaPsk || security == NetworkSecurity::kWpaWpa2Psk ||
         security == NetworkSecurity::kWpa || security == NetworkSecurity::kWpaWpa2;
}

bool HasRsnElement(NetworkSecurity security) {
  return security == NetworkSecurity::kWpa2Psk || security == NetworkSecurity::kWpaWpa2Psk ||
         security == NetworkSecurity::kWpa2 || security == NetworkSecurity::kWpaWpa2;
}

}  // namespace

std::vector<uint8_t> SecurityElement(bool wpaVendor, NetworkCiphers ciphers, bool psk) {
  const uint8_t(&oui)[3] = wpaVendor ? kOuiMicrosoft : kOuiIeee;
  std::vector<uint8_t> body;
  if (wpaVendor) Suite(body, kOuiMicrosoft, 1);
  Le16(body, 1);  // version
  // With TKIP among the pairwise ciphers, the group cipher is TKIP so that every station can
  // decrypt broadcasts.
  Suite(body, oui, ciphers == NetworkCiphers::kAes ? kCipherCcmp : kCipherTkip);
  if (ciphers == NetworkCiphers::kBoth) {
    Le16(body, 2);
    Suite(body, oui, kCipherTkip);
    Suite(body, oui, kCipherCcmp);
  } else {
    Le16(body, 1);
    Suite(body, oui, ciphers == NetworkCiphers::kTkip ? kCipherTkip : kCipherCcmp);
  }
  Le16(body, 1);
  Suite(body, oui, psk ? kAkmPsk : kAkm8021x);
  if (!wpaVendor) Le16(body, 0);  // RSN capabilities
  std::vector<uint8_t> element;
  Element(element, wpaVendor ? kElementVendor : kElementRsn, body);
  return element;
}

std::vector<uint8_t> WpsElement(const WpsDescription& wps, const std::array<uint8_t, 6>& bssid) {
  std::vector<uint8_t> attributes;
  WpsAttribute(attributes, kWpsVersion, {0x10});
  WpsAttribute(attributes, kWpsState, {wps.state});
  if (wps.selectedRegistrar) WpsAttribute(attributes, kWpsSelectedRegistrar, {0x01});
  if (wps.selectedRegistrar || wps.devicePasswordId) {
    const uint16_t id = wps.devicePasswordId.value_or(0x0000);
    WpsAttribute(attributes, kWpsDevicePasswordId,
                 {static_cast<uint8_t>(id >> 8), static_cast<uint8_t>(id)});
  }
  if (wps.selectedRegistrar) {
    WpsAttribute(
        attributes, kWpsSelectedRegistrarConfigMethods,
        {static_cast<uint8_t>(wps.configMethods >> 8), static_cast<uint8_t>(wps.configMethods)});
  }
  // The enrollee UUID: derived from the access point's address, as many made theirs.
  std::vector<uint8_t> uuid(16, 0);
  std::copy(bssid.begin(), bssid.end(), uuid.begin() + 10);
  uuid[6] = 0x10;
  uuid[8] = 0x80;
  WpsAttribute(attributes, kWpsUuidE, uuid);
  std::vector<uint8_t> element;
  Element(element, kElementVendor, VendorBody(kOuiMicrosoft, 4, attributes));
  return element;
}

std::vector<uint8_t> HtCapabilitiesElement() {
  std::vector<uint8_t> element;
  Element(element, kElementHtCapabilities, HtCapabilitiesBody());
  return element;
}

std::vector<uint8_t> HtOperationElement(uint32_t primaryChannel) {
  std::vector<uint8_t> element;
  Element(element, kElementHtOperation, HtOperationBody(primaryChannel));
  return element;
}

std::vector<uint8_t> PrestandardHtElements(uint32_t primaryChannel) {
  std::vector<uint8_t> elements;
  Element(elements, kElementVendor, VendorBody(kOuiPrestandardHt, 0x33, HtCapabilitiesBody()));
  Element(elements, kElementVendor,
          VendorBody(kOuiPrestandardHt, 0x34, HtOperationBody(primaryChannel)));
  return elements;
}

uint16_t BeaconCapabilities(const NetworkDescription& network) {
  uint16_t capabilities = network.adhoc ? 0x0002 : 0x0001;
  if (HasPrivacy(network)) capabilities |= 0x0010;
  if (network.frequencyMHz < 5000) capabilities |= 0x0020;  // short preamble
  const bool ofdm = std::any_of(network.rates.begin(), network.rates.end(), [](uint8_t rate) {
    const uint8_t r = rate & 0x7F;
    return r != 2 && r != 4 && r != 11 && r != 22;
  });
  if (ofdm && network.frequencyMHz < 5000) capabilities |= 0x0400;  // short slot time
  return capabilities;
}

std::vector<uint8_t> BeaconElements(const NetworkDescription& network) {
  if (network.ies) {
    std::vector<uint8_t> elements = *network.ies;
    elements.insert(elements.end(), network.extraIes.begin(), network.extraIes.end());
    return elements;
  }
  std::vector<uint8_t> out;
  const uint32_t channel = FrequencyChannel(network.frequencyMHz);
  Element(out, kElementSsid, network.hidden ? std::vector<uint8_t>() : network.ssid);
  const size_t basicCount = std::min<size_t>(network.rates.size(), 8);
  Element(out, kElementSupportedRates,
          std::vector<uint8_t>(network.rates.begin(), network.rates.begin() + basicCount));
  Element(out, kElementDsParameters, {static_cast<uint8_t>(channel)});
  if (network.adhoc) Element(out, kElementIbssParameters, {0x00, 0x00});
  const bool twoFourGHz = network.frequencyMHz < 5000;
  if (twoFourGHz && network.rates.size() > 4) Element(out, kElementErp, {0x00});
  if (HasRsnElement(network.security)) {
    const auto rsn = SecurityElement(false, network.ciphers, IsPsk(network.security));
    out.insert(out.end(), rsn.begin(), rsn.end());
  }
  if (network.rates.size() > 8) {
    Element(out, kElementExtendedRates,
            std::vector<uint8_t>(network.rates.begin() + 8, network.rates.end()));
  }
  if (network.ht == HtKind::kStandard) {
    const auto capabilities = HtCapabilitiesElement();
    const auto operation = HtOperationElement(channel);
    out.insert(out.end(), capabilities.begin(), capabilities.end());
    out.insert(out.end(), operation.begin(), operation.end());
  }
  if (HasWpaElement(network.security)) {
    const auto wpa = SecurityElement(true, network.ciphers, IsPsk(network.security));
    out.insert(out.end(), wpa.begin(), wpa.end());
  }
  if (network.wps) {
    const auto wps = WpsElement(*network.wps, network.bssid);
    out.insert(out.end(), wps.begin(), wps.end());
  }
  if (network.ht == HtKind::kPrestandard) {
    const auto ht = PrestandardHtElements(channel);
    out.insert(out.end(), ht.begin(), ht.end());
  }
  out.insert(out.end(), network.extraIes.begin(), network.extraIes.end());
  return out;
}

}  // namespace sim
