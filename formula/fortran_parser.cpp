// Parser entries, declarations texts, function headers and code emission.
#include "formula/fortran_parser.h"

#include <algorithm>
#include <limits>

#include "formula/pcode.h"
#include "platform/format.h"
#include "store/base/message.h"

using CVdiVar = CvdiFunction::CVdiVar;

namespace {

bool IsAsciiLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

}  // namespace

// The value of an integer literal's digits, or -1 when it exceeds INTEGER.
std::int64_t CFortranParser::DigitsValue(std::wstring_view text) {
  std::int64_t n = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') break;
    n = n * 10 + (c - L'0');
    if (n > 0x7FFFFFFF) return -1;
  }
  return n;
}

// A length beyond the INTEGER range (DigitsValue gives -1) is the largest
// one, which no cell can hold: the declaration reports the variable as too
// big instead of giving it another length.
std::int32_t CFortranParser::LengthValue(std::wstring_view text) {
  const std::int64_t n = DigitsValue(text);
  return n < 0 ? std::numeric_limits<std::int32_t>::max() : static_cast<std::int32_t>(n);
}

CFortranParser::CNesting::CNesting(CFortranParser& parser) : m_Parser(parser) {
  if (++m_Parser.m_nNesting > kMaxNesting)
    m_Parser.Error(L"Statement or expression nested too deeply");
}

CFortranParser::CFortranParser(CFormulaContext& context, CvdiFunctionList& list)
    : m_Context(context), m_Scanner(context.m_scanner), m_List(list) {}

CFortranParser::~CFortranParser() {
  for (auto& p : m_listDeclared) m_List.UnregisterVar(p->m_nId);
}

void CFortranParser::Error(const CString& message) { m_Context.ReportError(message); }

void CFortranParser::Declarations(const wchar_t* text) {
  try {
    ParseDeclarationsText(text);
  } catch (const CFortranError&) {
  } catch (const CFortranScanFailure&) {
    m_Context.m_bError = true;
  }
  for (auto& p : m_listDeclared) m_List.UnregisterVar(p->m_nId);
  m_listDeclared.clear();
}

void CFortranParser::Bodies(const wchar_t* text) {
  try {
    ParseBodiesText(text);
  } catch (const CFortranError&) {
  } catch (const CFortranScanFailure&) {
  }
}

// Skips leading blanks, and the empty and comment lines manufacturers put
// before the first statement (a function record's first line is often a
// comment line); null for a text with nothing else; reports a text that does
// not start with a letter.
const wchar_t* CFortranParser::StartText(const wchar_t* text) {
  m_Scanner.SetLine(1);
  m_Context.SetReportSource(m_List);
  if (text == nullptr) return nullptr;
  for (;;) {
    while (*text == L' ' || *text == L'\t') ++text;
    if (*text == L';' || *text == L'!') {
      while (*text != 0 && *text != L'\r' && *text != L'\n') ++text;
    }
    if (*text != L'\r' && *text != L'\n') break;
    if (text[0] == L'\r' && text[1] == L'\n') ++text;
    ++text;
    m_Scanner.SetLine(m_Scanner.GetLine() + 1);
  }
  if (*text == 0) return nullptr;
  m_Scanner.setScanPosition(text);
  if (!IsAsciiLetter(*text)) Error(L"Unknown character...");
  return text;
}

bool CFortranParser::RestIsEmpty() const {
  const wchar_t* p = m_Scanner.scanPosition();
  for (;;) {
    while (*p == L' ' || *p == L'\t' || *p == L'\r' || *p == L'\n') ++p;
    if (*p != L'!' && *p != L';') return *p == 0;
    while (*p != 0 && *p != L'\r' && *p != L'\n') ++p;
  }
}

// declarations = { type [dimension] name [dimension] {"," name [dimension]} CRLF }
//                type FUNCTION name "(" [name {"," name}] ")"
void CFortranParser::ParseDeclarationsText(const wchar_t* text) {
  if (StartText(text) == nullptr) return;
  for (;;) {
    enPCode eType = Next();
    if (eType == nNONE) return;
    std::int32_t nLength = 0;
    ReadType(eType, nLength, false);
    if (Next() == FUNCTION) {
      ParseDeclarationHeader(eType, nLength);
      return;
    }
    CDimension lead;
    if (Tok() == KLAMMAUF) {
      lead = ReadDimension();
      Next();
    }
    const std::int32_t nLeadLower = lead.m_bRange ? lead.m_nFirst : 1;
    for (;;) {
      if (Tok() != SYMBOL) Error(L"Missing symbol name...");
      auto var = std::make_unique<CVdiVar>();
      var->m_strDeclName = Text();
      var->m_eType = SYMBOL;
      var->m_nCount = DimensionCount(lead, nLeadLower);
      var->m_nLower = nLeadLower;
      if (Next() == KLAMMAUF) {
        const CDimension own = ReadDimension();
        var->m_nLower = own.m_bRange ? own.m_nFirst : nLeadLower;
        var->m_nCount = own.m_bRange ? DimensionCount(own, own.m_nFirst) : own.m_nFirst;
        Next();
      }
      Register(*var);
      m_listDeclared.push_back(std::move(var));
      if (Tok() == KOMMA) {
        Next();
        continue;
      }
      if (Tok() == CRLF) {
        m_Scanner.SetLine(m_Scanner.GetLine() + 1);
        // A line-number prefix ("2;") at the start of the next line.
        const wchar_t* p = m_Scanner.scanPosition();
        const wchar_t* q = p;
        while (*q >= L'0' && *q <= L'9') ++q;
        if (*q == L';') m_Scanner.setScanPosition(q + 1);
      }
      break;
    }
  }
}

void CFortranParser::ParseDeclarationHeader(enPCode eType, std::int32_t nLength) {
  if (Next() != SYMBOL) Error(L"Missing symbol name...");
  CvdiFunction* f = NewFunction(Text());
  if (!f->m_result.setType(eType, nLength, 0, 1)) Error(L"Variable too big");
  if (Next() != KLAMMAUF) Error(L"Syntax....");
  if (Next() != KLAMMZU) {
    for (;;) {
      if (Tok() != SYMBOL) Error(L"Syntax....");
      auto it = std::find_if(m_listDeclared.begin(), m_listDeclared.end(),
                             [&](const auto& p) { return p->m_strDeclName == Text(); });
      if (it != m_listDeclared.end()) {
        f->m_listParameters.push_back(std::move(*it));
        m_listDeclared.erase(it);
      }
      if (Next() == KOMMA) {
        Next();
      } else if (Tok() == KLAMMZU) {
        break;
      } else {
        Error(L"Syntax....");
      }
    }
  }
  Next();
  if (!RestIsEmpty()) Error(L"Missing symbol name...");
}

// type = INTEGER | REAL | LOGICAL | DOUBLE PRECISION | CHARACTER "(" n ")"
// The current token is the type word; a CHARACTER length is taken from the
// three tokens after it. In a bodies text any word is taken as the type.
void CFortranParser::ReadType(enPCode& eType, std::int32_t& nLength, bool bBody) {
  switch (eType) {
    case DOUBLE:
      if (Next() != PRECISION) Error(L"Missing <PRECISION>...");
      return;
    case CHARACTER: {
      Next();
      if (Next() == ICONST) nLength = LengthValue(Text());
      Next();
      return;
    }
    case INTEGER:
    case REAL:
    case LOGICAL:
      return;
    default:
      if (!bBody) Error(L"Missing data type...");
  }
}

// dimension = "(" n ")" | "(" lo ":" hi ")"; the current token is "(" and
// stays on the ")".
CFortranParser::CDimension CFortranParser::ReadDimension() {
  CDimension dim;
  dim.m_bGiven = true;
  if (Next() != ICONST || DigitsValue(Text()) < 0) Error(L"missing dimension");
  dim.m_nFirst = static_cast<std::int32_t>(DigitsValue(Text()));
  if (Next() == DOPPELPUNKT) {
    if (Next() != ICONST || DigitsValue(Text()) < 0) Error(L"missing dimension");
    dim.m_bRange = true;
    dim.m_nLast = static_cast<std::int32_t>(DigitsValue(Text()));
    Next();
  }
  if (Tok() != KLAMMZU) Error(L"missing ')'");
  return dim;
}

// Elements of a dimension whose lower bound is nLower: hi - lo + 1 for lo:hi,
// n - nLower + 1 for (n); 0 when no dimension was given. A count beyond the
// INTEGER range is the largest one, which no cell can hold (a cut count would
// turn the array into a scalar).
std::int32_t CFortranParser::DimensionCount(const CDimension& dim, std::int32_t nLower) const {
  if (!dim.m_bGiven) return 0;
  const std::int64_t nLast = dim.m_bRange ? dim.m_nLast : dim.m_nFirst;
  const std::int64_t n = nLast - nLower + 1;
  if (n < 0) m_Context.ReportError(L"Bad dimension");
  return static_cast<std::int32_t>(
      std::min<std::int64_t>(n, std::numeric_limits<std::int32_t>::max()));
}

std::uint32_t CFortranParser::Register(CVdiVar& var) {
  const std::uint32_t nId = m_List.RegisterVar(&var);
  if (nId == 0) Error(L"Too many variables in one function list (at most 4095)");
  return nId;
}

CvdiFunction* CFortranParser::NewFunction(const CString& name) {
  auto f = std::make_unique<CvdiFunction>();
  f->m_strName = name;
  Register(f->m_result);
  m_List.m_listFunctions.push_back(std::move(f));
  return m_List.m_listFunctions.back().get();
}

void CFortranParser::DropFunction(CvdiFunction* f) {
  auto& list = m_List.m_listFunctions;
  auto it = std::find_if(list.begin(), list.end(), [&](const auto& p) { return p.get() == f; });
  if (it == list.end()) return;
  m_List.UnregisterVar(f->m_result.m_nId);
  for (auto& p : f->m_listParameters) m_List.UnregisterVar(p->m_nId);
  for (auto& p : f->m_listLocals) m_List.UnregisterVar(p->m_nId);
  list.erase(it);
}

// bodies = function {function}
void CFortranParser::ParseBodiesText(const wchar_t* text) {
  const wchar_t* p = StartText(text);
  if (p == nullptr) return;
  for (;;) {
    while (*p == L' ' || *p == L'\t') ++p;
    if (!ParseOneFunction(p)) return;
    if (RestIsEmpty() || m_Context.m_bError) return;
    p = m_Scanner.scanPosition();
  }
}

// function = type ["(" dimension ")"] FUNCTION name "(" [names] ")" CRLF block
// Returns false when the text must not be parsed further.
bool CFortranParser::ParseOneFunction(const wchar_t* pStart) {
  CvdiFunction* f = nullptr;
  bool bCreated = false;
  try {
    enPCode eType = Next();
    std::int32_t nLength = 0;
    ReadType(eType, nLength, true);
    CDimension dim;
    if (Next() == KLAMMAUF) {
      dim = ReadDimension();
      Next();
    }
    if (Tok() != FUNCTION) Error(L"Missing <FUNCTION>...");
    if (Next() != SYMBOL) Error(L"Missing symbol name...");
    const CString name = Text();
    for (const auto& p : m_List.m_listFunctions) {
      if (p->m_strName == name) f = p.get();
    }
    if (f == nullptr) {
      f = NewFunction(name);
      bCreated = true;
    }
    if (!f->m_code.empty()) {
      ShowMessage(MB_OK | MB_ICONINFORMATION, L"Funktion<%s> ist doppelt?", name);
      SkipDuplicateBody();
      return true;
    }
    m_pFunction = f;
    f->m_pList = &m_List;
    f->m_bComplete = false;
    const std::int32_t nLower = dim.m_bRange ? dim.m_nFirst : 1;
    if (!f->m_result.setType(eType, nLength, DimensionCount(dim, nLower), nLower)) {
      Error(L"Variable too big");
    }
    f->m_code.reserve(pcode::kInitialWords);
    EmitSourceLine(pStart);
    f->m_strName = name;
    Next();
    CDebugScope scope(m_Context.m_debugStack, name, m_Scanner.GetLine());
    ParseBlock(FUNCTION);
    f->m_bComplete = true;
  } catch (...) {
    Finalise(f);
    if (bCreated) DropFunction(f);
    m_pFunction = nullptr;
    throw;
  }
  Finalise(f);
  m_pFunction = nullptr;
  return true;
}

// A second definition of a parsed function is skipped up to its END FUNCTION.
void CFortranParser::SkipDuplicateBody() {
  for (enPCode t = Next(); t != nNONE; t = Next()) {
    if (t == CRLF) m_Scanner.SetLine(m_Scanner.GetLine() + 1);
    if (t == END && Next() == FUNCTION) {
      Next();
      if (Next() == CRLF) m_Scanner.SetLine(m_Scanner.GetLine() + 1);
      return;
    }
  }
}

void CFortranParser::Finalise(CvdiFunction* f) {
  if (f != nullptr) f->m_code.shrink_to_fit();
}

std::size_t CFortranParser::Here() const { return m_pFunction->m_code.size(); }

void CFortranParser::Emit(std::uint32_t word) {
  auto& code = m_pFunction->m_code;
  if (code.size() >= pcode::kMaxWords) Error(L"Function too long: more than 32766 words of p-code");
  code.push_back(static_cast<std::uint16_t>(word));
}

void CFortranParser::Insert(std::size_t nPos, std::uint32_t word) {
  auto& code = m_pFunction->m_code;
  if (code.size() >= pcode::kMaxWords) Error(L"Function too long: more than 32766 words of p-code");
  code.insert(code.begin() + static_cast<std::ptrdiff_t>(nPos), static_cast<std::uint16_t>(word));
}

void CFortranParser::PatchTarget(std::size_t nPos, std::size_t nTargetWord) {
  m_pFunction->m_code[nPos] = static_cast<std::uint16_t>(nTargetWord * 2);
}

namespace {

std::size_t Utf16Length(std::wstring_view text) {
  std::size_t n = 0;
  for (wchar_t c : text) n += static_cast<std::uint32_t>(c) > 0xFFFF ? 2 : 1;
  return n;
}

}  // namespace

// Text as UTF-16 units (a character beyond the BMP as a surrogate pair).
void CFortranParser::EmitUnits(std::wstring_view text) {
  for (wchar_t c : text) {
    const auto u = static_cast<std::uint32_t>(c);
    if (u > 0xFFFF && u <= 0x10FFFF) {
      Emit(0xD800 + ((u - 0x10000) >> 10));
      Emit(0xDC00 + ((u - 0x10000) & 0x3FF));
    } else {
      Emit(u > 0xFFFF ? 0xFFFD : u);
    }
  }
}

// op + n, then the n units (CCONST, CALL); n must fit the 12-bit operand.
void CFortranParser::EmitText(std::uint16_t op, std::wstring_view text) {
  const std::size_t n = Utf16Length(text);
  if (n > pcode::kMaxOperand) Error(L"Text constant or name too long (more than 4095 characters)");
  Emit(op + static_cast<std::uint32_t>(n));
  EmitUnits(text);
}

// SRCLINE, line number, n, the n units of the line starting at pLine.
void CFortranParser::EmitSourceLine(const wchar_t* pLine) {
  const wchar_t* pEnd = pLine;
  while (*pEnd != 0 && *pEnd != L'\r' && *pEnd != L'\n') ++pEnd;
  const std::wstring_view line(pLine, static_cast<std::size_t>(pEnd - pLine));
  Emit(SRCLINE);
  Emit(static_cast<std::uint32_t>(std::clamp(m_Scanner.GetLine(), 0, 0xFFFF)));
  Emit(static_cast<std::uint32_t>(std::min<std::size_t>(Utf16Length(line), 0xFFFF)));
  EmitUnits(line);
}
