#include "store/base/hashing.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(BaseHashing, Md5OfWideTextsIsTheDigestOfTheirUtf8) {
  EXPECT_EQ(CHashing::md5(std::wstring_view(L"")), L"d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(CHashing::md5(std::string_view("abc")), L"900150983cd24fb0d6963f7d28e17f72");
  // "ä" is C3 A4 in UTF-8; hashing the UTF-8 bytes must give the same digest.
  EXPECT_EQ(CHashing::md5(std::wstring_view(L"Heizkörper")),
            CHashing::md5(std::string_view("Heizk\xC3\xB6rper")));
  EXPECT_NE(CHashing::md5(std::wstring_view(L"Heizkörper")),
            CHashing::md5(std::string_view("Heizk\xF6rper")));
  std::string zeros(3, '\0');
  EXPECT_NE(CHashing::md5(std::string_view(zeros)), CHashing::md5(std::string_view("")));
}

TEST(BaseHashing, Crc32cKnownValuesAndPieces) {
  EXPECT_EQ(CHashing::crc32c(""), 0u);
  EXPECT_EQ(CHashing::crc32c("123456789"), 0xE3069283u);
  // 32 zero bytes, a published check value of CRC-32C.
  EXPECT_EQ(CHashing::crc32c(std::string(32, '\0')), 0x8A9136AAu);
  // Long enough for the three interleaved runs; the value as computed bit by bit.
  std::string text;
  for (int i = 0; i < 100000; ++i) text += char(i * 7);
  EXPECT_EQ(CHashing::crc32c(text), 0x31CE2478u);
  // Pieces of every length around the steps give the CRC of the whole.
  for (std::size_t cut : {0, 1, 7, 8, 9, 13, 8191, 8192, 24575, 24576, 24577, 50001, 99999}) {
    const std::string_view whole(text);
    EXPECT_EQ(CHashing::crc32c(whole.substr(cut), CHashing::crc32c(whole.substr(0, cut))),
              CHashing::crc32c(whole))
        << cut;
  }
}

}  // namespace
