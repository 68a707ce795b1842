#include "store/arena.h"

#include <cstring>
#include <new>

#include "platform/huge_pages.h"

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

void CArena::CStorageDelete::operator()(unsigned char* p) const {
  ::operator delete[](p, std::align_val_t{nAlign});
}

unsigned char* CArena::NewBlockBytes() {
  if (m_nSlabBlocksLeft > 0) {
    --m_nSlabBlocksLeft;
    return m_ArenaBlocks.back().pBytes + kBlockSize;
  }
  const bool bSlab = m_ArenaBlocks.size() >= kSingleBlocks;
  const std::size_t nBytes = bSlab ? kSlabBlocks * std::size_t{kBlockSize} : kBlockSize;
  const std::size_t nAlign = bSlab ? kSlabAlign : 8;
  auto* p =
      static_cast<unsigned char*>(::operator new[](nBytes, std::align_val_t{nAlign}, std::nothrow));
  if (p == nullptr) return nullptr;
  if (bSlab) AdviseHugePages(p, nBytes);
  m_Storage.emplace_back(p, CStorageDelete{nAlign});
  m_nBytesReserved += nBytes;
  m_nSlabBlocksLeft = bSlab ? kSlabBlocks - 1 : 0;
  return p;
}

void* CArena::CutFrom(CBlock& block, std::uint32_t nSize, bool bAligned) {
  std::uint32_t nUsed = block.nUsed;
  if (bAligned) nUsed = (nUsed + 7u) & ~7u;
  if (nUsed > kPieceRoom || kPieceRoom - nUsed <= nSize) return nullptr;
  block.nUsed = nUsed + nSize;
  return block.pBytes + nUsed;
}

void* CArena::CutFromBlocks(std::uint32_t nSize, bool bAligned) {
  // The newest shared block first, without walking past the lanes' blocks
  // made since; then every older one.
  if (m_nSharedTip != 0)
    if (void* p = CutFrom(m_ArenaBlocks[m_nSharedTip - 1], nSize, bAligned)) return p;
  for (std::size_t i = m_ArenaBlocks.size(); i-- > 0;) {
    if (m_ArenaBlocks[i].bLane) continue;
    if (void* p = CutFrom(m_ArenaBlocks[i], nSize, bAligned)) return p;
  }
  // A new block: its count word is kept beside it, so all its bytes hold
  // pieces; it offers the same room as a block with the count inside.
  unsigned char* pBytes = NewBlockBytes();
  if (pBytes == nullptr) return nullptr;
  m_ArenaBlocks.push_back(CBlock{nSize, pBytes, false});
  m_nSharedTip = m_ArenaBlocks.size();
  return pBytes;
}

void* CArena::AllocLarge(std::size_t nSize) {
  if (nSize > kMaxRequest) return nullptr;
  try {
    m_Storage.reserve(m_Storage.size() + 1);  // no throw between the bytes and their owner
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  auto* p = static_cast<unsigned char*>(::operator new[](nSize, std::align_val_t{8}, std::nothrow));
  if (p == nullptr) return nullptr;
  m_Storage.emplace_back(p, CStorageDelete{8});
  m_nBytesReserved += nSize;
  m_nLargeBytes += nSize;
  return p;
}

void* CArena::AllocInLane(std::size_t nSize, std::uint32_t& nLane) {
  if (nSize > kPieceRoom) return AllocLarge(nSize);
  if (m_ArenaBlocks.size() >= 0xFFFFFFFFu) return nullptr;
  const auto nPiece = static_cast<std::uint32_t>(nSize);
  if (nLane != 0 && nLane <= m_ArenaBlocks.size() && m_ArenaBlocks[nLane - 1].bLane)
    if (void* p = CutFrom(m_ArenaBlocks[nLane - 1], nPiece, false)) return p;
  try {
    m_ArenaBlocks.reserve(m_ArenaBlocks.size() + 1);  // no throw between block and record
    unsigned char* pBytes = NewBlockBytes();
    if (pBytes == nullptr) return nullptr;
    m_ArenaBlocks.push_back(CBlock{nPiece, pBytes, true});
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  nLane = static_cast<std::uint32_t>(m_ArenaBlocks.size());
  return m_ArenaBlocks.back().pBytes;
}

void* CArena::Alloc(std::size_t nSize, bool bAligned) {
  if (nSize > kMaxRequest) return nullptr;
  const auto nPiece = static_cast<std::uint32_t>(nSize);
  if (void* p = TakeFreePiece(nPiece, bAligned)) return p;
  if (nPiece > kPieceRoom) return AllocLarge(nPiece);
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
  std::size_t n = m_nLargeBytes;
  for (const CBlock& block : m_ArenaBlocks) n += block.nUsed;
  return n;
}
