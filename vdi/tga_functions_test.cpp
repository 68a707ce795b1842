#include "vdi/tga_functions.h"

#include "vdi/tga_test_support.h"

namespace {

using TgaFunctions = CTgaTest;

// A helper declared in an earlier 600 record is called by a later one; the
// list carries what the error report names.
TEST_F(TgaFunctions, ListOfEveryFunctionRecordInChildOrder) {
  Functions(L"600-1", L"INTEGER N\r\nINTEGER FUNCTION TWICE(N)",
            L"INTEGER FUNCTION TWICE(N)\r\nINTEGER N\r\nTWICE = 2 * N\r\nEND FUNCTION TWICE\r\n");
  TgaFunction(L"R(1) = '810;1;A;'\r\nTGA_810 = TWICE(21)\r\n", L"TGA_810", L"600-2");
  CvdiFunction* f = m_functions.GetFunction(m_pProduct, L"tga_810");
  ASSERT_NE(f, nullptr) << ToUtf8(UI().LastText());
  EXPECT_EQ(f->m_pList->m_strLocation, L"Hersteller GmbH - Flachheizkoerper - Kompakt");
  EXPECT_EQ(f->m_pList->m_strTableName, L"110-2");
  EXPECT_EQ(f->m_pList->m_strParentTableName, L"100-1");
  EXPECT_EQ(f->m_pList->m_pTable, m_pProduct);
  ASSERT_NE(m_functions.Run(*f, CTgaSlots{}, L"001"), nullptr);
  EXPECT_EQ(f->m_result.m_nValue, 42);
  EXPECT_EQ(m_functions.GetFunction(m_pProduct, L"NONE"), nullptr);
  EXPECT_EQ(m_functions.GetFunction(nullptr, L"TGA_810"), nullptr);
}

TEST_F(TgaFunctions, ListsAreKeptWhileTheTreeHolds) {
  TgaFunction(L"TGA_810 = 1\r\n");
  CvdiFunction* f = m_functions.GetFunction(m_pProduct, L"TGA_810");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(m_functions.GetFunction(m_pProduct, L"TGA_810"), f);
  EXPECT_EQ(m_functions.GetBuildCount(), 1u);
  // A function record added later (the sheet read again) is compiled.
  TgaFunction(L"G = 2\r\n", L"G", L"600-2");
  EXPECT_NE(m_functions.GetFunction(m_pProduct, L"G"), nullptr);
  EXPECT_EQ(m_functions.GetBuildCount(), 2u);
}

// A list that fails is reported once and not compiled again; the other
// products keep theirs.
TEST_F(TgaFunctions, FailedListsAreNotTriedAgain) {
  TgaFunction(L"TGA_810 = Q\r\n");
  CMatTable* pGood = Record(m_pSeries, L"110-3", L"Typ 20");
  Record(Record(pGood, L"600-1", L"INTEGER FUNCTION G()"), L"610",
         L"INTEGER FUNCTION G()\r\nG = 1\r\nEND FUNCTION G\r\n");
  EXPECT_EQ(m_functions.GetFunction(m_pProduct, L"TGA_810"), nullptr);
  EXPECT_TRUE(m_functions.HasFailed(m_pProduct));
  EXPECT_EQ(UI().Count(), 1u);
  EXPECT_EQ(m_functions.GetFunction(m_pProduct, L"TGA_810"), nullptr);
  EXPECT_EQ(m_functions.GetBuildCount(), 1u);
  EXPECT_EQ(UI().Count(), 1u);
  EXPECT_NE(m_functions.GetFunction(pGood, L"G"), nullptr);
  EXPECT_FALSE(m_functions.HasFailed(pGood));
}

// The slots position the record functions; a run that assigns nothing to
// the result never hands on the result of the run before.
TEST_F(TgaFunctions, RunsArePositionedAndStartEmpty) {
  Record(m_pProduct, L"700-1", L"Bauhoehe 300;1");
  Record(m_pProduct, L"700-2", L"Bauhoehe 600;0");
  TgaFunction(
      L"INTEGER N\r\nN = VDIIWERT('700', 0, 3)\r\n"
      L"IF (N == 1) R(1) = VDISTRING('810;1;&;', VDICWERT('700', 0, 2))\r\nTGA_810 = 1\r\n");
  CvdiFunction* f = m_functions.GetFunction(m_pProduct, L"TGA_810");
  ASSERT_NE(f, nullptr) << ToUtf8(UI().LastText());
  CTgaSlots slots{};
  slots[15] = 1;
  const CvdiFunction::CVdiVar* pResult = m_functions.Run(*f, slots, L"x");
  ASSERT_NE(pResult, nullptr) << ToUtf8(UI().LastText());
  EXPECT_EQ(pResult->GetText(0), L"810;1;Bauhoehe 300;");
  slots[15] = 2;
  pResult = m_functions.Run(*f, slots, L"x");
  ASSERT_NE(pResult, nullptr);
  EXPECT_EQ(pResult->GetText(0), L"");
}

TEST_F(TgaFunctions, AFunctionWithoutATextParameterIsRefused) {
  Functions(L"600-1", L"INTEGER N\r\nINTEGER FUNCTION TGA_810(N)",
            L"INTEGER FUNCTION TGA_810(N)\r\nINTEGER N\r\nTGA_810 = N\r\nEND FUNCTION TGA_810\r\n");
  CvdiFunction* f = m_functions.GetFunction(m_pProduct, L"TGA_810");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(m_functions.Run(*f, CTgaSlots{}, L"001"), nullptr);
  EXPECT_EQ(UI().LastText(), L"Funktion <TGA_810> hat keinen Textparameter für die TGA-Nummer");
}

}  // namespace
