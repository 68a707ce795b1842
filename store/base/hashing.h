// MD5 digests as 32 lower-case hexadecimal digits. Used for short, stable
// keys, not for security.
#pragma once

#include <string_view>

#include "OrvaMat/types.h"

class CHashing {
 public:
  // The digest of the UTF-8 bytes of `text`. An empty text has the digest of
  // no bytes, "d41d8cd98f00b204e9800998ecf8427e", never an empty result.
  static CString md5(std::wstring_view text);
  // The digest of raw bytes.
  static CString md5(std::string_view bytes);
};
