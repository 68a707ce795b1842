#include "store/base/num_expr.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <map>
#include <string>
#include <vector>

namespace {

// State shared by the parser of the expression and the parsers of the macros
// it expands.
struct CEvalContext {
  explicit CEvalContext(const CNumStringMacros& macros) : m_Macros(macros) {}

  const CNumStringMacros& m_Macros;
  std::map<CString, CNumValue, std::less<>> m_Computed;  // macros already computed
  std::vector<CString> m_Expanding;                      // macros being computed
  int m_nNesting = 0;
  CNumResult m_Result;

  // Records the first error only: later ones are consequences of it.
  bool Fail(eNumError error, std::wstring_view name = {}) {
    if (m_Result.m_eError == eNumOk) {
      m_Result.m_eError = error;
      m_Result.m_strName.assign(name);
    }
    return false;
  }
};

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }
bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }
bool IsIdentStart(wchar_t c) {
  return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || c == L'_' || c >= 0x80;
}
bool IsIdentChar(wchar_t c) { return IsIdentStart(c) || IsDigit(c); }
int HexValue(wchar_t c) {
  if (IsDigit(c)) return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

bool StoreDouble(CEvalContext& ctx, double d, CNumValue& out) {
  if (!std::isfinite(d)) return ctx.Fail(eNumRange);
  out = CNumValue::OfDouble(d);
  return true;
}

// Integer steps stay exact; a step that would overflow 64 bits or leave a
// remainder in a division continues in floating point.
bool ApplyIntegral(wchar_t op, std::int64_t a, std::int64_t b, CNumValue& out) {
  std::int64_t r = 0;
  bool overflow = false;
  switch (op) {
    case L'+':
      overflow = __builtin_add_overflow(a, b, &r);
      break;
    case L'-':
      overflow = __builtin_sub_overflow(a, b, &r);
      break;
    case L'*':
      overflow = __builtin_mul_overflow(a, b, &r);
      break;
    case L'/':
      if (b == -1)
        overflow = __builtin_sub_overflow(std::int64_t{0}, a, &r);
      else if (a % b != 0)
        overflow = true;
      else
        r = a / b;
      break;
    default:
      r = (b == -1) ? 0 : a % b;
      break;
  }
  if (overflow) return false;
  out = CNumValue::OfInt(r);
  return true;
}

bool Apply(CEvalContext& ctx, wchar_t op, CNumValue& lhs, const CNumValue& rhs) {
  if ((op == L'/' || op == L'%') && rhs.AsDouble() == 0) return ctx.Fail(eNumDivByZero);
  if (lhs.m_bInteger && rhs.m_bInteger && ApplyIntegral(op, lhs.m_nValue, rhs.m_nValue, lhs))
    return true;
  double a = lhs.AsDouble();
  double b = rhs.AsDouble();
  switch (op) {
    case L'+':
      return StoreDouble(ctx, a + b, lhs);
    case L'-':
      return StoreDouble(ctx, a - b, lhs);
    case L'*':
      return StoreDouble(ctx, a * b, lhs);
    case L'/':
      return StoreDouble(ctx, a / b, lhs);
    default:
      return StoreDouble(ctx, std::fmod(a, b), lhs);
  }
}

void Negate(CNumValue& v) {
  if (!v.m_bInteger)
    v.m_dValue = -v.m_dValue;
  else if (v.m_nValue == std::numeric_limits<std::int64_t>::min())
    v = CNumValue::OfDouble(-static_cast<double>(v.m_nValue));
  else
    v.m_nValue = -v.m_nValue;
}

class CParser {
 public:
  CParser(std::wstring_view text, CEvalContext& ctx) : m_strText(text), m_Ctx(ctx) {}

  // whole := expression <end of text>
  bool ParseAll(CNumValue& out) {
    if (!Expression(out)) return false;
    SkipBlanks();
    return m_nPos == m_strText.size() || m_Ctx.Fail(eNumSyntax);
  }

 private:
  // Counts one level of nesting for the lifetime of a grammar rule.
  class CNestingGuard {
   public:
    explicit CNestingGuard(CEvalContext& ctx) : m_Ctx(ctx) { ++m_Ctx.m_nNesting; }
    ~CNestingGuard() { --m_Ctx.m_nNesting; }
    bool IsTooDeep() const { return m_Ctx.m_nNesting > kNumMaxNesting; }

   private:
    CEvalContext& m_Ctx;
  };

  wchar_t Peek(std::size_t ahead = 0) const {
    return m_nPos + ahead < m_strText.size() ? m_strText[m_nPos + ahead] : L'\0';
  }
  void SkipBlanks() {
    while (m_nPos < m_strText.size() && IsBlank(m_strText[m_nPos])) ++m_nPos;
  }

  // expression := term { ("+" | "-") term }
  bool Expression(CNumValue& out) {
    if (!Term(out)) return false;
    for (;;) {
      SkipBlanks();
      wchar_t op = Peek();
      if (op != L'+' && op != L'-') return true;
      ++m_nPos;
      CNumValue rhs;
      if (!Term(rhs) || !Apply(m_Ctx, op, out, rhs)) return false;
    }
  }

  // term := unary { ("*" | "/" | "%") unary }
  bool Term(CNumValue& out) {
    if (!Unary(out)) return false;
    for (;;) {
      SkipBlanks();
      wchar_t op = Peek();
      if (op != L'*' && op != L'/' && op != L'%') return true;
      ++m_nPos;
      CNumValue rhs;
      if (!Unary(rhs) || !Apply(m_Ctx, op, out, rhs)) return false;
    }
  }

  // unary := ("+" | "-") unary | primary
  bool Unary(CNumValue& out) {
    CNestingGuard guard(m_Ctx);
    if (guard.IsTooDeep()) return m_Ctx.Fail(eNumSyntax);
    SkipBlanks();
    wchar_t sign = Peek();
    if (sign != L'+' && sign != L'-') return Primary(out);
    ++m_nPos;
    if (!Unary(out)) return false;
    if (sign == L'-') Negate(out);
    return true;
  }

  // primary := number | identifier | "(" expression ")"
  bool Primary(CNumValue& out) {
    wchar_t c = Peek();
    if (IsDigit(c) || ((c == L'.' || c == L',') && IsDigit(Peek(1)))) return Number(out);
    if (IsIdentStart(c)) return Macro(out);
    if (c != L'(') return m_Ctx.Fail(eNumSyntax);
    ++m_nPos;
    if (!Expression(out)) return false;
    SkipBlanks();
    if (Peek() != L')') return m_Ctx.Fail(eNumSyntax);
    ++m_nPos;
    return true;
  }

  // number := "0" ("x" | "X") hexdigit {hexdigit} | decimal
  bool Number(CNumValue& out) {
    if (Peek() == L'0' && (Peek(1) == L'x' || Peek(1) == L'X') && HexValue(Peek(2)) >= 0) {
      m_nPos += 2;
      return Hexadecimal(out);
    }
    return Decimal(out);
  }

  bool Hexadecimal(CNumValue& out) {
    std::uint64_t value = 0;
    int significant = 0;
    for (int digit = HexValue(Peek()); digit >= 0; digit = HexValue(Peek())) {
      ++m_nPos;
      if (value == 0 && digit == 0) continue;
      if (++significant > 16) return m_Ctx.Fail(eNumRange);
      value = value * 16 + static_cast<std::uint64_t>(digit);
    }
    if (value > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
      out = CNumValue::OfDouble(static_cast<double>(value));
    else
      out = CNumValue::OfInt(static_cast<std::int64_t>(value));
    return true;
  }

  // decimal := digits [sep [digits]] [exponent] | sep digits [exponent]
  // sep := "." | ","   exponent := ("e" | "E") ["+" | "-"] digits
  bool Decimal(CNumValue& out) {
    std::string literal;
    bool isFloat = false;
    CopyDigits(literal);
    if (Peek() == L'.' || Peek() == L',') {
      isFloat = true;
      literal += '.';
      ++m_nPos;
      CopyDigits(literal);
    }
    std::size_t signAt = (Peek(1) == L'+' || Peek(1) == L'-') ? 2 : 1;
    if ((Peek() == L'e' || Peek() == L'E') && IsDigit(Peek(signAt))) {
      isFloat = true;
      literal += 'e';
      if (signAt == 2) literal += static_cast<char>(Peek(1));
      m_nPos += signAt;
      CopyDigits(literal);
    }
    const char* first = literal.data();
    const char* last = first + literal.size();
    if (!isFloat) {
      std::int64_t n = 0;
      auto [end, ec] = std::from_chars(first, last, n);
      if (ec == std::errc() && end == last) {
        out = CNumValue::OfInt(n);
        return true;
      }
    }
    double d = 0;
    auto [end, ec] = std::from_chars(first, last, d);
    if (ec == std::errc::result_out_of_range) return m_Ctx.Fail(eNumRange);
    if (ec != std::errc() || end != last) return m_Ctx.Fail(eNumSyntax);
    return StoreDouble(m_Ctx, d, out);
  }

  void CopyDigits(std::string& literal) {
    while (IsDigit(Peek())) literal += static_cast<char>(m_strText[m_nPos++]);
  }

  // identifier := (letter | "_") { letter | digit | "_" }, a macro's name
  bool Macro(CNumValue& out) {
    std::size_t start = m_nPos;
    while (IsIdentChar(Peek())) ++m_nPos;
    std::wstring_view name = m_strText.substr(start, m_nPos - start);
    auto computed = m_Ctx.m_Computed.find(name);
    if (computed != m_Ctx.m_Computed.end()) {
      out = computed->second;
      return true;
    }
    const CString* text = m_Ctx.m_Macros.Find(name);
    if (!text) return m_Ctx.Fail(eNumUnknownName, name);
    for (const CString& open : m_Ctx.m_Expanding)
      if (open == name) return m_Ctx.Fail(eNumMacroLoop, name);
    if (m_Ctx.m_Expanding.size() >= static_cast<std::size_t>(kNumMaxMacroDepth))
      return m_Ctx.Fail(eNumMacroLoop, name);
    m_Ctx.m_Expanding.emplace_back(name);
    bool ok = CParser(*text, m_Ctx).ParseAll(out);
    m_Ctx.m_Expanding.pop_back();
    if (ok) m_Ctx.m_Computed.emplace(CString(name), out);
    return ok;
  }

  std::wstring_view m_strText;
  CEvalContext& m_Ctx;
  std::size_t m_nPos = 0;
};

}  // namespace

CNumResult EvaluateNumExpr(std::wstring_view text, const CNumStringMacros& macros) {
  CEvalContext ctx(macros);
  bool blank = true;
  for (wchar_t c : text) blank = blank && IsBlank(c);
  if (blank) return ctx.m_Result;
  CNumValue value;
  if (CParser(text, ctx).ParseAll(value)) ctx.m_Result.m_Value = value;
  return ctx.m_Result;
}
