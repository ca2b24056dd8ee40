// WEP keys from passphrases and the hexadecimal text of key fields.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "vtrlib.h"

namespace {

std::string Hex(const uint8_t* bytes, size_t count) {
  static const char digits[] = "0123456789abcdef";
  std::string text;
  for (size_t i = 0; i < count; ++i) {
    text += digits[bytes[i] >> 4];
    text += digits[bytes[i] & 15];
  }
  return text;
}

std::string Keys64(const char* passphrase) {
  uint8_t keys[64];
  std::memset(keys, 0xEE, sizeof(keys));
  VTR_Passphrase64(passphrase, keys);
  std::string joined;
  for (int k = 0; k < 4; ++k) {
    joined += Hex(keys + 16 * k, 5);
    EXPECT_EQ(keys[16 * k + 5], 0xEE) << "only five bytes of each slot are written";
  }
  return joined;
}

TEST(WepPassphraseTest, SixtyFourBitKeysFoldThePassphraseIntoFourSeedBytes) {
  EXPECT_EQ(Keys64("abcd"), "41192b542a6473463ac1f33a3d5a83bd5c452ebd");
  // The fifth character folds into the first seed byte.
  EXPECT_EQ(Keys64("abcde"), "1167739413e2c1b3e03bae3a9a618423e3bb1dab");
  EXPECT_EQ(Keys64("Radiodesk"), "9003f52c90b7fafdbf88aabd4cbbcc6a50ce7414");
}

TEST(WepPassphraseTest, EmptyPassphraseWritesNothing) {
  uint8_t keys[64];
  std::memset(keys, 0xEE, sizeof(keys));
  VTR_Passphrase64("", keys);
  VTR_Passphrase128("", keys);
  VTR_Passphrase64(nullptr, keys);
  for (uint8_t byte : keys) ASSERT_EQ(byte, 0xEE);
}

TEST(WepPassphraseTest, OneHundredTwentyEightBitKeyIsTheDigestOfTheRepeatedPassphrase) {
  uint8_t key[16];
  std::memset(key, 0xEE, sizeof(key));
  VTR_Passphrase128("abc", key);  // MD5 of "abc" x 21 + "a"
  EXPECT_EQ(Hex(key, 13), "efefeedae197ed614b582e1490");
  EXPECT_EQ(key[13], 0xEE);
}

TEST(HexTextTest, BytesToTextPlacesPairsFromTheRight) {
  const uint8_t bytes[] = {0x01, 0xAB};
  char text[16];
  EXPECT_STREQ(VTR_HexToString(bytes, 2, text, 4, 0), "01AB");
  EXPECT_STREQ(VTR_HexToString(bytes, 2, text, 4, 1), "AB01");
  EXPECT_STREQ(VTR_HexToString(bytes, 2, text, 6, 0), "0001AB");
  // Too few digits drop the first bytes; an odd count keeps the leading '0'.
  EXPECT_STREQ(VTR_HexToString(bytes, 2, text, 2, 0), "AB");
  EXPECT_STREQ(VTR_HexToString(bytes, 2, text, 3, 0), "0AB");
  EXPECT_STREQ(VTR_HexToString(bytes, 2, text, 5, 1), "0AB01");
}

TEST(HexTextTest, TextToBytesReadsPairsFromTheRight) {
  uint8_t bytes[4];
  VTR_StringToHex("1aB", 3, bytes, 2, 0);
  EXPECT_EQ(bytes[0], 0x01);
  EXPECT_EQ(bytes[1], 0xAB);
  VTR_StringToHex("1aB", 3, bytes, 2, 1);
  EXPECT_EQ(bytes[0], 0xAB);
  EXPECT_EQ(bytes[1], 0x01);
  // More bytes than the text fills: the rest stay zero; fewer: the text's start is dropped.
  VTR_StringToHex("ff", 2, bytes, 4, 0);
  EXPECT_EQ(Hex(bytes, 4), "000000ff");
  VTR_StringToHex("112233", 6, bytes, 2, 0);
  EXPECT_EQ(Hex(bytes, 2), "2233");
  // Letters are not validated: 'g' counts 16, so "1g" is 16 + 16 = 0x20.
  VTR_StringToHex("1g", 2, bytes, 1, 0);
  EXPECT_EQ(bytes[0], 0x20);
  // A length beyond the text's end reads no further than its terminator.
  VTR_StringToHex("AB", 40, bytes, 1, 0);
  EXPECT_EQ(bytes[0], 0xAB);
}

TEST(HexTextTest, RoundTripOfEveryByte) {
  uint8_t bytes[256];
  for (int i = 0; i < 256; ++i) bytes[i] = static_cast<uint8_t>(i);
  char text[513];
  uint8_t back[256];
  VTR_StringToHex(VTR_HexToString(bytes, 256, text, 512, 0), 512, back, 256, 0);
  EXPECT_EQ(std::memcmp(bytes, back, sizeof(bytes)), 0);
}

}  // namespace
