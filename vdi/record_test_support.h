// The surroundings of the record function tests: a fresh store with one
// dataset, a formula context whose record access works on that store, and
// short ways to build record tables and to compile and run a function of
// the product whose records they are.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "OrvaMat/text.h"
#include "formula/formula_context.h"
#include "formula/formula_runtime.h"
#include "store/store_test_util.h"
#include "vdi/record_access.h"

class CRecordTest : public ::testing::Test, public CTestSurroundings {
 protected:
  CRecordTest();

  // A record table (a StrLine table holding text) below pParent (null: at
  // the top level of the dataset).
  CMatTable* Record(CMatTable* pParent, const wchar_t* pName, const wchar_t* pText);
  // Compiles "<type> FUNCTION F()" with the body as a function of the
  // product m_pProduct; null (with a failure) when it does not parse.
  CvdiFunction* Compile(const CString& type, const CString& body);
  // Runs f with m_pos; true when no error was reported.
  bool Run(CvdiFunction* f);
  // The result of a run that must succeed.
  const CvdiFunction::CVdiVar& Result(const CString& type, const CString& body);
  std::int32_t Int(const CString& body) { return Result(L"INTEGER", body).m_nValue; }
  CString Text(const CString& body) { return CString(Result(L"CHARACTER (200)", body).GetText()); }
  float Real(const CString& body) { return Result(L"REAL", body).m_fValue; }
  bool Logical(const CString& body) { return Result(L"LOGICAL", body).m_nValue != 0; }
  // The message of a run that must fail.
  CString Failure(const CString& body);
  // The message line of the last error report ("" when none was shown).
  CString LastMessage() const;

  CMatDatenSatz* m_pDataset = nullptr;
  CMatTable* m_pProduct = nullptr;  // the table of the function list
  VdiRecordPosition m_pos;
  std::uint64_t m_nTicks = 1000;
  CFormulaContext m_context;
  CFormulaRuntime m_runtime{m_context};
  CVdiRecordAccess m_access{&m_context, &Store()};
  std::unique_ptr<CvdiFunctionList> m_pList;
};
