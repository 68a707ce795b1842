#include "platform/code_page.h"

#include <iconv.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <unordered_map>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/text.h"

namespace {

constexpr wchar_t kReplacement = L'\xFFFD';

// The iconv name of a code page that iconv converts; null for the others.
const char* IconvName(unsigned codePage) {
  switch (codePage) {
    case 874:
      return "CP874";
    case 932:
      return "CP932";
    case 936:
      return "CP936";
    case 949:
      return "CP949";
    case 950:
      return "CP950";
    case 1250:
      return "CP1250";
    case 1251:
      return "CP1251";
    case 1252:
      return "CP1252";
    case 1253:
      return "CP1253";
    case 1254:
      return "CP1254";
    case 1255:
      return "CP1255";
    case 1256:
      return "CP1256";
    case 1257:
      return "CP1257";
    case 1258:
      return "CP1258";
    case CP_DOS_850:
      return "CP850";
    default:
      return nullptr;
  }
}

bool IsMultiByte(unsigned codePage) {
  return codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950;
}

// An iconv descriptor closed with its owner.
class CIconv {
 public:
  CIconv(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
  ~CIconv() {
    if (IsOpen()) iconv_close(m_cd);
  }
  CIconv(const CIconv&) = delete;
  CIconv& operator=(const CIconv&) = delete;
  bool IsOpen() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

  // Converts in, appending to out. A unit iconv refuses adds replacement and
  // skips `skip` input bytes, so that conversion always goes on to the end.
  void Run(std::string_view in, size_t skip, std::string_view replacement, std::string& out) {
    iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
    char buffer[4096];
    auto* src = const_cast<char*>(in.data());
    size_t left = in.size();
    for (;;) {
      char* dst = buffer;
      size_t room = sizeof buffer;
      // Once the input is used up, a last call hands out what iconv holds back
      // (a base letter waiting for a combining mark).
      const bool flushing = left == 0;
      const size_t result = flushing ? iconv(m_cd, nullptr, nullptr, &dst, &room)
                                     : iconv(m_cd, &src, &left, &dst, &room);
      const int error = errno;
      out.append(buffer, static_cast<size_t>(dst - buffer));
      if (result != static_cast<size_t>(-1)) {
        if (flushing) break;
        continue;
      }
      if (error == E2BIG) continue;
      out.append(replacement);
      if (flushing) break;
      if (error != EILSEQ || left <= skip) {  // truncated at the end, or a hard failure
        left = 0;
        continue;
      }
      src += skip;
      left -= skip;
    }
  }

 private:
  iconv_t m_cd;
};

std::string_view WideBytes(const wchar_t* text, size_t count) {
  return {reinterpret_cast<const char*>(text), count * sizeof(wchar_t)};
}

CString BytesToWide(const std::string& bytes) {
  CString out(bytes.size() / sizeof(wchar_t), L'\0');
  std::memcpy(out.data(), bytes.data(), out.size() * sizeof(wchar_t));
  return out;
}

// Both directions of a one-byte code page, learnt once from iconv.
}  // namespace

struct CSingleByteTable {
  std::array<wchar_t, 256> m_aDecode{};
  bool m_bAsciiAsIs = false;  // bytes below 0x80 are their ASCII characters
  std::unordered_map<wchar_t, char> m_mapEncode;
};

namespace {

std::unique_ptr<CSingleByteTable> BuildTable(const char* name) {
  CIconv cd("WCHAR_T", name);
  if (!cd.IsOpen()) return nullptr;
  auto table = std::make_unique<CSingleByteTable>();
  const wchar_t replacement = kReplacement;
  for (unsigned b = 0; b < 256; ++b) {
    const char byte = static_cast<char>(b);
    std::string wide;
    cd.Run(std::string_view(&byte, 1), 1, WideBytes(&replacement, 1), wide);
    const CString decoded = BytesToWide(wide);
    // Bytes the code page leaves undefined (0x81 in 1252) read as U+FFFD.
    table->m_aDecode[b] = decoded.size() == 1 ? decoded[0] : kReplacement;
    if (table->m_aDecode[b] != kReplacement) table->m_mapEncode.emplace(table->m_aDecode[b], byte);
  }
  table->m_bAsciiAsIs = true;
  for (unsigned b = 0; b < 0x80; ++b) table->m_bAsciiAsIs &= table->m_aDecode[b] == wchar_t(b);
  return table;
}

const CSingleByteTable* GetTable(unsigned codePage) {
  static std::mutex s_mutex;
  static std::map<unsigned, std::unique_ptr<CSingleByteTable>> s_mapTables;
  std::lock_guard<std::mutex> lock(s_mutex);
  auto found = s_mapTables.find(codePage);
  if (found == s_mapTables.end()) {
    found = s_mapTables.emplace(codePage, BuildTable(IconvName(codePage))).first;
  }
  return found->second.get();
}

CString DecodeUtf16(std::string_view bytes, bool bigEndian) {
  CString out;
  out.reserve(bytes.size() / 2 + 1);
  auto unit = [&](size_t i) -> char32_t {
    const auto a = static_cast<unsigned char>(bytes[i]);
    const auto b = static_cast<unsigned char>(bytes[i + 1]);
    return bigEndian ? (a << 8 | b) : (b << 8 | a);
  };
  size_t i = 0;
  for (; i + 1 < bytes.size(); i += 2) {
    const char32_t u = unit(i);
    if (u >= 0xD800 && u <= 0xDBFF && i + 3 < bytes.size()) {
      const char32_t low = unit(i + 2);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        out += static_cast<wchar_t>(0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
        i += 2;
        continue;
      }
    }
    out += (u >= 0xD800 && u <= 0xDFFF) ? kReplacement : static_cast<wchar_t>(u);
  }
  if (i < bytes.size()) out += kReplacement;  // an odd byte at the end
  return out;
}

void AppendUnit(std::string& out, char32_t u, bool bigEndian) {
  const char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
  out += bigEndian ? hi : lo;
  out += bigEndian ? lo : hi;
}

std::string EncodeUtf16(std::wstring_view text, bool bigEndian) {
  std::string out;
  out.reserve(text.size() * 2);
  for (const wchar_t c : text) {
    auto cp = static_cast<char32_t>(c);
    if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) cp = kReplacement;
    if (cp >= 0x10000) {
      AppendUnit(out, 0xD800 + ((cp - 0x10000) >> 10), bigEndian);
      AppendUnit(out, 0xDC00 + ((cp - 0x10000) & 0x3FF), bigEndian);
    } else {
      AppendUnit(out, cp, bigEndian);
    }
  }
  return out;
}

bool StartsWith(std::string_view bytes, std::string_view prefix) {
  return bytes.substr(0, prefix.size()) == prefix;
}

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view CP_UTF16_LEMark = "\xFF\xFE";
constexpr std::string_view CP_UTF16_BEMark = "\xFE\xFF";

CString Detect(std::string_view bytes) {
  if (StartsWith(bytes, CP_UTF16_LEMark)) return DecodeUtf16(bytes.substr(2), false);
  if (StartsWith(bytes, CP_UTF16_BEMark)) return DecodeUtf16(bytes.substr(2), true);
  if (StartsWith(bytes, kUtf8Mark)) return FromUtf8(bytes.substr(3));
  if (IsValidUtf8(bytes)) return FromUtf8(bytes);
  CString out;
  DecodeText(bytes, CP_WINDOWS_1252, out);
  return out;
}

// Replaces out with bytes decoded by table. Only the room beyond out's
// present length is cleared before it is written.
void DecodeWithTable(const CSingleByteTable& table, std::string_view bytes, CString& out) {
  out.resize(bytes.size());
  wchar_t* pOut = out.data();
  const auto* pIn = reinterpret_cast<const unsigned char*>(bytes.data());
  const size_t n = bytes.size();
  size_t i = 0;
  // Runs of ASCII, most of a catalogue, are widened sixteen (or eight) bytes
  // at a time.
  if (table.m_bAsciiAsIs) {
#if defined(__SSE2__)
    static_assert(sizeof(wchar_t) == 4);
    const auto widen16 = [&](size_t at) {
      const __m128i zero = _mm_setzero_si128();
      const __m128i bytes16 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pIn + at));
      const __m128i low = _mm_unpacklo_epi8(bytes16, zero);
      const __m128i high = _mm_unpackhi_epi8(bytes16, zero);
      auto* pWide = reinterpret_cast<__m128i*>(pOut + at);
      _mm_storeu_si128(pWide, _mm_unpacklo_epi16(low, zero));
      _mm_storeu_si128(pWide + 1, _mm_unpackhi_epi16(low, zero));
      _mm_storeu_si128(pWide + 2, _mm_unpacklo_epi16(high, zero));
      _mm_storeu_si128(pWide + 3, _mm_unpackhi_epi16(high, zero));
      // The bytes from 0x80 on (an umlaut in a word) are then put right.
      for (unsigned nHigh = static_cast<unsigned>(_mm_movemask_epi8(bytes16)); nHigh != 0;
           nHigh &= nHigh - 1) {
        const size_t k = at + static_cast<size_t>(__builtin_ctz(nHigh));
        pOut[k] = table.m_aDecode[pIn[k]];
      }
    };
    for (; i + 16 <= n; i += 16) widen16(i);
    // The rest as the last sixteen bytes, over the end of the step before:
    // the characters written again come out the same.
    if (i < n && n >= 16) {
      widen16(n - 16);
      i = n;
    }
#endif
    for (; i + 8 <= n; i += 8) {
      std::uint64_t word;
      std::memcpy(&word, pIn + i, 8);
      if ((word & 0x8080808080808080ull) != 0) {
        for (size_t k = i; k < i + 8; ++k) pOut[k] = table.m_aDecode[pIn[k]];
        continue;
      }
      for (size_t k = 0; k < 8; ++k) pOut[i + k] = static_cast<wchar_t>(pIn[i + k]);
    }
  }
  for (; i < n; ++i) pOut[i] = table.m_aDecode[pIn[i]];
}

}  // namespace

bool DecodeText(std::string_view bytes, unsigned codePage, CString& out) {
  out.clear();
  switch (codePage) {
    case CP_UTF8_TEXT:
      AppendFromUtf8(StartsWith(bytes, kUtf8Mark) ? bytes.substr(3) : bytes, out);
      return true;
    case CP_UTF16_LE:
      out = DecodeUtf16(StartsWith(bytes, CP_UTF16_LEMark) ? bytes.substr(2) : bytes, false);
      return true;
    case CP_UTF16_BE:
      out = DecodeUtf16(StartsWith(bytes, CP_UTF16_BEMark) ? bytes.substr(2) : bytes, true);
      return true;
    case CP_DETECT:
      out = Detect(bytes);
      return true;
    default:
      break;
  }
  // A reader decodes line by line in one code page: the table of the last
  // one is kept, without the locks and look-ups of finding it again. Tables
  // live as long as the process.
  thread_local unsigned t_nLastCodePage = 0;
  thread_local const CSingleByteTable* t_pLastTable = nullptr;
  const CSingleByteTable* table = codePage == t_nLastCodePage ? t_pLastTable : nullptr;
  if (table == nullptr) {
    if (!IsKnownCodePage(codePage)) return false;
    if (IsMultiByte(codePage)) {
      CIconv cd("WCHAR_T", IconvName(codePage));
      std::string wide;
      const wchar_t replacement = kReplacement;
      cd.Run(bytes, 1, WideBytes(&replacement, 1), wide);
      out = BytesToWide(wide);
      return true;
    }
    table = GetTable(codePage);
    t_nLastCodePage = codePage;
    t_pLastTable = table;
  }
  DecodeWithTable(*table, bytes, out);
  return true;
}

CSingleByteDecoder::CSingleByteDecoder(unsigned codePage) {
  // The code pages iconv converts and that take one byte a character.
  if (IconvName(codePage) != nullptr && !IsMultiByte(codePage)) m_pTable = GetTable(codePage);
}

void CSingleByteDecoder::Decode(std::string_view bytes, CString& out) const {
  DecodeWithTable(*m_pTable, bytes, out);
}

bool EncodeText(std::wstring_view text, unsigned codePage, std::string& out) {
  out.clear();
  switch (codePage) {
    case CP_UTF8_TEXT:
      out = ToUtf8(text);
      return true;
    case CP_DETECT:
      out = std::string(kUtf8Mark) + ToUtf8(text);
      return true;
    case CP_UTF16_LE:
    case CP_UTF16_BE:
      out = EncodeUtf16(text, codePage == CP_UTF16_BE);
      return true;
    default:
      break;
  }
  if (!IsKnownCodePage(codePage)) return false;
  if (IsMultiByte(codePage)) {
    CIconv cd(IconvName(codePage), "WCHAR_T");
    cd.Run(WideBytes(text.data(), text.size()), sizeof(wchar_t), "?", out);
    return true;
  }
  const CSingleByteTable* table = GetTable(codePage);
  out.resize(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const auto found = table->m_mapEncode.find(text[i]);
    out[i] = found != table->m_mapEncode.end() ? found->second : '?';
  }
  return true;
}

bool IsKnownCodePage(unsigned codePage) {
  switch (codePage) {
    case CP_UTF8_TEXT:
    case CP_DETECT:
    case CP_UTF16_LE:
    case CP_UTF16_BE:
      return true;
    default:
      break;
  }
  if (!IconvName(codePage)) return false;
  if (!IsMultiByte(codePage)) return GetTable(codePage) != nullptr;
  static std::mutex s_mutex;
  static std::map<unsigned, bool> s_mapKnown;
  std::lock_guard<std::mutex> lock(s_mutex);
  auto found = s_mapKnown.find(codePage);
  if (found == s_mapKnown.end()) {
    found = s_mapKnown.emplace(codePage, CIconv("WCHAR_T", IconvName(codePage)).IsOpen()).first;
  }
  return found->second;
}
