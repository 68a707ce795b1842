// Expressions, compiled to prefix p-code: an operator word is inserted before
// the code of its left operand once the operator is seen. Precedence, from
// the loosest: array constructor; .EQV. .NEQV.; .OR.; .AND.; .NOT.;
// relations (nesting to the right); + -; * (nesting to the right); /; **
// (one only); unary minus and primaries. "/" binding tighter than "*" is the
// language's own rule: A * B / C is A * (B / C).
#include <cmath>
#include <cstring>
#include <cwchar>

#include "formula/fortran_parser.h"
#include "formula/pcode.h"
#include "platform/format.h"

namespace {

void SplitWords(std::uint32_t nBits, std::uint32_t& nLow, std::uint32_t& nHigh) {
  nLow = nBits & 0xFFFF;
  nHigh = nBits >> 16;
}

bool IsOneArgIntrinsic(enPCode t) {
  return (t >= SIN && t <= EXP) || t == CHAR || t == ICHAR || t == INT || t == NINT;
}

bool IsDataFunction(enPCode t) { return (t >= VDICWERT && t <= VDIRSTRING) || t == VDIINDEXEXIST; }

bool IsRelation(enPCode t) { return t >= EQ && t <= NQ; }

}  // namespace

// expression = array-constructor | eqv
void CFortranParser::ParseExpression() {
  CNesting nesting(*this);
  if (Tok() == ARRAYSTART) {
    ParseArrayConstructor();
  } else {
    ParseEqv();
  }
}

// array-constructor = "(/" expression {"," expression} "/)"
void CFortranParser::ParseArrayConstructor() {
  Emit(ARRAYSTART);
  do {
    Next();
    ParseExpression();
  } while (Tok() == KOMMA);
  if (Tok() == ARRAYEND) {
    Emit(ARRAYEND);
    Next();
  }
}

// eqv = or {(".EQV." | ".NEQV.") or}
void CFortranParser::ParseEqv() {
  const std::size_t nStart = Here();
  ParseOr();
  while (Tok() == EQV || Tok() == NEQV) {
    Insert(nStart, Tok());
    Next();
    ParseOr();
  }
}

// or = and {".OR." and}
void CFortranParser::ParseOr() {
  const std::size_t nStart = Here();
  ParseAnd();
  while (Tok() == OR) {
    Insert(nStart, OR);
    Next();
    ParseAnd();
  }
}

// and = not {".AND." not}
void CFortranParser::ParseAnd() {
  const std::size_t nStart = Here();
  ParseNot();
  while (Tok() == AND) {
    Insert(nStart, AND);
    Next();
    ParseNot();
  }
}

// not = {".NOT."} relation
void CFortranParser::ParseNot() {
  while (Tok() == NOT) {
    Emit(NOT);
    Next();
  }
  ParseRelation();
}

// relation = additive [relop relation]
void CFortranParser::ParseRelation() {
  const std::size_t nStart = Here();
  ParseAdditive();
  if (IsRelation(Tok())) {
    CNesting nesting(*this);
    Insert(nStart, Tok());
    Next();
    ParseRelation();
  }
}

// additive = mul {("+" | "-") mul}
void CFortranParser::ParseAdditive() {
  const std::size_t nStart = Here();
  ParseMul();
  while (Tok() == PLUS || Tok() == MINUS) {
    Insert(nStart, Tok());
    Next();
    ParseMul();
  }
}

// mul = div ["*" mul]
void CFortranParser::ParseMul() {
  const std::size_t nStart = Here();
  ParseDiv();
  if (Tok() == MUL) {
    CNesting nesting(*this);
    Insert(nStart, MUL);
    Next();
    ParseMul();
  }
}

// div = power {"/" power}
void CFortranParser::ParseDiv() {
  const std::size_t nStart = Here();
  ParsePower();
  while (Tok() == DIV) {
    Insert(nStart, DIV);
    Next();
    ParsePower();
  }
}

// power = primary ["**" primary]
void CFortranParser::ParsePower() {
  const std::size_t nStart = Here();
  ParsePrimary();
  if (Tok() == POTENZ) {
    Insert(nStart, POTENZ);
    Next();
    ParsePrimary();
  }
}

// primary = "-" primary | "(" expression ")" | constant | .TRUE. | .FALSE. | PI
//         | intrinsic "(" expression ")" | MOD "(" expression "," expression ")"
//         | (MIN | MAX | data-function) args | name ["(" index ")"] | name args
void CFortranParser::ParsePrimary() {
  CNesting nesting(*this);
  const enPCode t = Tok();
  if (t == MINUS) {
    Emit(MINUS);
    Emit(ICONST);
    Emit(0);
    Emit(0);
    Next();
    ParsePrimary();
  } else if (t == KLAMMAUF) {
    Next();
    ParseExpression();
    Next();
  } else if (t == ICONST) {
    EmitIntegerConstant(Text());
    Next();
  } else if (t == RCONST) {
    const float f = static_cast<float>(std::wcstod(Text().c_str(), nullptr));
    std::uint32_t nBits = 0;
    std::memcpy(&nBits, &f, sizeof(nBits));
    std::uint32_t nLow = 0, nHigh = 0;
    SplitWords(nBits, nLow, nHigh);
    Emit(RCONST);
    Emit(nLow);
    Emit(nHigh);
    Next();
  } else if (t == CCONST) {
    EmitText(CCONST, Text());
    Next();
  } else if (t == TRUE || t == FALSE || t == PI) {
    Next();
    Emit(t);
  } else if (IsOneArgIntrinsic(t)) {
    Emit(t);
    Next();
    Next();
    ParseExpression();
    Next();
  } else if (t == MOD) {
    Emit(MOD);
    Next();
    Next();
    ParseExpression();
    Next();
    ParseExpression();
    Next();
  } else if (t == MIN || t == MAX || IsDataFunction(t)) {
    Emit(t);
    Next();
    ParseArgList();
  } else if (t == SYMBOL) {
    ParseSymbol();
  }
}

// A variable, an element of one, or a call of a function of the list (the
// callee is looked up when the call runs).
void CFortranParser::ParseSymbol() {
  const CString name = Text();
  const CvdiFunction::CVdiVar* var = m_pFunction->FindParameter(name);
  if (var == nullptr) var = m_pFunction->FindLocal(name);
  const bool bIndex = Next() == KLAMMAUF;
  if (var != nullptr && bIndex) {
    Emit(VARVALAT + var->m_nId);
    Next();
    ParseExpression();
    if (Tok() != KLAMMZU) Error(L"missing ')'");
    Next();
  } else if (var != nullptr) {
    Emit(VARVAL + var->m_nId);
  } else if (bIndex) {
    EmitText(CALL, name);
    ParseArgList();
  } else {
    Error(Format(L"Unknown identifier: %s", name));
  }
}

// An integer literal. The digits give the value; an exponent ("1E5") scales
// it, so that the literal means what it says: a whole result within INTEGER
// stays an INTEGER constant, anything else becomes a REAL constant.
void CFortranParser::EmitIntegerConstant(const CString& text) {
  std::uint32_t nBits = 0;
  enPCode eOp = ICONST;
  const std::int64_t nDigits = DigitsValue(text);
  if (text.find(L'E') == CString::npos) {
    if (nDigits < 0) Error(Format(L"INTEGER constant too big: %s", text));
    nBits = static_cast<std::uint32_t>(nDigits);
  } else {
    const double d = std::wcstod(text.c_str(), nullptr);
    if (d == std::floor(d) && d <= 2147483647.0) {
      nBits = static_cast<std::uint32_t>(static_cast<std::int32_t>(d));
    } else {
      const float f = static_cast<float>(d);
      std::memcpy(&nBits, &f, sizeof(nBits));
      eOp = RCONST;
    }
  }
  std::uint32_t nLow = 0, nHigh = 0;
  SplitWords(nBits, nLow, nHigh);
  Emit(eOp);
  Emit(nLow);
  Emit(nHigh);
}
