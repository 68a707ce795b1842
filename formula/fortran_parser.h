// CFortranParser: compiles declarations texts and bodies texts into the
// functions of a CvdiFunctionList (symbol tables and p-code, docs/pcode.md).
//
// Declarations(text) and Bodies(text) are the entries: they never throw.
// Every error goes through the context's error report (message box, error
// flag). A bodies text drops the function whose body failed when this text
// created it; a function known from a declarations text stays, marked
// incomplete, so that it can not be run. A broken number exponent drops the
// function silently (no message, no error flag) in a bodies text; in a
// declarations text it sets the error flag without a message, so that the
// host stops building the list.
//
// Every grammar function opens with its rule. Nesting (parentheses, unary
// minus, IF and DO WHILE) is bounded by kMaxNesting and reported beyond it.
//
// Sections and their files:
//   Entries, declarations and types, code, errors   fortran_parser.cpp
//   Statements (and the declarations of a body)     statement_parser.cpp
//   Expressions                                     expression_parser.cpp
//   Tokens                                          fortran_scanner.cpp
#pragma once

#include <memory>
#include <vector>

#include "formula/formula_context.h"

class CFortranParser {
 public:
  CFortranParser(CFormulaContext& context, CvdiFunctionList& list);
  ~CFortranParser();

  void Declarations(const wchar_t* text);
  void Bodies(const wchar_t* text);

  static constexpr int kMaxNesting = 100;

 private:
  using CVdiVar = CvdiFunction::CVdiVar;
  struct CDimension {
    bool m_bGiven = false;
    bool m_bRange = false;
    std::int32_t m_nFirst = 0;  // n, or lo of lo:hi
    std::int32_t m_nLast = 0;   // hi of lo:hi
  };

  // Entries (throwing; fortran_parser.cpp).
  void ParseDeclarationsText(const wchar_t* text);
  void ParseBodiesText(const wchar_t* text);
  bool ParseOneFunction(const wchar_t* pStart);
  void SkipDuplicateBody();
  void ParseDeclarationHeader(enPCode eType, std::int32_t nLength);
  const wchar_t* StartText(const wchar_t* text);

  // Declarations and types (fortran_parser.cpp; the two of a body in
  // statement_parser.cpp).
  void ReadType(enPCode& eType, std::int32_t& nLength, bool bBody);
  CDimension ReadDimension();
  std::int32_t DimensionCount(const CDimension& dim, std::int32_t nLower) const;
  void ParseBodyDeclaration();
  void DeclareVar(const CString& name, enPCode eType, std::int32_t nLength, std::int32_t nCount,
                  std::int32_t nLower);
  std::uint32_t Register(CVdiVar& var);
  CvdiFunction* NewFunction(const CString& name);
  void DropFunction(CvdiFunction* f);

  // Statements (statement_parser.cpp).
  void ParseBlock(enPCode eTerminator);
  void ParseParameterNames();
  void ParseStatement();
  enPCode ParseBranch(int nIfLine);
  void ParseIf();
  void ParseDoWhile();
  void ParseAssignOrCall();
  void ParseArgList();
  void NewLine();
  void ConsumeLineEnds();

  // Expressions (expression_parser.cpp).
  void ParseExpression();
  void ParseArrayConstructor();
  void ParseEqv();
  void ParseOr();
  void ParseAnd();
  void ParseNot();
  void ParseRelation();
  void ParseAdditive();
  void ParseMul();
  void ParseDiv();
  void ParsePower();
  void ParsePrimary();
  void ParseSymbol();
  void EmitIntegerConstant(const CString& text);
  static std::int64_t DigitsValue(std::wstring_view text);
  // A CHARACTER length from its digits (fortran_parser.cpp).
  static std::int32_t LengthValue(std::wstring_view text);

  // Code (fortran_parser.cpp).
  std::size_t Here() const;
  void Emit(std::uint32_t word);
  void Insert(std::size_t nPos, std::uint32_t word);
  void PatchTarget(std::size_t nPos, std::size_t nTargetWord);
  void EmitText(std::uint16_t op, std::wstring_view text);
  void EmitUnits(std::wstring_view text);
  void EmitSourceLine(const wchar_t* pLine);
  void Finalise(CvdiFunction* f);

  // Tokens and errors.
  enPCode Next() { return m_Scanner.nextToken(); }
  enPCode Tok() const { return m_Scanner.currentToken(); }
  const CString& Text() const { return m_Scanner.tokenText(); }
  [[noreturn]] void Error(const CString& message);
  bool RestIsEmpty() const;

  // Counts recursion of the grammar functions for one scope.
  class CNesting {
   public:
    explicit CNesting(CFortranParser& parser);
    ~CNesting() { --m_Parser.m_nNesting; }
    CNesting(const CNesting&) = delete;
    CNesting& operator=(const CNesting&) = delete;

   private:
    CFortranParser& m_Parser;
  };

  CFormulaContext& m_Context;
  CFortranScanner& m_Scanner;
  CvdiFunctionList& m_List;
  CvdiFunction* m_pFunction = nullptr;
  std::vector<std::unique_ptr<CVdiVar>> m_listDeclared;  // cells of a declarations text
  int m_nNesting = 0;
};
