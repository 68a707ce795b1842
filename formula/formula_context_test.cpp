#include "formula/formula_context.h"

#include "formula/test_support.h"
#include "store/base/translation.h"

namespace {

class FormulaErrorReport : public CFormulaTest {
 protected:
  void Report(const wchar_t* message) {
    EXPECT_THROW(m_context.ReportError(message), CFortranError);
  }
};

TEST_F(FormulaErrorReport, SevenLinesWithCollapsedBlanks) {
  m_list.m_strLocation = L"C:\\data\\ACME.mmd";
  m_list.m_strTableName = L"110-12";
  m_list.m_strParentTableName = L"100-3";
  m_context.SetReportSource(m_list);
  m_context.m_debugStack.Push(L"F", 4);
  m_context.m_debugStack.Push(L"G", -1);
  m_context.m_scanner.SetLine(7);
  Report(L"Unknown  Symbol X");
  ASSERT_EQ(m_ui.Count(), 1u);
  EXPECT_EQ(m_ui.LastText(),
            L"Der Datensatz dieses Produkts ist fehlerhaft.\r\n\r\n"
            L" Dataset: C:\\data\\ACME.mmd\r\n"
            L" Index 100: 3\r\n"
            L" Index 110: 12\r\n"
            L" Function Location: F (4) -> G (-1)\r\n"
            L" Line nbr: 7\r\n"
            L" Message: Unknown Symbol X\r\n"
            L" Token: \r\n");
  EXPECT_EQ(m_ui.LastStyle(), MB_OK | MB_ICONERROR);
  EXPECT_TRUE(m_context.m_bError);
}

TEST_F(FormulaErrorReport, SameReportWithin750msOfClosingShowsOnce) {
  Report(L"boom");
  m_context.m_bError = false;
  m_nTicks += 749;
  Report(L"boom");
  EXPECT_EQ(m_ui.Count(), 1u);
  EXPECT_TRUE(m_context.m_bError) << "a suppressed report still sets the flag";
  Report(L"other");
  EXPECT_EQ(m_ui.Count(), 2u);
  m_nTicks += 750;
  Report(L"boom");
  EXPECT_EQ(m_ui.Count(), 3u);
}

// The suppression counts from the closing of the box, not from the report.
class CSlowUI : public CRecordingHostUI {
 public:
  explicit CSlowUI(std::uint64_t& ticks) : m_nTicks(ticks) {}
  int MessageBox(const CString& text, const CString& title, unsigned style) override {
    m_nTicks += 5000;  // the user reads for five seconds
    return CRecordingHostUI::MessageBox(text, title, style);
  }

 private:
  std::uint64_t& m_nTicks;
};

TEST_F(FormulaErrorReport, MeasuredFromClosing) {
  CSlowUI ui(m_nTicks);
  CScopedHostUI scoped(ui);
  Report(L"boom");
  m_nTicks += 100;
  Report(L"boom");
  EXPECT_EQ(ui.Count(), 1u);
}

TEST_F(FormulaErrorReport, HeadIsTranslated) {
  CTranslationManager manager(L"ENGLISH");
  CScopedTranslationManager scoped(manager);
  LibraryTranslation().AddTranslation(L"Der Datensatz dieses Produkts ist fehlerhaft.",
                                      L"The product's data set is faulty.");
  Report(L"x");
  EXPECT_EQ(m_ui.LastText().rfind(L"The product's data set is faulty.\r\n\r\n", 0), 0u);
}

}  // namespace
