// MD5 digests as 32 lower-case hexadecimal digits, used for short, stable
// keys, not for security; and CRC-32C, which tells a damaged file from a
// sound one (every burst of up to 32 flipped bits is caught).
#pragma once

#include <cstdint>
#include <string_view>

#include "OrvaMat/types.h"

class CHashing {
 public:
  // The digest of the UTF-8 bytes of `text`. An empty text has the digest of
  // no bytes, "d41d8cd98f00b204e9800998ecf8427e", never an empty result.
  static CString md5(std::wstring_view text);
  // The digest of raw bytes.
  static CString md5(std::string_view bytes);

  // CRC-32C (Castagnoli) of bytes, continued from the CRC of what came
  // before them (0 for the first piece): crc32c("123456789") = 0xE3069283.
  static std::uint32_t crc32c(std::string_view bytes, std::uint32_t previous = 0);
};
