// The text read behind GetStringValueEx as state around it changes between
// calls: word books loaded late, the language switched, language children
// made, hidden and removed, and one caller's buffer reused for every text.
#include "query/string_read.h"

#include <chrono>
#include <thread>

#include "OrvaMat/datasets.h"
#include "query/path_lookup.h"
#include "query/query_test_util.h"
#include "store/mmd/folder_watch.h"
#include "store/mmd/mmd_test_fixture.h"
#include "store/table_names.h"

namespace {

class QueryStringRead : public CQueryTest {
 protected:
  QueryStringRead() {
    AddDataset(L"ABCD");
    m_hRow = Row(L"Artikel1");
    m_pTexte = Table(L"KurzText", eTypeString);
    SetText(m_pTexte, m_hRow, L"Rohr");
  }
  // The text GetStringValueEx gives with translation on, "<code n>" on failure.
  CString Read(Handle hRow, int nTranslate = 1) {
    CString out = L"unchanged";
    const eMatManager nResult =
        CMatManager::GetStringValueEx(out, m_pTexte, hRow, 0, 0, nTranslate);
    return nResult == eMatOk ? out : L"<code " + std::to_wstring(nResult) + L">";
  }
  Handle m_hRow;
  CMatTable* m_pTexte;
};

TEST_F(QueryStringRead, TranslationLoadedAfterTheFirstReadIsUsed) {
  EXPECT_EQ(Read(m_hRow), L"Rohr");
  AddTranslation(L"Rohr", L"Pipe");
  EXPECT_EQ(Read(m_hRow), L"Pipe");
  EXPECT_EQ(Read(m_hRow, 0), L"Rohr") << "translate off";
  CString out;
  EXPECT_EQ(CMatManager::GetStringValue(out, m_pTexte, m_hRow, 0, 0), eMatOk);
  EXPECT_EQ(out, L"Pipe") << "the call without a choice translates";
  SetLanguage(L"FRENCH");  // drops the translations of the old language
  EXPECT_EQ(Read(m_hRow), L"Rohr");
}

TEST_F(QueryStringRead, LanguageChildFollowsLanguageAndChildren) {
  SetLanguage(L"ENGLISH");
  AddTranslation(L"pipe", L"pipe (dictionary)");
  AddTranslation(L"Bogen", L"bend (dictionary)");
  EXPECT_EQ(Read(m_hRow), L"Rohr") << "no child yet";
  CMatTable* pEnglish = Table(L"English", eTypeString, 1, m_pTexte);
  SetText(pEnglish, m_hRow, L"pipe");
  EXPECT_EQ(Read(m_hRow), L"pipe") << "a child made after the first read, any case, untranslated";
  EXPECT_EQ(Read(m_hRow, 0), L"Rohr");

  const Handle hBogen = Row(L"Bogen");
  SetText(m_pTexte, hBogen, L"Bogen");
  EXPECT_EQ(Read(hBogen), L"bend (dictionary)") << "the child lacks the row: the base, translated";
  EXPECT_EQ(Read(hBogen, 0), L"Bogen");

  SetLanguage(L"FRENCH");
  EXPECT_EQ(Read(m_hRow), L"Rohr");
  CMatTable* pFrench = Table(L"FRENCH", eTypeString, 1, m_pTexte);
  SetText(pFrench, m_hRow, L"tube");
  EXPECT_EQ(Read(m_hRow), L"tube");
  SetLanguage(L"ENGLISH");
  EXPECT_EQ(Read(m_hRow), L"pipe");

  ASSERT_EQ(Store().RenameTable(pEnglish, L"Englisch"), eMatOk);
  EXPECT_EQ(Read(m_hRow), L"Rohr") << "renamed away";
  ASSERT_EQ(Store().RenameTable(pEnglish, L"ENGLISH"), eMatOk);
  EXPECT_EQ(Read(m_hRow), L"pipe");
  ASSERT_EQ(Store().RemoveTable(pEnglish), eMatOk);
  EXPECT_EQ(Read(m_hRow), L"Rohr") << "removed";
}

TEST_F(QueryStringRead, LanguageChildIsTheOneThePathLookUpFinds) {
  // The child found is remembered between reads; what the path look-up would
  // find must still win after a child is hidden or shown, or an alias added.
  SetLanguage(L"ENGLISH");
  CMatTable* pFirst = Table(L"ENGLISH", eTypeString, 1, m_pTexte);
  CMatTable* pSecond = Table(L"English", eTypeString, 1, m_pTexte);
  SetText(pFirst, m_hRow, L"first");
  SetText(pSecond, m_hRow, L"second");
  EXPECT_EQ(Read(m_hRow), L"first");
  ASSERT_EQ(Store().SetFlags(pFirst, eFlagHidden, 0), eMatOk);
  EXPECT_EQ(Read(m_hRow), L"second");
  ASSERT_EQ(Store().SetFlags(pFirst, 0, eFlagHidden), eMatOk);
  EXPECT_EQ(Read(m_hRow), L"first") << "shown again, and first in child order";

  CMatTable* pOther = Table(L"Andere", eTypeString, 1, m_pTexte);
  SetText(pOther, m_hRow, L"other");
  CMatTable* pFound = nullptr;
  ASSERT_EQ(CMatManager::FindTable(&pFound, m_pTexte, L"Andere"), eMatOk);
  EXPECT_EQ(Read(m_hRow), L"first") << "another child looked up in between";
  Store().AddAlias(L"ENGLISH", L"Andere");
  EXPECT_EQ(Read(m_hRow), L"other") << "the language names an alias";
}

TEST_F(QueryStringRead, EmptyChildCellFallsBackAndEmptyCellLeavesOutAlone) {
  SetLanguage(L"ENGLISH");
  AddTranslation(L"Rohr", L"Pipe");
  CMatTable* pEnglish = Table(L"ENGLISH", eTypeString, 1, m_pTexte);
  ASSERT_EQ(Store().AddRow(pEnglish, m_hRow), eMatOk);
  EXPECT_EQ(Read(m_hRow), L"Pipe") << "a child row without text: the base text, translated";

  const Handle hLeer = Row(L"Leer");
  ASSERT_EQ(Store().AddRow(m_pTexte, hLeer), eMatOk);
  EXPECT_EQ(Read(hLeer), L"unchanged");
}

TEST_F(QueryStringRead, LanguageWithADotNamesAPathBelowTheTable) {
  CMatTable* pEnglish = Table(L"ENGLISH", eTypeString, 1, m_pTexte);
  SetText(pEnglish, m_hRow, L"Pipe");
  SetText(Table(L"UK", eTypeString, 1, pEnglish), m_hRow, L"Tube");
  SetLanguage(L"english.uk");
  EXPECT_EQ(Read(m_hRow), L"Tube");
  SetLanguage(L"ENGLISH");
  EXPECT_EQ(Read(m_hRow), L"Pipe");
}

// Where the row's word says the text lies is a hint for the memory only: a
// word with a wrong hint, or none, still reads the text its pool index names.
TEST_F(QueryStringRead, TextComesFromThePoolWhateverTheRowHints) {
  CMatTable* pEnglish = Table(L"ENGLISH", eTypeString, 1, m_pTexte);
  SetText(pEnglish, m_hRow, L"pipe");
  std::uint64_t word = 0;
  std::uint64_t childWord = 0;
  ASSERT_TRUE(m_pTexte->FindRow(m_hRow, word));
  ASSERT_TRUE(pEnglish->FindRow(m_hRow, childWord));
  ASSERT_NE(word >> 32, 0u);
  for (const std::uint64_t nHint : {0xDEADBEEFull, 0x1ull, 0xFFFFFFFFull, 0x0ull}) {
    ASSERT_TRUE(m_pTexte->SetValue(m_hRow, (word & 0xFFFFFFFFu) | nHint << 32));
    ASSERT_TRUE(pEnglish->SetValue(m_hRow, (childWord & 0xFFFFFFFFu) | nHint << 32));
    SetLanguage(L"");
    EXPECT_EQ(Read(m_hRow), L"Rohr") << nHint;
    SetLanguage(L"ENGLISH");
    EXPECT_EQ(Read(m_hRow), L"pipe") << nHint;
  }
}

TEST_F(QueryStringRead, ReusedBufferHoldsExactlyTheLastText) {
  const Handle hLang = Row(L"Lang");
  SetText(m_pTexte, hLang, L"Rohrbogen 90 Grad verzinkt mit Gewinde");
  CString out;
  ASSERT_EQ(ReadStringValue(Store(), out, m_pTexte, hLang, 0, 0, false), eMatOk);
  ASSERT_EQ(ReadStringValue(Store(), out, m_pTexte, m_hRow, 0, 0, false), eMatOk);
  EXPECT_EQ(out, L"Rohr");
  EXPECT_EQ(out.size(), 4u);
  AddTranslation(L"Rohrbogen 90 Grad verzinkt mit Gewinde", L"Bend");
  ASSERT_EQ(ReadStringValue(Store(), out, m_pTexte, hLang, 0, 0, true), eMatOk);
  EXPECT_EQ(out, L"Bend");
}

// A dataset opened from its file: the language child's body is read on the
// first text read, and a later save by another process is seen through the
// child as it is through the parent.
class QueryStringReadFromFile : public CMmdTest {
 protected:
  QueryStringReadFromFile() : m_strPath((m_Folder / L"texte.mmd")) {
    CMatDatenSatz& dataset = MakeDataset(L"TEXT", m_strPath);
    CMatTable* pKurz = Table(L"KurzText", eTypeString);
    SetText(pKurz, H(L"A1"), L"Rohr");
    SetText(Table(L"ENGLISH", eTypeString, 1, pKurz), H(L"A1"), L"Pipe");
    EXPECT_TRUE(SaveDataset(dataset));
    Store().RemoveAllDatasets();
    m_Translation.SetActualLanguage(L"ENGLISH");
  }
  CString Read(CMatTable* pKurz) {
    CString out;
    const eMatManager nResult =
        ReadStringValue(Store(), out, pKurz, Store().FindHandle(L"A1"), 0, 0, true);
    return nResult == eMatOk ? out : L"<code " + std::to_wstring(nResult) + L">";
  }
  CString m_strPath;
};

TEST_F(QueryStringReadFromFile, LanguageChildIsReadFromTheFileAndSeesAnotherProcesssSave) {
  ASSERT_EQ(CMatDatasetCalls::OpenDataset(m_strPath.c_str()), 1);
  CMatTable* pKurz = FindTopLevelTable(*Store().GetCurrent(), L"KurzText", eHiddenTables::kFind);
  ASSERT_NE(pKurz, nullptr);
  EXPECT_EQ(Read(pKurz), L"Pipe");
  ASSERT_EQ(RunInChild([&] {
              CScopedMatStore store;
              if (CMatDatasetCalls::OpenDataset(m_strPath.c_str()) != 1) return 1;
              CMatTable* pEnglish = nullptr;
              FindTable(store.Get(), pEnglish, nullptr, L"KurzText.ENGLISH");
              if (store.Get().SetCellValue(pEnglish, store.Get().FindHandle(L"A1"), 0, 0,
                                           CCellInput::Text(L"Tube")) != eMatOk)
                return 2;
              return SaveDataset(*store.Get().GetCurrent()) ? 0 : 3;
            }),
            0);
  std::this_thread::sleep_for(std::chrono::nanoseconds(CFolderWatch::MaxLookDelayNs() + 1'000'000));
  EXPECT_EQ(Read(pKurz), L"Tube");
  EXPECT_EQ(m_UI.Count(), 0u) << ToUtf8(m_UI.LastText());
}

}  // namespace
