// CDecodedCode: a function's p-code (docs/pcode.md) decoded once into a flat
// form for the run loop: statements become short sequences of typed
// operations on resolved variable slots, constants are converted once, and
// the source lines and jumps between two statements are folded into edges.
// The p-code itself is not changed; the decoded form is a cache beside it,
// owned by the function (CvdiFunction::m_pDecoded) and built at its first run.
//
// Statements are decoded lazily, the first time the run reaches them. Only
// numeric and LOGICAL work is decoded: assignments to INTEGER, REAL, DOUBLE
// PRECISION and LOGICAL scalars and to elements of numeric arrays, and IF
// conditions, over variables, elements, constants, + - * / ** MOD, relations
// and logical operators. Every other statement (texts, intrinsics, calls,
// END, QEL_DEBUG, anything malformed) is left to the general path, and so is
// every statement whose run would report an error or leave the types the
// decoder assumed (an INTEGER product outside the INTEGER range is REAL):
// the decoded run stops before the statement changes anything and hands it
// to the general path, which has the same results by construction.
//
// The decoded run counts steps and statements, sets the line number and the
// last assigned cell exactly as the general run loop does, so the step bound,
// every report and the debugger's view stay the same.
#pragma once

#include <cstdint>
#include <deque>
#include <vector>

#include "OrvaMat/formula.h"

struct CCodeCursor;
class CFormulaContext;

namespace decoded {

// Operations. Operands are indexes into CDecodedCode::m_listValues (the
// address of a variable's value, a constant or a scratch register); the
// suffix names the type they work on (I INTEGER or LOGICAL, R REAL, D DOUBLE
// PRECISION). "Bails" means: the statement goes to the general path.
enum EOp : std::uint8_t {
  kMov4,  // dst = a (4 bytes)
  kMov8,  // dst = a (8 bytes)
  kI2R,
  kI2D,
  kR2D,
  kD2R,  // conversions that always succeed
  kR2I,
  kD2I,  // to INTEGER; bails outside its range
  kAddI,
  kSubI,
  kMulI,
  kDivI,
  kPowI,  // kMulI bails when the product is REAL; kPowI gives REAL
  kModI,  // bails for a divisor of 0
  kAddR,
  kSubR,
  kMulR,
  kDivR,
  kPowR,
  kAddD,
  kSubD,
  kMulD,
  kDivD,
  kPowD,
  kModR,
  kModD,  // double operands; REAL or DOUBLE result; bails for 0
  kLoadI,
  kLoadR,
  kLoadD,  // dst = element b of array slot a; bails outside it
  kCmp,    // dst = relation m_nRel of doubles a, b (exact)
  kAnd,
  kOr,
  kEqv,
  kNeqv,
  kNot,  // LOGICAL
  kStoreI,
  kStoreR,
  kStoreD,  // element a of array slot dst = b; bails outside it
  kNext,    // statement done (last assigned: slot a, index b); edge 1
  kIfNear,  // IF: relation m_nRel of doubles a, b with the tolerance
  kIfTrue,  // IF: LOGICAL a
};

constexpr std::uint32_t kNone = 0xFFFFFFFF;

struct COp {
  EOp m_eOp = kNext;
  std::uint8_t m_nRel = 0;  // EQ ... NQ for kCmp and kIfNear
  std::uint32_t m_nDst = kNone;
  std::uint32_t m_nA = kNone;
  std::uint32_t m_nB = kNone;
  std::uint32_t m_nEdge1 = kNone;  // kNext: the next statement; IF: when true
  std::uint32_t m_nEdge2 = kNone;  // IF: when false
};

// A variable of the function's list as the decoded code expects it. The
// cell is resolved (following its reference) at every entry into the
// decoded run, because a call may bind a parameter to another cell.
struct CSlot {
  std::uint32_t m_nId = 0;
  enPCode m_eType = nNONE;
  bool m_bArray = false;
  std::uint32_t m_nValue = 0;  // operand index of the scalar value
  CvdiFunction::CVdiVar* m_pVar = nullptr;
  void* m_pData = nullptr;  // arrays: storage, elements, count, lower bound
  std::size_t m_nElements = 0;
  std::int32_t m_nCount = 0;
  std::int32_t m_nLower = 0;
};

// The way from a word position (just after a statement, a jump target, or a
// statement itself) to the next statement, as the general run loop walks it:
// every group of source lines and every GOTO costs one step.
struct CEdge {
  std::uint32_t m_nFrom = 0;   // the word position the edge starts at
  std::uint32_t m_nTo = 0;     // the statement it reaches
  std::uint32_t m_nCost = 0;   // steps before that statement
  std::int32_t m_nLine = -1;   // the last source line passed; -1: none
  std::int32_t m_nTarget = 0;  // first op of the statement, kGeneral or kUnresolved
};

constexpr std::int32_t kGeneral = -1;
constexpr std::int32_t kUnresolved = -2;

}  // namespace decoded

class CDecodedCode {
 public:
  explicit CDecodedCode(const CvdiFunction& f);

  // The decoded form of f (built or rebuilt as needed); null when f's
  // decoded form was given up (its cells kept changing type).
  static CDecodedCode* For(CvdiFunction& f);

  // The edge that starts at word position nPos (created on first use).
  std::uint32_t EdgeAt(std::size_t nPos);
  // Decodes the statement of edge nEdge if that was not done yet.
  void Resolve(std::uint32_t nEdge);
  // Resolves every slot against the list's registry, unless nothing could
  // have changed since the last time (the context's binding epoch). False
  // (and the decoded form is cleared for a rebuild) when a cell is missing
  // or changed its type or shape since it was decoded.
  bool Bind(const CFormulaContext& context);

  // Read by the run loop (decoded_run.cpp).
  std::vector<decoded::COp> m_listOps;
  std::vector<decoded::CEdge> m_listEdges;
  std::vector<decoded::CSlot> m_listSlots;
  std::vector<void*> m_listValues;

 private:
  friend class CStatementDecoder;

  void Clear();
  decoded::CEdge Walk(std::size_t nPos) const;
  // Operand index of a new constant cell, of scratch register k.
  std::uint32_t NewCell(std::uint64_t nBits);
  std::uint32_t Register(std::uint32_t k);
  // Index in m_listSlots of the slot for variable nId (added and bound on
  // first use); decoded::kNone when its cell is not one the decoder handles.
  std::uint32_t SlotOf(std::uint32_t nId);
  // Caches the cell of a slot: false when it no longer matches the slot.
  bool BindSlot(decoded::CSlot& slot);

  const CvdiFunction& m_Function;
  const std::uint16_t* m_pCode;
  std::size_t m_nSize;
  std::vector<std::int32_t> m_listEdgeAt;            // per word position: edge or -1
  std::vector<std::int32_t> m_listStatementAt;       // per word position: first op or kUnresolved
  std::deque<std::uint64_t> m_listCells;             // constants and registers (stable addresses)
  std::vector<std::uint32_t> m_listRegisters;        // operand indexes of the registers
  const CFormulaContext* m_pBoundContext = nullptr;  // the last full Bind
  std::uint64_t m_nBoundEpoch = 0;
  int m_nRebuilds = 0;
  bool m_bGivenUp = false;
};

// Runs statements of the function at cur in decoded form, from cur's
// position, until a statement needs the general path; leaves cur there (at
// the source lines and jumps before it, or at the statement itself) with the
// context's step and statement counts, line number and last assigned cell
// as the general run loop would have left them. Never throws or reports.
void RunDecodedStatements(CFormulaContext& context, CCodeCursor& cur);
