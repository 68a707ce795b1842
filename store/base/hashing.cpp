#include "store/base/hashing.h"

// clang-format off
#include <sys/types.h>
#include <md5.h>
// clang-format on

#include <array>
#include <cstring>

#include "platform/text.h"

namespace {

constexpr std::uint32_t kCastagnoli = 0x82F63B78;  // reflected polynomial

constexpr std::array<std::uint32_t, 256> MakeTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t crc = i;
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ ((crc & 1) ? kCastagnoli : 0);
    table[i] = crc;
  }
  return table;
}
constexpr std::array<std::uint32_t, 256> kTable = MakeTable();

std::uint32_t Crc32cBytes(std::uint32_t crc, const unsigned char* p, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) crc = (crc >> 8) ^ kTable[(crc ^ p[i]) & 0xFF];
  return crc;
}

#if defined(__x86_64__)
// The processor's own CRC-32C instruction takes eight bytes a step: a large
// database file is checked as fast as it comes from the page cache.
__attribute__((target("sse4.2"))) std::uint32_t Crc32cWords(std::uint32_t crc,
                                                            const unsigned char* p, std::size_t n) {
  std::uint64_t wide = crc;
  for (; n >= 8; n -= 8, p += 8) {
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    wide = __builtin_ia32_crc32di(wide, word);
  }
  return Crc32cBytes(std::uint32_t(wide), p, n);
}

const bool kHasCrcInstruction = __builtin_cpu_supports("sse4.2");
#endif

}  // namespace

std::uint32_t CHashing::crc32c(std::string_view bytes, std::uint32_t previous) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  std::uint32_t crc = ~previous;
#if defined(__x86_64__)
  if (kHasCrcInstruction) return ~Crc32cWords(crc, p, bytes.size());
#endif
  return ~Crc32cBytes(crc, p, bytes.size());
}

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
