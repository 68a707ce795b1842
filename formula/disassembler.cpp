// Walks the code word by word; every operand read is bounds-checked.
#include "formula/disassembler.h"

#include <cstring>

#include "formula/fortran_scanner.h"
#include "formula/pcode.h"
#include "platform/format.h"

namespace {

CString Units(const std::vector<std::uint16_t>& code, std::size_t nPos, std::size_t n) {
  CString text;
  for (std::size_t i = 0; i < n; ++i) {
    const wchar_t c = static_cast<wchar_t>(code[nPos + i]);
    if (c == L'"' || c == L'\\') text += L'\\';
    text += c;
  }
  return L"\"" + text + L"\"";
}

}  // namespace

std::size_t InstructionWords(const std::vector<std::uint16_t>& code, std::size_t nPos) {
  const std::uint16_t word = code[nPos];
  const std::uint16_t op = pcode::OpOf(word);
  if (op == SRCLINE) return nPos + 2 < code.size() ? 3u + code[nPos + 2] : 3;
  if (op == ICONST || op == RCONST) return 3;
  if (op == IF || op == GOTO) return 2;
  if (op == CCONST || op == CALL) return 1u + pcode::OperandOf(word);
  return 1;
}

std::vector<CString> SourceLinesOf(const CvdiFunction& f, int& nFirstLine) {
  const std::vector<std::uint16_t>& code = f.m_code;
  std::vector<CString> lines;
  nFirstLine = 0;
  for (std::size_t nPos = 0; nPos < code.size();) {
    const std::uint16_t op = pcode::OpOf(code[nPos]);
    if (op == END) break;
    const std::size_t nNeed = InstructionWords(code, nPos);
    if (nPos + nNeed > code.size()) break;
    if (op == SRCLINE) {
      if (lines.empty()) nFirstLine = code[nPos + 1];
      lines.emplace_back(code.begin() + std::ptrdiff_t(nPos + 3),
                         code.begin() + std::ptrdiff_t(nPos + 3 + code[nPos + 2]));
    }
    nPos += nNeed;
  }
  return lines;
}

CString DisassembleFunction(const CvdiFunction& f) {
  const std::vector<std::uint16_t>& code = f.m_code;
  CString out =
      Format(L"FUNCTION %s (%u words)\n", f.m_strName, static_cast<unsigned>(code.size()));
  std::size_t nPos = 0;
  while (nPos < code.size()) {
    const std::uint16_t word = code[nPos];
    const std::uint16_t op = pcode::OpOf(word);
    CString line =
        Format(L"%5u: %s", static_cast<unsigned>(nPos * 2), CFortranScanner::tokenName(op));
    const std::size_t nNeed = InstructionWords(code, nPos);
    if (nPos + nNeed > code.size()) {
      out += line + L" ?\n";
      break;
    }
    const std::uint32_t nValue =
        nNeed >= 3 ? code[nPos + 1] | (static_cast<std::uint32_t>(code[nPos + 2]) << 16) : 0;
    if (op == SRCLINE) {
      line += Format(L" %u %s", static_cast<unsigned>(code[nPos + 1]),
                     Units(code, nPos + 3, code[nPos + 2]));
    } else if (op == ICONST) {
      line += Format(L" %d", static_cast<int>(static_cast<std::int32_t>(nValue)));
    } else if (op == RCONST) {
      float fValue = 0;
      std::memcpy(&fValue, &nValue, sizeof(fValue));
      line += Format(L" %g", fValue);
    } else if (op == IF || op == GOTO) {
      line += Format(L" -> %u", static_cast<unsigned>(code[nPos + 1]));
    } else if (op == CCONST || op == CALL) {
      line += L" " + Units(code, nPos + 1, pcode::OperandOf(word));
    } else if (pcode::HasOperand(word)) {
      line += Format(L" #%u", static_cast<unsigned>(pcode::OperandOf(word)));
    }
    out += line + L"\n";
    nPos += nNeed;
  }
  return out;
}
