#include "sim/link_state.h"

#include "sim/description_fields.h"

namespace sim {
namespace {

using namespace fields;

json BindingJson(const IpBinding& binding) {
  return {{"address", binding.address},
          {"mask", binding.mask},
          {"gateway", binding.gateway},
          {"dhcpServer", binding.dhcpServer},
          {"dns", binding.dns},
          {"obtainedMs", binding.obtainedMs},
          {"leaseSeconds", binding.leaseSeconds}};
}

IpBinding ReadBinding(const json& value, const std::string& where) {
  ExpectObject(value, where);
  IpBinding binding;
  binding.address = Text(Required(value, where, "address"), where + ".address");
  binding.mask = Text(Required(value, where, "mask"), where + ".mask");
  binding.gateway = Text(Required(value, where, "gateway"), where + ".gateway");
  binding.dhcpServer = Text(Required(value, where, "dhcpServer"), where + ".dhcpServer");
  const json& dns = Required(value, where, "dns");
  if (!dns.is_array()) throw FieldError(where + ".dns: expected a list");
  for (size_t i = 0; i < dns.size(); ++i) {
    binding.dns.push_back(Text(dns[i], where + ".dns[" + std::to_string(i) + "]"));
  }
  binding.obtainedMs =
      Number<uint64_t>(Required(value, where, "obtainedMs"), where + ".obtainedMs");
  binding.leaseSeconds =
      Number<uint32_t>(Required(value, where, "leaseSeconds"), where + ".leaseSeconds");
  return binding;
}

json AssociationJson(const Association& association) {
  return {{"bssid", BssidText(association.bssid)},
          {"ssidHex", HexText(association.ssid)},
          {"frequency", association.frequencyMHz},
          {"adhoc", association.adhoc},
          {"ownIbss", association.ownIbss},
          {"framesPass", association.framesPass},
          {"upAtMs", association.upAtMs},
          {"receiveBytesPerSecond", association.traffic.receiveBytesPerSecond},
          {"sendBytesPerSecond", association.traffic.sendBytesPerSecond},
          {"trafficVariation", association.traffic.variationPercent}};
}

Association ReadAssociation(const json& value, const std::string& where) {
  ExpectObject(value, where);
  Association association;
  const auto bssid = MacAddress(Required(value, where, "bssid"), where + ".bssid");
  if (bssid.size() != 6) throw FieldError(where + ".bssid: expected 6 address bytes");
  std::copy(bssid.begin(), bssid.end(), association.bssid.begin());
  association.ssid = HexBytes(Required(value, where, "ssidHex"), where + ".ssidHex");
  association.frequencyMHz =
      Number<uint32_t>(Required(value, where, "frequency"), where + ".frequency");
  association.adhoc = Flag(Required(value, where, "adhoc"), where + ".adhoc");
  association.ownIbss = Flag(Required(value, where, "ownIbss"), where + ".ownIbss");
  association.framesPass = Flag(Required(value, where, "framesPass"), where + ".framesPass");
  association.upAtMs = Number<uint64_t>(Required(value, where, "upAtMs"), where + ".upAtMs");
  association.traffic.receiveBytesPerSecond = Number<uint32_t>(
      Required(value, where, "receiveBytesPerSecond"), where + ".receiveBytesPerSecond");
  association.traffic.sendBytesPerSecond =
      Number<uint32_t>(Required(value, where, "sendBytesPerSecond"), where + ".sendBytesPerSecond");
  // State written before traffic could vary has none.
  Optional(value, where, "trafficVariation", [&](const json& v, const std::string& w) {
    association.traffic.variationPercent = Number<uint32_t>(v, w);
  });
  return association;
}

}  // namespace

json LinkStateJson(const LinkState& link) {
  json value = json::object();
  if (link.association) value["association"] = AssociationJson(*link.association);
  json address = {{"bound", BindingJson(link.address.bound)}, {"changes", link.address.changes}};
  if (link.address.pending) {
    address["pending"] = BindingJson(*link.address.pending);
    address["pendingAtMs"] = link.address.pendingAtMs;
  }
  value["address"] = address;
  value["counters"] = {{"inOctets", link.counters.inOctets},
                       {"outOctets", link.counters.outOctets},
                       {"sinceMs", link.counters.sinceMs}};
  value["changedMs"] = link.changedMs;
  return value;
}

LinkState ReadLinkState(const json& value, const std::string& where) {
  ExpectObject(value, where);
  LinkState link;
  Optional(value, where, "association",
           [&](const json& v, const std::string& w) { link.association = ReadAssociation(v, w); });
  const json& address = Required(value, where, "address");
  const std::string at = where + ".address";
  ExpectObject(address, at);
  link.address.bound = ReadBinding(Required(address, at, "bound"), at + ".bound");
  link.address.changes = Number<uint64_t>(Required(address, at, "changes"), at + ".changes");
  Optional(address, at, "pending", [&](const json& v, const std::string& w) {
    link.address.pending = ReadBinding(v, w);
    link.address.pendingAtMs =
        Number<uint64_t>(Required(address, at, "pendingAtMs"), at + ".pendingAtMs");
  });
  const json& counters = Required(value, where, "counters");
  const std::string c = where + ".counters";
  ExpectObject(counters, c);
  link.counters.inOctets = Number<uint64_t>(Required(counters, c, "inOctets"), c + ".inOctets");
  link.counters.outOctets = Number<uint64_t>(Required(counters, c, "outOctets"), c + ".outOctets");
  link.counters.sinceMs = Number<uint64_t>(Required(counters, c, "sinceMs"), c + ".sinceMs");
  link.changedMs = Number<uint64_t>(Required(value, where, "changedMs"), where + ".changedMs");
  return link;
}

}  // namespace sim
