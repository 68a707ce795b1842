// The numeric fast path of the evaluator: INTEGER, REAL and DOUBLE PRECISION
// expressions of scalars, elements, constants, + - * / ** and MOD, computed
// on plain numbers without value cells. It gives up (returns false) on
// anything else and on every case the general evaluator would report; the
// caller then rewinds the cursor and evaluates the expression the general
// way, which has the same results. Nothing here has side effects, so the
// retry is safe.
#include <cmath>
#include <cstring>

#include "formula/formula_runtime.h"
#include "formula/pcode.h"
#include "formula/value_ops.h"

using CVdiVar = CvdiFunction::CVdiVar;
using namespace formula;

namespace {

bool LoadScalar(const CVdiVar& var, CNumber& out) {
  out.m_eType = var.m_eType;
  switch (var.m_eType) {
    case INTEGER:
      out.m_nValue = var.m_nValue;
      return true;
    case REAL:
      out.m_fValue = var.m_fValue;
      return true;
    case DOUBLE:
      out.m_dValue = var.m_dValue;
      return true;
    default:
      return false;
  }
}

bool LoadElement(const CVdiVar& var, std::size_t k, CNumber& out) {
  out.m_eType = var.m_eType;
  switch (var.m_eType) {
    case INTEGER:
      out.m_nValue = static_cast<const std::int32_t*>(var.GetData())[k];
      return true;
    case REAL:
      out.m_fValue = static_cast<const float*>(var.GetData())[k];
      return true;
    case DOUBLE:
      out.m_dValue = static_cast<const double*>(var.GetData())[k];
      return true;
    default:
      return false;
  }
}

}  // namespace

// An operand: variables and constants are read here, anything else by
// EvaluateNumber (most operands are leaves; this saves a call for each).
bool CFormulaRuntime::EvaluateOperand(CCodeCursor& cur, CNumber& out) {
  if (cur.m_nPos >= cur.m_nSize) return false;
  const std::uint16_t word = cur.m_pCode[cur.m_nPos];
  if (pcode::OpOf(word) == VARVAL) {
    ++cur.m_nPos;
    const CVdiVar* var = cur.m_pFunction->m_pList->FindVar(pcode::OperandOf(word));
    return var != nullptr && var->m_nCount == 0 && LoadScalar(*var, out);
  }
  if (word == ICONST && cur.m_nSize - cur.m_nPos >= 3) {
    out.m_eType = INTEGER;
    out.m_nValue =
        static_cast<std::int32_t>(cur.m_pCode[cur.m_nPos + 1] |
                                  (static_cast<std::uint32_t>(cur.m_pCode[cur.m_nPos + 2]) << 16));
    cur.m_nPos += 3;
    return true;
  }
  ++m_nDepth;
  const bool bOk = EvaluateNumber(cur, out);
  --m_nDepth;
  return bOk;
}

bool CFormulaRuntime::EvaluateNumber(CCodeCursor& cur, CNumber& out) {
  if (cur.m_nPos >= cur.m_nSize || m_nDepth >= kMaxDepth) return false;
  const std::uint16_t word = cur.m_pCode[cur.m_nPos++];
  const std::uint16_t op = pcode::OpOf(word);
  switch (op) {
    case VARVAL: {
      const CVdiVar* var = cur.m_pFunction->m_pList->FindVar(pcode::OperandOf(word));
      return var != nullptr && var->m_nCount == 0 && LoadScalar(*var, out);
    }
    case VARVALAT: {
      const CVdiVar* var = cur.m_pFunction->m_pList->FindVar(pcode::OperandOf(word));
      CNumber index;
      if (var == nullptr || !EvaluateNumber(cur, index) || index.m_eType != INTEGER) return false;
      if (var->m_nCount == 0) return index.m_nValue <= 0 && LoadScalar(*var, out);
      const std::int64_t k = static_cast<std::int64_t>(index.m_nValue) - var->m_nLower;
      if (index.m_nValue > var->m_nCount || k < 0 ||
          static_cast<std::uint64_t>(k) >= var->GetElementCount()) {
        return false;
      }
      return LoadElement(*var, static_cast<std::size_t>(k), out);
    }
    case ICONST:
    case RCONST: {
      if (cur.m_nSize - cur.m_nPos < 2) return false;
      const std::uint32_t nBits =
          cur.m_pCode[cur.m_nPos] | (static_cast<std::uint32_t>(cur.m_pCode[cur.m_nPos + 1]) << 16);
      cur.m_nPos += 2;
      out.m_eType = op == ICONST ? INTEGER : REAL;
      std::memcpy(op == ICONST ? static_cast<void*>(&out.m_nValue) : &out.m_fValue, &nBits, 4);
      return true;
    }
    case PLUS:
    case MINUS:
    case MUL:
    case DIV:
    case POTENZ:
    case MOD: {
      CNumber a, b;
      if (!EvaluateOperand(cur, a) || !EvaluateOperand(cur, b)) return false;
      if (op != MOD) {
        Promote(a, b);
        Arithmetic(op, a, b, out);
        return true;
      }
      if (a.m_eType == INTEGER) {
        std::int32_t nDivisor = b.m_nValue;
        if (b.m_eType != INTEGER && !ToInt32(AsDouble(b), nDivisor)) return false;
        if (nDivisor == 0) return false;
        out.m_eType = INTEGER;
        out.m_nValue = IntegerModulo(a.m_nValue, nDivisor);
        return true;
      }
      const double y = AsDouble(b);
      if (y == 0) return false;
      const double r = std::fmod(AsDouble(a), y);
      out.m_eType = a.m_eType == DOUBLE || b.m_eType == DOUBLE ? DOUBLE : REAL;
      if (out.m_eType == DOUBLE) {
        out.m_dValue = r;
      } else {
        out.m_fValue = static_cast<float>(r);
      }
      return true;
    }
    default:
      return false;
  }
}
