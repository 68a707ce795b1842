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

// The instruction takes three cycles before its result is there, and a
// new one can start every cycle: three independent runs over three stretches
// of kStretch bytes keep it busy. Their registers are joined by shifting the
// earlier one over the bytes of the later stretch (a linear map, kept as the
// images of the 32 single bits) and adding (XOR) the later one.
constexpr std::size_t kStretch = 8192;

struct CShiftMap {
  std::uint32_t m_Images[32];
  std::uint32_t Apply(std::uint32_t crc) const {
    std::uint32_t result = 0;
    for (int bit = 0; crc != 0; ++bit, crc >>= 1)
      if (crc & 1) result ^= m_Images[bit];
    return result;
  }
};

const CShiftMap& StretchShift() {
  static const CShiftMap map = [] {
    static const unsigned char zeros[kStretch] = {};
    CShiftMap made{};
    for (int bit = 0; bit < 32; ++bit) made.m_Images[bit] = Crc32cWords(1u << bit, zeros, kStretch);
    return made;
  }();
  return map;
}

__attribute__((target("sse4.2"))) std::uint32_t Crc32cThreeWay(std::uint32_t crc,
                                                               const unsigned char* p,
                                                               std::size_t n) {
  const CShiftMap& shift = StretchShift();
  for (; n >= 3 * kStretch; n -= 3 * kStretch, p += 3 * kStretch) {
    std::uint64_t a = crc, b = 0, c = 0;
    for (std::size_t i = 0; i < kStretch; i += 8) {
      std::uint64_t wa, wb, wc;
      std::memcpy(&wa, p + i, 8);
      std::memcpy(&wb, p + kStretch + i, 8);
      std::memcpy(&wc, p + 2 * kStretch + i, 8);
      a = __builtin_ia32_crc32di(a, wa);
      b = __builtin_ia32_crc32di(b, wb);
      c = __builtin_ia32_crc32di(c, wc);
    }
    crc = shift.Apply(shift.Apply(std::uint32_t(a)) ^ std::uint32_t(b)) ^ std::uint32_t(c);
  }
  return Crc32cWords(crc, p, n);
}

const bool kHasCrcInstruction = __builtin_cpu_supports("sse4.2");
#endif

}  // namespace

std::uint32_t CHashing::crc32c(std::string_view bytes, std::uint32_t previous) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  std::uint32_t crc = ~previous;
#if defined(__x86_64__)
  if (kHasCrcInstruction) return ~Crc32cThreeWay(crc, p, bytes.size());
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
