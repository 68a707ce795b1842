// The decoded form's tables: edges between statements, slots and cells.
// Statements themselves are decoded by CStatementDecoder
// (decoded_statement.cpp).
#include "formula/decoded_code.h"

#include "formula/decoded_statement.h"
#include "formula/formula_context.h"

using namespace decoded;
using CVdiVar = CvdiFunction::CVdiVar;

namespace {

// After this many rebuilds (cells changing type under the decoded code, as a
// parameter bound by reference to cells of different types in turn can) a
// function is left to the general path for the rest of its life.
constexpr int kMaxRebuilds = 8;

}  // namespace

CDecodedCode::CDecodedCode(const CvdiFunction& f)
    : m_Function(f), m_pCode(f.m_code.data()), m_nSize(f.m_code.size()) {
  Clear();
}

CDecodedCode* CDecodedCode::For(CvdiFunction& f) {
  if (f.m_pList == nullptr) return nullptr;  // no registry to resolve variables in
  auto& p = f.m_pDecoded;
  // The host may replace a function's code; the cache follows it.
  if (p != nullptr && (p->m_pCode != f.m_code.data() || p->m_nSize != f.m_code.size())) {
    p.reset();
  }
  if (p == nullptr) p = std::make_unique<CDecodedCode>(f);
  return p->m_bGivenUp ? nullptr : p.get();
}

void CDecodedCode::Clear() {
  m_pBoundContext = nullptr;
  m_listOps.clear();
  m_listEdges.clear();
  m_listSlots.clear();
  m_listValues.clear();
  m_listCells.clear();
  m_listRegisters.clear();
  m_listEdgeAt.assign(m_nSize + 1, -1);
  m_listStatementAt.assign(m_nSize + 1, kUnresolved);
}

// The general run loop's walk from nPos: a group of source lines is one step
// (the line number becomes the group's last), a GOTO is one step. A walk
// that would report an error, or never reach a statement, is left to the
// general path from its start.
CEdge CDecodedCode::Walk(std::size_t nPos) const {
  CEdge e;
  e.m_nFrom = static_cast<std::uint32_t>(nPos);
  std::size_t p = nPos;
  for (std::size_t nWalked = 0; p < m_nSize && nWalked <= m_nSize; ++nWalked) {
    if (m_pCode[p] == SRCLINE) {
      ++e.m_nCost;
      while (p < m_nSize && m_pCode[p] == SRCLINE) {
        if (m_nSize - p < 3 || m_pCode[p + 2] > m_nSize - p - 3) {
          e.m_nTarget = kGeneral;
          return e;
        }
        e.m_nLine = m_pCode[p + 1];
        p += 3u + m_pCode[p + 2];
      }
      continue;
    }
    if (m_pCode[p] == GOTO) {
      ++e.m_nCost;
      if (m_nSize - p < 2) break;
      const std::uint16_t nTarget = m_pCode[p + 1];
      if ((nTarget & 1) != 0 || nTarget / 2u > m_nSize) break;
      p = nTarget / 2u;
      continue;
    }
    e.m_nTo = static_cast<std::uint32_t>(p);
    e.m_nTarget = m_listStatementAt[p];
    return e;
  }
  e.m_nTarget = kGeneral;
  return e;
}

std::uint32_t CDecodedCode::EdgeAt(std::size_t nPos) {
  if (nPos > m_nSize) nPos = m_nSize;
  std::int32_t& nEdge = m_listEdgeAt[nPos];
  if (nEdge < 0) {
    nEdge = static_cast<std::int32_t>(m_listEdges.size());
    m_listEdges.push_back(Walk(nPos));
  }
  return static_cast<std::uint32_t>(nEdge);
}

void CDecodedCode::Resolve(std::uint32_t nEdge) {
  if (m_listEdges[nEdge].m_nTarget != kUnresolved) return;
  const std::uint32_t nTo = m_listEdges[nEdge].m_nTo;
  if (m_listStatementAt[nTo] == kUnresolved) {
    m_listStatementAt[nTo] = CStatementDecoder(*this, nTo).Decode();
  }
  m_listEdges[nEdge].m_nTarget = m_listStatementAt[nTo];
}

std::uint32_t CDecodedCode::NewCell(std::uint64_t nBits) {
  m_listCells.push_back(nBits);
  m_listValues.push_back(&m_listCells.back());
  return static_cast<std::uint32_t>(m_listValues.size() - 1);
}

std::uint32_t CDecodedCode::Register(std::uint32_t k) {
  while (m_listRegisters.size() <= k) m_listRegisters.push_back(NewCell(0));
  return m_listRegisters[k];
}

std::uint32_t CDecodedCode::SlotOf(std::uint32_t nId) {
  for (std::size_t i = 0; i < m_listSlots.size(); ++i) {
    if (m_listSlots[i].m_nId == nId) return static_cast<std::uint32_t>(i);
  }
  const CVdiVar* var = m_Function.m_pList->FindVar(nId);
  if (var == nullptr) return kNone;
  const bool bArray = var->m_nCount != 0;
  const enPCode e = var->m_eType;
  const bool bNumeric = e == INTEGER || e == REAL || e == DOUBLE;
  if (!bNumeric && (bArray || e != LOGICAL)) return kNone;
  CSlot slot;
  slot.m_nId = nId;
  slot.m_eType = e;
  slot.m_bArray = bArray;
  slot.m_nValue = static_cast<std::uint32_t>(m_listValues.size());
  m_listValues.push_back(nullptr);
  if (!BindSlot(slot)) return kNone;
  m_listSlots.push_back(slot);
  return static_cast<std::uint32_t>(m_listSlots.size() - 1);
}

bool CDecodedCode::BindSlot(CSlot& slot) {
  CVdiVar* var = m_Function.m_pList->FindVar(slot.m_nId);
  if (var == nullptr || var->m_eType != slot.m_eType || (var->m_nCount != 0) != slot.m_bArray) {
    return false;
  }
  slot.m_pVar = var;
  m_listValues[slot.m_nValue] = &var->m_dValue;
  if (slot.m_bArray) {
    slot.m_pData = var->GetData();
    slot.m_nElements = var->GetElementCount();
    slot.m_nCount = var->m_nCount;
    slot.m_nLower = var->m_nLower;
  }
  return true;
}

bool CDecodedCode::Bind(const CFormulaContext& context) {
  if (m_pBoundContext == &context && m_nBoundEpoch == context.m_nBindingEpoch) return true;
  for (CSlot& slot : m_listSlots) {
    if (!BindSlot(slot)) {
      Clear();
      m_bGivenUp = ++m_nRebuilds > kMaxRebuilds;
      return false;
    }
  }
  m_pBoundContext = &context;
  m_nBoundEpoch = context.m_nBindingEpoch;
  return true;
}
