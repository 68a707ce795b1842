#include "vdi/record_test_support.h"

#include "OrvaMat/text.h"
#include "formula/fortran_parser.h"

CRecordTest::CRecordTest() {
  auto pDataset = std::make_unique<CMatDatenSatz>();
  m_pDataset = Store().AddDataset(std::move(pDataset));
  Store().SetCurrent(m_pDataset);
  m_context.m_fnTicks = [this] { return m_nTicks; };
  m_context.m_pRecordAccess = &m_access;
}

CMatTable* CRecordTest::Record(CMatTable* pParent, const wchar_t* pName, const wchar_t* pText) {
  CMatTable* pTable = Store().CreateTable(pParent, pName, eTypeStrLine, 1);
  EXPECT_NE(pTable, nullptr);
  if (pTable != nullptr) {
    EXPECT_EQ(Store().SetCellValue(pTable, pTable->m_hName, 0, 0, CCellInput::Text(pText)), eMatOk);
  }
  return pTable;
}

CvdiFunction* CRecordTest::Compile(const CString& type, const CString& body) {
  m_pList = std::make_unique<CvdiFunctionList>();
  m_pList->m_pTable = m_pProduct;
  m_context.m_bError = false;
  m_nTicks += 1000;  // every case is a new report, never a repeat of the last
  const CString text = type + L" FUNCTION F()\r\n" + body + L"END FUNCTION F\r\n";
  CFortranParser(m_context, *m_pList).Bodies(text.c_str());
  CvdiFunction* f = m_pList->findFunction(L"F");
  EXPECT_TRUE(f != nullptr && !m_context.m_bError) << "does not parse";
  return f;
}

bool CRecordTest::Run(CvdiFunction* f) { return f != nullptr && m_runtime.Run(f, &m_pos); }

const CvdiFunction::CVdiVar& CRecordTest::Result(const CString& type, const CString& body) {
  static const CvdiFunction::CVdiVar none;
  CvdiFunction* f = Compile(type, body);
  EXPECT_TRUE(Run(f)) << "fails: " << ToUtf8(LastMessage());
  return f != nullptr ? f->m_result : none;
}

CString CRecordTest::Failure(const CString& body) {
  CvdiFunction* f = Compile(L"INTEGER", body);
  const std::size_t nBefore = UI().Count();
  EXPECT_FALSE(Run(f)) << "runs";
  EXPECT_EQ(UI().Count(), nBefore + 1) << "one report";
  return LastMessage();
}

CString CRecordTest::LastMessage() const {
  const CString text = m_UI.LastText();
  const auto n = text.find(L"Message: ");
  if (n == CString::npos) return L"";
  const auto e = text.find(L"\r\n Token:", n);
  return text.substr(n + 9, e - n - 9);
}
