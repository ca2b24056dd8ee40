// The hive file's text: what the writer produces, what the parser accepts and rejects, and that
// a hive survives being written and read back with every byte size intact.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/regedit_format.h"
#include "sim/registry_hive.h"

namespace sim {
namespace {

constexpr size_t kHklm = 2;

std::string Bytes(std::initializer_list<int> bytes) {
  std::string out;
  for (int b : bytes) out.push_back(static_cast<char>(b));
  return out;
}

Hive ParseOk(const std::string& text) {
  Hive hive;
  auto error = ParseRegedit(text.data(), text.size(), hive);
  EXPECT_FALSE(error) << error->Describe() << "\n" << text;
  return hive;
}

RegistryKey& Key(Hive& hive, std::initializer_list<std::string_view> path) {
  RegistryKey* key = &hive.roots[kHklm];
  for (auto name : path) key = &key->AddSubkey(name);
  return *key;
}

TEST(RegistryFormatTest, WritesEachValueInTheFormThatKeepsItsExactSize) {
  Hive hive;
  auto& key = Key(hive, {"Software", "Vendor"});
  key.SetValue("", 1, std::string("default\0", 8));
  key.SetValue("Text", 1, std::string("a \"q\" c:\\dir\0", 13));
  key.SetValue("NoNul", 1, "abc");  // the library's string writer stores no NUL
  key.SetValue("Empty", 1, "");     // zero bytes, not even a NUL
  key.SetValue("JustNul", 1, std::string(1, '\0'));
  key.SetValue("TwoNuls", 1, std::string("ab\0\0", 4));
  key.SetValue("Tab", 1, std::string("a\tb\0", 4));
  key.SetValue("Count", 4, Bytes({0x0a, 0, 0, 0}));
  key.SetValue("ShortDword", 4, Bytes({1, 2}));
  key.SetValue("Blob", 3, Bytes({0x01, 0xab}));
  key.SetValue("List", 7, std::string("a\0b\0\0", 5));
  key.SetValue("Path", 2, std::string("%X%\0", 4));
  key.SetValue("Qword", 11, Bytes({1, 0, 0, 0, 0, 0, 0, 0}));
  key.SetValue("None", 0, "");
  key.SetValue("High", 0x80000001u, Bytes({0xff}));
  key.SetValue("Latin1", 1, std::string("caf\xe9\0", 5));

  EXPECT_EQ(FormatRegedit(hive),
            "REGEDIT4\n"
            "\n"
            "[HKEY_LOCAL_MACHINE\\Software]\n"
            "\n"
            "[HKEY_LOCAL_MACHINE\\Software\\Vendor]\n"
            "@=\"default\"\n"
            "\"Text\"=\"a \\\"q\\\" c:\\\\dir\"\n"
            "\"NoNul\"=hex(1):61,62,63\n"
            "\"Empty\"=hex(1):\n"
            "\"JustNul\"=\"\"\n"
            "\"TwoNuls\"=hex(1):61,62,00,00\n"
            "\"Tab\"=hex(1):61,09,62,00\n"
            "\"Count\"=dword:0000000a\n"
            "\"ShortDword\"=hex(4):01,02\n"
            "\"Blob\"=hex:01,ab\n"
            "\"List\"=hex(7):61,00,62,00,00\n"
            "\"Path\"=hex(2):25,58,25,00\n"
            "\"Qword\"=hex(b):01,00,00,00,00,00,00,00\n"
            "\"None\"=hex(0):\n"
            "\"High\"=hex(80000001):ff\n"
            "\"Latin1\"=\"caf\xe9\"\n"
            "\n");
  EXPECT_EQ(ParseOk(FormatRegedit(hive)), hive);
}

TEST(RegistryFormatTest, RoundTripKeepsEmptyKeysRootValuesAndValueOrder) {
  Hive hive;
  Key(hive, {"Empty"});
  Key(hive, {"A", "B", "C"});
  hive.roots[0].SetValue("OnTheRoot", 4, Bytes({1, 2, 3, 4}));
  auto& user = hive.roots[1].AddSubkey("Weird ]name[ =\"x\"");
  user.SetValue("z", 3, "");
  user.SetValue("a", 3, "1");
  user.SetValue("m", 3, "2");
  Hive back = ParseOk(FormatRegedit(hive));
  EXPECT_EQ(back, hive);
  ASSERT_EQ(back.roots[1].subkeys.size(), 1u);
  EXPECT_EQ(back.roots[1].subkeys[0].values[0].name, "z");
  EXPECT_EQ(back.roots[1].subkeys[0].values[2].name, "m");
}

TEST(RegistryFormatTest, LongHexDataIsWrappedAndReadBack) {
  Hive hive;
  std::string blob;
  for (int i = 0; i < 300; ++i) blob.push_back(static_cast<char>(i * 7));
  Key(hive, {"K"}).SetValue("Blob", 3, blob);
  std::string text = FormatRegedit(hive);
  size_t lineStart = 0;
  for (size_t end = text.find('\n'); end != std::string::npos;
       lineStart = end + 1, end = text.find('\n', lineStart)) {
    EXPECT_LE(end - lineStart, 80u) << text.substr(lineStart, end - lineStart);
  }
  EXPECT_NE(text.find(",\\\n  "), std::string::npos);
  Hive back = ParseOk(text);
  EXPECT_EQ(back.Find(kHklm, {"K"})->FindValue("Blob")->data, blob);
}

TEST(RegistryFormatTest, ReadsWhatRegeditAndHandEditsProduce) {
  Hive hive = ParseOk(
      "REGEDIT4\r\n"
      "\r\n"
      "; a comment\r\n"
      "[hkey_local_machine\\Soft]\r\n"
      "  \"Multi\"=hex(7):61,00,\\\r\n"
      "    62,00,\\\r\n"
      "  00\r\n"
      "\"Dw\"=DWORD:A\r\n"
      "\"Up\" = hex:AB, CD ,ef\r\n"
      "\"\"=\"empty name is the default\"\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFT\\Sub]\r\n"
      "\"Single\"=hex:7\r\n");
  const RegistryKey* soft = hive.Find(kHklm, {"Soft"});
  ASSERT_NE(soft, nullptr);
  EXPECT_EQ(soft->name, "Soft");  // the second section reached the same key
  EXPECT_EQ(soft->FindValue("multi")->data, std::string("a\0b\0\0", 5));
  EXPECT_EQ(soft->FindValue("multi")->type, 7u);
  EXPECT_EQ(soft->FindValue("Dw")->data, Bytes({0x0a, 0, 0, 0}));
  EXPECT_EQ(soft->FindValue("Up")->data, Bytes({0xab, 0xcd, 0xef}));
  EXPECT_EQ(soft->FindValue("")->data, std::string("empty name is the default\0", 26));
  ASSERT_EQ(soft->subkeys.size(), 1u);
  EXPECT_EQ(soft->subkeys[0].FindValue("Single")->data, Bytes({7}));
}

TEST(RegistryFormatTest, LaterDuplicatesReplaceEarlierValues) {
  Hive hive = ParseOk(
      "REGEDIT4\n\n[HKEY_USERS\\K]\n\"v\"=dword:00000001\n\"other\"=\"x\"\n"
      "[HKEY_USERS\\k]\n\"V\"=dword:00000002\n");
  const RegistryKey* key = hive.Find(3, {"K"});
  ASSERT_NE(key, nullptr);
  ASSERT_EQ(key->values.size(), 2u);
  EXPECT_EQ(key->values[0].name, "V");
  EXPECT_EQ(key->values[0].data, Bytes({2, 0, 0, 0}));
}

TEST(RegistryFormatTest, KeysAreWrittenInRegistryOrder) {
  Hive hive;
  for (auto name : {"b", "_under", "A", "c", "B2"}) Key(hive, {name});
  Key(hive, {"a", "z"});
  Key(hive, {"a", "Y"});
  // Windows compares upper-cased names, so '_' (0x5f) sorts after every letter.
  EXPECT_EQ(FormatRegedit(hive),
            "REGEDIT4\n\n"
            "[HKEY_LOCAL_MACHINE\\A]\n\n"
            "[HKEY_LOCAL_MACHINE\\A\\Y]\n\n"
            "[HKEY_LOCAL_MACHINE\\A\\z]\n\n"
            "[HKEY_LOCAL_MACHINE\\b]\n\n"
            "[HKEY_LOCAL_MACHINE\\B2]\n\n"
            "[HKEY_LOCAL_MACHINE\\c]\n\n"
            "[HKEY_LOCAL_MACHINE\\_under]\n\n");
}

TEST(RegistryFormatTest, RejectsBrokenFilesNamingTheFirstBadLine) {
  const std::string head = "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\K]\n";
  struct Case {
    std::string text;
    size_t line;
    std::string words;
  };
  const std::vector<Case> cases = {
      {"", 1, "REGEDIT4"},
      {"REGEDIT5\n", 1, "REGEDIT4"},
      {"Windows Registry Editor Version 5.00\n", 1, "REGEDIT4"},
      {"REGEDIT4\n\n\"v\"=\"x\"\n", 3, "before the first"},
      {"REGEDIT4\n[HKEY_NOWHERE\\K]\n", 2, "unknown registry root"},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\K\n", 2, "end with ]"},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\\\K]\n", 2, "empty key name"},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\K\\]\n", 2, "empty key name"},
      {"REGEDIT4\n[-HKEY_LOCAL_MACHINE\\K]\n", 2, "deletions"},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\" + std::string(256, 'k') + "]\n", 2, "255"},
      {head + "\"v\"=-\n", 4, "deletions"},
      {head + "\"v\"=\"unterminated\n", 4, "closing quote"},
      {head + "\"v\"=\"bad \\n escape\"\n", 4, "backslash"},
      {head + "\"v\"=\"x\" trailing\n", 4, "after the string"},
      {head + "\"v\"\n", 4, "expected ="},
      {head + "\"v\"=dword:123456789\n", 4, "dword"},
      {head + "\"v\"=dword:12g4\n", 4, "dword"},
      {head + "\"v\"=dword:\n", 4, "dword"},
      {head + "\"v\"=hex:01,zz\n", 4, "hex byte"},
      {head + "\"v\"=hex:01 02\n", 4, "between hex bytes"},
      {head + "\"v\"=hex:123\n", 4, "between hex bytes"},
      {head + "\"v\"=hex(7:00\n", 4, "hex(N)"},
      {head + "\"v\"=hex():00\n", 4, "hex(N)"},
      {head + "\"v\"=hex(7)00\n", 4, "expected :"},
      {head + "\"v\"=hex:01,\\\n", 4, "end of the file"},
      {head + "\"v\"=hex:01,\\\n  02,\\\n  xx\n", 6, "hex byte"},
      {head + "\"v\"=text\n", 4, "after ="},
      {head + "\"a\x01name\"=\"x\"\n", 4, "control character"},
      {head + "\"" + std::string(16384, 'n') + "\"=\"x\"\n", 4, "16383"},
      {head + "garbage\n", 4, "expected a [key]"},
  };
  for (const auto& c : cases) {
    Hive hive;
    auto error = ParseRegedit(c.text.data(), c.text.size(), hive);
    ASSERT_TRUE(error) << c.text;
    EXPECT_EQ(error->line, c.line) << c.text;
    EXPECT_NE(error->message.find(c.words), std::string::npos) << error->message;
    EXPECT_EQ(error->Describe().rfind("line " + std::to_string(c.line) + ": ", 0), 0u);
  }
}

TEST(RegistryFormatTest, AcceptsNamesAtTheirLengthLimits) {
  Hive hive = ParseOk("REGEDIT4\n[HKEY_LOCAL_MACHINE\\" + std::string(255, 'k') + "]\n\"" +
                      std::string(16383, 'v') + "\"=\"x\"\n");
  ASSERT_EQ(hive.roots[kHklm].subkeys.size(), 1u);
  EXPECT_EQ(hive.roots[kHklm].subkeys[0].values[0].name.size(), 16383u);
}

TEST(RegistryFormatTest, NeverReadsPastTheGivenLength) {
  // The bytes after the given length would be errors if the parser looked at them.
  const std::string text = "REGEDIT4\n[HKEY_USERS\\K]\n\"v\"=hex:01,02\n[garbage";
  const size_t valid = text.find("[garbage");
  std::vector<char> exact(text.begin(), text.begin() + static_cast<long>(valid));
  Hive hive;
  EXPECT_FALSE(ParseRegedit(exact.data(), exact.size(), hive));
  EXPECT_FALSE(ParseRegedit(text.data(), valid, hive));
  EXPECT_EQ(hive.Find(3, {"K"})->FindValue("v")->data, Bytes({1, 2}));
  // Cut inside a quoted string and inside a continued hex list: errors, not overreads.
  auto cut = [&](const std::string& s) {
    std::vector<char> bytes(s.begin(), s.end());
    return ParseRegedit(bytes.data(), bytes.size(), hive).has_value();
  };
  EXPECT_TRUE(cut("REGEDIT4\n[HKEY_USERS\\K]\n\"v\"=\"abc\\"));
  EXPECT_TRUE(cut("REGEDIT4\n[HKEY_USERS\\K]\n\"v\"=hex:01,\\"));
  EXPECT_TRUE(cut("REGEDIT4\n[HKEY_USERS\\K]\n\"v\"=hex("));
}

}  // namespace
}  // namespace sim
