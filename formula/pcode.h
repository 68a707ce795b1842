// Constants of the p-code layout (documented in docs/pcode.md; frozen).
// A function's code is a sequence of 16-bit words; an instruction starts with
// an operation word (an enPCode); the seven codes 0x9000..0xF000 carry a
// 12-bit operand (a length or a variable id) in their low bits. Jump targets
// are byte offsets from the start of the function's code.
#pragma once

#include <cstdint>

#include "OrvaMat/formula.h"

namespace pcode {

constexpr std::uint16_t kOperandMask = 0x0FFF;
constexpr std::uint16_t kOpMask = 0xF000;
// The most words a function's code may hold.
constexpr std::size_t kMaxWords = 32766;
// The longest string constant, callee name or variable id an operand can carry.
constexpr std::uint32_t kMaxOperand = 0x0FFF;
// A new function's code buffer holds this many words before it is shrunk.
constexpr std::size_t kInitialWords = 32768;

inline bool HasOperand(std::uint16_t word) { return word >= 0x9000; }
inline std::uint16_t OpOf(std::uint16_t word) {
  return HasOperand(word) ? static_cast<std::uint16_t>(word & kOpMask) : word;
}
inline std::uint16_t OperandOf(std::uint16_t word) { return word & kOperandMask; }

}  // namespace pcode
