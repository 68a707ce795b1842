// The Qt dialogs driven as a user drives them, on the offscreen platform.
// Each test leaves a screenshot in the build folder for a reviewer.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <vector>

#include "OrvaMat/console_host_ui.h"
#include "OrvaMat/dialogs.h"
#include "OrvaMat/exports.h"
#include "OrvaMat/formula.h"
#include "OrvaMat/host_ui.h"
#include "OrvaMat/mat_manager.h"
#include "OrvaMat/qt_dialogs.h"
#include "OrvaMat/text.h"
#include "OrvaMat/vdi.h"
#include "OrvaMat/vdi_accessories.h"
#include "dialogs/qt/catalogue_test_util.h"
#include "dialogs/qt/qt_tree_ctrl.h"

namespace {

std::string Screenshot(const char* name) {
  return std::string(ORVAMAT_SCREENSHOT_DIR) + "/" + name + ".png";
}

// A fresh settings folder and a store with the datasets a test makes; the
// dialogs installed as a host installs them.
class QtDialogs : public ::testing::Test {
 protected:
  QtDialogs() {
    m_Home = std::filesystem::temp_directory_path() /
             ("orvamat-qt-" + std::to_string(::getpid()) + "-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(m_Home);
    setenv("ORVAMAT_HOME", m_Home.c_str(), 1);
    CMatManager::CloseAllDatasets();
    ArticleSearchOptions() = {};
    EXPECT_TRUE(OrvaMatDialogsInstall(nullptr));
  }
  ~QtDialogs() override {
    OrvaMatDialogsUninstall();
    CMatManager::CloseAllDatasets();
    std::filesystem::remove_all(m_Home);
  }
  static unsigned long Article(const wchar_t* number, const wchar_t* shortText) {
    const unsigned long h = CMatManager::GetOrCreateHandle(number);
    if (shortText != nullptr) CMatManager::SetKurzText(shortText, h);
    return h;
  }
  // Runs action on the modal dialog as soon as it is open.
  static void WhenOpen(std::function<void(QWidget&)> action) {
    QTimer::singleShot(0, [action] {
      QWidget* pDialog = QApplication::activeModalWidget();
      ASSERT_NE(pDialog, nullptr);
      action(*pDialog);
    });
  }
  // From here on every dialog saves its picture to <name>.png in the build
  // folder and closes as if cancelled; the picture's path.
  static std::string ScreenshotMode(const char* name) {
    const std::string shot = Screenshot(name);
    const COrvaMatDialogsOptions options{shot.c_str()};
    OrvaMatDialogsInstall(&options);
    return shot;
  }
  std::filesystem::path m_Home;
};

// The Qt UI stands in for the host's own only while it is installed and
// nobody is to be answered (not in a screenshot run).
TEST_F(QtDialogs, TheHostGetsItsOwnUIBack) {
  OrvaMatDialogsUninstall();
  CConsoleHostUI own;
  CScopedHostUI scoped(own);
  ASSERT_TRUE(OrvaMatDialogsInstall(nullptr));
  EXPECT_NE(&GetHostUI(), &own);
  const COrvaMatDialogsOptions options{"/tmp/unused.png"};
  OrvaMatDialogsInstall(&options);
  EXPECT_EQ(&GetHostUI(), &own);
  OrvaMatDialogsInstall(nullptr);
  OrvaMatDialogsUninstall();
  EXPECT_EQ(&GetHostUI(), &own);
  EXPECT_EQ(GetDialogProvider(), nullptr);
}

TEST_F(QtDialogs, TheDatasetPageListsSwitchesAndExplainsItsDatasets) {
  CMatManager::CreateDataset(L"ALFA", L"Alpha GmbH", nullptr);
  CMatManager::CreateTable(nullptr, L"Heizung", eTypeVoid, 1);
  CMatManager::CreateDataset(L"BETA", L"Beta AG", nullptr);
  const CRuntimeClass* pClass = CMatManager::GetKonfigPageClass(L"Materialdaten");
  ASSERT_NE(pClass, nullptr);
  std::unique_ptr<QWidget> pPage(static_cast<QWidget*>(pClass->CreateObject()));
  EXPECT_EQ(pPage->windowTitle(), "Materialdaten");
  auto* pList = pPage->findChild<QTreeWidget*>("1084");
  auto* pInfo = pPage->findChild<QTreeWidget*>("1042");
  auto* pActivate = pPage->findChild<QPushButton*>("2019");
  ASSERT_TRUE(pList && pInfo && pActivate);
  EXPECT_EQ(pActivate->property("helpId").toInt(), 0xC70000 + 2019);
  ASSERT_EQ(pList->topLevelItemCount(), 2);
  EXPECT_EQ(pList->topLevelItem(1)->text(0), "Beta AG");

  // Nothing selected: the button does nothing.
  QTest::mouseClick(pActivate, Qt::LeftButton);
  EXPECT_EQ(CMatManager::GetListedDatasetPrefix(1), 0x02000000ul);

  pList->setCurrentItem(pList->topLevelItem(0));
  ASSERT_GE(pInfo->topLevelItemCount(), 3);
  EXPECT_EQ(pInfo->topLevelItem(2)->text(0), "Daten für Heizungsrohrnetzberechnung");
  QTest::mouseClick(pActivate, Qt::LeftButton);
  // Alpha is excluded now; the selection stays on it.
  EXPECT_EQ(CMatManager::GetListedDatasetPrefix(0), 0x02000000ul);
  ASSERT_NE(pList->currentItem(), nullptr);
  EXPECT_EQ(pList->currentItem()->text(0), "Alpha GmbH");
  EXPECT_EQ(pInfo->topLevelItemCount(), 0);

  const std::string shot = ScreenshotMode("dataset_page");
  EXPECT_TRUE(OrvaMatDialogsScreenshot(pPage.get()));
  EXPECT_GT(std::filesystem::file_size(shot), 0u);
}

TEST_F(QtDialogs, TheArticleChoiceReturnsTheArticleChosenLastWhicheverButtonClosesIt) {
  CMatManager::CreateDataset(L"ALFA", L"Alpha GmbH", nullptr);
  CMatManager::CreateTable(nullptr, L"KurzText", eTypeString, 1);
  const unsigned long hPump = Article(L"P-100", L"Pumpe");
  Article(L"X-1", nullptr);
  const unsigned long hValve = Article(L"V-200", L"Ventil");
  const CPtrList handles = {
      reinterpret_cast<void*>(std::uintptr_t{hPump}),
      reinterpret_cast<void*>(std::uintptr_t{CMatManager::FindHandle(L"X-1")}),
      reinterpret_cast<void*>(std::uintptr_t{hValve})};
  // OK starts disabled; choosing enables it; OK returns the choice.
  WhenOpen([](QWidget& dialog) {
    EXPECT_EQ(dialog.windowTitle(), "Artikelauswahl");
    auto* pList = dialog.findChild<QListWidget*>("2004");
    auto* pOk = dialog.findChild<QPushButton*>("1");
    ASSERT_TRUE(pList && pOk);
    ASSERT_EQ(pList->count(), 2);
    EXPECT_EQ(pList->item(1)->text(), "Art-Nr. V-200\nVentil");
    EXPECT_FALSE(pOk->isEnabled());
    pList->setCurrentRow(1);
    EXPECT_TRUE(pOk->isEnabled());
    QTest::mouseClick(pOk, Qt::LeftButton);
  });
  EXPECT_EQ(CMatManager::chooseArtikelDlg(nullptr, handles), hValve);
  // Cancel after a choice returns the choice too; Cancel before one 0.
  WhenOpen([](QWidget& dialog) {
    dialog.findChild<QListWidget*>("2004")->setCurrentRow(0);
    QTest::mouseClick(dialog.findChild<QPushButton*>("2"), Qt::LeftButton);
  });
  EXPECT_EQ(CMatManager::chooseArtikelDlg(nullptr, handles), hPump);
  WhenOpen([](QWidget& dialog) {
    QTest::mouseClick(dialog.findChild<QPushButton*>("2"), Qt::LeftButton);
  });
  EXPECT_EQ(CMatManager::chooseArtikelDlg(nullptr, {}), 0ul);

  const std::string shot = ScreenshotMode("article_choice");
  EXPECT_EQ(CMatManager::chooseArtikelDlg(nullptr, handles), 0ul);
  EXPECT_GT(std::filesystem::file_size(shot), 0u);
}

// A dataset of two main groups.
void MakeCatalogue(int nArticlesInSecondGroup) {
  CGroupCatalogue catalogue(L"ALFA", L"Alpha GmbH");
  catalogue.Article(catalogue.Group(L"HWG_10", L"Pumpen"), L"P-1", L"Umwälzpumpe");
  CMatTable* pPipes = catalogue.Group(L"HWG_20", L"Rohre");
  for (int i = 0; i < nArticlesInSecondGroup; ++i)
    catalogue.Article(pPipes, L"R-" + std::to_wstring(i), L"Rohr " + std::to_wstring(i));
}

TEST_F(QtDialogs, TheArticleSearchShowsTheGroupOfTheArticleAndFindsAcrossGroups) {
  MakeCatalogue(3);
  unsigned long handle = CMatManager::FindHandle(L"R-1");
  WhenOpen([](QWidget& dialog) {
    auto* pTabs = dialog.findChild<QTabBar*>("2006");
    auto* pList = dialog.findChild<QListWidget*>("2004");
    auto* pText = dialog.findChild<QLineEdit*>("2030");
    ASSERT_TRUE(pTabs && pList && pText);
    EXPECT_FALSE(dialog.findChild<QComboBox*>("2000")->isVisible());
    EXPECT_EQ(pTabs->count(), 2);
    EXPECT_EQ(pTabs->tabText(pTabs->currentIndex()), "Rohre");
    ASSERT_NE(pList->currentItem(), nullptr);
    EXPECT_EQ(pList->currentItem()->text(), "Rohr 1");
    // Typed: found in the other group, which is shown.
    QTest::keyClicks(pText, "pumpe");
    EXPECT_EQ(pTabs->tabText(pTabs->currentIndex()), "Pumpen");
    EXPECT_EQ(pList->currentItem()->text(), "Umwälzpumpe");
    QTest::mouseClick(dialog.findChild<QPushButton*>("1"), Qt::LeftButton);
  });
  EXPECT_EQ(CMatManager::SearchArtikelDlg(handle, nullptr, nullptr), IDOK);
  EXPECT_EQ(handle, CMatManager::FindHandle(L"P-1"));

  // Searching all groups off is remembered by the next dialog; an empty
  // text changes nothing; Cancel returns the article selected last.
  WhenOpen([](QWidget& dialog) {
    dialog.findChild<QCheckBox*>("2014")->setChecked(false);
    QTest::mouseClick(dialog.findChild<QToolButton*>("2013"), Qt::LeftButton);
    QTest::mouseClick(dialog.findChild<QPushButton*>("2"), Qt::LeftButton);
  });
  EXPECT_EQ(CMatManager::SearchArtikelDlg(handle, nullptr, nullptr), IDCANCEL);
  EXPECT_FALSE(ArticleSearchOptions().bAllGroups);
  EXPECT_EQ(handle, CMatManager::FindHandle(L"P-1"));

  const std::string shot = ScreenshotMode("article_search");
  EXPECT_EQ(CMatManager::SearchArtikelDlg(handle, nullptr, nullptr), IDCANCEL);
  EXPECT_GT(std::filesystem::file_size(shot), 0u);
}

TEST_F(QtDialogs, AGroupOfTooManyArticlesShowsOneDisabledLine) {
  MakeCatalogue(CArticleSearchModel::kMaxListed + 1);
  unsigned long handle = CMatManager::FindHandle(L"R-5");
  WhenOpen([](QWidget& dialog) {
    auto* pList = dialog.findChild<QListWidget*>("2004");
    ASSERT_EQ(pList->count(), 1);
    EXPECT_EQ(pList->item(0)->text(), "Zu viele Einzelartikel in Warengruppe");
    EXPECT_FALSE(pList->isEnabled());
    QTest::mouseClick(dialog.findChild<QPushButton*>("2"), Qt::LeftButton);
  });
  EXPECT_EQ(CMatManager::SearchArtikelDlg(handle, nullptr, nullptr), IDCANCEL);
}

// A product of the sheet read from the test file, in a new dataset.
CMatTable* ImportedProduct(const wchar_t* file, const wchar_t* sheet, const wchar_t* tag) {
  SetHostUI(nullptr);  // the import's console lines stay on the console
  const unsigned long prefix = (CMatManager::CreateDataset(L"PROD", L"Produkte", nullptr) + 1ul)
                               << 24;
  ImportVdiFile((std::wstring(ORVAMAT_TEST_SOURCE_DIR_W) + L"/vdi/testdata/" + file).c_str());
  OrvaMatDialogsInstall(nullptr);
  return FindVdiProduct(prefix, sheet, tag);
}

// Every item as "depth text [x]" in the order of a walk; pItems, when given,
// gets the items in that order.
std::vector<std::wstring> Walk(const CTreeCtrl& tree, std::vector<HTREEITEM>* pItems = nullptr) {
  std::vector<std::wstring> lines;
  std::function<void(HTREEITEM, int)> walk = [&](HTREEITEM item, int depth) {
    for (; item != nullptr; item = tree.GetNextSiblingItem(item)) {
      if (pItems != nullptr) pItems->push_back(item);
      lines.push_back(std::to_wstring(depth) + L" " + tree.GetItemText(item) +
                      (tree.GetCheck(item) ? L" [x]" : L""));
      walk(tree.GetChildItem(item), depth + 1);
    }
  };
  walk(tree.GetRootItem(), 0);
  return lines;
}

TEST_F(QtDialogs, TheAccessoryTreeFillsAQtTreeAsItFillsTheRecordingOne) {
  const wchar_t* pTag = L"1-1-0-0-0-0-0-0-0-0-0-0-0-0-0-1";
  CMatTable* pProduct = ImportedProduct(L"accessories_sheet4.vdi", L"VDI-Pumpen", pTag);
  ASSERT_NE(pProduct, nullptr);
  QTreeWidget widget;
  CQtTreeCtrl qtTree(widget);
  CRecordingTreeCtrl recording;
  const bool bAll = false;
  std::vector<double> quantities = {50};
  CStringList selection = {L"1-5-2-7-1-1-3"};
  CVDIZubehoerbaum930 shown(&qtTree, bAll, pProduct, pTag, quantities, selection);
  CVDIZubehoerbaum930 recorded(&recording, bAll, pProduct, pTag, quantities, selection);
  shown.RebuildZubehoerbaum();
  recorded.RebuildZubehoerbaum();
  const std::vector<std::wstring> lines = Walk(qtTree);
  ASSERT_GT(lines.size(), 5u);
  EXPECT_EQ(lines, Walk(recording));
  EXPECT_EQ(widget.topLevelItem(0)->data(0, Qt::CheckStateRole), QVariant())
      << "the root has no box";

  // A click on an unchecked article's box, the last article's (one place in
  // both walks): the tree decides, as it does for the recording control.
  qtTree.SetCheckClickHandler([&](HTREEITEM item) { return shown.setItemStates(item); });
  ASSERT_GE(shown.GetItemKeys().size(), 2u);
  std::vector<HTREEITEM> qtItems, recordedItems;
  Walk(qtTree, &qtItems);
  Walk(recording, &recordedItems);
  std::size_t n = 0;
  while (n < qtItems.size() && shown.GetItemKey(qtItems[n]) != shown.GetItemKeys().back()) ++n;
  ASSERT_LT(n, qtItems.size());
  HTREEITEM clickedQt = qtItems[n], clickedRecorded = recordedItems[n];
  EXPECT_EQ(recorded.GetItemKey(clickedRecorded), shown.GetItemKeys().back());
  CQtTreeCtrl::ItemOf(clickedQt)->setCheckState(0, Qt::Checked);  // as a click does
  recording.SetCheck(clickedRecorded, recorded.setItemStates(clickedRecorded));
  EXPECT_EQ(Walk(qtTree), Walk(recording));
  EXPECT_TRUE(qtTree.GetCheck(clickedQt));
  EXPECT_EQ(shown.GetSelection(), recorded.GetSelection());

  // A handle of a deleted item is no item.
  HTREEITEM gone = qtTree.InsertItem(L"weg", 0, 0, qtTree.GetRootItem());
  HTREEITEM below = qtTree.InsertItem(L"darunter", 0, 0, gone);
  ASSERT_TRUE(qtTree.DeleteItem(gone));
  EXPECT_FALSE(qtTree.SetCheck(below, true));
  EXPECT_EQ(qtTree.InsertItem(L"x", 0, 0, gone), nullptr);
  EXPECT_EQ(qtTree.GetItemText(gone), L"");

  widget.resize(420, 360);
  widget.expandAll();
  ScreenshotMode("accessory_tree");
  EXPECT_TRUE(OrvaMatDialogsScreenshot(&widget));
}

TEST_F(QtDialogs, TheDebuggerStepsAFunctionToItsEndWithTheCurrentLineAndWatches) {
  CvdiFunctionList list;
  list.scanAndParseFunctionDeclarations(L"INTEGER FUNCTION F()\r\n");
  list.scanAndParseFunctions(
      L"INTEGER FUNCTION F()\r\nINTEGER X\r\nX = 5\r\nX = X + 1\r\nF = X * 2\r\nEND FUNCTION "
      L"F\r\n");
  CvdiFunction* f = list.findFunction(L"F");
  ASSERT_NE(f, nullptr);
  int nSteps = 0;
  std::function<void()> step = [&] {
    QWidget* pDialog = QApplication::activeModalWidget();
    if (pDialog == nullptr || pDialog->objectName() != "2003") return;
    if (nSteps == 1) {
      auto* pName = pDialog->findChild<QLineEdit*>("2024");
      pName->setText("  x");
      QMetaObject::invokeMethod(pName, "editingFinished");
      EXPECT_EQ(pName->text(), "X");
      EXPECT_EQ(pDialog->findChild<QLineEdit*>("2025")->text(), "5");
      EXPECT_EQ(pDialog->findChild<QLineEdit*>("2021")->text(), "X") << "the cell assigned last";
    }
    if (++nSteps > 10) return;
    QTest::mouseClick(pDialog->findChild<QPushButton*>("2019"), Qt::LeftButton);
    QTimer::singleShot(0, step);
  };
  QTimer::singleShot(0, step);
  CvdiFortran::showDebuger(&list, f);
  EXPECT_EQ(nSteps, 4) << "three statements and the END";
  EXPECT_EQ(f->m_result.m_nValue, 12);

  const std::string shot = ScreenshotMode("formula_debugger");
  CvdiFortran::showDebuger(&list, f);
  EXPECT_GT(std::filesystem::file_size(shot), 0u);
}

TEST_F(QtDialogs, TheVariantsDialogChoosesVariantsAndOptionsAndCancelChangesNothing) {
  CMatTable* pProduct = ImportedProduct(L"sheet22_cp1252_crlf.vdi", L"VDI-Wärmepumpen", L"1-1");
  ASSERT_NE(pProduct, nullptr);
  // An option (a 160 record) of the product.
  CMatTable* pOption = CMatManager::CreateTable(pProduct, L"160-2", eTypeString, 1);
  CMatManager::SetStringValueW(L"Isolierung;gegen Kälte", pOption, pOption->m_hName, 0, 0);
  Cvdi3805Tag* pTree = GetVdiVariantTree(pProduct);
  ASSERT_NE(pTree, nullptr);
  auto choose = [](QWidget& dialog) {
    EXPECT_EQ(dialog.windowTitle(), "Produkt Varianten und Zubehör");
    auto* pVariants = dialog.findChild<QTreeWidget*>("1006");
    auto* pOptions = dialog.findChild<QListWidget*>("1051");
    ASSERT_TRUE(pVariants && pOptions);
    EXPECT_FALSE(dialog.findChild<QTreeWidget*>("1007")->isVisibleTo(&dialog)) << "no 930 records";
    ASSERT_EQ(pVariants->topLevelItemCount(), 4);
    QTreeWidgetItem* pPressure = pVariants->topLevelItem(0);
    EXPECT_EQ(pPressure->text(0), "Druckstufen");
    ASSERT_EQ(pPressure->childCount(), 2);
    EXPECT_EQ(pPressure->child(1)->childCount(), 1) << "the default shows its sub-kind";
    // Choosing the other variant fills the tree again with it as default.
    pVariants->setCurrentItem(pPressure->child(0));
    pPressure = pVariants->topLevelItem(0);
    EXPECT_EQ(pPressure->child(1)->childCount(), 0);
    ASSERT_EQ(pOptions->count(), 1);
    EXPECT_EQ(pOptions->item(0)->text(), "Isolierung");
    pOptions->item(0)->setCheckState(Qt::Checked);
  };
  CStringList selection = {L"9"};
  WhenOpen([&](QWidget& dialog) {
    choose(dialog);
    QTest::mouseClick(dialog.findChild<QPushButton*>("2"), Qt::LeftButton);
  });
  EXPECT_EQ(CMatManager::showProdVarianten(pTree, selection), IDCANCEL);
  EXPECT_EQ(selection, CStringList{L"9"});
  WhenOpen([&](QWidget& dialog) {
    choose(dialog);
    QTest::mouseClick(dialog.findChild<QPushButton*>("1"), Qt::LeftButton);
  });
  EXPECT_EQ(CMatManager::showProdVarianten(pTree, selection), IDOK);
  EXPECT_EQ(selection, (CStringList{L"9", L"2"}));

  const std::string shot = ScreenshotMode("product_variants");
  EXPECT_EQ(CMatManager::showProdVarianten(pTree, selection), IDCANCEL);
  EXPECT_GT(std::filesystem::file_size(shot), 0u);
}

TEST_F(QtDialogs, AProductWithAccessoriesShowsTheAccessoryTreeAndItsSelection) {
  CMatTable* pProduct =
      ImportedProduct(L"accessories_sheet4.vdi", L"VDI-Pumpen", L"1-1-0-0-0-0-0-0-0-0-0-0-0-0-0-1");
  Cvdi3805Tag* pTree = GetVdiVariantTree(pProduct);
  ASSERT_NE(pTree, nullptr);
  CStringList selection;
  WhenOpen([](QWidget& dialog) {
    auto* pAccessories = dialog.findChild<QTreeWidget*>("1007");
    ASSERT_TRUE(pAccessories->isVisibleTo(&dialog));
    EXPECT_FALSE(dialog.findChild<QListWidget*>("1051")->isVisibleTo(&dialog));
    ASSERT_GT(pAccessories->topLevelItemCount(), 0);
    // The first article item's box, clicked: the tree chooses its key.
    QTreeWidgetItem* pItem = pAccessories->topLevelItem(0);
    while (pItem->childCount() > 0) pItem = pItem->child(0);
    pItem->setCheckState(0, Qt::Checked);
    EXPECT_EQ(pItem->checkState(0), Qt::Checked);
    QTest::mouseClick(dialog.findChild<QPushButton*>("1"), Qt::LeftButton);
  });
  EXPECT_EQ(CMatManager::showProdVarianten(pTree, selection), IDOK);
  EXPECT_EQ(selection.size(), 1u);
}

TEST_F(QtDialogs, TheDatanormImportChooserPreviewsTheFileAndImportsItsSet) {
  CMatManager::CreateDataset(L"BSPL", L"Beispiel", nullptr);
  const std::filesystem::path file = m_Home / "beispiel5.001";
  std::filesystem::copy_file(
      std::wstring(ORVAMAT_TEST_SOURCE_DIR_W) + L"/examples/datanorm/beispiel5.001", file);
  WhenOpen([&](QWidget& widget) {
    auto& dialog = dynamic_cast<QFileDialog&>(widget);
    EXPECT_EQ(dialog.windowTitle(), "DATANORM Datensatz einlesen");
    auto* pChoice = dialog.findChild<QComboBox*>("choice");
    ASSERT_NE(pChoice, nullptr);
    EXPECT_EQ(pChoice->currentText(), "Beispiel");
    EXPECT_TRUE(dialog.findChild<QCheckBox*>("check0")->isChecked()) << "DOS Zeichensatz";
    dialog.selectFile(QString::fromStdString(file.string()));
    EXPECT_EQ(dialog.findChild<QLineEdit*>("preview0")->text(), "15.03.2025");
    dialog.findChild<QCheckBox*>("check0")->setChecked(false);  // the file is UTF-8
    EXPECT_TRUE(dialog.grab().save(QString::fromStdString(Screenshot("datanorm_import")), "PNG"));
    QMetaObject::invokeMethod(&dialog, "accept");
  });
  using FImportDlg = void (*)(int, const wchar_t*);
  reinterpret_cast<FImportDlg>(OrvaMatProcByOrdinal(23))(0, nullptr);
  CString shortText;
  EXPECT_EQ(CMatManager::GetKurzText(shortText, CMatManager::FindHandle(L"UP-25-60")), eMatOk);
  EXPECT_TRUE(shortText.starts_with(L"Umwälzpumpe 25-60")) << ToUtf8(shortText);
}

}  // namespace
