// Texts whose bytes come from the machine (network names, profile names, registry values): any
// bytes, not always UTF-8, control bytes included. People see them without control bytes;
// programs get valid JSON and, where the text is not UTF-8, its exact bytes beside it.
#pragma once

#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace vtrctl {

// Control bytes, and bytes that are not UTF-8, shown as \xNN, so that a name can neither steer
// the terminal nor garble it; UTF-8 text as it is.
std::string PrintableText(std::string_view bytes);
// The bytes as lower-case hexadecimal pairs.
std::string HexText(std::string_view bytes);
// The text as valid UTF-8: every byte that does not decode becomes U+FFFD.
std::string Utf8Text(std::string_view bytes);
bool IsUtf8(std::string_view bytes);

// out[field] = the text as UTF-8; a text that is not UTF-8 also gets out[field + "Hex"].
void PutText(nlohmann::json& out, const std::string& field, std::string_view bytes);
// A network name is bytes rather than text: "ssid" always comes with "ssidHex".
void PutSsid(nlohmann::json& out, std::string_view ssid);

}  // namespace vtrctl
