#include "platform/text.h"

#include <cstddef>
#include <cstdint>
#include <iterator>

static_assert(sizeof(wchar_t) == 4, "texts hold one Unicode scalar value per wchar_t");

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

// Decodes one UTF-8 sequence at bytes[pos]. Returns the number of bytes
// consumed (at least 1) and sets valid. An invalid sequence consumes its
// maximal well-formed prefix, so that each defect yields one U+FFFD as the
// Unicode standard recommends.
size_t DecodeOne(std::string_view bytes, size_t pos, char32_t& cp, bool& valid) {
  const auto lead = static_cast<unsigned char>(bytes[pos]);
  valid = false;
  if (lead < 0x80) {
    cp = lead;
    valid = true;
    return 1;
  }
  size_t need = 0;
  unsigned char lo = 0x80, hi = 0xBF;  // allowed range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    need = 1;
    cp = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    need = 2;
    cp = lead & 0x0F;
    if (lead == 0xE0) lo = 0xA0;  // overlong
    if (lead == 0xED) hi = 0x9F;  // surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    need = 3;
    cp = lead & 0x07;
    if (lead == 0xF0) lo = 0x90;  // overlong
    if (lead == 0xF4) hi = 0x8F;  // beyond U+10FFFF
  } else {
    cp = kReplacement;
    return 1;
  }
  size_t used = 1;
  for (size_t i = 0; i < need; ++i, ++used) {
    if (pos + used >= bytes.size()) break;
    const auto b = static_cast<unsigned char>(bytes[pos + used]);
    const bool ok = (i == 0) ? (b >= lo && b <= hi) : IsContinuation(b);
    if (!ok) break;
    cp = (cp << 6) | (b & 0x3F);
  }
  if (used != need + 1) {
    cp = kReplacement;
    return used;
  }
  valid = true;
  return used;
}

bool IsHighSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

bool IsSpace(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r'); }

// Upper-case letter -> lower-case letter for the alphabets our data uses:
// ASCII, Latin-1, Latin Extended-A, basic Greek and Cyrillic. Characters
// without a simple one-to-one mapping (ß, ĸ, ŉ, ſ) are left alone.
char32_t LowerOf(char32_t c) {
  if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + 0x20 : c;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;
  if (c >= 0x100 && c <= 0x17F) {
    if (c == 0x130) return 'i';
    if (c == 0x178) return 0xFF;
    if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return c | 1;
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c & 1) ? c + 1 : c;
    return c;
  }
  if (c == 0x386) return 0x3AC;
  if (c >= 0x388 && c <= 0x38A) return c + 0x25;
  if (c == 0x38C) return 0x3CC;
  if (c == 0x38E || c == 0x38F) return c + 0x3F;
  if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 0x20;
  if (c >= 0x400 && c <= 0x40F) return c + 0x50;
  if (c >= 0x410 && c <= 0x42F) return c + 0x20;
  return c;
}

char32_t UpperOf(char32_t c) {
  if (c < 0x80) return (c >= 'a' && c <= 'z') ? c - 0x20 : c;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 0x20;
  if (c == 0xFF) return 0x178;
  if (c >= 0x100 && c <= 0x17F) {
    if (c == 0x131) return 'I';
    if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return c & ~char32_t{1};
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c & 1) ? c : c - 1;
    return c;
  }
  if (c == 0x3AC) return 0x386;
  if (c >= 0x3AD && c <= 0x3AF) return c - 0x25;
  if (c == 0x3CC) return 0x38C;
  if (c == 0x3CD || c == 0x3CE) return c - 0x3F;
  if (c == 0x3C2) return 0x3A3;  // final sigma
  if (c >= 0x3B1 && c <= 0x3CB) return c - 0x20;
  if (c >= 0x430 && c <= 0x44F) return c - 0x20;
  if (c >= 0x450 && c <= 0x45F) return c - 0x50;
  return c;
}

}  // namespace

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

CString FromUtf8(std::string_view bytes) {
  CString out;
  out.reserve(bytes.size());
  AppendFromUtf8(bytes, out);
  return out;
}

void AppendFromUtf8(std::string_view bytes, CString& out) {
  // Decoded through a small buffer appended in pieces: the result is written
  // once (no zero fill of a presized string), and a run of ASCII, which most
  // of our texts are, costs a compare and a store a byte.
  wchar_t aPiece[512];
  std::size_t nPiece = 0;
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    if (nPiece == std::size(aPiece)) {
      out.append(aPiece, nPiece);
      nPiece = 0;
    }
    if (p[pos] < 0x80) {
      aPiece[nPiece++] = static_cast<wchar_t>(p[pos++]);
      continue;
    }
    char32_t cp = 0;
    bool valid = false;
    pos += DecodeOne(bytes, pos, cp, valid);
    aPiece[nPiece++] = static_cast<wchar_t>(cp);
  }
  out.append(aPiece, nPiece);
}

std::string ToUtf8(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  AppendToUtf8(text, out);
  return out;
}

void AppendToUtf8(std::wstring_view text, std::string& out) {
  // Runs of ASCII, most of what we store, go through a small buffer that is
  // appended whole: no sequence encoder and no zero-filled growth per run.
  char buffer[256];
  std::size_t nBuffered = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    auto cp = static_cast<char32_t>(text[i]);
    if (cp < 0x80) {
      buffer[nBuffered++] = static_cast<char>(cp);
      if (nBuffered == sizeof buffer) {
        out.append(buffer, nBuffered);
        nBuffered = 0;
      }
      continue;
    }
    out.append(buffer, nBuffered);
    nBuffered = 0;
    // A surrogate pair can reach us from text that was read as UTF-16 units.
    if (IsHighSurrogate(cp) && i + 1 < text.size() &&
        IsLowSurrogate(static_cast<char32_t>(text[i + 1]))) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (static_cast<char32_t>(text[i + 1]) - 0xDC00);
      ++i;
    } else if (IsHighSurrogate(cp) || IsLowSurrogate(cp) || cp > 0x10FFFF) {
      cp = kReplacement;
    }
    AppendUtf8(out, cp);
  }
  out.append(buffer, nBuffered);
}

namespace {

// Bytes of the character at text[i] as AppendToUtf8 writes it, and how many
// wide units it takes (2 for a surrogate pair).
std::size_t Utf8Bytes(std::wstring_view text, std::size_t i, std::size_t& nUnits) {
  const auto cp = static_cast<char32_t>(text[i]);
  nUnits = 1;
  if (cp < 0x80) return 1;
  if (cp < 0x800) return 2;
  if (IsHighSurrogate(cp) && i + 1 < text.size() &&
      IsLowSurrogate(static_cast<char32_t>(text[i + 1]))) {
    nUnits = 2;
    return 4;
  }
  if (cp < 0x10000 || cp > 0x10FFFF) return 3;  // a lone surrogate is U+FFFD
  return 4;
}

}  // namespace

std::size_t Utf8Length(std::wstring_view text) {
  std::size_t nBytes = 0;
  std::size_t nUnits = 1;
  for (std::size_t i = 0; i < text.size(); i += nUnits) nBytes += Utf8Bytes(text, i, nUnits);
  return nBytes;
}

bool IsValidUtf8(std::string_view bytes) {
  size_t pos = 0;
  while (pos < bytes.size()) {
    char32_t cp = 0;
    bool valid = false;
    pos += DecodeOne(bytes, pos, cp, valid);
    if (!valid) return false;
  }
  return true;
}

wchar_t ToLowerChar(wchar_t c) { return static_cast<wchar_t>(LowerOf(static_cast<char32_t>(c))); }

wchar_t ToUpperChar(wchar_t c) { return static_cast<wchar_t>(UpperOf(static_cast<char32_t>(c))); }

CString ToLower(std::wstring_view text) {
  CString out(text);
  for (auto& c : out) c = ToLowerChar(c);
  return out;
}

CString ToUpper(std::wstring_view text) {
  CString out(text);
  for (auto& c : out) c = ToUpperChar(c);
  return out;
}

bool EqualsNoCase(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i] && ToLowerChar(a[i]) != ToLowerChar(b[i])) return false;
  }
  return true;
}

CString TrimLeft(std::wstring_view text) {
  size_t begin = 0;
  while (begin < text.size() && IsSpace(text[begin])) ++begin;
  return CString(text.substr(begin));
}

CString TrimRight(std::wstring_view text) {
  size_t end = text.size();
  while (end > 0 && IsSpace(text[end - 1])) --end;
  return CString(text.substr(0, end));
}

CString Trim(std::wstring_view text) { return TrimLeft(TrimRight(text)); }
