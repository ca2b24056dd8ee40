#include "sim/regedit_format.h"

#include <cstring>
#include <string_view>
#include <utility>

namespace sim {

namespace {

constexpr std::string_view kHeader = "REGEDIT4";
constexpr uint32_t kTypeSz = 1;
constexpr uint32_t kTypeBinary = 3;
constexpr uint32_t kTypeDword = 4;
// regedit wraps hex data near 80 columns; we do the same so long values stay readable.
constexpr size_t kWrapColumn = 76;

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string_view TrimLeft(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && IsBlank(s[i])) ++i;
  return s.substr(i);
}

std::string_view TrimRight(std::string_view s) {
  size_t n = s.size();
  while (n > 0 && IsBlank(s[n - 1])) --n;
  return s.substr(0, n);
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && RegistryNamesEqual(s.substr(0, prefix.size()), prefix);
}

class Parser {
 public:
  Parser(const char* data, size_t size) : data_(data), size_(size) {}

  std::optional<RegeditParseError> Run(Hive& hive) {
    hive = Hive{};
    std::string_view line;
    if (!NextLine(line) || TrimRight(line) != kHeader) {
      return RegeditParseError{1, "the file does not start with the line REGEDIT4"};
    }
    RegistryKey* current = nullptr;
    while (NextLine(line)) {
      std::string_view rest = TrimLeft(line);
      if (rest.empty() || rest.front() == ';') continue;
      std::optional<RegeditParseError> error;
      if (rest.front() == '[') {
        error = Section(TrimRight(rest), hive, current);
      } else if (rest.front() == '"' || rest.front() == '@') {
        if (current == nullptr) return Fail("a value before the first [key] section");
        error = Value(rest, *current);
      } else {
        return Fail("expected a [key] section or a \"name\"=value line");
      }
      if (error) return error;
    }
    return std::nullopt;
  }

 private:
  RegeditParseError Fail(std::string message) const { return {line_, std::move(message)}; }

  // The next line without its line break (LF or CRLF, so files edited on Windows load too).
  bool NextLine(std::string_view& line) {
    if (pos_ >= size_) return false;
    const void* found = std::memchr(data_ + pos_, '\n', size_ - pos_);
    size_t end = found ? static_cast<size_t>(static_cast<const char*>(found) - data_) : size_;
    line = std::string_view(data_ + pos_, end - pos_);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    pos_ = end + 1;
    ++line_;
    return true;
  }

  std::optional<RegeditParseError> Section(std::string_view text, Hive& hive,
                                           RegistryKey*& current) {
    if (text.size() < 2 || text.back() != ']') return Fail("a section header must end with ]");
    std::string_view path = text.substr(1, text.size() - 2);
    if (!path.empty() && path.front() == '-') {
      return Fail("key deletions ([-...]) have no place in a hive file");
    }
    size_t cut = path.find('\\');
    auto root = RootIndexOfName(path.substr(0, cut));
    if (!root) return Fail("unknown registry root in [" + std::string(path) + "]");
    RegistryKey* key = &hive.roots[*root];
    while (cut != std::string_view::npos) {
      size_t start = cut + 1;
      cut = path.find('\\', start);
      std::string_view name =
          path.substr(start, cut == std::string_view::npos ? std::string_view::npos : cut - start);
      if (name.empty()) return Fail("an empty key name in [" + std::string(path) + "]");
      if (name.size() > kMaxKeyNameLength) return Fail("a key name longer than 255 characters");
      if (!IsValidKeyName(name)) return Fail("a control character in a key name");
      key = &key->AddSubkey(name);
    }
    current = key;
    return std::nullopt;
  }

  // A quoted string at s (s[0] is the quote); only \\ and \" are escapes in REGEDIT4.
  std::optional<RegeditParseError> Quoted(std::string_view s, std::string& out, size_t& used) {
    out.clear();
    for (size_t i = 1; i < s.size(); ++i) {
      char c = s[i];
      if (c == '"') {
        used = i + 1;
        return std::nullopt;
      }
      if (c == '\\') {
        if (i + 1 >= s.size() || (s[i + 1] != '\\' && s[i + 1] != '"')) {
          return Fail("only \\\\ and \\\" may follow a backslash in a quoted string");
        }
        c = s[++i];
      }
      out.push_back(c);
    }
    return Fail("a quoted string without its closing quote");
  }

  std::optional<RegeditParseError> Value(std::string_view s, RegistryKey& key) {
    std::string name;
    size_t used = 1;
    if (s.front() == '"') {
      if (auto error = Quoted(s, name, used)) return error;
      if (name.size() > kMaxValueNameLength) {
        return Fail("a value name longer than 16383 characters");
      }
      if (!IsValidValueName(name)) return Fail("a control character in a value name");
    }
    s = TrimLeft(s.substr(used));
    if (s.empty() || s.front() != '=') return Fail("expected = after the value name");
    s = TrimLeft(s.substr(1));

    uint32_t type = 0;
    std::string data;
    if (!s.empty() && s.front() == '"') {
      if (auto error = Quoted(s, data, used)) return error;
      data.push_back('\0');
      type = kTypeSz;
      if (!TrimRight(s.substr(used)).empty()) return Fail("unexpected text after the string");
    } else if (StartsWithNoCase(s, "dword:")) {
      std::string_view digits = TrimRight(s.substr(6));
      if (digits.empty() || digits.size() > 8) return Fail("dword: needs 1 to 8 hex digits");
      uint32_t number = 0;
      for (char c : digits) {
        int d = HexDigit(c);
        if (d < 0) return Fail("dword: needs 1 to 8 hex digits");
        number = (number << 4) | static_cast<uint32_t>(d);
      }
      for (int i = 0; i < 4; ++i) data.push_back(static_cast<char>((number >> (8 * i)) & 0xff));
      type = kTypeDword;
    } else if (StartsWithNoCase(s, "hex")) {
      s = s.substr(3);
      type = kTypeBinary;
      if (!s.empty() && s.front() == '(') {
        size_t close = s.find(')');
        std::string_view digits = s.substr(1, close == std::string_view::npos ? 0 : close - 1);
        if (close == std::string_view::npos || digits.empty() || digits.size() > 8) {
          return Fail("hex(N): needs a type of 1 to 8 hex digits");
        }
        type = 0;
        for (char c : digits) {
          int d = HexDigit(c);
          if (d < 0) return Fail("hex(N): needs a type of 1 to 8 hex digits");
          type = (type << 4) | static_cast<uint32_t>(d);
        }
        s = s.substr(close + 1);
      }
      if (s.empty() || s.front() != ':') return Fail("expected : after hex");
      if (auto error = HexBytes(s.substr(1), data)) return error;
    } else if (!s.empty() && s.front() == '-') {
      return Fail("value deletions (=-) have no place in a hive file");
    } else {
      return Fail("expected \"text\", dword: or hex: after =");
    }
    key.SetValue(name, type, data);
    return std::nullopt;
  }

  // Comma-separated hex bytes; a backslash at the end of a line continues the list on the next
  // line, whose leading blanks are ignored.
  std::optional<RegeditParseError> HexBytes(std::string_view s, std::string& out) {
    size_t i = 0;
    for (;;) {
      while (i < s.size() && IsBlank(s[i])) ++i;
      if (i == s.size()) return std::nullopt;
      if (s[i] == '\\' && TrimLeft(s.substr(i + 1)).empty()) {
        if (!NextLine(s)) return Fail("a continued hex line at the end of the file");
        i = 0;
        continue;
      }
      int high = HexDigit(s[i]);
      if (high < 0) return Fail("expected a hex byte");
      int byte = high;
      ++i;
      if (i < s.size() && HexDigit(s[i]) >= 0) byte = byte * 16 + HexDigit(s[i++]);
      out.push_back(static_cast<char>(byte));
      while (i < s.size() && IsBlank(s[i])) ++i;
      if (i == s.size()) return std::nullopt;
      if (s[i] == ',') {
        ++i;
      } else if (s[i] != '\\') {
        return Fail("expected , between hex bytes");
      }
    }
  }

  const char* data_;
  size_t size_;
  size_t pos_ = 0;
  size_t line_ = 0;
};

void AppendQuoted(std::string& out, std::string_view text) {
  out.push_back('"');
  for (char c : text) {
    if (c == '\\' || c == '"') out.push_back('\\');
    out.push_back(c);
  }
  out.push_back('"');
}

// Text plus exactly one NUL, nothing the quoted form cannot carry on one line.
bool IsPlainString(std::string_view data) {
  if (data.empty() || data.back() != '\0') return false;
  for (size_t i = 0; i + 1 < data.size(); ++i) {
    auto u = static_cast<unsigned char>(data[i]);
    if (u < 0x20 || u == 0x7f) return false;
  }
  return true;
}

void AppendHex(std::string& out, size_t lineStart, std::string_view data) {
  static constexpr char kDigits[] = "0123456789abcdef";
  for (size_t i = 0; i < data.size(); ++i) {
    auto u = static_cast<unsigned char>(data[i]);
    out.push_back(kDigits[u >> 4]);
    out.push_back(kDigits[u & 0xf]);
    if (i + 1 == data.size()) break;
    out.push_back(',');
    if (out.size() - lineStart >= kWrapColumn) {
      out += "\\\n  ";
      lineStart = out.size() - 2;
    }
  }
}

void AppendValue(std::string& out, const RegistryValue& value) {
  size_t lineStart = out.size();
  if (value.name.empty()) {
    out.push_back('@');
  } else {
    AppendQuoted(out, value.name);
  }
  out.push_back('=');
  if (value.type == kTypeSz && IsPlainString(value.data)) {
    AppendQuoted(out, std::string_view(value.data).substr(0, value.data.size() - 1));
  } else if (value.type == kTypeDword && value.data.size() == 4) {
    uint32_t number = 0;
    for (int i = 3; i >= 0; --i) number = (number << 8) | static_cast<unsigned char>(value.data[i]);
    char digits[9];
    static constexpr char kDigits[] = "0123456789abcdef";
    for (int i = 7; i >= 0; --i, number >>= 4) digits[i] = kDigits[number & 0xf];
    digits[8] = '\0';
    out += "dword:";
    out += digits;
  } else {
    if (value.type == kTypeBinary) {
      out += "hex:";
    } else {
      static constexpr char kDigits[] = "0123456789abcdef";
      std::string type;
      uint32_t t = value.type;
      do {
        type.insert(type.begin(), kDigits[t & 0xf]);
        t >>= 4;
      } while (t != 0);
      out += "hex(" + type + "):";
    }
    AppendHex(out, lineStart, value.data);
  }
  out.push_back('\n');
}

void AppendKey(std::string& out, std::string& path, const RegistryKey& key, bool isRoot) {
  // A root itself only gets a section when it holds values: the roots always exist.
  if (!isRoot || !key.values.empty()) {
    out += '[';
    out += path;
    out += "]\n";
    for (const auto& value : key.values) AppendValue(out, value);
    out.push_back('\n');
  }
  for (const auto& subkey : key.subkeys) {
    size_t length = path.size();
    path += '\\';
    path += subkey.name;
    AppendKey(out, path, subkey, false);
    path.resize(length);
  }
}

}  // namespace

std::string RegeditParseError::Describe() const {
  return "line " + std::to_string(line) + ": " + message;
}

std::optional<RegeditParseError> ParseRegedit(const char* data, size_t size, Hive& hive) {
  return Parser(data, size).Run(hive);
}

std::string FormatRegedit(const Hive& hive) {
  std::string out(kHeader);
  out += "\n\n";
  std::string path;
  for (size_t i = 0; i < hive.roots.size(); ++i) {
    path = kRegistryRoots[i].name;
    AppendKey(out, path, hive.roots[i], true);
  }
  return out;
}

}  // namespace sim
