#include "sim/wps_registrar_state.h"

#include "sim/description_fields.h"
#include "sim/network_description.h"

namespace sim {
namespace {

using namespace fields;

constexpr const char* kMethodNames[] = {"push-button", "station-pin", "access-point-pin"};

std::array<uint8_t, 6> ReadBssid(const json& value, const std::string& where) {
  const auto bytes = MacAddress(value, where);
  if (bytes.size() != 6) throw FieldError(where + ": expected 6 address bytes");
  std::array<uint8_t, 6> bssid{};
  std::copy(bytes.begin(), bytes.end(), bssid.begin());
  return bssid;
}

WpsMethod ReadMethod(const json& value, const std::string& where) {
  const std::string name = Text(value, where);
  for (int i = 0; i < 3; ++i) {
    if (name == kMethodNames[i]) return static_cast<WpsMethod>(i);
  }
  throw FieldError(where + ": expected \"push-button\", \"station-pin\" or \"access-point-pin\"");
}

json RegistrationJson(const WpsRegistration& registration) {
  json value = {{"method", kMethodNames[static_cast<int>(registration.method)]},
                {"pin", registration.pin},
                {"ssid", HexText(registration.ssid)},
                {"bssid", BssidText(registration.bssid)},
                {"startedMs", registration.startedMs},
                {"exchangeMs", registration.exchangeMs},
                {"awaitingPin", registration.awaitingPin},
                {"status", registration.status},
                {"finished", registration.finished},
                {"credentials", HexText(registration.credentials)},
                {"channel", registration.channel}};
  if (registration.registrar) value["registrar"] = BssidText(*registration.registrar);
  return value;
}

WpsRegistration ReadRegistration(const json& value, const std::string& where) {
  ExpectObject(value, where);
  auto field = [&](const char* name) -> const json& { return Required(value, where, name); };
  auto at = [&](const char* name) { return where + "." + name; };
  WpsRegistration registration;
  registration.method = ReadMethod(field("method"), at("method"));
  registration.pin = Text(field("pin"), at("pin"));
  registration.ssid = HexBytes(field("ssid"), at("ssid"));
  registration.bssid = ReadBssid(field("bssid"), at("bssid"));
  registration.startedMs = Number<uint64_t>(field("startedMs"), at("startedMs"));
  registration.exchangeMs = Number<uint64_t>(field("exchangeMs"), at("exchangeMs"));
  registration.awaitingPin = Flag(field("awaitingPin"), at("awaitingPin"));
  registration.status = Number<uint32_t>(field("status"), at("status"));
  registration.finished = Flag(field("finished"), at("finished"));
  registration.credentials = HexBytes(field("credentials"), at("credentials"));
  registration.channel = Number<uint32_t>(field("channel"), at("channel"));
  Optional(value, where, "registrar",
           [&](const json& v, const std::string& w) { registration.registrar = ReadBssid(v, w); });
  return registration;
}

}  // namespace

json WpsStateJson(const WpsState& state) {
  json presses = json::array();
  for (const auto& press : state.presses) {
    presses.push_back({{"bssid", BssidText(press.bssid)}, {"atMs", press.atMs}});
  }
  json pins = json::array();
  for (const auto& pin : state.pins) {
    pins.push_back({{"bssid", BssidText(pin.bssid)}, {"pin", pin.pin}, {"atMs", pin.atMs}});
  }
  json value = {{"presses", presses}, {"pins", pins}};
  if (state.registration) value["registration"] = RegistrationJson(*state.registration);
  return value;
}

WpsState ReadWpsState(const json& value, const std::string& where) {
  ExpectObject(value, where);
  WpsState state;
  auto list = [&](const char* name, auto read) {
    Optional(value, where, name, [&](const json& v, const std::string& w) {
      if (!v.is_array()) throw FieldError(w + ": expected a list");
      for (size_t i = 0; i < v.size(); ++i) {
        const std::string item = w + "[" + std::to_string(i) + "]";
        ExpectObject(v[i], item);
        read(v[i], item);
      }
    });
  };
  list("presses", [&](const json& v, const std::string& w) {
    state.presses.push_back({ReadBssid(Required(v, w, "bssid"), w + ".bssid"),
                             Number<uint64_t>(Required(v, w, "atMs"), w + ".atMs")});
  });
  list("pins", [&](const json& v, const std::string& w) {
    state.pins.push_back({ReadBssid(Required(v, w, "bssid"), w + ".bssid"),
                          Text(Required(v, w, "pin"), w + ".pin"),
                          Number<uint64_t>(Required(v, w, "atMs"), w + ".atMs")});
  });
  Optional(value, where, "registration", [&](const json& v, const std::string& w) {
    state.registration = ReadRegistration(v, w);
  });
  return state;
}

}  // namespace sim
