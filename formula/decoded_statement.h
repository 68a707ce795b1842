// CStatementDecoder: decodes one statement of a function's p-code into
// operations of its CDecodedCode (see decoded_code.h for what is decoded).
// Types are those of the cells at decoding time; CDecodedCode::Bind checks
// them again at every entry into the decoded run.
#pragma once

#include "formula/decoded_code.h"
#include "formula/value_ops.h"

class CStatementDecoder {
 public:
  CStatementDecoder(CDecodedCode& code, std::size_t nPos) : m_Code(code), m_nPos(nPos) {}

  // The index of the statement's first operation, or decoded::kGeneral (no
  // operation is left behind then).
  std::int32_t Decode();

 private:
  // A value of an expression: where it is, its type, and for a constant its
  // value (so that conversions of constants are done here, once).
  struct COperand {
    std::uint32_t m_nIndex = decoded::kNone;
    enPCode m_eType = nNONE;
    bool m_bConstant = false;
    formula::CNumber m_number;
  };

  bool Assign(std::uint32_t nId);
  bool AssignElement(std::uint32_t nId);
  bool If();
  bool Condition(decoded::COp& branch);

  // Expressions, in the general evaluator's terms: each reads one prefix
  // expression at m_nPos; false when it is not decodable.
  bool Expression(COperand& out, int nDepth);
  bool Element(std::uint32_t nId, COperand& out, int nDepth);
  bool Arithmetic(std::uint16_t op, COperand& out, int nDepth);
  bool Modulo(COperand& out, int nDepth);
  bool Relation(std::uint16_t op, COperand& out, int nDepth);
  bool Logical(std::uint16_t op, COperand& out, int nDepth);

  // Converts v to eType (assignment rules) into nDst, or into a new register
  // or constant when nDst is kNone. False when a constant can not convert.
  bool Convert(COperand& v, enPCode eType, std::uint32_t nDst = decoded::kNone);
  COperand Constant(const formula::CNumber& number);
  COperand Emit(decoded::EOp eOp, enPCode eType, std::uint32_t nA, std::uint32_t nB);
  bool Fetch(std::uint16_t& word);
  bool FetchInt32(std::uint32_t& nBits);

  CDecodedCode& m_Code;
  std::size_t m_nPos;
  std::size_t m_nFirstOp = 0;  // this statement's first operation
  std::uint32_t m_nRegisters = 0;
};
