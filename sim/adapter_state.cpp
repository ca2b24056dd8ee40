#include "sim/adapter_state.h"

#include <cstdio>

#include "sim/description_fields.h"

namespace sim {
namespace {

using namespace fields;

std::string OidKey(uint32_t oid) {
  char text[11];
  std::snprintf(text, sizeof text, "0x%08X", oid);
  return text;
}

uint32_t ParseOidKey(const std::string& key, const std::string& where) {
  unsigned value = 0;
  char tail = 0;
  if (std::sscanf(key.c_str(), "0x%8X%c", &value, &tail) != 1) {
    throw FieldError(where + ": expected a request number like 0x0D71010C");
  }
  return value;
}

json NetworkList(const std::vector<NetworkDescription>& networks) {
  json list = json::array();
  for (const auto& network : networks) list.push_back(NetworkJson(network));
  return list;
}

std::vector<NetworkDescription> ReadNetworkList(const json& value, const std::string& where) {
  if (!value.is_array()) throw FieldError(where + ": expected a list");
  std::vector<NetworkDescription> networks;
  for (size_t i = 0; i < value.size(); ++i) {
    networks.push_back(ReadNetwork(value[i], where + "[" + std::to_string(i) + "]"));
  }
  return networks;
}

AdapterState ReadState(const json& root) {
  const std::string where = "adapter state";
  ExpectObject(root, where);
  AdapterState state;
  state.present = Flag(Required(root, where, "present"), where + ".present");
  state.radioOn = Flag(Required(root, where, "radioOn"), where + ".radioOn");
  state.region = Number<uint32_t>(Required(root, where, "region"), where + ".region");
  state.regionProgrammed =
      Flag(Required(root, where, "regionProgrammed"), where + ".regionProgrammed");
  Optional(root, where, "settings", [&](const json& v, const std::string& w) {
    ExpectObject(v, w);
    NoteMembersTaken(v);
    for (const auto& [key, bytes] : v.items()) {
      state.settings[ParseOidKey(key, w + "." + key)] = HexBytes(bytes, w + "." + key);
    }
  });
  Optional(root, where, "keys", [&](const json& v, const std::string& w) {
    if (!v.is_array()) throw FieldError(w + ": expected a list");
    for (size_t i = 0; i < v.size(); ++i) {
      const std::string at = w + "[" + std::to_string(i) + "]";
      ExpectObject(v[i], at);
      StoredKey key;
      key.keyIndex = Number<uint32_t>(Required(v[i], at, "keyIndex"), at + ".keyIndex");
      const auto bssid = MacAddress(Required(v[i], at, "bssid"), at + ".bssid");
      if (bssid.size() != 6) throw FieldError(at + ".bssid: expected 6 address bytes");
      std::copy(bssid.begin(), bssid.end(), key.bssid.begin());
      key.material = HexBytes(Required(v[i], at, "material"), at + ".material");
      state.keys.push_back(std::move(key));
    }
  });
  Optional(root, where, "rsnKeys", [&](const json& v, const std::string& w) {
    ExpectObject(v, w);
    RsnKeys keys;
    keys.ssid = HexBytes(Required(v, w, "ssid"), w + ".ssid");
    keys.readyAtMs = Number<uint64_t>(Required(v, w, "readyAtMs"), w + ".readyAtMs");
    state.rsnKeys = std::move(keys);
  });
  Optional(root, where, "scanStartMs", [&](const json& v, const std::string& w) {
    state.scanStartMs = Number<uint64_t>(v, w);
  });
  Optional(root, where, "previousList", [&](const json& v, const std::string& w) {
    state.previousList = ReadNetworkList(v, w);
  });
  Optional(root, where, "neighbourhood", [&](const json& v, const std::string& w) {
    state.neighbourhood = ReadNetworkList(v, w);
  });
  Optional(root, where, "link",
           [&](const json& v, const std::string& w) { state.link = ReadLinkState(v, w); });
  Optional(root, where, "wps",
           [&](const json& v, const std::string& w) { state.wps = ReadWpsState(v, w); });
  return state;
}

}  // namespace

AdapterState InitialAdapterState(const RadioDescription& radio) {
  AdapterState state;
  state.radioOn = radio.radioOn;
  state.region = radio.region;
  return state;
}

std::string FormatAdapterState(const AdapterState& state) {
  json root = {{"present", state.present},
               {"radioOn", state.radioOn},
               {"region", state.region},
               {"regionProgrammed", state.regionProgrammed}};
  json settings = json::object();
  for (const auto& [oid, bytes] : state.settings) settings[OidKey(oid)] = HexText(bytes);
  root["settings"] = settings;
  json keys = json::array();
  for (const auto& key : state.keys) {
    keys.push_back({{"keyIndex", key.keyIndex},
                    {"bssid", BssidText(key.bssid)},
                    {"material", HexText(key.material)}});
  }
  root["keys"] = keys;
  if (state.rsnKeys) {
    root["rsnKeys"] = {{"ssid", HexText(state.rsnKeys->ssid)},
                       {"readyAtMs", state.rsnKeys->readyAtMs}};
  }
  if (state.scanStartMs) root["scanStartMs"] = *state.scanStartMs;
  if (state.previousList) root["previousList"] = NetworkList(*state.previousList);
  if (state.neighbourhood) root["neighbourhood"] = NetworkList(*state.neighbourhood);
  root["link"] = LinkStateJson(state.link);
  if (!state.wps.Empty()) root["wps"] = WpsStateJson(state.wps);
  return root.dump(1) + "\n";
}

std::optional<std::string> ParseAdapterState(const std::string& text, AdapterState& state) {
  return ParseDocument(text, "adapter state", [&](const json& root) { state = ReadState(root); });
}

const std::vector<NetworkDescription>& CurrentNeighbourhood(const AdapterState& state,
                                                            const MachineDescription& machine) {
  return state.neighbourhood ? *state.neighbourhood : machine.neighbourhood;
}

}  // namespace sim
