#include "tools/vtrctl/text_bytes.h"

#include <array>
#include <cstdint>
#include <cstdio>

namespace vtrctl {

namespace {

// The length of the well-formed UTF-8 sequence at the start of bytes (overlong forms, surrogates
// and code points past U+10FFFF are not), or 0.
std::size_t Utf8SequenceLength(std::string_view bytes) {
  struct Lead {
    unsigned char mask;
    unsigned char value;
    std::size_t length;
    uint32_t least;  // below it the sequence is an overlong form
  };
  static constexpr std::array<Lead, 3> kLeads = {
      {{0xE0, 0xC0, 2, 0x80}, {0xF0, 0xE0, 3, 0x800}, {0xF8, 0xF0, 4, 0x10000}}};
  const auto lead = static_cast<unsigned char>(bytes[0]);
  if (lead < 0x80) return 1;
  for (const Lead& form : kLeads) {
    if ((lead & form.mask) != form.value) continue;
    if (bytes.size() < form.length) return 0;
    uint32_t code = lead & static_cast<unsigned char>(~form.mask);
    for (std::size_t i = 1; i < form.length; ++i) {
      const auto next = static_cast<unsigned char>(bytes[i]);
      if ((next & 0xC0) != 0x80) return 0;
      code = (code << 6) | (next & 0x3Fu);
    }
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    return code >= form.least && !surrogate && code <= 0x10FFFF ? form.length : 0;
  }
  return 0;
}

std::string Escaped(unsigned char byte) {
  std::array<char, 5> escaped{};
  std::snprintf(escaped.data(), escaped.size(), "\\x%02X", byte);
  return escaped.data();
}

}  // namespace

std::string PrintableText(std::string_view bytes) {
  std::string shown;
  while (!bytes.empty()) {
    const auto byte = static_cast<unsigned char>(bytes[0]);
    const std::size_t length = Utf8SequenceLength(bytes);
    if (length == 0 || byte < 0x20 || byte == 0x7F) {
      shown += Escaped(byte);
      bytes.remove_prefix(1);
    } else {
      shown.append(bytes.substr(0, length));
      bytes.remove_prefix(length);
    }
  }
  return shown;
}

std::string HexText(std::string_view bytes) {
  std::string hex;
  for (const char c : bytes) {
    std::array<char, 3> pair{};
    std::snprintf(pair.data(), pair.size(), "%02x", static_cast<unsigned char>(c));
    hex += pair.data();
  }
  return hex;
}

std::string Utf8Text(std::string_view bytes) {
  const std::string encoded = nlohmann::json(std::string(bytes))
                                  .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  return nlohmann::json::parse(encoded).get<std::string>();
}

bool IsUtf8(std::string_view bytes) {
  return Utf8Text(bytes) == bytes;
}

void PutText(nlohmann::json& out, const std::string& field, std::string_view bytes) {
  const std::string text = Utf8Text(bytes);
  out[field] = text;
  if (text != bytes) out[field + "Hex"] = HexText(bytes);
}

void PutSsid(nlohmann::json& out, std::string_view ssid) {
  out["ssid"] = Utf8Text(ssid);
  out["ssidHex"] = HexText(ssid);
}

}  // namespace vtrctl
