// The decoded run loop (see decoded_code.h): one switch over flat operations,
// with no look-ups, allocation or calls per operation. Values are read and
// written through memcpy, which compiles to plain loads and stores and lets
// one cell hold the INTEGER, REAL or DOUBLE PRECISION bits of a value cell.
#include <cmath>
#include <cstring>

#include "formula/decoded_code.h"
#include "formula/formula_runtime.h"
#include "formula/value_ops.h"

using namespace decoded;
using namespace formula;

namespace {

template <typename T>
T Get(const void* p) {
  T v;
  std::memcpy(&v, p, sizeof(T));
  return v;
}

template <typename T>
void Put(void* p, T v) {
  std::memcpy(p, &v, sizeof(T));
}

// The offset of element nIndex of an array slot, as the general path checks
// it; false where the general path would report the index.
bool Offset(const CSlot& slot, std::int32_t nIndex, std::size_t& k) {
  if (nIndex > slot.m_nCount || nIndex < slot.m_nLower) return false;
  k = static_cast<std::size_t>(static_cast<std::int64_t>(nIndex) - slot.m_nLower);
  return k < slot.m_nElements;
}

template <typename T>
bool Load(const CSlot& slot, const void* pIndex, void* pDst) {
  std::size_t k = 0;
  if (!Offset(slot, Get<std::int32_t>(pIndex), k)) return false;
  Put<T>(pDst, static_cast<const T*>(slot.m_pData)[k]);
  return true;
}

template <typename T>
bool Store(const CSlot& slot, const void* pIndex, const void* pValue) {
  std::size_t k = 0;
  if (!Offset(slot, Get<std::int32_t>(pIndex), k)) return false;
  static_cast<T*>(slot.m_pData)[k] = Get<T>(pValue);
  return true;
}

template <typename T>
bool ToInteger(const void* pFrom, void* pTo) {
  std::int32_t n = 0;
  if (!ToInt32(static_cast<double>(Get<T>(pFrom)), n)) return false;
  Put<std::int32_t>(pTo, n);
  return true;
}

template <typename T>
void Floating(std::uint16_t op, const COp& o, void* const* v) {
  Put<T>(v[o.m_nDst], FloatingArithmetic<T>(op, Get<T>(v[o.m_nA]), Get<T>(v[o.m_nB])));
}

// MOD of values taken in double precision; false for a divisor of 0.
template <typename T>
bool FloatingModulo(const COp& o, void* const* v) {
  const double y = Get<double>(v[o.m_nB]);
  if (y == 0) return false;
  Put<T>(v[o.m_nDst], static_cast<T>(std::fmod(Get<double>(v[o.m_nA]), y)));
  return true;
}

bool Truth(const void* p) { return Get<std::int32_t>(p) != 0; }

}  // namespace

void RunDecodedStatements(CFormulaContext& ctx, CCodeCursor& cur) {
  CDecodedCode* pCode = CDecodedCode::For(*cur.m_pFunction);
  if (pCode == nullptr) return;
  CDecodedCode& d = *pCode;
  const std::uint32_t nFirstEdge = d.EdgeAt(cur.m_nPos);
  d.Resolve(nFirstEdge);
  if (d.m_listEdges[nFirstEdge].m_nTarget == kGeneral || !d.Bind(ctx)) return;

  std::uint64_t nSteps = ctx.m_nSteps;
  std::uint64_t nStatements = ctx.m_nStatements;
  const std::uint64_t nMaxSteps = ctx.m_nMaxRunSteps;
  const COp* ops = nullptr;
  void* const* v = nullptr;
  const CSlot* slots = nullptr;
  std::size_t nPc = 0;
  std::size_t nStatement = cur.m_nPos;
  std::size_t nStop = cur.m_nPos;
  auto refresh = [&] {
    ops = d.m_listOps.data();
    v = d.m_listValues.data();
    slots = d.m_listSlots.data();
  };
  // Follows an edge to its statement; false (stopping at the edge's start)
  // when the statement is the general path's or the step bound would be
  // reached on the way: the general path then counts and reports.
  auto take = [&](std::uint32_t nEdge) {
    if (d.m_listEdges[nEdge].m_nTarget == kUnresolved) {
      d.Resolve(nEdge);
      refresh();
    }
    const CEdge& e = d.m_listEdges[nEdge];
    if (e.m_nTarget == kGeneral || nSteps + e.m_nCost + 1 > nMaxSteps) {
      nStop = e.m_nFrom;
      return false;
    }
    nSteps += e.m_nCost;
    if (e.m_nLine >= 0) ctx.m_scanner.SetLine(e.m_nLine);
    nStatement = e.m_nTo;
    nPc = static_cast<std::size_t>(e.m_nTarget);
    return true;
  };
  refresh();
  if (!take(nFirstEdge)) goto done;
  for (;;) {
    const COp& o = ops[nPc++];
    switch (o.m_eOp) {
      case kMov4:
        Put(v[o.m_nDst], Get<std::int32_t>(v[o.m_nA]));
        break;
      case kMov8:
        Put(v[o.m_nDst], Get<double>(v[o.m_nA]));
        break;
      case kI2R:
        Put(v[o.m_nDst], static_cast<float>(static_cast<double>(Get<std::int32_t>(v[o.m_nA]))));
        break;
      case kI2D:
        Put(v[o.m_nDst], static_cast<double>(Get<std::int32_t>(v[o.m_nA])));
        break;
      case kR2D:
        Put(v[o.m_nDst], static_cast<double>(Get<float>(v[o.m_nA])));
        break;
      case kD2R:
        Put(v[o.m_nDst], static_cast<float>(Get<double>(v[o.m_nA])));
        break;
      case kR2I:
        if (!ToInteger<float>(v[o.m_nA], v[o.m_nDst])) goto bail;
        break;
      case kD2I:
        if (!ToInteger<double>(v[o.m_nA], v[o.m_nDst])) goto bail;
        break;
      case kAddI:
        Put(v[o.m_nDst], IntegerSum(Get<std::int32_t>(v[o.m_nA]), Get<std::int32_t>(v[o.m_nB])));
        break;
      case kSubI:
        Put(v[o.m_nDst],
            IntegerDifference(Get<std::int32_t>(v[o.m_nA]), Get<std::int32_t>(v[o.m_nB])));
        break;
      case kMulI: {
        std::int32_t n = 0;
        float fReal = 0;
        if (!IntegerProduct(Get<std::int32_t>(v[o.m_nA]), Get<std::int32_t>(v[o.m_nB]), n, fReal)) {
          goto bail;  // the product is REAL: the general path goes on with that type
        }
        Put(v[o.m_nDst], n);
        break;
      }
      case kDivI:
        Put(v[o.m_nDst],
            IntegerQuotient(Get<std::int32_t>(v[o.m_nA]), Get<std::int32_t>(v[o.m_nB])));
        break;
      case kPowI:
        Put(v[o.m_nDst], IntegerPower(Get<std::int32_t>(v[o.m_nA]), Get<std::int32_t>(v[o.m_nB])));
        break;
      case kModI: {
        const std::int32_t nDivisor = Get<std::int32_t>(v[o.m_nB]);
        if (nDivisor == 0) goto bail;
        Put(v[o.m_nDst], IntegerModulo(Get<std::int32_t>(v[o.m_nA]), nDivisor));
        break;
      }
      case kAddR:
        Floating<float>(PLUS, o, v);
        break;
      case kSubR:
        Floating<float>(MINUS, o, v);
        break;
      case kMulR:
        Floating<float>(MUL, o, v);
        break;
      case kDivR:
        Floating<float>(DIV, o, v);
        break;
      case kPowR:
        Floating<float>(POTENZ, o, v);
        break;
      case kAddD:
        Floating<double>(PLUS, o, v);
        break;
      case kSubD:
        Floating<double>(MINUS, o, v);
        break;
      case kMulD:
        Floating<double>(MUL, o, v);
        break;
      case kDivD:
        Floating<double>(DIV, o, v);
        break;
      case kPowD:
        Floating<double>(POTENZ, o, v);
        break;
      case kModR:
        if (!FloatingModulo<float>(o, v)) goto bail;
        break;
      case kModD:
        if (!FloatingModulo<double>(o, v)) goto bail;
        break;
      case kLoadI:
        if (!Load<std::int32_t>(slots[o.m_nA], v[o.m_nB], v[o.m_nDst])) goto bail;
        break;
      case kLoadR:
        if (!Load<float>(slots[o.m_nA], v[o.m_nB], v[o.m_nDst])) goto bail;
        break;
      case kLoadD:
        if (!Load<double>(slots[o.m_nA], v[o.m_nB], v[o.m_nDst])) goto bail;
        break;
      case kCmp:
        Put<std::int32_t>(v[o.m_nDst],
                          CompareExact(o.m_nRel, Get<double>(v[o.m_nA]), Get<double>(v[o.m_nB])));
        break;
      case kAnd:
        Put<std::int32_t>(v[o.m_nDst], Truth(v[o.m_nA]) && Truth(v[o.m_nB]));
        break;
      case kOr:
        Put<std::int32_t>(v[o.m_nDst], Truth(v[o.m_nA]) || Truth(v[o.m_nB]));
        break;
      case kEqv:
        Put<std::int32_t>(v[o.m_nDst], Truth(v[o.m_nA]) == Truth(v[o.m_nB]));
        break;
      case kNeqv:
        Put<std::int32_t>(v[o.m_nDst], Truth(v[o.m_nA]) != Truth(v[o.m_nB]));
        break;
      case kNot:
        Put<std::int32_t>(v[o.m_nDst], !Truth(v[o.m_nA]));
        break;
      case kStoreI:
        if (!Store<std::int32_t>(slots[o.m_nDst], v[o.m_nA], v[o.m_nB])) goto bail;
        break;
      case kStoreR:
        if (!Store<float>(slots[o.m_nDst], v[o.m_nA], v[o.m_nB])) goto bail;
        break;
      case kStoreD:
        if (!Store<double>(slots[o.m_nDst], v[o.m_nA], v[o.m_nB])) goto bail;
        break;
      case kNext:
        ++nSteps;
        ++nStatements;
        ctx.m_pLastAssigned = slots[o.m_nA].m_pVar;
        ctx.m_nLastAssignedIndex = o.m_nB == kNone ? 0 : Get<std::int32_t>(v[o.m_nB]);
        if (!take(o.m_nEdge1)) goto done;
        break;
      case kIfNear:
        ++nSteps;
        ++nStatements;
        if (!take(CompareNear(o.m_nRel, Get<double>(v[o.m_nA]), Get<double>(v[o.m_nB]))
                      ? o.m_nEdge1
                      : o.m_nEdge2)) {
          goto done;
        }
        break;
      case kIfTrue:
        ++nSteps;
        ++nStatements;
        if (!take(Truth(v[o.m_nA]) ? o.m_nEdge1 : o.m_nEdge2)) goto done;
        break;
    }
  }
bail:
  // Nothing of the statement was stored: the general path runs it again.
  nStop = nStatement;
done:
  ctx.m_nSteps = nSteps;
  ctx.m_nStatements = nStatements;
  cur.m_nPos = nStop;
}
