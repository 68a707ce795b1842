// The string functions VDISTRING, VDICSTRING, VDIISTRING and VDIRSTRING, and
// the formatting that QEL_DEBUG shares with VDISTRING. They need no records.
#include <algorithm>
#include <cmath>
#include <cwchar>

#include "formula/formula_runtime.h"
#include "formula/value_ops.h"
#include "platform/format.h"

using CVdiVar = CvdiFunction::CVdiVar;
using namespace formula;

namespace {

std::int32_t NextInteger(CFormulaArgs& args) {
  CVdiVar v;
  args.Next(v);
  if (v.m_eType != INTEGER) args.GetRuntime().Error(L"INTEGER Vaue missing");
  return v.m_nValue;
}

// Start of the piece after nField ';' separators and nFrom - 1 characters.
std::size_t PieceStart(std::wstring_view text, std::int32_t nField, std::int32_t nFrom) {
  std::size_t p = 0;
  for (std::int32_t i = 0; i < nField && p < text.size(); ++i) {
    const std::size_t n = text.find(L';', p);
    p = n == std::wstring_view::npos ? text.size() : n + 1;
  }
  if (nFrom > 1) p += std::min<std::size_t>(static_cast<std::size_t>(nFrom) - 1, text.size() - p);
  return p;
}

// VDICSTRING: from the piece's start to its end, or to position nTo counted
// from 1 at the start of the field (nFrom included).
CString CharacterPiece(std::wstring_view text, std::int32_t nField, std::int32_t nFrom,
                       std::int32_t nTo) {
  const std::size_t p = PieceStart(text, nField, nFrom);
  std::size_t n = text.size() - p;
  if (nTo != 0) {
    const std::int64_t nCount = static_cast<std::int64_t>(nTo) - std::max(nFrom, 1) + 1;
    n = std::min<std::size_t>(n, static_cast<std::size_t>(std::max<std::int64_t>(nCount, 0)));
  }
  return CString(text.substr(p, n));
}

// VDIISTRING, VDIRSTRING: at most nTo - nFrom + 1 characters (nTo 0: the
// source's length).
CString NumberPiece(std::wstring_view text, std::int32_t nField, std::int32_t nFrom,
                    std::int32_t nTo) {
  const std::size_t p = PieceStart(text, nField, nFrom);
  const std::int64_t nLast = nTo == 0 ? static_cast<std::int64_t>(text.size()) : nTo;
  const std::int64_t nCount = std::max<std::int64_t>(nLast - nFrom + 1, 0);
  return CString(
      text.substr(p, std::min<std::size_t>(text.size() - p, static_cast<std::size_t>(nCount))));
}

// Decimal integer as the C library reads it (leading blanks, sign, digits),
// held within INTEGER.
std::int32_t ParseInteger(const CString& text) {
  const long long n = std::wcstoll(text.c_str(), nullptr, 10);
  return static_cast<std::int32_t>(std::clamp<long long>(n, -2147483647LL - 1, 2147483647LL));
}

// One number picture starting at fmt[i]; appends its output, advances i.
void FormatPicture(std::wstring_view fmt, std::size_t& i, CFormulaArgs& args, CString& out) {
  bool bZero = false, bSign = false, bDecimals = false;
  int nDigits = 0, nDecimals = 0;
  if (fmt[i] == L'~') {
    bZero = true;
    nDigits = 1;
    ++i;
  } else if (fmt[i] == L'-' || fmt[i] == L'+') {
    ++i;
  }
  for (; i < fmt.size(); ++i) {
    if (fmt[i] == L'#') {
      ++(bDecimals ? nDecimals : nDigits);
    } else if (fmt[i] == L'.' && !bDecimals) {
      bDecimals = true;
    } else {
      break;
    }
  }
  if (i < fmt.size() && (fmt[i] == L'-' || fmt[i] == L'+')) bSign = fmt[i++] == L'+';
  if (args.AtEnd()) return;
  CVdiVar v;
  args.Next(v);
  if (v.m_eType == DOUBLE) ConvertTo(v, REAL);
  if (v.m_eType != INTEGER && v.m_eType != REAL)
    args.GetRuntime().Error(L"INTEGER or REAL missing");
  if (nDecimals > 0) {
    if (v.m_eType == REAL) {
      out += Format(Format(L"%%%d.%df", nDigits + 1 + nDecimals, nDecimals), v.m_fValue);
    }
    return;
  }
  std::int32_t n = v.m_nValue;
  if (v.m_eType == REAL && !ToInt32(std::floor(static_cast<double>(v.m_fValue) + 0.5), n)) {
    args.GetRuntime().Error(L"Value outside the INTEGER range");
  }
  CString text = Format(L"%d", n);
  const auto nWidth = static_cast<std::size_t>(nDigits);
  if (text.size() < nWidth) text.insert(0, nWidth - text.size(), bZero ? L'0' : L' ');
  out += text.substr(0, nWidth);
  if (bSign) out += n < 0 ? L'-' : L'+';
}

}  // namespace

CString VdiFormat(CFormulaArgs& args) {
  CVdiVar format;
  args.Next(format);
  if (format.m_eType != CHARACTER) args.GetRuntime().Error(L"CHARACTER Parameter missing");
  const CString fmt(format.GetText());
  if (fmt.empty()) args.GetRuntime().Error(L"VDISTRING... Formatstring is missing");
  CString out;
  for (std::size_t i = 0; i < fmt.size();) {
    const wchar_t c = fmt[i];
    const wchar_t c1 = i + 1 < fmt.size() ? fmt[i + 1] : 0;
    if (c == L'$') {
      std::size_t nRun = 0;
      while (i < fmt.size() && fmt[i] == L'$') ++nRun, ++i;
      if (args.AtEnd()) continue;
      CVdiVar v;
      args.Next(v);
      if (v.m_eType != CHARACTER) args.GetRuntime().Error(L"CHARACTER Parameter missing");
      out += v.GetText().substr(0, nRun);
    } else if (c == L'&') {
      ++i;
      if (args.AtEnd()) continue;
      CVdiVar v;
      args.Next(v);
      if (v.m_eType == INTEGER) {
        out += Format(L"%i", v.m_nValue);
      } else if (v.m_eType == REAL || v.m_eType == DOUBLE) {
        out += Format(L"%f", AsDouble(v));
      } else if (v.m_eType == CHARACTER) {
        out += v.GetText();
      } else {
        args.GetRuntime().Error(L"Wrong parameter in VDISTRING");
      }
    } else if (c == L'\\' && c1 != 0) {
      if (c1 != L'|') out += c1;
      i += 2;
    } else if (c == L'#' || ((c == L'~' || c == L'-' || c == L'+') && c1 == L'#')) {
      FormatPicture(fmt, i, args, out);
    } else {
      out += c;
      ++i;
    }
  }
  args.Finish();
  return out;
}

void EvaluateVdiString(enPCode eOp, CFormulaArgs& args, CVdiVar& result) {
  if (eOp == VDISTRING) {
    SetText(result, VdiFormat(args));
    return;
  }
  CVdiVar source;
  args.Next(source);
  if (source.m_eType != CHARACTER) {
    args.GetRuntime().Error(eOp == VDICSTRING ? L"CHARACTER Parameter missing"
                                              : L"Different data types");
  }
  const std::int32_t nField = NextInteger(args);
  const std::int32_t nFrom = NextInteger(args);
  const std::int32_t nTo = NextInteger(args);
  args.Finish();
  const std::wstring_view text = source.GetText();
  if (eOp == VDICSTRING) {
    SetText(result, CharacterPiece(text, nField, nFrom, nTo));
  } else if (eOp == VDIISTRING) {
    SetInteger(result, ParseInteger(NumberPiece(text, nField, nFrom, nTo)));
  } else {
    SetReal(result, static_cast<float>(
                        std::wcstod(NumberPiece(text, nField, nFrom, nTo).c_str(), nullptr)));
  }
}
