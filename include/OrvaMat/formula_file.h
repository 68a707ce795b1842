// A formula text file seen from a host: the product functions of one file
// read, listed, disassembled and run with a formula state of their own, and
// the cells' types and values as text.
//
// The file: a line that is exactly "[declarations]" starts a declarations
// text and a line that is exactly "[bodies]" starts a bodies text; each runs
// to the next such line; text before the first marker is ignored. UTF-8, a
// byte-order mark skipped.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "OrvaMat/formula.h"
#include "OrvaMat/types.h"

class ORVAMAT_API CFormulaFile {
 public:
  CFormulaFile();
  ~CFormulaFile();
  CFormulaFile(const CFormulaFile&) = delete;
  CFormulaFile& operator=(const CFormulaFile&) = delete;

  // Reads and parses the file. False when an error was reported: the file
  // can not be read, holds no section, or the parser found an error.
  bool Load(const CString& path);
  // Runs f (a function of this file) to its END without a record position;
  // each debug output line is appended to debugLines. False when an error
  // was reported. With bDebugger the run steps through the library's
  // debugger (the dialogs library shows it; without it the run goes straight
  // through after a message).
  bool Run(CvdiFunction& f, std::vector<CString>& debugLines, bool bDebugger = false);

  CvdiFunctionList& GetFunctions();
  // True once Load or Run reported an error.
  bool HasError() const;
  // The texts of the messages the calls gave, oldest first. They are kept
  // here and not shown, so that the host shows them as it likes (and a
  // message box never waits for an answer: each is answered as in a batch
  // run).
  const std::vector<CString>& GetMessages() const;

 private:
  struct CState;
  std::unique_ptr<CState> m_pState;
};

// The p-code listing of a function: one instruction per line, "offset: NAME
// operands" (offsets in bytes); malformed code ends with a "?" line.
ORVAMAT_API CString DisassembleFormula(const CvdiFunction& f);

// A cell's type as declared: "INTEGER", "REAL", "DOUBLE PRECISION",
// "LOGICAL", "CHARACTER"; "PENDING" for a function not yet typed, else "NONE".
ORVAMAT_API const wchar_t* FormulaTypeName(enPCode type);

// The number of elements an array cell shows (at most its count); 0 for a
// scalar.
ORVAMAT_API std::size_t FormulaArrayLength(const CvdiFunction::CVdiVar& v);
// One element (nOffset, from 0) of an array, or the scalar, as text: REAL
// with 9 significant digits, DOUBLE PRECISION with 17, LOGICAL ".TRUE." or
// ".FALSE.", CHARACTER the text itself.
ORVAMAT_API CString FormatFormulaElement(const CvdiFunction::CVdiVar& v, std::size_t nOffset);
// The whole value: the scalar, or the elements of an array as "(/ a, b /)".
ORVAMAT_API CString FormatFormulaValue(const CvdiFunction::CVdiVar& v);
