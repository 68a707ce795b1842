// Conditions of IF and DO WHILE, skipping expressions, argument lists.
#include <cmath>

#include "formula/formula_runtime.h"
#include "formula/pcode.h"
#include "formula/value_ops.h"

using CVdiVar = CvdiFunction::CVdiVar;
using namespace formula;

namespace {

bool LogicalTruth(const CVdiVar& v) { return v.m_eType == LOGICAL && v.m_nValue != 0; }

}  // namespace

// The outermost operation of a condition decides: relations compare numbers
// with a tolerance of 1e-10 and texts by their characters; only LOGICAL
// values are true.
bool CFormulaRuntime::EvaluateCondition(CCodeCursor& cur) {
  const std::uint16_t op = pcode::OpOf(Peek(cur));
  switch (op) {
    case TRUE:
    case FALSE:
      ++cur.m_nPos;
      return op == TRUE;
    case ICONST:
      ++cur.m_nPos;
      return FetchInt32(cur) != 0;
    case EQ:
    case NQ:
    case GT:
    case GE:
    case LT:
    case LE:
      ++cur.m_nPos;
      return CompareInCondition(op, cur);
    case AND:
    case OR:
    case EQV:
    case NEQV: {
      ++cur.m_nPos;
      CVdiVar a, b;
      Evaluate(a, cur);
      Evaluate(b, cur);
      if (a.m_eType != LOGICAL || b.m_eType != LOGICAL) return false;
      const bool x = a.m_nValue != 0, y = b.m_nValue != 0;
      if (op == AND) return x && y;
      if (op == OR) return x || y;
      return op == EQV ? x == y : x != y;
    }
    case NOT: {
      ++cur.m_nPos;
      CVdiVar a;
      Evaluate(a, cur);
      return a.m_eType == LOGICAL && a.m_nValue == 0;
    }
    default: {
      CVdiVar a;
      Evaluate(a, cur);
      return LogicalTruth(a);
    }
  }
}

bool CFormulaRuntime::CompareInCondition(std::uint16_t op, CCodeCursor& cur) {
  CVdiVar a, b;
  Evaluate(a, cur);
  Evaluate(b, cur);
  if (a.m_eType == CHARACTER && b.m_eType == CHARACTER) {
    const int n = a.GetText().compare(b.GetText());
    switch (op) {
      case EQ:
        return n == 0;
      case NQ:
        return n != 0;
      case GT:
        return n > 0;
      case GE:
        return n >= 0;
      case LT:
        return n < 0;
      default:
        return n <= 0;
    }
  }
  if (IsNumeric(a.m_eType) && IsNumeric(b.m_eType)) {
    return CompareNear(op, AsDouble(a), AsDouble(b));
  }
  if (a.m_eType == LOGICAL && b.m_eType == LOGICAL && (op == EQ || op == NQ)) {
    return ((a.m_nValue != 0) == (b.m_nValue != 0)) == (op == EQ);
  }
  const bool bTyped = a.m_eType == CHARACTER || a.m_eType == LOGICAL || b.m_eType == CHARACTER ||
                      b.m_eType == LOGICAL;
  if (bTyped && a.m_eType != b.m_eType) Error(L"Different data types");
  Error(L"Unknown data type handler");
}

void CFormulaRuntime::SkipExpression(CCodeCursor& cur) {
  CDepthGuard guard(*this);
  const std::uint16_t word = Fetch(cur);
  const std::uint16_t op = pcode::OpOf(word);
  auto skipWords = [&](std::size_t n) {
    if (n > cur.m_nSize - cur.m_nPos) Error(L"Syntax");
    cur.m_nPos += n;
  };
  auto skipArgs = [&] {
    Expect(cur, KLAMMAUF, L"Missing '('");
    while (Peek(cur) != KLAMMZU) SkipExpression(cur);
    ++cur.m_nPos;
  };
  if ((op >= PLUS && op <= POTENZ && op != PI) || (op >= EQ && op <= NEQV) || op == MOD) {
    SkipExpression(cur);
    SkipExpression(cur);
  } else if (op == NOT || op == VARVALAT || (op >= SIN && op <= EXP) ||
             (op >= CHAR && op <= NINT)) {
    SkipExpression(cur);
  } else if (op == ICONST || op == RCONST) {
    skipWords(2);
  } else if (op == CCONST) {
    skipWords(pcode::OperandOf(word));
  } else if (op == CALL) {
    skipWords(pcode::OperandOf(word));
    skipArgs();
  } else if (op == MIN || op == MAX || (op >= VDICWERT && op <= VDIRSTRING) ||
             op == VDIINDEXEXIST) {
    skipArgs();
  } else if (op == ARRAYSTART) {
    while (Peek(cur) != ARRAYEND) SkipExpression(cur);
    ++cur.m_nPos;
  } else if (op != VARVAL && op != TRUE && op != FALSE && op != PI) {
    Error(L"Syntax");
  }
}

CFormulaArgs::CFormulaArgs(CFormulaRuntime& runtime, CCodeCursor& cur)
    : m_Runtime(runtime), m_Cursor(cur) {
  m_Runtime.Expect(m_Cursor, KLAMMAUF, L"Missing '('");
}

bool CFormulaArgs::AtEnd() { return m_Runtime.Peek(m_Cursor) == KLAMMZU; }

void CFormulaArgs::Next(CVdiVar& cell) {
  if (AtEnd()) m_Runtime.Error(L"Missing function parameter");
  m_Runtime.Evaluate(cell, m_Cursor);
}

std::uint32_t CFormulaArgs::NextVariableId() {
  const std::uint16_t word = m_Runtime.Peek(m_Cursor);
  if (pcode::OpOf(word) != VARVAL) return 0;
  ++m_Cursor.m_nPos;
  return pcode::OperandOf(word);
}

void CFormulaArgs::Finish() {
  while (!AtEnd()) m_Runtime.SkipExpression(m_Cursor);
  ++m_Cursor.m_nPos;
}
