#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/text.h"
#include "store/base/num_string.h"
#include "store/mmtb/mat_text_file.h"
#include "store/mmtb/mmtb_test_util.h"

namespace {

class MatTextPreprocessor : public CMmtbTest {
 protected:
  MatTextPreprocessor() {
    char folder[] = "/tmp/mmtb_pp_XXXXXX";
    m_Folder = mkdtemp(folder);
  }
  ~MatTextPreprocessor() override { std::filesystem::remove_all(m_Folder); }
  // Writes a file of the test's folder as UTF-8 with a byte-order mark.
  CString File(const char* pName, const std::wstring& text) {
    const std::filesystem::path path = m_Folder / pName;
    std::ofstream(path, std::ios::binary) << "\xEF\xBB\xBF" << ToUtf8(text);
    return FromUtf8(path.string());
  }

  std::filesystem::path m_Folder;
};

TEST_F(MatTextPreprocessor, IfdefElseEndifChooseLinesByMacro) {
  const std::wstring body =
      L"#ifdef GROSS\n(*a*) 1\n#else\n(*a*) 2\n#endif\n"
      L"#ifdef GROSS\n#ifdef KLEIN\n(*b*) 3\n#else\n(*b*) 4\n#endif\n#endif\n"
      L"(*c*) (ZAHL*2)\n";
  CMatTable* pTable = Table(L"T", eTypeInteger);
  ASSERT_TRUE(ReadBody(pTable, L"#define GROSS 1\n#define ZAHL 21\n" + body));
  EXPECT_EQ(Cell(pTable, L"a"), 1u);
  EXPECT_EQ(Cell(pTable, L"b"), 4u);
  EXPECT_EQ(Cell(pTable, L"c"), 42u);
  // Without the macro the "#else" lines count; a nested block of an inactive
  // one reads nothing, "#else" included.
  CMatTable* pOther = Table(L"U", eTypeInteger);
  ASSERT_TRUE(ReadBody(pOther, L"#undef GROSS\n#define KLEIN 1\n" + body));
  EXPECT_EQ(Cell(pOther, L"a"), 2u);
  EXPECT_EQ(Cell(pOther, L"b"), ~0u);
  EXPECT_EQ(m_UI.Count(), 0u) << ToUtf8(Texts());
}

TEST_F(MatTextPreprocessor, IfdefErrors) {
  CMatTable* pTable = Table(L"T", eTypeInteger);
  EXPECT_FALSE(ReadBody(pTable, L"\n#ifdef X\n(*a*) 1\n"));
  EXPECT_EQ(m_UI.LastText(),
            L"Kein <#endif> gefunden für <#ifdef> aus Zeile 1 in der Datei <test.mmtb>");
  EXPECT_EQ(m_UI.LastStyle(), unsigned{MB_OK | MB_ICONERROR});
  EXPECT_FALSE(ReadBody(pTable, L"#ifdef X\n[Ende]\n#endif\n"));
  EXPECT_EQ(m_UI.LastText(),
            L"Kein <#endif> gefunden für <#ifdef> aus Zeile 0 in der Datei <test.mmtb>");
  EXPECT_FALSE(ReadBody(pTable, L"#ifdef X\n#else\n\n#else\n#endif\n"));
  EXPECT_EQ(m_UI.LastText(), L"<#else> schon in Zeile 1 gefunden  in der Datei <test.mmtb>");
  // Nesting deeper than the reader takes ends with one message.
  std::wstring deep = L"#define X 1\n";
  for (int i = 0; i < 10000; ++i) deep += L"#ifdef X\n";
  m_UI.Clear();
  EXPECT_FALSE(ReadBody(pTable, deep));
  EXPECT_EQ(m_UI.Count(), 1u);
}

TEST_F(MatTextPreprocessor, AFailingLineInsideAnActiveBlockStopsReading) {
  CMatTable* pTable = Table(L"T", eTypeInteger);
  EXPECT_FALSE(ReadBody(
      pTable, L"#define X 1\n#ifdef X\n(*a*) 1\nbroken (*\n#else\n(*b*) 2\n#endif\n(*c*) 3\n"));
  EXPECT_EQ(Cell(pTable, L"a"), 1u);
  EXPECT_EQ(Cell(pTable, L"b"), ~0u);
  EXPECT_EQ(Cell(pTable, L"c"), ~0u);
}

TEST_F(MatTextPreprocessor, StrayElseAndEndifWarnAndKeepTheMacro) {
  CMatTable* pTable = Table(L"T", eTypeInteger);
  ASSERT_TRUE(ReadBody(pTable, L"#define X 1\n#else X\n#endif\n#ifdef X\n(*a*) 1\n#endif\n"));
  EXPECT_TRUE(CNumString::knownMacro(L"X"));
  EXPECT_EQ(Cell(pTable, L"a"), 1u);
  ASSERT_EQ(m_UI.Count(), 2u);
  EXPECT_EQ(m_UI.GetMessages()[0].strText,
            L"<#else> ohne <#ifdef> in Zeile 1 in der Datei <test.mmtb> wird ignoriert");
  EXPECT_EQ(m_UI.GetMessages()[1].strText,
            L"<#endif> ohne <#ifdef> in Zeile 2 in der Datei <test.mmtb> wird ignoriert");
}

TEST_F(MatTextPreprocessor, MessageShowsAWordOrAQuotedText) {
  CMatTable* pTable = Table(L"T", eTypeInteger);
  ASSERT_TRUE(ReadBody(pTable, L"#message Hallo Welt\n#message \"Hallo Welt\"\n"));
  ASSERT_EQ(m_UI.Count(), 2u);
  EXPECT_EQ(m_UI.GetMessages()[0].strText, L"Hallo");
  EXPECT_EQ(m_UI.GetMessages()[1].strText, L"Hallo Welt");
  EXPECT_EQ(m_UI.LastStyle(), unsigned{MB_OK | MB_ICONINFORMATION});
}

TEST_F(MatTextPreprocessor, IncludeReadsIntoTheSameTableAndRestoresTheReader) {
  const CString inner = File("inner.mmtb", L"(*b*) 2\r\n[Ende_MMTB]\r\n(*ignored*) 9\r\n");
  const CString outer = File("outer.mmtb", L"[MMTB]\r\n(*T*)(**)I,1\r\n(*a*) 1\r\n#include " +
                                               inner + L"\r\n(*c*) 3\r\n[Ende_MMTB]\r\n");
  ASSERT_TRUE(ReadMmtbFile(Store(), outer)) << ToUtf8(Texts());
  CMatTable* pTable = Top(L"T");
  EXPECT_EQ(Cell(pTable, L"a"), 1u);
  EXPECT_EQ(Cell(pTable, L"b"), 2u);
  EXPECT_EQ(Cell(pTable, L"c"), 3u);
  EXPECT_EQ(Cell(pTable, L"ignored"), ~0u);
  EXPECT_EQ(Store().m_pTextReader, nullptr);
}

TEST_F(MatTextPreprocessor, IncludeOfAMissingFileIsAnError) {
  const CString outer =
      File("outer.mmtb", L"[MMTB]\r\n(*T*)(**)I,1\r\n#include nothere.mmtb\r\n(*a*) 1\r\n");
  EXPECT_FALSE(ReadMmtbFile(Store(), outer));
  EXPECT_EQ(m_UI.LastText(), L"Datei <nothere.mmtb> kann nicht geöffnet werden.");
  EXPECT_EQ(m_UI.LastStyle(), unsigned{MB_OK | MB_ICONERROR});
  EXPECT_EQ(Cell(Top(L"T"), L"a"), ~0u);
  EXPECT_FALSE(ReadMmtbFile(Store(), L"/nonexistent.mmtb"));
  EXPECT_EQ(m_UI.LastText(), L"Datei </nonexistent.mmtb> kann nicht geöffnet werden.");
}

TEST_F(MatTextPreprocessor, IncludeOfItselfEndsAtTheDepthLimit) {
  const std::filesystem::path path = m_Folder / "self.mmtb";
  const CString self =
      File("self.mmtb", L"(*r*) 1\r\n#include " + FromUtf8(path.string()) + L"\r\n");
  CMatTable* pTable = Table(L"T", eTypeInteger);
  CMatTextReader reader(&Store());
  ASSERT_TRUE(reader.OpenText(self));
  EXPECT_FALSE(reader.ReadTableBody(pTable));
  ASSERT_EQ(m_UI.Count(), 1u);
  EXPECT_EQ(m_UI.LastText(), L"Datei: " + self +
                                 L", Zeile:1 Mehr als 16 <#include> ineinander, die Datei <" +
                                 self + L"> wird nicht gelesen.");
}

}  // namespace
