// The token readers: quoted strings, expressions, integers, floats, type
// letters and keywords. Each reads at the position in the current line and
// leaves it after what it read.
#include <string>

#include "platform/host_ui.h"
#include "store/base/message.h"
#include "store/base/num_string.h"
#include "store/mmtb/mat_text_messages.h"
#include "store/mmtb/mat_text_number.h"
#include "store/mmtb/mat_text_reader.h"

namespace {

bool IsLineEnd(wchar_t c) {
  return c == L'\r' || c == L'\n' || c == 0 || c == CMatTextReader::kEndMarker;
}
bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }
bool IsHexDigit(wchar_t c) {
  return IsDigit(c) || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F');
}
unsigned HexValue(wchar_t c) {
  if (IsDigit(c)) return static_cast<unsigned>(c - L'0');
  return static_cast<unsigned>((c | 0x20) - L'a' + 10);
}

}  // namespace

void CMatTextReader::ShowLoadStringError() {
  ShowMessage(MB_OK | MB_ICONERROR, kMsgLoadString, m_strPath, m_nZeile);
}

void CMatTextReader::ShowTerminationError() {
  ShowMessage(MB_OK | MB_ICONERROR, kMsgLoadStringTermination, m_strPath, m_nZeile);
}

// "(*" text "*)", with "-)" ... "(-" continuations and, where allowed, line
// breaks inside; both are kept as CR LF.
bool CMatTextReader::LoadString(CString& out, bool bMultiLine) {
  out.clear();
  SkipBlanks();
  const wchar_t* p = m_pPos;
  if (IsLineEnd(*p) || *p == L';') return true;  // a missing string is empty
  if (p[0] == L'_' && p[1] == L'P' && p[2] == L'T' && p[3] == L'R') {
    p += 4;
  } else if (p[0] == L'_' && p[1] == L'T' && p[2] == L'R') {
    p += 3;
  }
  if (p[0] != L'(' || p[1] != L'*') {
    ShowLoadStringError();
    return false;
  }
  p += 2;
  const wchar_t* pPiece = p;
  for (;;) {
    const wchar_t c = *p;
    if (c > L'-') {  // every character that ends or breaks a piece is at most "-"
      ++p;
      continue;
    }
    if (c == L'*' && p[1] == L')') {
      out.append(pPiece, p);
      m_pPos = p + 2;
      return true;
    }
    if (c == L'(' && p[1] == L'*') {
      ShowLoadStringError();
      return false;
    }
    if (c == L'-' && p[1] == L')') {
      out.append(pPiece, p).append(L"\r\n");
      NextZeile();
      // The next piece starts after the "(-" of the following line.
      const wchar_t* q = m_pPos;
      while (!IsLineEnd(*q) && q[1] != L'-') ++q;
      if (IsLineEnd(*q)) {
        ShowLoadStringError();
        return false;
      }
      p = pPiece = q + 2;
      continue;
    }
    if (c == L'\r' || c == L'\n') {
      if (!bMultiLine) {
        ShowTerminationError();
        return false;
      }
      out.append(pPiece, p).append(L"\r\n");
      NextZeile();
      p = pPiece = m_pPos;
      continue;
    }
    if (c == 0 || c == kEndMarker) {
      ShowTerminationError();
      return false;
    }
    ++p;
  }
}

void CMatTextReader::LoadNumString(CString& out) {
  SkipBlanks();
  if (*m_pPos != L'(') {
    ShowMessage(MB_OK | MB_ICONWARNING, kMsgLoadNumString, m_nZeile);
    return;
  }
  const wchar_t* p = ++m_pPos;
  int nDepth = 1;
  while (*p >= L' ') {
    if (*p == L'(') ++nDepth;
    if (*p == L')' && --nDepth == 0) break;
    ++p;
  }
  out.append(m_pPos, p);
  m_pPos = *p == L')' ? p + 1 : p;
}

void CMatTextReader::SkipBlanksAndComma() {
  SkipBlanks();
  if (*m_pPos == L',') ++m_pPos;
}

int CMatTextReader::ReadInt() {
  SkipBlanks();
  const wchar_t c = *m_pPos;
  if (IsLineEnd(c) || c == L';') return 0;
  std::uint32_t nValue = 0;  // arithmetic wraps at 32 bits, never overflows
  if (c == L'\'') {
    const wchar_t* p = m_pPos + 1;
    while (*p != L'\'' && !IsLineEnd(*p)) nValue = nValue * 256 + static_cast<std::uint32_t>(*p++);
    m_pPos = *p == L'\'' ? p + 1 : p;
    return static_cast<int>(nValue);
  }
  if (c == L'%') {
    const wchar_t* p = m_pPos + 1;
    for (; *p == L'0' || *p == L'1' || *p == L'_'; ++p) {
      if (*p != L'_') nValue = nValue * 2 + (*p == L'1' ? 1 : 0);
    }
    m_pPos = p;
    return static_cast<int>(nValue);
  }
  if (c == L'(') {
    CString expression;
    LoadNumString(expression);
    CNumString number;
    number.SetCurZeile(m_nZeile);
    number = expression;
    return number.Int();
  }
  const wchar_t* p = m_pPos;
  if (p[0] == L'0' && p[1] == L'x') {
    p += 2;
    for (int n = 0; n < kMaxNumberChars && IsHexDigit(*p); ++n)
      nValue = nValue * 16 + HexValue(*p++);
  } else {
    const bool bNegative = *p == L'-';
    if (bNegative) ++p;
    const wchar_t* pDigits = p;
    for (int n = 0; n < kMaxNumberChars && IsDigit(*p); ++n) nValue = nValue * 10 + (*p++ - L'0');
    if (p == pDigits) {
      m_pPos = p;
      ShowMessage(MB_OK | MB_ICONWARNING, kMsgInteger, m_nZeile, m_strPath);
      return 0;
    }
    if (bNegative) nValue = 0u - nValue;
  }
  m_pPos = p;
  SkipBlanksAndComma();
  return static_cast<int>(nValue);
}

std::uint32_t CMatTextReader::ReadBitValue() {
  SkipBlanks();
  const wchar_t* p = m_pPos;
  if (p[0] != L'0' || p[1] != L'x') return static_cast<std::uint32_t>(ReadInt());
  // Older writers put "0x" before the 32 binary digits of a Bit value; a
  // hexadecimal number of exactly 32 digits would not fit 32 bits anyway.
  std::uint32_t nValue = 0;
  int n = 0;
  for (; n < 32 && (p[2 + n] == L'0' || p[2 + n] == L'1'); ++n)
    nValue = nValue * 2 + (p[2 + n] - L'0');
  if (n < 32 || IsHexDigit(p[34])) return static_cast<std::uint32_t>(ReadInt());
  m_pPos = p + 34;
  SkipBlanksAndComma();
  return nValue;
}

float CMatTextReader::ReadFloat() {
  SkipBlanks();
  if (*m_pPos == L'(') {
    CString expression;
    LoadNumString(expression);
    CNumString number;
    number.SetCurZeile(m_nZeile);
    number = expression;
    return number.Float();
  }
  CString text;
  const wchar_t* p = m_pPos;
  if (*p == L'-') text.push_back(*p++);
  const wchar_t* pNumber = p;
  while (text.size() < kMaxNumberChars && (IsDigit(*p) || *p == L'.' || *p == L',')) {
    text.push_back(*p == L',' ? L'.' : *p);
    ++p;
  }
  // The exponent of the "%g" form ("1e+20") and the words of the values
  // without digits belong to the number too.
  const bool bExponent = p != pNumber && (*p == L'e' || *p == L'E') &&
                         (IsDigit(p[1]) || ((p[1] == L'+' || p[1] == L'-') && IsDigit(p[2])));
  if (bExponent) {
    text.push_back(*p++);
    if (!IsDigit(*p)) text.push_back(*p++);
    while (text.size() < kMaxNumberChars && IsDigit(*p)) text.push_back(*p++);
  } else if (p == pNumber) {
    for (const wchar_t* word : {L"inf", L"nan"}) {
      if ((p[0] | 0x20) == word[0] && (p[1] | 0x20) == word[1] && (p[2] | 0x20) == word[2]) {
        text.append(word);
        p += 3;
        break;
      }
    }
  }
  m_pPos = p;
  return ParseFloatText(text);
}

std::uint32_t CMatTextReader::ReadType() {
  while (*m_pPos == L' ') ++m_pPos;
  std::uint32_t nType = kTypeUnknown;
  const wchar_t c = *m_pPos;
  if (IsDigit(c)) {
    std::uint32_t nCode = 0;
    for (int n = 0; n < kMaxNumberChars && IsDigit(*m_pPos); ++n) {
      nCode = nCode > 1000 ? nCode : nCode * 10 + (*m_pPos - L'0');
      ++m_pPos;
    }
    nType = nCode;
  } else if (!IsLineEnd(c)) {
    ++m_pPos;
    switch (c | 0x20) {
      case L'b':
        nType = eTypeBit;
        break;
      case L'c':
        nType = eTypeString;
        break;
      case L'f':
        nType = eTypeFloat;
        break;
      case L'h':
        nType = eTypeHandle;
        break;
      case L'i':
        nType = eTypeInteger;
        break;
      case L'l':
        nType = eTypeStrLine;
        break;  // what the writer puts for StrLine
      case L's':
        nType = eTypeStruct;
        break;
      case L'u':
        nType = eTypeUniString;
        break;
      case L'v':
        nType = eTypeVoid;
        break;
      default:
        break;
    }
  }
  SkipBlanksAndComma();
  return nType;
}

void CMatTextReader::ReadKeyword(CString& out) {
  out.clear();
  SkipBlanks();
  const wchar_t* p = m_pPos;
  if (*p == L'"') {
    const wchar_t* pStart = ++p;
    while (*p >= L' ' && *p != L'"') ++p;
    out.assign(pStart, p);
    m_pPos = *p == L'"' ? p + 1 : p;
    return;
  }
  const wchar_t* pStart = p;
  while (*p > L' ' && *p != L'(' && *p != L';' && *p != L'=' && p[1] != L'*') ++p;
  if (*p == L'=') ++p;
  out.assign(pStart, p);
  m_pPos = p;
}
