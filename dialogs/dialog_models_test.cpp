// The dialogs' decisions, without a display: the dataset page and the
// article choice, and the exported calls without a dialogs library.
#include <gtest/gtest.h>

#include "OrvaMat/dialogs.h"
#include "OrvaMat/mat_manager.h"
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

TEST_F(DialogModels, ADatanormDateGetsItsPointsAppendedWhenShort) {
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"150325", L"15.03.25"}, {L"1503", L"15.03."}, {L"1", L"1.."}, {L"", L".."}};
  for (const auto& [in, out] : cases) EXPECT_EQ(CKonfigPageModel::FormatDatanormDate(in), out);
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

}  // namespace
