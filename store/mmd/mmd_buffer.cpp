#include "store/mmd/mmd_buffer.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <cwchar>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/code_page.h"
#include "platform/file.h"
#include "platform/huge_pages.h"
#include "platform/text.h"
#include "store/base/hashing.h"
#include "store/mmd/mmd_format.h"

namespace {

// Decodes into text's own buffer: a body's 100,000 texts are read through
// one CString without a new allocation each. ANSI bytes below 0x80 read the
// same in every code page.
void DecodeStored(std::string_view bytes, const CMmdTextCoding& coding, CString& text) {
  text.clear();
  if (coding.m_bUtf8) {
    AppendFromUtf8(bytes, text);
    return;
  }
  bool bAscii = true;
  for (char c : bytes) bAscii &= static_cast<unsigned char>(c) < 0x80;
  if (bAscii) {
    text.assign(bytes.begin(), bytes.end());
  } else if (!DecodeText(bytes, coding.m_nCodePage, text)) {
    DecodeText(bytes, CP_WINDOWS_1252, text);
  }
}

}  // namespace

CMmdReader::CMmdReader(std::string_view bytes, std::uint64_t base)
    : m_Bytes(bytes), m_nWindowPos(base), m_nPos(base), m_nEnd(base + bytes.size()) {}

CMmdReader::CMmdReader(CFile& file, std::uint64_t nFrom, std::uint64_t nLength)
    : m_nWindowPos(nFrom), m_nPos(nFrom), m_nEnd(nFrom + nLength), m_pFile(&file) {}

CMmdReader::~CMmdReader() = default;

bool CMmdReader::Refill(std::size_t count) {
  if (m_pFile == nullptr || count > kWindowBytes) return false;
  if (m_pWindow == nullptr) m_pWindow.reset(new char[kWindowBytes]);
  const auto nSize = std::size_t(std::min<std::uint64_t>(kWindowBytes, m_nEnd - m_nPos));
  m_Bytes = {};
  if (!m_pFile->ReadAt(m_nPos, m_pWindow.get(), nSize)) return false;
  m_Bytes = std::string_view(m_pWindow.get(), nSize);
  m_nWindowPos = m_nPos;
  return true;
}

bool CMmdReader::Take(std::size_t count, std::string_view& out) {
  if (m_bFailed || count > GetRemaining()) {
    m_bFailed = true;
    return false;
  }
  // The window holds [m_nWindowPos, m_nWindowPos + size); the position only
  // moves on, so a position skipped past it, or a read running over its end,
  // reads the window anew from the position.
  std::uint64_t nOffset = m_nPos - m_nWindowPos;
  if (nOffset + count > m_Bytes.size()) {
    if (!Refill(count)) {
      m_bFailed = true;
      return false;
    }
    nOffset = 0;
  }
  out = m_Bytes.substr(std::size_t(nOffset), count);
  m_nPos += count;
  return true;
}

bool CMmdReader::ReadU32(std::uint32_t& value) {
  std::string_view bytes;
  if (!Take(4, bytes)) return false;
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  value = std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
          std::uint32_t(p[3]) << 24;
  return true;
}

bool CMmdReader::ReadU16(std::uint16_t& value) {
  std::string_view bytes;
  if (!Take(2, bytes)) return false;
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  value = std::uint16_t(p[0] | p[1] << 8);
  return true;
}

bool CMmdReader::ReadTag(char tag[4]) {
  std::string_view bytes;
  if (!Take(4, bytes)) return false;
  std::memcpy(tag, bytes.data(), 4);
  return true;
}

bool CMmdReader::ReadString(CString& text, const CMmdTextCoding& coding) {
  std::uint16_t count = 0;
  std::string_view bytes;
  if (!ReadU16(count) || !Take(count, bytes)) return false;
  // Plain ASCII, most names, reads the same in every coding: un-XOR-ed and
  // widened in one pass into text's own buffer.
  text.resize(count);
  unsigned nAll = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const unsigned c = static_cast<unsigned char>(bytes[i]) ^ mmd::kStringKey;
    nAll |= c;
    text[i] = wchar_t(c);
  }
  if (nAll < 0x80) return true;
  m_Scratch.resize(count);
  for (std::size_t i = 0; i < count; ++i)
    m_Scratch[i] = char(static_cast<unsigned char>(bytes[i]) ^ mmd::kStringKey);
  DecodeStored(m_Scratch, coding, text);
  return true;
}

bool CMmdReader::ReadPlainString(CString& text, const CMmdTextCoding& coding) {
  std::uint16_t count = 0;
  std::string_view bytes;
  if (!ReadU16(count) || !Take(count, bytes)) return false;
  DecodeStored(bytes, coding, text);
  return true;
}

bool CMmdReader::Skip(std::uint64_t count) {
  if (m_bFailed || count > GetRemaining()) {
    m_bFailed = true;
    return false;
  }
  m_nPos += count;
  return true;
}

void CMmdBytes::Reallocate(std::size_t nCapacity) {
  std::unique_ptr<char[]> pBytes(new char[nCapacity]);
  if (m_nSize > 0) std::memcpy(pBytes.get(), m_pBytes.get(), m_nSize);
  m_pBytes = std::move(pBytes);
  m_nCapacity = nCapacity;
}

void CMmdWriter::StreamTo(CMmdSink* pSink, std::size_t nChunk) {
  m_pSink = pSink;
  m_nChunk = std::max<std::size_t>(nChunk, 1);
  // A chunk and the largest string that may follow it before the check.
  m_Bytes.reserve(m_nChunk + mmd::kMaxStringBytes + 8);
}

bool CMmdWriter::Flush() {
  if (m_pSink != nullptr && !m_Bytes.empty() && !m_bSinkFailed) {
    m_bSinkFailed = !m_pSink->Append(m_Bytes);
    m_nHandedOver += m_Bytes.size();
    m_Bytes.clear();
  }
  return !m_bSinkFailed;
}

bool CMmdWriter::GetDataCheck(std::uint32_t& crc) {
  if (m_pSink == nullptr) {
    crc = CHashing::crc32c(m_Bytes);
    return true;
  }
  if (!Flush()) return false;
  m_bSinkFailed = !m_pSink->Crc32c(crc);
  return !m_bSinkFailed;
}

void CMmdWriter::Reserve(std::size_t n) {
  if (m_pSink != nullptr) return;
  if (n <= m_Bytes.capacity()) return;
  m_Bytes.reserve(n);
  AdviseHugePages(m_Bytes.data(), m_Bytes.capacity());
}

void CMmdWriter::WriteU16(std::uint16_t value) {
  char* p = m_Bytes.Grow(2);
  p[0] = static_cast<char>(value & 0xFF);
  p[1] = static_cast<char>((value >> 8) & 0xFF);
}

void CMmdWriter::WriteTag(const char tag[4]) { m_Bytes.Append(std::string_view(tag, 4)); }

bool CMmdWriter::Encode(const wchar_t* text, std::string& bytes) {
  bytes.clear();
  if (!text || !*text) return true;
  if (m_Coding.m_bUtf8) {
    AppendToUtf8(text, bytes);
  } else if (!EncodeText(text, m_Coding.m_nCodePage, bytes)) {
    EncodeText(text, CP_WINDOWS_1252, bytes);
  }
  if (bytes.size() <= mmd::kMaxStringBytes) return true;
  if (!m_bFailed) {
    m_bFailed = true;
    m_nFailedLength = bytes.size();
    m_strFailedText = CString(text).substr(0, 40);
  }
  bytes.clear();
  return false;
}

namespace {

// Texts are keyed a word of eight characters at a time, the first character
// in the lowest byte.
static_assert(std::endian::native == std::endian::little);
constexpr std::uint64_t kHighBits = 0x8080808080808080ull;
constexpr std::uint64_t kKeyWord = 0x0101010101010101ull * mmd::kStringKey;

// The sum of the eight bytes of w: pairs of bytes added into four 16-bit
// lanes (each below 2^9), the lanes added by one multiplication.
std::uint32_t ByteSum(std::uint64_t w) {
  constexpr std::uint64_t kEvenBytes = 0x00FF00FF00FF00FFull;
  const std::uint64_t nPairs = (w & kEvenBytes) + ((w >> 8) & kEvenBytes);
  return static_cast<std::uint32_t>((nPairs * 0x0001000100010001ull) >> 48);
}

// Keys eight one-byte characters into out and returns their keyed sum.
std::uint32_t KeyWord(std::uint64_t w, char* out) {
  w ^= kKeyWord;
  std::memcpy(out, &w, 8);
  return ByteSum(w);
}

std::uint64_t LoadWord(const unsigned char* p) {
  std::uint64_t w = 0;
  std::memcpy(&w, p, 8);
  return w;
}

// Walks a one-byte text a word of eight characters at a time: onWord(at,
// w, mask) for each whole word and, for a text of eight or more whose
// length is no multiple of eight, for its last eight characters, read again
// where they overlap the word before, mask marking the bytes not walked yet
// (little-endian: the high ones); onChar(i) for each character of a shorter
// text. A text is a few to a few hundred characters: a word at a time takes
// a fraction of the instructions of a character at a time.
template <typename OnWord, typename OnChar>
void WalkWords(const unsigned char* text, std::size_t n, OnWord onWord, OnChar onChar) {
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) onWord(i, LoadWord(text + i), ~std::uint64_t{0});
  if (i == n) return;
  if (n >= 8)
    return onWord(n - 8, LoadWord(text + n - 8), ~std::uint64_t{0} << (8 * (8 - (n - i))));
  for (; i < n; ++i) onChar(i);
}

// Keys n one-byte characters into out and returns their keyed sum; nHigh
// gets the characters' high bits (0: all ASCII). Bytes keyed again where
// the last word overlaps come out the same, and are summed once.
std::uint32_t KeyNarrow(const unsigned char* text, std::size_t n, char* out, std::uint64_t& nHigh) {
  std::uint32_t nSum = 0;
  std::uint64_t nAll = 0;
  WalkWords(
      text, n,
      [&](std::size_t at, std::uint64_t w, std::uint64_t mask) {
        nAll |= w;
        w ^= kKeyWord;
        std::memcpy(out + at, &w, 8);
        nSum += ByteSum(w & mask);
      },
      [&](std::size_t i) {
        nAll |= text[i];
        const auto c = static_cast<unsigned char>(text[i] ^ mmd::kStringKey);
        out[i] = static_cast<char>(c);
        nSum += c;
      });
  nHigh = nAll & kHighBits;
  return nSum;
}

// Whether a one-byte text holds a control character from U+0080 to U+009F,
// which 1252 does not have. A word's bytes of the form 100xxxxx become zero
// bytes, and a zero byte anywhere in the word leaves a high bit in the test.
bool HasLatin1Control(const unsigned char* text, std::size_t n) {
  bool bFound = false;
  WalkWords(
      text, n,
      [&](std::size_t, std::uint64_t w, std::uint64_t) {
        const std::uint64_t x = (w & 0xE0E0E0E0E0E0E0E0ull) ^ kHighBits;
        bFound |= ((x - 0x0101010101010101ull) & ~x & kHighBits) != 0;
      },
      [&](std::size_t i) { bFound |= text[i] - 0x80u < 0x20u; });
  return bFound;
}

// The characters of a one-byte text from U+0080 on.
std::size_t CountHigh(const unsigned char* text, std::size_t n) {
  std::size_t nCount = 0;
  WalkWords(
      text, n,
      [&](std::size_t, std::uint64_t w, std::uint64_t mask) {
        nCount += (((w & mask & kHighBits) >> 7) * 0x0101010101010101ull) >> 56;
      },
      [&](std::size_t i) { nCount += text[i] >> 7; });
  return nCount;
}

#if defined(__SSE2__)
// Eight wide characters keyed into the eight bytes at out; returns the sum
// of the keyed bytes that keep marks (in its low eight bytes) and gathers
// the characters' bits in all. Packing saturates, which leaves ASCII as it
// is: a character beyond it is caught by the caller's test of all.
std::uint32_t KeyEightWide(const wchar_t* text, char* out, __m128i keep, __m128i& all) {
  static_assert(sizeof(wchar_t) == 4);
  const __m128i lo = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text));
  const __m128i hi = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + 4));
  all = _mm_or_si128(all, _mm_or_si128(lo, hi));
  const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(lo, hi), _mm_setzero_si128());
  const __m128i keyed = _mm_xor_si128(bytes, _mm_set1_epi8(static_cast<char>(mmd::kStringKey)));
  _mm_storel_epi64(reinterpret_cast<__m128i*>(out), keyed);
  // The low half of the sum of absolute differences is the sum of bytes 0 to 7.
  const __m128i sums = _mm_sad_epu8(_mm_and_si128(keyed, keep), _mm_setzero_si128());
  return static_cast<std::uint32_t>(_mm_cvtsi128_si32(sums));
}

// Whether every character gathered in all is ASCII.
bool AllAscii(__m128i all) {
  const __m128i beyond = _mm_and_si128(all, _mm_set1_epi32(~0x7F));
  return _mm_movemask_epi8(_mm_cmpeq_epi32(beyond, _mm_setzero_si128())) == 0xFFFF;
}
#endif

// Keys the bytes of an encoded text into out and returns their keyed sum.
std::uint32_t KeyBytes(const char* text, std::size_t n, char* out) {
  std::uint32_t nSum = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const auto c = static_cast<unsigned char>(text[i] ^ mmd::kStringKey);
    out[i] = static_cast<char>(c);
    nSum += c;
  }
  return nSum;
}

}  // namespace

bool CMmdWriter::WriteAsciiString(const wchar_t* text, std::size_t nLength) {
  if (!m_Coding.m_bUtf8 && m_Coding.m_nCodePage != CP_WINDOWS_1252) return false;
  if (nLength == 0 || nLength > mmd::kMaxStringBytes) return false;
  // Most stored texts are plain ASCII, the same bytes in UTF-8 and 1252:
  // they go straight into the image, keyed and summed, eight characters a
  // step, and are taken back out when a character turns out not to be.
  const std::size_t nAt = m_Bytes.size();
  char* pOut = m_Bytes.Grow(2 + nLength);
  pOut[0] = static_cast<char>(nLength & 0xFF);
  pOut[1] = static_cast<char>(nLength >> 8);
  pOut += 2;
  std::uint32_t nAll = 0;
  std::uint32_t nSum = 0;
  std::size_t i = 0;
#if defined(__SSE2__)
  if (nLength >= 8) {
    __m128i all = _mm_setzero_si128();
    const __m128i whole = _mm_set_epi64x(0, -1);
    for (; i + 8 <= nLength; i += 8) nSum += KeyEightWide(text + i, pOut + i, whole, all);
    if (i < nLength) {
      // The last eight characters, over the end of the step before: the
      // bytes keyed again come out the same and are summed once.
      const std::uint64_t nNew = ~std::uint64_t{0} << (8 * (8 - (nLength - i)));
      nSum += KeyEightWide(text + nLength - 8, pOut + nLength - 8,
                           _mm_set_epi64x(0, static_cast<long long>(nNew)), all);
      i = nLength;
    }
    if (!AllAscii(all)) nAll = 0x80;
  }
#endif
  for (; i < nLength; ++i) {
    nAll |= static_cast<std::uint32_t>(text[i]);
    const auto c =
        static_cast<unsigned char>(static_cast<std::uint32_t>(text[i]) ^ mmd::kStringKey);
    pOut[i] = static_cast<char>(c);
    nSum += c;
  }
  if (nAll >= 0x80) {
    m_Bytes.Cut(nAt);
    return false;
  }
  m_nChecksum += nSum;
  HandOverIfFull();
  return true;
}

void CMmdWriter::WriteString(const wchar_t* text) {
  if (text == nullptr || *text == 0) {  // an empty cell: common, and only its count
    WriteU16(0);
    HandOverIfFull();
    return;
  }
  if (WriteAsciiString(text, std::wcslen(text))) return;
  std::string& bytes = m_strScratch;
  Encode(text, bytes);
  WriteU16(std::uint16_t(bytes.size()));
  m_nChecksum += KeyBytes(bytes.data(), bytes.size(), bytes.data());
  m_Bytes.Append(bytes);
  HandOverIfFull();
}

bool CMmdWriter::WriteNarrowString(const unsigned char* text, std::size_t nLength) {
  const bool bUtf8 = m_Coding.m_bUtf8;
  if (nLength == 0 || (!bUtf8 && m_Coding.m_nCodePage != CP_WINDOWS_1252)) return false;
  if (nLength > mmd::kMaxStringBytes) return false;
  // Keyed straight into the image as they are: right for an ASCII text in
  // either coding, and for any text in 1252 but for its controls.
  const std::size_t nAt = m_Bytes.size();
  char* pOut = m_Bytes.Grow(2 + nLength);
  pOut[0] = static_cast<char>(nLength & 0xFF);
  pOut[1] = static_cast<char>(nLength >> 8);
  std::uint64_t nHigh = 0;
  const std::uint32_t nBytesSum = KeyNarrow(text, nLength, pOut + 2, nHigh);
  if (nHigh == 0 || (!bUtf8 && !HasLatin1Control(text, nLength))) {
    m_nChecksum += nBytesSum;
    HandOverIfFull();
    return true;
  }
  m_Bytes.Cut(nAt);
  if (!bUtf8) return false;
  // UTF-8: a character from U+0080 takes two bytes.
  const std::size_t nBytes = nLength + CountHigh(text, nLength);
  if (nBytes > mmd::kMaxStringBytes) return false;
  pOut = m_Bytes.Grow(2 + nBytes);
  pOut[0] = static_cast<char>(nBytes & 0xFF);
  pOut[1] = static_cast<char>(nBytes >> 8);
  pOut += 2;
  std::uint32_t nSum = 0;
  auto put = [&](unsigned c) {
    c ^= mmd::kStringKey;
    *pOut++ = static_cast<char>(c);
    nSum += c;
  };
  auto putChar = [&](unsigned c) {
    if (c < 0x80) return put(c);
    put(0xC0 | (c >> 6));
    put(0x80 | (c & 0x3F));
  };
  // Words of eight ASCII characters at once, the others one by one.
  std::size_t i = 0;
  for (; i + 8 <= nLength; i += 8) {
    const std::uint64_t w = LoadWord(text + i);
    if ((w & kHighBits) == 0) {
      nSum += KeyWord(w, pOut);
      pOut += 8;
    } else {
      for (std::size_t k = i; k < i + 8; ++k) putChar(text[k]);
    }
  }
  for (; i < nLength; ++i) putChar(text[i]);
  m_nChecksum += nSum;
  HandOverIfFull();
  return true;
}

void CMmdWriter::WriteString(const CPoolText& text) {
  if (!text.IsNarrow()) return WriteString(text ? text.Wide() : nullptr);
  const auto* pNarrow = reinterpret_cast<const unsigned char*>(text.Narrow());
  const std::size_t nLength = std::strlen(text.Narrow());
  if (WriteNarrowString(pNarrow, nLength)) return;
  text.AssignTo(m_strWideScratch);
  WriteString(m_strWideScratch.c_str());
}

void CMmdWriter::WritePlainString(const wchar_t* text) {
  std::string& bytes = m_strScratch;
  Encode(text, bytes);
  WriteU16(std::uint16_t(bytes.size()));
  m_Bytes.Append(bytes);
  HandOverIfFull();
}

std::uint64_t CMmdWriter::WritePlaceholder() {
  const std::uint64_t offset = GetSize();
  WriteU32(0);
  return offset;
}

void CMmdWriter::Patch(std::uint64_t offset, std::uint32_t value) {
  const char bytes[4] = {char(value & 0xFF), char((value >> 8) & 0xFF), char((value >> 16) & 0xFF),
                         char((value >> 24) & 0xFF)};
  if (offset + 4 > GetSize()) return;
  if (offset >= m_nHandedOver) {
    std::memcpy(m_Bytes.data() + (offset - m_nHandedOver), bytes, 4);
  } else if (m_pSink != nullptr && !m_bSinkFailed) {
    // Chunks are handed over after whole fields: a placeholder lies wholly
    // in the sink or wholly in the buffer.
    m_bSinkFailed = !m_pSink->WriteAt(offset, std::string_view(bytes, 4));
  }
}

bool CMmdWriter::PatchSize(std::uint64_t offset) {
  const std::uint64_t nSize = GetSize() - offset;
  if (nSize > 0xFFFFFFFFu) return false;
  Patch(offset, static_cast<std::uint32_t>(nSize));
  return true;
}
