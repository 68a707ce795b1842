#include "store/base/hashing.h"

// clang-format off
#include <sys/types.h>
#include <md5.h>
// clang-format on

#include "platform/text.h"

CString CHashing::md5(std::string_view bytes) {
  MD5_CTX context;
  MD5Init(&context);
  MD5Update(&context, reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  std::uint8_t digest[MD5_DIGEST_LENGTH];
  MD5Final(digest, &context);
  static constexpr wchar_t kHex[] = L"0123456789abcdef";
  CString hex;
  hex.reserve(2 * MD5_DIGEST_LENGTH);
  for (std::uint8_t byte : digest) {
    hex += kHex[byte >> 4];
    hex += kHex[byte & 0xF];
  }
  return hex;
}

CString CHashing::md5(std::wstring_view text) { return md5(std::string_view(ToUtf8(text))); }
