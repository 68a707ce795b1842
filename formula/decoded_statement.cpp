// Decoding of one statement (see decoded_statement.h). The rules mirror the
// general evaluator's: binary operations promote INTEGER to REAL and either
// to DOUBLE PRECISION, relations inside an expression compare the promoted
// values exactly, the outermost relation of a condition compares the values
// as they are with the tolerance, assignments convert to the target's type.
#include "formula/decoded_statement.h"

#include <cmath>
#include <cstring>

#include "formula/pcode.h"

using namespace decoded;
using formula::CNumber;
using formula::IsNumeric;

namespace {

// Deeper expressions are left to the general evaluator, which bounds them.
constexpr int kMaxDepth = 200;

enPCode Common(enPCode a, enPCode b) {
  if (a == b) return a;
  return a == DOUBLE || b == DOUBLE ? DOUBLE : REAL;
}

// The operation of PLUS ... POTENZ on operands of one numeric type.
EOp Typed(std::uint16_t op, enPCode eType) {
  static constexpr EOp kOps[3][5] = {{kAddI, kSubI, kMulI, kDivI, kPowI},
                                     {kAddR, kSubR, kMulR, kDivR, kPowR},
                                     {kAddD, kSubD, kMulD, kDivD, kPowD}};
  const int nType = eType == INTEGER ? 0 : (eType == REAL ? 1 : 2);
  return kOps[nType][op - PLUS];
}

EOp Conversion(enPCode eFrom, enPCode eTo) {
  if (eFrom == INTEGER) return eTo == REAL ? kI2R : kI2D;
  if (eFrom == REAL) return eTo == DOUBLE ? kR2D : kR2I;
  return eTo == REAL ? kD2R : kD2I;
}

}  // namespace

std::int32_t CStatementDecoder::Decode() {
  const std::size_t nFirst = m_Code.m_listOps.size();
  m_nFirstOp = nFirst;
  std::uint16_t word = 0;
  bool bOk = Fetch(word);
  if (bOk) {
    switch (pcode::OpOf(word)) {
      case ASSIGN:
        bOk = Assign(pcode::OperandOf(word));
        break;
      case ASSIGNAT:
        bOk = AssignElement(pcode::OperandOf(word));
        break;
      case IF:
        bOk = If();
        break;
      default:
        bOk = false;
        break;
    }
  }
  if (!bOk) {
    m_Code.m_listOps.resize(nFirst);
    return kGeneral;
  }
  return static_cast<std::int32_t>(nFirst);
}

// ASSIGN id, value: a numeric or LOGICAL scalar.
bool CStatementDecoder::Assign(std::uint32_t nId) {
  const std::uint32_t nSlot = m_Code.SlotOf(nId);
  if (nSlot == kNone || m_Code.m_listSlots[nSlot].m_bArray) return false;
  const CSlot slot = m_Code.m_listSlots[nSlot];
  COperand value;
  if (!Expression(value, 0)) return false;
  const bool bFits = slot.m_eType == LOGICAL ? value.m_eType == LOGICAL : IsNumeric(value.m_eType);
  if (!bFits || !Convert(value, slot.m_eType, slot.m_nValue)) return false;
  COp next;
  next.m_nA = nSlot;
  next.m_nEdge1 = m_Code.EdgeAt(m_nPos);
  m_Code.m_listOps.push_back(next);
  return true;
}

// ASSIGNAT id, index, value: an element of a numeric array.
bool CStatementDecoder::AssignElement(std::uint32_t nId) {
  const std::uint32_t nSlot = m_Code.SlotOf(nId);
  if (nSlot == kNone || !m_Code.m_listSlots[nSlot].m_bArray) return false;
  const enPCode eType = m_Code.m_listSlots[nSlot].m_eType;
  COperand index, value;
  if (!Expression(index, 0) || index.m_eType != INTEGER) return false;
  if (!Expression(value, 0) || !IsNumeric(value.m_eType) || !Convert(value, eType)) return false;
  COp store;
  store.m_eOp = eType == INTEGER ? kStoreI : (eType == REAL ? kStoreR : kStoreD);
  store.m_nDst = nSlot;
  store.m_nA = index.m_nIndex;
  store.m_nB = value.m_nIndex;
  m_Code.m_listOps.push_back(store);
  COp next;
  next.m_nA = nSlot;
  next.m_nB = index.m_nIndex;
  next.m_nEdge1 = m_Code.EdgeAt(m_nPos);
  m_Code.m_listOps.push_back(next);
  return true;
}

// IF target, condition.
bool CStatementDecoder::If() {
  std::uint16_t nTarget = 0;
  if (!Fetch(nTarget) || (nTarget & 1) != 0 || nTarget / 2u > m_Code.m_nSize) return false;
  COp branch;
  if (!Condition(branch)) return false;
  branch.m_nEdge1 = m_Code.EdgeAt(m_nPos);
  branch.m_nEdge2 = m_Code.EdgeAt(nTarget / 2u);
  m_Code.m_listOps.push_back(branch);
  return true;
}

// The outermost operation of a condition decides how it is read.
bool CStatementDecoder::Condition(COp& branch) {
  if (m_nPos >= m_Code.m_nSize) return false;
  const std::uint16_t op = pcode::OpOf(m_Code.m_pCode[m_nPos]);
  COperand a, b;
  if (op >= EQ && op <= NQ) {
    ++m_nPos;
    if (!Expression(a, 1) || !Expression(b, 1)) return false;
    if (!IsNumeric(a.m_eType) || !IsNumeric(b.m_eType)) return false;
    if (!Convert(a, DOUBLE) || !Convert(b, DOUBLE)) return false;
    branch.m_eOp = kIfNear;
    branch.m_nRel = static_cast<std::uint8_t>(op);
    branch.m_nA = a.m_nIndex;
    branch.m_nB = b.m_nIndex;
    return true;
  }
  if (op == ICONST) {
    ++m_nPos;
    std::uint32_t nBits = 0;
    if (!FetchInt32(nBits)) return false;
    CNumber truth;
    truth.m_eType = LOGICAL;
    truth.m_nValue = nBits != 0 ? 1 : 0;
    a = Constant(truth);
  } else if (!Expression(a, 0) || a.m_eType != LOGICAL) {
    // TRUE, FALSE, logical operators and LOGICAL values; a condition of
    // another type is left to the general path.
    return false;
  }
  branch.m_eOp = kIfTrue;
  branch.m_nA = a.m_nIndex;
  return true;
}

bool CStatementDecoder::Expression(COperand& out, int nDepth) {
  std::uint16_t word = 0;
  if (nDepth > kMaxDepth || !Fetch(word)) return false;
  const std::uint16_t op = pcode::OpOf(word);
  CNumber number;
  switch (op) {
    case VARVAL: {
      const std::uint32_t nSlot = m_Code.SlotOf(pcode::OperandOf(word));
      if (nSlot == kNone || m_Code.m_listSlots[nSlot].m_bArray) return false;
      out.m_nIndex = m_Code.m_listSlots[nSlot].m_nValue;
      out.m_eType = m_Code.m_listSlots[nSlot].m_eType;
      return true;
    }
    case VARVALAT:
      return Element(pcode::OperandOf(word), out, nDepth);
    case ICONST:
    case RCONST: {
      std::uint32_t nBits = 0;
      if (!FetchInt32(nBits)) return false;
      number.m_eType = op == ICONST ? INTEGER : REAL;
      std::memcpy(op == ICONST ? static_cast<void*>(&number.m_nValue) : &number.m_fValue, &nBits,
                  4);
      out = Constant(number);
      return true;
    }
    case PI:
      number.m_eType = REAL;
      number.m_fValue = static_cast<float>(4 * std::atan(1.0));
      out = Constant(number);
      return true;
    case TRUE:
    case FALSE:
      number.m_eType = LOGICAL;
      number.m_nValue = op == TRUE ? 1 : 0;
      out = Constant(number);
      return true;
    case MOD:
      return Modulo(out, nDepth);
    case NOT:
    case AND:
    case OR:
    case EQV:
    case NEQV:
      return Logical(op, out, nDepth);
    default:
      break;
  }
  if (op >= PLUS && op <= POTENZ) return Arithmetic(op, out, nDepth);
  if (op >= EQ && op <= NQ) return Relation(op, out, nDepth);
  return false;
}

// VARVALAT id, index: an element of a numeric array.
bool CStatementDecoder::Element(std::uint32_t nId, COperand& out, int nDepth) {
  const std::uint32_t nSlot = m_Code.SlotOf(nId);
  if (nSlot == kNone || !m_Code.m_listSlots[nSlot].m_bArray) return false;
  COperand index;
  if (!Expression(index, nDepth + 1) || index.m_eType != INTEGER) return false;
  const enPCode eType = m_Code.m_listSlots[nSlot].m_eType;
  const EOp eOp = eType == INTEGER ? kLoadI : (eType == REAL ? kLoadR : kLoadD);
  out = Emit(eOp, eType, nSlot, index.m_nIndex);
  return true;
}

bool CStatementDecoder::Arithmetic(std::uint16_t op, COperand& out, int nDepth) {
  COperand a, b;
  if (!Expression(a, nDepth + 1) || !Expression(b, nDepth + 1)) return false;
  if (!IsNumeric(a.m_eType) || !IsNumeric(b.m_eType)) return false;
  const enPCode eType = Common(a.m_eType, b.m_eType);
  if (!Convert(a, eType) || !Convert(b, eType)) return false;
  const EOp eOp = Typed(op, eType);
  const bool bRealPower = eType == INTEGER && op == POTENZ;
  out = Emit(eOp, bRealPower ? REAL : eType, a.m_nIndex, b.m_nIndex);
  return true;
}

// MOD of INTEGERs stays INTEGER; otherwise it is taken in double precision
// and is REAL unless an operand is DOUBLE PRECISION.
bool CStatementDecoder::Modulo(COperand& out, int nDepth) {
  COperand a, b;
  if (!Expression(a, nDepth + 1) || !Expression(b, nDepth + 1)) return false;
  if (a.m_eType == INTEGER) {
    if (b.m_eType != INTEGER) return false;
    out = Emit(kModI, INTEGER, a.m_nIndex, b.m_nIndex);
    return true;
  }
  if (!IsNumeric(a.m_eType) || !IsNumeric(b.m_eType)) return false;
  const enPCode eType = a.m_eType == DOUBLE || b.m_eType == DOUBLE ? DOUBLE : REAL;
  if (!Convert(a, DOUBLE) || !Convert(b, DOUBLE)) return false;
  out = Emit(eType == DOUBLE ? kModD : kModR, eType, a.m_nIndex, b.m_nIndex);
  return true;
}

bool CStatementDecoder::Relation(std::uint16_t op, COperand& out, int nDepth) {
  COperand a, b;
  if (!Expression(a, nDepth + 1) || !Expression(b, nDepth + 1)) return false;
  if (!IsNumeric(a.m_eType) || !IsNumeric(b.m_eType)) return false;
  const enPCode eType = Common(a.m_eType, b.m_eType);
  if (!Convert(a, eType) || !Convert(b, eType)) return false;
  if (!Convert(a, DOUBLE) || !Convert(b, DOUBLE)) return false;
  out = Emit(kCmp, LOGICAL, a.m_nIndex, b.m_nIndex);
  m_Code.m_listOps.back().m_nRel = static_cast<std::uint8_t>(op);
  return true;
}

bool CStatementDecoder::Logical(std::uint16_t op, COperand& out, int nDepth) {
  COperand a, b;
  if (!Expression(a, nDepth + 1) || a.m_eType != LOGICAL) return false;
  if (op == NOT) {
    out = Emit(kNot, LOGICAL, a.m_nIndex, kNone);
    return true;
  }
  if (!Expression(b, nDepth + 1) || b.m_eType != LOGICAL) return false;
  const EOp eOp = op == AND ? kAnd : (op == OR ? kOr : (op == EQV ? kEqv : kNeqv));
  out = Emit(eOp, LOGICAL, a.m_nIndex, b.m_nIndex);
  return true;
}

bool CStatementDecoder::Convert(COperand& v, enPCode eType, std::uint32_t nDst) {
  std::vector<COp>& ops = m_Code.m_listOps;
  if (v.m_bConstant && v.m_eType != eType) {
    if (!formula::ConvertNumber(v.m_number, eType)) return false;
    v = Constant(v.m_number);
  }
  if (nDst == kNone) {
    if (v.m_eType != eType) v = Emit(Conversion(v.m_eType, eType), eType, v.m_nIndex, kNone);
    return true;
  }
  if (v.m_eType == eType && !v.m_bConstant && ops.size() > m_nFirstOp &&
      ops.back().m_nDst == v.m_nIndex && v.m_nIndex != nDst) {
    // The value was just computed into a register: compute it into nDst.
    ops.back().m_nDst = nDst;
  } else {
    COp op;
    op.m_eOp =
        v.m_eType == eType ? (eType == DOUBLE ? kMov8 : kMov4) : Conversion(v.m_eType, eType);
    op.m_nDst = nDst;
    op.m_nA = v.m_nIndex;
    ops.push_back(op);
  }
  v.m_nIndex = nDst;
  v.m_eType = eType;
  v.m_bConstant = false;
  return true;
}

CStatementDecoder::COperand CStatementDecoder::Constant(const CNumber& number) {
  COperand v;
  std::uint64_t nBits = 0;
  std::memcpy(&nBits, &number.m_dValue, sizeof(nBits));
  v.m_nIndex = m_Code.NewCell(nBits);
  v.m_eType = number.m_eType;
  v.m_bConstant = true;
  v.m_number = number;
  return v;
}

CStatementDecoder::COperand CStatementDecoder::Emit(EOp eOp, enPCode eType, std::uint32_t nA,
                                                    std::uint32_t nB) {
  COp op;
  op.m_eOp = eOp;
  op.m_nDst = m_Code.Register(m_nRegisters++);
  op.m_nA = nA;
  op.m_nB = nB;
  m_Code.m_listOps.push_back(op);
  COperand v;
  v.m_nIndex = op.m_nDst;
  v.m_eType = eType;
  return v;
}

bool CStatementDecoder::Fetch(std::uint16_t& word) {
  if (m_nPos >= m_Code.m_nSize) return false;
  word = m_Code.m_pCode[m_nPos++];
  return true;
}

bool CStatementDecoder::FetchInt32(std::uint32_t& nBits) {
  if (m_Code.m_nSize - m_nPos < 2) return false;
  nBits = m_Code.m_pCode[m_nPos] | (static_cast<std::uint32_t>(m_Code.m_pCode[m_nPos + 1]) << 16);
  m_nPos += 2;
  return true;
}
