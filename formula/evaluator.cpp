// Expression evaluation: walks the prefix p-code recursively into value cells.
#include <cmath>
#include <cstring>

#include "formula/formula_runtime.h"
#include "formula/pcode.h"
#include "formula/value_ops.h"
#include "platform/format.h"

using CVdiVar = CvdiFunction::CVdiVar;
using namespace formula;

namespace {

bool IsOneArgIntrinsic(std::uint16_t op) {
  return (op >= SIN && op <= EXP) || op == CHAR || op == ICHAR || op == INT || op == NINT;
}

bool Truth(const CVdiVar& cell) {
  return cell.m_eType == REAL ? cell.m_fValue != 0 : cell.m_nValue != 0;
}

}  // namespace

void CFormulaRuntime::Evaluate(CVdiVar& cell, CCodeCursor& cur) {
  CDepthGuard guard(*this);
  const std::uint16_t word = Fetch(cur);
  const std::uint16_t op = pcode::OpOf(word);
  switch (op) {
    case VARVAL:
      EvaluateVariable(cell, pcode::OperandOf(word), cur);
      return;
    case ICONST:
      SetInteger(cell, FetchInt32(cur));
      return;
    case PLUS:
    case MINUS:
    case MUL:
    case DIV:
    case POTENZ:
    case EQ:
    case GE:
    case GT:
    case LE:
    case LT:
    case NQ:
      EvaluateBinary(op, cell, cur);
      return;
    case VARVALAT:
      EvaluateElement(cell, pcode::OperandOf(word), cur);
      return;
    case CCONST:
      SetText(cell, FetchText(cur, pcode::OperandOf(word)));
      return;
    case RCONST: {
      const std::int32_t nBits = FetchInt32(cur);
      float f = 0;
      std::memcpy(&f, &nBits, sizeof(f));
      SetReal(cell, f);
      return;
    }
    case TRUE:
    case FALSE:
      SetLogical(cell, op == TRUE);
      return;
    case PI:
      SetReal(cell, static_cast<float>(4 * std::atan(1.0)));
      return;
    case AND:
    case OR:
    case EQV:
    case NEQV:
    case NOT:
      EvaluateLogical(op, cell, cur);
      return;
    case MOD:
      EvaluateMod(cell, cur);
      return;
    case MIN:
    case MAX:
      EvaluateMinMax(op, cell, cur);
      return;
    case CALL:
      EvaluateCall(cell, cur, pcode::OperandOf(word));
      return;
    case ARRAYSTART:
      Error(L"Init. list used as a value");
    default:
      break;
  }
  if (IsOneArgIntrinsic(op)) {
    EvaluateIntrinsic(op, cell, cur);
    return;
  }
  if ((op >= VDICWERT && op <= VDIRSTRING) || op == VDIINDEXEXIST) {
    CFormulaArgs args(*this, cur);
    if (op == VDISTRING || op == VDICSTRING || op == VDIISTRING || op == VDIRSTRING) {
      EvaluateVdiString(static_cast<enPCode>(op), args, cell);
    } else if (m_Context.m_pRecordAccess != nullptr) {
      m_Context.m_pRecordAccess->Evaluate(static_cast<enPCode>(op), args, cell);
    } else {
      Error(Format(L"%s: no product records are bound", CFortranScanner::tokenName(op)));
    }
    return;
  }
  Error(L"Syntax");
}

void CFormulaRuntime::EvaluateVariable(CVdiVar& cell, std::uint32_t nId, const CCodeCursor& cur) {
  const CVdiVar* var = cur.m_pFunction->m_pList->FindVar(nId);
  if (var == nullptr) Error(L"Syntax");
  if (var->m_nCount != 0) Error(Format(L"Array %s used as a value", var->m_strName));
  if (var->m_eType == CHARACTER) {
    cell.setType(CHARACTER, var->m_nLength, 0, 0);
    cell.SetText(var->GetText());
    return;
  }
  Reset(cell);
  cell.m_eType = var->m_eType;
  cell.m_nLength = var->m_nLength;
  cell.m_nLower = var->m_nLower;
  cell.m_dValue = var->m_dValue;
}

void CFormulaRuntime::EvaluateElement(CVdiVar& cell, std::uint32_t nId, CCodeCursor& cur) {
  const CVdiVar* var = cur.m_pFunction->m_pList->FindVar(nId);
  if (var == nullptr) Error(L"Syntax");
  CVdiVar index;
  Evaluate(index, cur);
  if (index.m_eType != INTEGER) Error(L"INTEGER value missing as index");
  const std::int32_t nIndex = index.m_nValue;
  if (nIndex > var->m_nCount) Error(L"Index too big");
  if (var->m_nCount == 0) {
    EvaluateVariable(cell, nId, cur);
    return;
  }
  if (nIndex < var->m_nLower) Error(L"Index below the lower bound");
  const auto k = static_cast<std::size_t>(static_cast<std::int64_t>(nIndex) - var->m_nLower);
  if (k >= var->GetElementCount()) Error(L"Index too big");
  switch (var->m_eType) {
    case CHARACTER:
      cell.setType(CHARACTER, var->m_nLength, 0, 0);
      cell.SetText(var->GetText(k));
      return;
    case REAL:
      SetReal(cell, static_cast<const float*>(var->GetData())[k]);
      return;
    case DOUBLE:
      SetDouble(cell, static_cast<const double*>(var->GetData())[k]);
      return;
    default:
      SetInteger(cell, static_cast<const std::int32_t*>(var->GetData())[k]);
      cell.m_eType = var->m_eType;
      return;
  }
}

// Arithmetic and relations of two promoted operands.
void CFormulaRuntime::EvaluateBinary(std::uint16_t op, CVdiVar& cell, CCodeCursor& cur) {
  CVdiVar a, b;
  Evaluate(a, cur);
  Evaluate(b, cur);
  Promote(a, b);
  if (a.m_eType != b.m_eType) Error(L"Different data types");
  if (op <= POTENZ) {
    if (!IsNumeric(a.m_eType)) Error(L"Arithmetic needs INTEGER, REAL or DOUBLE PRECISION values");
    Arithmetic(op, a, b, cell);
    return;
  }
  int nOrder = 0;  // <0, 0, >0 like a compared with b
  if (a.m_eType == CHARACTER) {
    nOrder = a.GetText().compare(b.GetText());
  } else if (IsNumeric(a.m_eType)) {
    const double x = AsDouble(a), y = AsDouble(b);
    if (std::isnan(x) || std::isnan(y)) {
      SetLogical(cell, op == NQ);
      return;
    }
    nOrder = x < y ? -1 : (x > y ? 1 : 0);
  } else if (a.m_eType == LOGICAL && (op == EQ || op == NQ)) {
    nOrder = Truth(a) == Truth(b) ? 0 : 1;
  } else {
    Error(L"Unknown data type handler");
  }
  bool b1 = false;
  switch (op) {
    case EQ:
      b1 = nOrder == 0;
      break;
    case NQ:
      b1 = nOrder != 0;
      break;
    case GT:
      b1 = nOrder > 0;
      break;
    case GE:
      b1 = nOrder >= 0;
      break;
    case LT:
      b1 = nOrder < 0;
      break;
    default:
      b1 = nOrder <= 0;
      break;
  }
  SetLogical(cell, b1);
}

void CFormulaRuntime::EvaluateLogical(std::uint16_t op, CVdiVar& cell, CCodeCursor& cur) {
  CVdiVar a;
  Evaluate(a, cur);
  if (op == NOT) {
    SetLogical(cell, a.m_eType == LOGICAL && !Truth(a));
    return;
  }
  CVdiVar b;
  Evaluate(b, cur);
  auto accepted = [op](const CVdiVar& v) {
    return v.m_eType == INTEGER || v.m_eType == LOGICAL || (op == AND && v.m_eType == REAL);
  };
  if (!accepted(a) || !accepted(b)) Error(L"Bad argument");
  const bool x = Truth(a), y = Truth(b);
  switch (op) {
    case AND:
      SetLogical(cell, x && y);
      break;
    case OR:
      SetLogical(cell, x || y);
      break;
    case EQV:
      SetLogical(cell, x == y);
      break;
    default:
      SetLogical(cell, x != y);
      break;
  }
}
