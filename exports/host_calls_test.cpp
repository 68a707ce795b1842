// The calls a host makes on files (OrvaMat/import.h, database_file.h,
// article_fields.h, formula_file.h), through the public headers as a host
// sees them, on the bundled examples and small texts of their own.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "OrvaMat/article_fields.h"
#include "OrvaMat/database_file.h"
#include "OrvaMat/formula_file.h"
#include "OrvaMat/import.h"
#include "OrvaMat/script.h"
#include "OrvaMat/text.h"
#include "OrvaMat/vdi.h"
#include "exports/library_attach.h"
#include "import/dn_test_util.h"

namespace {

const std::string kExamples = std::string(ORVAMAT_TEST_SOURCE_DIR) + "/examples";

class HostCalls : public CFileTest {
 protected:
  // The MMTB text imported into a new database file; its dataset's prefix.
  unsigned long ImportMmtb(const std::string& text, const wchar_t* file) {
    CImportTarget target;
    target.strPath = m_Folder / file;
    target.strNewID = L"TEST";
    const unsigned long prefix = OpenImportFile(target);
    if (prefix == 0) return 0;
    const CMmtbReadResult read = ReadMmtbIntoDataset(prefix, Write(L"text.mmtb", text));
    return FinishImportFile(prefix, target, read.bRead && read.bAnyTable) ? prefix : 0;
  }
};

TEST_F(HostCalls, ArticleFieldsOfTheBundledCatalogue) {
  CDnFileImport request;
  for (const char* name : {"beispiel.wrg", "beispiel.001", "beispiel5.001"})
    request.files.push_back(FromUtf8(kExamples + "/datanorm/" + name));
  request.target.strPath = m_Folder / L"beispiel.mmd";
  request.target.strID = L"BSPL";
  request.bDosCharset = true;
  CDnFileImportResult result;
  ASSERT_TRUE(ImportDatanormIntoFile(request, {}, result)) << ToUtf8(UI().LastText());

  const unsigned long prefix = OpenDatabaseFile(request.target.strPath);
  ASSERT_NE(prefix, 0u);
  const unsigned long article = FindArticle(prefix, L"UP-25-60");
  ASSERT_NE(article, 0u);
  CArticleFields fields;
  ASSERT_EQ(GetArticleFields(fields, article), eMatOk);
  // "A;N;UP-25-60;Umwälzpumpe 25-60;Baulänge 180 mm;PCE;1;1;21900;PU;30;3010;UMWAELZ 25-60;
  // ...;4012345000109" of beispiel5.001.
  EXPECT_EQ(fields.strShortText, L"Umwälzpumpe 25-60\r\nBaulänge 180 mm");
  EXPECT_EQ(FormatPrice(fields.fPrice), L"219.00");
  EXPECT_EQ(fields.nPriceUnit, 1u);
  EXPECT_EQ(fields.strDiscountGroup, L"PU");
  EXPECT_EQ(fields.strQuantityUnit, L"Stck");                // PCE
  EXPECT_EQ(FormatFactor(fields.fDiscountFactor), L"0.75");  // "R;PU;1;2500": 25 % off
  EXPECT_EQ(FormatFactor(123456.0), L"1.235e+05");
  EXPECT_EQ(fields.strMainGroup, L"HWG_30");
  EXPECT_EQ(fields.strProductGroup, L"WG_3010");
  EXPECT_EQ(fields.strMatchCode, L"UMWAELZ 25-60");
  EXPECT_EQ(fields.strEAN, L"4012345000109");
  EXPECT_EQ(fields.strCompleteText.rfind(L"Umwälzpumpe 25-60\r\nBaulänge 180 mm", 0), 0u);

  // No such article, and no dataset of the handle.
  EXPECT_EQ(FindArticle(prefix, L"GIBT-ES-NICHT"), 0u);
  EXPECT_EQ(FindArticle(0, L"UP-25-60"), 0u);
  EXPECT_EQ(GetArticleFields(fields, 0), eMatNoHandle);
  EXPECT_EQ(fields.strShortText, L"");
}

TEST_F(HostCalls, DumpFindsTheTableByThePathLookUp) {
  const unsigned long prefix = ImportMmtb(
      "[MMTB]\n(*Artikel*)(**)V,1\n(*A-1*)\n[MMTB]\n(*KurzText*)(*Artikel*)C,1\n"
      "(*A-1*) (*Erster*)\n[Ende_MMTB]\n[Ende_MMTB]\n",
      L"x.mmd");
  ASSERT_NE(prefix, 0u) << ToUtf8(UI().LastText());
  CStringList lines;
  // Names without regard to case, and with the dataset's prefix.
  for (const wchar_t* path : {L"artikel.KURZTEXT", L"TEST\\Artikel.KurzText"}) {
    lines.clear();
    EXPECT_EQ(WriteDatasetText(prefix, path, lines), eMatOk) << ToUtf8(path);
    ASSERT_GE(lines.size(), 2u);  // [MMTB], then the table's head
    EXPECT_EQ(lines[1].rfind(L"(*KurzText*)(*Artikel*)", 0), 0u) << ToUtf8(lines[1]);
    EXPECT_EQ(std::find(lines.begin(), lines.end(), L"(*Artikel*)(**)V,1"), lines.end());
  }
  lines.clear();
  EXPECT_EQ(WriteDatasetText(prefix, L"Artikel.Fehlt", lines), eMatNoTable);
  EXPECT_EQ(WriteDatasetText(0, L"", lines), eMatNoDataset);
  EXPECT_TRUE(lines.empty());
  // Everything: every top-level table, the child inside its parent.
  EXPECT_EQ(WriteDatasetText(prefix, L"", lines), eMatOk);
  EXPECT_NE(std::find(lines.begin(), lines.end(), L"(*Artikel*)(**)V,1"), lines.end());

  CDatabaseFileInfo info;
  ASSERT_TRUE(GetDatabaseFileInfo(prefix, info));
  EXPECT_EQ(info.strID, L"TEST");
  ASSERT_FALSE(info.tables.empty());
  const CTableSummary& artikel = info.tables.back();  // after the standard tables
  EXPECT_EQ(artikel.strName, L"Artikel");
  EXPECT_EQ(artikel.nRowCount, 1);
  ASSERT_EQ(artikel.children.size(), 1u);
  EXPECT_EQ(artikel.children[0].strName, L"KurzText");
  EXPECT_EQ(TableTypeText(artikel.children[0].nType), L"C");
  EXPECT_FALSE(GetDatabaseFileInfo(0, info));
}

TEST_F(HostCalls, FormulaValuesAsText) {
  using CVdiVar = CvdiFunction::CVdiVar;
  CVdiVar real, dbl, logical, text, array;
  real.setType(REAL, 0, 0, 0);
  real.m_fValue = 0.1f;
  dbl.setType(DOUBLE, 0, 0, 0);
  dbl.m_dValue = 0.1;
  logical.setType(LOGICAL, 0, 0, 0);
  logical.m_nValue = 1;
  text.setType(CHARACTER, 8, 0, 0);
  text.SetText(L"Platte");
  ASSERT_TRUE(array.setType(INTEGER, 0, 3, 1));
  auto* pCells = static_cast<std::int32_t*>(array.GetData());
  pCells[0] = 1, pCells[1] = -2, pCells[2] = 3;
  const struct {
    const CVdiVar& v;
    const wchar_t* value;
    const wchar_t* type;
  } cases[] = {
      {real, L"0.100000001", L"REAL"},        {dbl, L"0.10000000000000001", L"DOUBLE PRECISION"},
      {logical, L".TRUE.", L"LOGICAL"},       {text, L"Platte", L"CHARACTER"},
      {array, L"(/ 1, -2, 3 /)", L"INTEGER"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatFormulaValue(c.v), c.value);
    EXPECT_STREQ(FormulaTypeName(c.v.m_eType), c.type);
  }
  EXPECT_EQ(FormulaArrayLength(array), 3u);
  EXPECT_EQ(FormulaArrayLength(real), 0u);
  EXPECT_EQ(FormatFormulaElement(array, 1), L"-2");
}

TEST_F(HostCalls, FormulaFileKeepsItsMessagesForTheHost) {
  const CString path = Write(L"f.txt",
                             "[declarations]\nINTEGER = =\n[bodies]\nREAL FUNCTION F()\nF = 1\n"
                             "END FUNCTION F\n");
  CFormulaFile file;
  EXPECT_FALSE(file.Load(path));
  EXPECT_TRUE(file.HasError());
  EXPECT_EQ(file.GetMessages().size(), 1u);
  // Kept, not shown.
  EXPECT_EQ(UI().Count(), 0u);

  CFormulaFile good;
  ASSERT_TRUE(good.Load(Write(L"g.txt",
                              "[bodies]\nREAL FUNCTION G(X)\nREAL X\nG = X * 2\n"
                              "END FUNCTION G\n")))
      << (good.GetMessages().empty() ? "" : ToUtf8(good.GetMessages().front()));
  CvdiFunction* f = good.GetFunctions().findFunction(L"g");
  ASSERT_NE(f, nullptr);
  f->FindParameter(L"X")->m_fValue = 1.5f;
  std::vector<CString> debug;
  EXPECT_TRUE(good.Run(*f, debug));
  EXPECT_EQ(FormatFormulaValue(f->m_result), L"3");
  EXPECT_TRUE(good.GetMessages().empty());
}

// "#importvdi" reads the file once the library is put together: the reader
// lies above the script processor and is registered by the attach.
TEST_F(HostCalls, ScriptImportsVdiFile) {
  OrvaMatAttach();
  Write(L"pumpen.vdi", "010;4;Hersteller;Pumpen\r\n100;1;Reihe\r\n110;1;Pumpe A\r\n");
  const CString script = Write(L"run.txt", "[MMD1]\r\n#importvdi pumpen.vdi\r\n#saveMMD\r\n");
  CImportTarget target;
  target.strPath = m_Folder / L"vdi.mmd";
  target.strNewID = L"VDI0";
  CScriptRunResult result;
  ASSERT_TRUE(RunScriptIntoFile(script, target, result));
  EXPECT_TRUE(result.bTargetSaved);
  const std::vector<CVdiSheet> sheets = ListVdiSheets(OpenDatabaseFile(target.strPath));
  ASSERT_EQ(sheets.size(), 1u);
  ASSERT_EQ(sheets[0].products.size(), 1u);
  EXPECT_EQ(sheets[0].products[0].strPath, L"VDI-Pumpen.100-1.110-1");
}

}  // namespace
