// The dialogs' decisions, without a display: the dataset page and the
// article choice, and the exported calls without a dialogs library.
#include <gtest/gtest.h>

#include <clocale>

#include "OrvaMat/dialogs.h"
#include "OrvaMat/mat_manager.h"
#include "platform/registry.h"
#include "query/article/article_test_util.h"
#include "store/mmd/dataset_registry.h"

namespace {

class DialogModels : public ::testing::Test {
 protected:
  DialogModels() {
    m_Folder = std::make_unique<CTempFolder>();
    setenv("ORVAMAT_HOME", ToUtf8(m_Folder->GetPath()).c_str(), 1);
  }
  std::unique_ptr<CTempFolder> m_Folder;
  CArticleTestDataset m_Data;
};

TEST_F(DialogModels, TheDatasetPageListsNamesImagesAndTheFactsOfTheSelection) {
  CMatTable* pStrings = m_Data.Table(L"StringTable", eTypeString);
  m_Data.SetText(pStrings, L"HERSTELLERNAME", L"Alpha GmbH");
  m_Data.SetText(pStrings, L"DATANORM_DATUM", L"150325");
  m_Data.SetText(pStrings, L"WAEHRUNG", L"EUR");
  m_Data.Table(L"VDI-Heizkoerper", eTypeVoid);
  m_Data.Table(L"Heizung", eTypeVoid);
  const unsigned long nAlpha = m_Data.Dataset().GetPrefix();
  auto pOther = std::make_unique<CMatDatenSatz>();
  pOther->m_strName = L"Beta";
  CMatDatenSatz* pBeta = m_Data.Store().AddDataset(std::move(pOther));
  ASSERT_TRUE(SetDatasetListed(*pBeta, false));

  std::vector<CKonfigPageItem> items = CKonfigPageModel::Fill();
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].strName, L"Alpha GmbH");
  EXPECT_EQ(items[0].nImage, kKonfigListed);
  EXPECT_EQ(items[1].strName, L"Beta");
  EXPECT_EQ(items[1].nImage, kKonfigExcluded);
  // The lines in the page's order, whatever order the tables were made in.
  EXPECT_EQ(
      CKonfigPageModel::GetInfoLines(nAlpha),
      (std::vector<CString>{L"Datanorm: 15.03.25", L"Währung: EUR",
                            L"Daten für Heizungsrohrnetzberechnung", L"VDI-Heizkörperdaten"}));
  EXPECT_TRUE(CKonfigPageModel::GetInfoLines(pBeta->GetPrefix()).empty());
  // A Datanorm date gets its points also when it is short.
  const std::pair<const wchar_t*, const wchar_t*> dates[] = {
      {L"1503", L"15.03."}, {L"1", L"1.."}, {L"", L".."}};
  for (const auto& [in, out] : dates) EXPECT_EQ(CKonfigPageModel::FormatDatanormDate(in), out);

  ASSERT_TRUE(CKonfigPageModel::Toggle(pBeta->GetPrefix()));
  items = CKonfigPageModel::Fill();
  EXPECT_EQ(items[1].nImage, kKonfigListed);
  EXPECT_TRUE(pBeta->m_bListed);
  // A dataset closed since the list was filled: nothing happens.
  pBeta->m_bClosed = true;
  EXPECT_FALSE(CKonfigPageModel::Toggle(pBeta->GetPrefix()));
  EXPECT_EQ(CKonfigPageModel::GetName(pBeta->GetPrefix()), L"");
  EXPECT_TRUE(CKonfigPageModel::GetInfoLines(0x7F000000).empty());
  EXPECT_EQ(CKonfigPageModel::Fill().size(), 1u);
}

TEST_F(DialogModels, TheArticleChoiceListsArticlesWithAShortTextAndLoadsAPictureOnce) {
  CMatTable* pKurz = m_Data.Table(L"KurzText", eTypeString);
  m_Data.SetText(pKurz, L"A-1", L"Pumpe");
  m_Data.SetText(pKurz, L"A-3", L"Ventil");
  m_Data.H(L"A-2");  // no short text: left out
  const CPtrList handles = {reinterpret_cast<void*>(std::uintptr_t{m_Data.H(L"A-1")}),
                            reinterpret_cast<void*>(std::uintptr_t{m_Data.H(L"A-2")}),
                            reinterpret_cast<void*>(std::uintptr_t{m_Data.H(L"A-3")})};
  CArticleChoiceModel model(handles);
  ASSERT_EQ(model.GetItems().size(), 2u);
  EXPECT_EQ(model.GetItems()[0].strText, L"Art-Nr. A-1\nPumpe");
  EXPECT_EQ(model.GetItems()[1].hArticle, m_Data.H(L"A-3"));
  EXPECT_FALSE(model.IsOkEnabled());
  EXPECT_EQ(model.GetChosen(), 0u);

  // Both articles fall back to the one default picture: loaded once.
  CString picture;
  ASSERT_TRUE(model.Select(0, picture));
  EXPECT_NE(picture, L"");
  ASSERT_TRUE(model.Select(1, picture));
  EXPECT_EQ(picture, L"");
  EXPECT_EQ(model.GetChosen(), m_Data.H(L"A-3"));
  EXPECT_TRUE(model.IsOkEnabled());
  // A stale index chooses nothing.
  EXPECT_FALSE(model.Select(2, picture));
  EXPECT_EQ(model.GetChosen(), m_Data.H(L"A-3"));
}

TEST_F(DialogModels, WithoutADialogsLibraryTheCallsExplainAndCancel) {
  ASSERT_EQ(GetDialogProvider(), nullptr);
  EXPECT_EQ(CMatManager::GetKonfigPageClass(L"Materialverwaltung"), nullptr);
  EXPECT_EQ(CMatManager::chooseArtikelDlg(nullptr, {}), 0ul);
  EXPECT_EQ(m_Data.UI().Count(), 2u);
  EXPECT_TRUE(m_Data.UI().HasMessageContaining(L"libOrvaMatDialogs ist nicht geladen"));
  EXPECT_EQ(CMatDialogCalls::GetKonfigPageTitle(), CString(L"Materialverwaltung"));
}

// Three main groups of articles in a dataset whose "HauptWarenGruppen" and
// "ArtikelInfo2" are filled as an import fills them.
class ArticleSearch : public DialogModels {
 protected:
  ArticleSearch() {
    // Letters beyond ASCII count as letters, as in the tool.
    std::setlocale(LC_CTYPE, "C.UTF-8");
    ArticleSearchOptions() = {};
    m_pKurz = m_Data.Table(L"KurzText", eTypeString);
    m_pStrings = m_Data.Table(L"StringTable", eTypeString);
    m_pGroups = m_Data.Table(L"HauptWarenGruppen", eTypeVoid);
    m_Data.Info2();
    Group(L"HWG_10", L"Pumpen", {{L"P-1", L"Pumpe klein"}, {L"P-2", L"Pumpengehaeuse"}});
    Group(L"HWG_20", L"Ventile", {{L"V-1", L"Ventil"}, {L"V-2", nullptr}, {L"V-3", L"Pumpe alt"}});
    Group(
        L"HWG_30", nullptr,
        {{L"R-1", L"Rohr"}, {L"R-2", L"Muffe äußere Größe ½Zoll"}, {L"R-3", L"Kappe \xDC00rund"}});
  }
  void Group(const wchar_t* name, const wchar_t* text,
             std::initializer_list<std::pair<const wchar_t*, const wchar_t*>> articles) {
    CMatTable* pGroup = m_Data.Table(name, eTypeString, m_pGroups);
    if (text != nullptr) m_Data.SetText(m_pStrings, name, text);
    for (const auto& [number, shortText] : articles) {
      m_Data.SetText(pGroup, number, L"");
      if (shortText != nullptr) m_Data.SetText(m_pKurz, number, shortText);
      m_Data.SetValue(m_Data.Info2(), number, pGroup->m_hName, 0, 1);
    }
  }
  ~ArticleSearch() override { std::setlocale(LC_CTYPE, "C"); }
  // Searches to the end; the article found, or "" for none.
  CString Find(CArticleSearchModel& model, const wchar_t* text) {
    CString picture;
    if (model.BeginSearch(text) != CArticleSearchModel::eSearch::kRunning) return L"?";
    for (int n = 0; n < 100; ++n) {
      switch (model.Step(1, picture)) {
        case CArticleSearchModel::eSearch::kFound:
          return CMatManager::HdlToString(model.GetSelected());
        case CArticleSearchModel::eSearch::kRunning:
          continue;
        default:
          return L"";
      }
    }
    return L"runs on";
  }
  CMatTable* m_pKurz;
  CMatTable* m_pStrings;
  CMatTable* m_pGroups;
};

TEST_F(ArticleSearch, TabsListsAndTheGroupOfTheArticleShownFirst) {
  CArticleSearchModel model(m_Data.H(L"V-3"), nullptr);
  EXPECT_FALSE(model.ShowsCatalogues());
  ASSERT_EQ(model.GetTabs().size(), 3u);
  EXPECT_EQ(model.GetTabs()[0].strText, L"Pumpen");
  EXPECT_EQ(model.GetTabs()[2].strText, L"HWG_30");  // no text: the name
  EXPECT_EQ(model.GetTab(), 1);
  ASSERT_EQ(model.GetItems().size(), 2u);  // V-2 has no short text
  EXPECT_EQ(model.GetItems()[model.GetSelectedItem()].strText, L"Pumpe alt");
  EXPECT_TRUE(model.IsOkEnabled());
  // Without a dataset the catalogue is chosen, and shows its first tab.
  CArticleSearchModel none(0, nullptr);
  EXPECT_TRUE(none.ShowsCatalogues());
  EXPECT_EQ(none.GetCatalogue(), 0);
  EXPECT_EQ(none.GetTab(), 0);
  EXPECT_FALSE(none.IsOkEnabled());
}

TEST_F(ArticleSearch, SearchesWrapThroughGroupsOrWithinOneAndStopAtTheirStart) {
  struct {
    const wchar_t* pName;
    const wchar_t* pStart;
    CArticleSearchOptions options;
    const wchar_t* pText;
    const wchar_t* pFound;
  } const cases[] = {
      // The order within a group is the table's; each text below matches
      // one article of a group at most.
      {L"downwards into the next group", L"V-1", {}, L"rohr", L"R-1"},
      {L"around from the last group to the first", L"R-1", {}, L"ventil", L"V-1"},
      {L"upwards into the previous group", L"R-1", {true, false, false, false}, L"PUMPE", L"V-3"},
      {L"within the group only", L"V-1", {false, true, false, false}, L"ROHR", L""},
      {L"around within the group", L"V-3", {false, true, false, false}, L"VENTIL", L"V-1"},
      {L"the start itself ends the search", L"V-3", {}, L"alt", L""},
      {L"match case", L"P-1", {true, true, false, true}, L"pumpe", L""},
      {L"whole word: the first occurrence only",
       L"R-1",
       {true, true, true, false},
       L"PUMPE",
       L"P-1"},
      {L"whole word inside a longer word", L"R-1", {true, true, true, false}, L"PUMPEN", L""},
      {L"an article without a short text is found by number", L"V-1", {}, L"V-2", L"V-2"},
      {L"nothing selected: from the first", nullptr, {}, L"P-1", L"P-1"},
      {L"upper case beyond ASCII", L"R-1", {}, L"äußere", L"R-2"},
      {L"match case beyond ASCII", L"R-1", {true, true, false, true}, L"Äußere", L""},
      {L"whole word after a space", L"R-1", {true, true, true, false}, L"GRÖßE", L"R-2"},
      {L"whole word after a letter", L"R-1", {true, true, true, false}, L"ößE", L""},
      {L"whole word after a letter beyond ASCII", L"R-1", {true, true, true, false}, L"ßE", L""},
      {L"whole word after a sign beyond ASCII", L"R-1", {true, true, true, false}, L"ZOLL", L"R-2"},
      {L"a lone surrogate is kept", L"R-1", {}, L"RUND", L"R-3"},
      {L"a lone surrogate is no replacement character", L"R-1", {}, L"\xFFFD", L""},
  };
  // Each search runs on the tables, and again on the groups it indexes as
  // it enters them: both find the same.
  for (const bool bIndexed : {false, true}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(c.pName);
      SCOPED_TRACE(bIndexed ? "indexed" : "read from the tables");
      ArticleSearchOptions() = c.options;
      CArticleSearchModel model(c.pStart != nullptr ? m_Data.H(c.pStart) : 0, nullptr);
      if (c.pStart == nullptr) model.ChooseCatalogue(0);
      model.SetIndexing(bIndexed);
      EXPECT_EQ(Find(model, c.pText), c.pFound);
    }
  }
  ArticleSearchOptions() = {};
  CArticleSearchModel model(m_Data.H(L"P-1"), nullptr);
  EXPECT_EQ(model.BeginSearch(L""), CArticleSearchModel::eSearch::kEmptyText);
  EXPECT_EQ(model.GetSelected(), m_Data.H(L"P-1"));
  // As typed, the selected article stays while it matches.
  CString picture;
  ASSERT_EQ(model.BeginSearch(L"klein", true), CArticleSearchModel::eSearch::kRunning);
  EXPECT_EQ(model.Step(1, picture), CArticleSearchModel::eSearch::kFound);
  EXPECT_EQ(model.GetSelected(), m_Data.H(L"P-1"));
}

TEST_F(ArticleSearch, AGroupOfMoreThanTenThousandArticlesIsNotListed) {
  CMatTable* pBig = m_Data.Table(L"HWG_40", eTypeString, m_pGroups);
  for (int i = 0; i < CArticleSearchModel::kMaxListed; ++i)
    m_Data.SetText(pBig, (L"B-" + std::to_wstring(i)).c_str(), L"");
  CArticleSearchModel model(m_Data.H(L"P-1"), nullptr);
  model.SelectTab(3);
  EXPECT_FALSE(model.IsTooMany());
  m_Data.SetText(pBig, L"B-extra", L"");
  model.SelectTab(3);
  EXPECT_TRUE(model.IsTooMany());
  EXPECT_TRUE(model.GetItems().empty());
  model.SelectTab(7);  // a stale tab: nothing changes
  EXPECT_EQ(model.GetTab(), 3);
}

TEST(ArticleSearchMatch, WholeWordsLookAtTheFirstOccurrenceOnly) {
  EXPECT_TRUE(CArticleSearchModel::Matches(L"ROHR DN 15", L"DN", true));
  EXPECT_FALSE(CArticleSearchModel::Matches(L"ADN DN", L"DN", true));
  EXPECT_TRUE(CArticleSearchModel::Matches(L"ADN DN", L"DN", false));
  EXPECT_TRUE(CArticleSearchModel::Matches(L"DN", L"DN", true));
  EXPECT_FALSE(CArticleSearchModel::Matches(L"DN1", L"DN", true));
  EXPECT_FALSE(CArticleSearchModel::Matches(L"abc", L"", false));
}

TEST_F(DialogModels, TheVariantsWindowKeepsItsPlaceAndRefusesAnEditedOne) {
  int x = 0, y = 0, w = 0, h = 0;
  EXPECT_FALSE(CVdiVariantsModel::LoadPlacement(x, y, w, h));
  CVdiVariantsModel::SavePlacement(-20, 30, 500, 400);
  ASSERT_TRUE(CVdiVariantsModel::LoadPlacement(x, y, w, h));
  EXPECT_EQ(std::vector<int>({x, y, w, h}), std::vector<int>({-20, 30, 500, 400}));
  for (const wchar_t* pEdited :
       {L"1,2,3", L"1,2,0,4", L"a,2,3,4", L"1,2,3,4,", L"1,2,99999999999,4"}) {
    CRegistryFile().SetString(L"Software\\Teskar GmbH\\OrvaMat\\Settings\\", L"CVDIoptionenDlg",
                              pEdited);
    EXPECT_FALSE(CVdiVariantsModel::LoadPlacement(x, y, w, h)) << ToUtf8(pEdited);
  }
}

}  // namespace
