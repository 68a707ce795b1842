#include "store/arena.h"

#include <cstring>
#include <new>

namespace {
constexpr std::uint32_t kPieceRoom = CArena::kBlockSize - 4;  // after the count word

bool IsAligned(const void* p) { return (reinterpret_cast<std::uintptr_t>(p) & 7u) == 0; }
}  // namespace

void* CArena::TakeFreePiece(std::uint32_t nSize, bool bAligned) {
  auto it = m_FreePieces.find(nSize);
  if (it == m_FreePieces.end()) return nullptr;
  std::vector<void*>& pieces = it->second;
  for (std::size_t i = pieces.size(); i-- > 0;) {
    if (bAligned && !IsAligned(pieces[i])) continue;
    void* p = pieces[i];
    pieces.erase(pieces.begin() + static_cast<std::ptrdiff_t>(i));
    --m_nFreePieces;
    return p;
  }
  return nullptr;
}

void* CArena::CutFromBlocks(std::uint32_t nSize, bool bAligned) {
  for (std::size_t i = m_ArenaBlocks.size(); i-- > 0;) {
    CBlock& block = m_ArenaBlocks[i];
    std::uint32_t nUsed = block.nUsed;
    if (bAligned) nUsed = (nUsed + 7u) & ~7u;
    if (nUsed <= kPieceRoom && kPieceRoom - nUsed > nSize) {
      block.nUsed = nUsed + nSize;
      return reinterpret_cast<unsigned char*>(block.pBytes.get()) + nUsed;
    }
  }
  CBlock block;
  block.pBytes.reset(new (std::nothrow) std::uint64_t[kPieceRoom / 8 + 1]);
  if (!block.pBytes) return nullptr;
  block.nUsed = nSize;
  void* p = block.pBytes.get();
  m_ArenaBlocks.push_back(std::move(block));
  return p;
}

void* CArena::Alloc(std::size_t nSize, bool bAligned) {
  if (nSize > kMaxRequest) return nullptr;
  const auto nPiece = static_cast<std::uint32_t>(nSize);
  if (void* p = TakeFreePiece(nPiece, bAligned)) return p;
  // A piece as large as a whole block still gets a fresh block of its own;
  // the heap may refuse that.
  if (nPiece > kPieceRoom) return nullptr;
  try {
    return CutFromBlocks(nPiece, bAligned);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

void* CArena::AllocZeroed(std::size_t nSize, bool bAligned) {
  void* p = Alloc(nSize, bAligned);
  if (p != nullptr) std::memset(p, 0, nSize);
  return p;
}

void CArena::Free(void* pPiece, std::uint32_t nSize) {
  if (pPiece == nullptr || nSize < 4) return;
  std::memcpy(pPiece, &nSize, sizeof nSize);
  m_FreePieces[nSize].push_back(pPiece);
  ++m_nFreePieces;
}

std::size_t CArena::GetBytesUsed() const {
  std::size_t n = 0;
  for (const CBlock& block : m_ArenaBlocks) n += block.nUsed;
  return n;
}
