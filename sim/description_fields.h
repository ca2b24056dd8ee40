// Reading fields of machine.json and of the adapter's state file: every fault names the path of
// the field, so that a user who edits the file by hand knows which line to look at. A field no
// reader asks for is a fault too: a misspelt optional field would otherwise be dropped unseen.
#pragma once

#include <nlohmann/json.hpp>

#include <charconv>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sim::fields {

using nlohmann::json;

class FieldError {
 public:
  explicit FieldError(std::string message) : message_(std::move(message)) {}
  const std::string& message() const { return message_; }

 private:
  std::string message_;
};

// Parses text as the document label names ("machine.json", "network") and hands the root to
// read. Returns the fault, naming the field's path: a syntax error or a number beyond a double
// with the path reached so far, a reader's FieldError as thrown, a field no reader took as
// "unknown field".
std::optional<std::string> ParseDocument(std::string_view text, const std::string& label,
                                         const std::function<void(const json& root)>& read);

// Records that the reader took this member of an object (Required and Optional do it).
void NoteFieldTaken(const json& member);
// Records that the reader took every member of this object whatever their names (a map).
void NoteMembersTaken(const json& object);

inline const json& Required(const json& object, const std::string& where, const char* field) {
  auto it = object.find(field);
  if (it == object.end()) throw FieldError(where + ": missing required field \"" + field + "\"");
  NoteFieldTaken(*it);
  return *it;
}

inline void ExpectObject(const json& value, const std::string& where) {
  if (!value.is_object()) throw FieldError(where + ": expected an object");
}

inline std::string Text(const json& value, const std::string& where) {
  if (!value.is_string()) throw FieldError(where + ": expected a text");
  return value.get<std::string>();
}

template <typename T>
T Number(const json& value, const std::string& where) {
  if (!value.is_number_integer()) throw FieldError(where + ": expected a whole number");
  // The JSON reader keeps a number of 2^63 or more as unsigned: read as signed it would wrap.
  const bool fits = value.is_number_unsigned() ? std::in_range<T>(value.get<uint64_t>())
                                               : std::in_range<T>(value.get<int64_t>());
  if (!fits) throw FieldError(where + ": number out of range");
  return value.is_number_unsigned() ? static_cast<T>(value.get<uint64_t>())
                                    : static_cast<T>(value.get<int64_t>());
}

inline bool Flag(const json& value, const std::string& where) {
  if (!value.is_boolean()) throw FieldError(where + ": expected true or false");
  return value.get<bool>();
}

template <typename Read>
void Optional(const json& object, const std::string& where, const char* field, Read read) {
  auto it = object.find(field);
  if (it == object.end()) return;
  NoteFieldTaken(*it);
  read(*it, where + "." + field);
}

// "00-0C-43-12-34-56" or "00:0c:43:12:34:56": 1 to 8 bytes.
inline std::vector<uint8_t> MacAddress(const json& value, const std::string& where) {
  const std::string text = Text(value, where);
  std::vector<uint8_t> bytes;
  size_t pos = 0;
  while (pos < text.size()) {
    uint8_t byte = 0;
    auto [end, ec] =
        std::from_chars(text.data() + pos, text.data() + std::min(pos + 2, text.size()), byte, 16);
    if (ec != std::errc() || end != text.data() + pos + 2) {
      throw FieldError(where + ": expected an address like 00-0C-43-12-34-56");
    }
    bytes.push_back(byte);
    pos += 2;
    if (pos < text.size()) {
      if (text[pos] != '-' && text[pos] != ':') {
        throw FieldError(where + ": expected an address like 00-0C-43-12-34-56");
      }
      ++pos;
    }
  }
  if (bytes.empty() || bytes.size() > 8)
    throw FieldError(where + ": expected 1 to 8 address bytes");
  return bytes;
}

// Bytes as hexadecimal text, two digits a byte; blanks between bytes are allowed.
inline std::vector<uint8_t> HexBytes(const json& value, const std::string& where) {
  const std::string text = Text(value, where);
  std::vector<uint8_t> bytes;
  size_t pos = 0;
  while (pos < text.size()) {
    if (text[pos] == ' ') {
      ++pos;
      continue;
    }
    uint8_t byte = 0;
    auto [end, ec] =
        std::from_chars(text.data() + pos, text.data() + std::min(pos + 2, text.size()), byte, 16);
    if (ec != std::errc() || end != text.data() + pos + 2) {
      throw FieldError(where + ": expected hexadecimal bytes like \"dd05 0050f204\"");
    }
    bytes.push_back(byte);
    pos += 2;
  }
  return bytes;
}

inline std::string HexText(const uint8_t* bytes, size_t size) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  text.reserve(size * 2);
  for (size_t i = 0; i < size; ++i) {
    text.push_back(kDigits[bytes[i] >> 4]);
    text.push_back(kDigits[bytes[i] & 0x0F]);
  }
  return text;
}

inline std::string HexText(const std::vector<uint8_t>& bytes) {
  return HexText(bytes.data(), bytes.size());
}

}  // namespace sim::fields
