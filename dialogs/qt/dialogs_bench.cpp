// The dialogs as a user meets them, off screen: how long each takes to open
// with its content shown, and how long the article search over a dataset of
// 200,000 articles takes to show its first results and the results of each
// further keystroke typed into its search text.
#include <benchmark/benchmark.h>

#include <unistd.h>
#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "OrvaMat/dialogs.h"
#include "OrvaMat/formula.h"
#include "OrvaMat/host_ui.h"
#include "OrvaMat/mat_manager.h"
#include "OrvaMat/qt_dialogs.h"
#include "OrvaMat/vdi.h"
#include "bench/vdi_product_file.h"
#include "dialogs/qt/catalogue_test_util.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kGroups = 20;
constexpr int kPerGroup = 10000;  // the most a group may have to be listed

// The dataset, made once through the public calls as an import fills it.
void MakeCatalogue() {
  static bool bMade = false;
  if (bMade) return;
  bMade = true;
  const std::string home = "/tmp/orvamat-dialogs-bench-" + std::to_string(::getpid());
  std::filesystem::create_directories(home);
  setenv("ORVAMAT_HOME", home.c_str(), 1);
  OrvaMatDialogsInstall(nullptr);
  CGroupCatalogue catalogue(L"BNCH", L"Bench GmbH");
  for (int g = 0; g < kGroups; ++g) {
    CMatTable* pGroup =
        catalogue.Group(L"HWG_" + std::to_wstring(10 + g), L"Warengruppe " + std::to_wstring(g));
    for (int i = 0; i < kPerGroup; ++i)
      catalogue.Article(pGroup, L"N" + std::to_wstring(g) + L"-" + std::to_wstring(i),
                        L"Rohrschelle Größe " + std::to_wstring(i));
  }
}

// Seconds from the call that opens a modal dialog until it is shown with its
// content; the dialog is then closed with Cancel. check, when given, looks
// at what the dialog shows.
double OpenAndCancel(const std::function<void()>& open,
                     const std::function<void(QWidget&)>& check = nullptr) {
  Clock::time_point shown;
  QTimer::singleShot(0, [&shown, &check] {
    shown = Clock::now();
    QWidget* pDialog = QApplication::activeModalWidget();
    if (pDialog == nullptr) return;
    if (check) check(*pDialog);
    QMetaObject::invokeMethod(pDialog, "reject");
  });
  const Clock::time_point start = Clock::now();
  open();
  return std::chrono::duration<double>(shown - start).count();
}

void BM_SearchDialogFirstResults(benchmark::State& state) {
  MakeCatalogue();
  for (auto _ : state) {
    unsigned long handle = CMatManager::FindHandle(L"N0-0");
    state.SetIterationTime(
        OpenAndCancel([&] { CMatManager::SearchArtikelDlg(handle, nullptr, nullptr); }));
  }
}
BENCHMARK(BM_SearchDialogFirstResults)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

// Types an article number of the last group, key by key, and waits for
// each key's search to end: the mean and the slowest keystroke. The typing
// starts once the window has indexed its groups, which it does while it
// waits for the user ("index ms" after the call that opens it); with the
// argument 0 it starts at once, before any group is indexed.
void BM_SearchDialogKeystrokes(benchmark::State& state) {
  const bool bWaitForIndex = state.range(0) != 0;
  MakeCatalogue();
  const QString typed = QString("N%1-%2").arg(kGroups - 1).arg(kPerGroup - 7);
  double dSlowest = 0, dIndexed = 0;
  for (auto _ : state) {
    double dTotal = 0;
    const Clock::time_point opened = Clock::now();
    QTimer::singleShot(0, [&] {
      QWidget* pDialog = QApplication::activeModalWidget();
      while (bWaitForIndex && !pDialog->property("indexed").toBool()) QApplication::processEvents();
      dIndexed = std::max(dIndexed, std::chrono::duration<double>(Clock::now() - opened).count());
      auto* pText = pDialog->findChild<QLineEdit*>("2030");
      for (const QChar c : typed) {
        const Clock::time_point start = Clock::now();
        QTest::keyClick(pText, c.toLatin1());
        while (pDialog->property("searching").toBool()) QApplication::processEvents();
        const double d = std::chrono::duration<double>(Clock::now() - start).count();
        dTotal += d;
        dSlowest = std::max(dSlowest, d);
      }
      auto* pList = pDialog->findChild<QListWidget*>("2004");
      if (pList->currentItem() == nullptr ||
          pList->currentItem()->text() != QString("Rohrschelle Größe %1").arg(kPerGroup - 7))
        state.SkipWithError("the typed article was not found");
      QMetaObject::invokeMethod(pDialog, "reject");
    });
    unsigned long handle = CMatManager::FindHandle(L"N0-0");
    CMatManager::SearchArtikelDlg(handle, nullptr, nullptr);
    state.SetIterationTime(dTotal / typed.size());
  }
  state.counters["slowest ms"] = dSlowest * 1000;
  if (bWaitForIndex) state.counters["index ms"] = dIndexed * 1000;
}
BENCHMARK(BM_SearchDialogKeystrokes)
    ->Arg(1)
    ->Arg(0)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

void BM_OpenArticleChoice(benchmark::State& state) {
  MakeCatalogue();
  CPtrList handles;
  for (int i = 0; i < 1000; ++i)
    handles.push_back(reinterpret_cast<void*>(
        std::uintptr_t{CMatManager::FindHandle((L"N3-" + std::to_wstring(i)).c_str())}));
  for (auto _ : state)
    state.SetIterationTime(OpenAndCancel([&] { CMatManager::chooseArtikelDlg(nullptr, handles); }));
}
BENCHMARK(BM_OpenArticleChoice)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_OpenDatasetPage(benchmark::State& state) {
  MakeCatalogue();
  for (auto _ : state) {
    const Clock::time_point start = Clock::now();
    const CRuntimeClass* pClass = CMatManager::GetKonfigPageClass(L"Materialverwaltung");
    auto* pPage = static_cast<QWidget*>(pClass->CreateObject());
    pPage->show();
    QApplication::processEvents();
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    delete pPage;
  }
}
BENCHMARK(BM_OpenDatasetPage)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// The debugger opens on a function of 1,000 statements (about as long as
// the p-code of one function may be), standing on its first line.
void BM_OpenDebugger(benchmark::State& state) {
  MakeCatalogue();
  std::wstring text = L"INTEGER FUNCTION F()\r\nINTEGER X\r\nX = 0\r\n";
  for (int i = 0; i < 1000; ++i) text += L"X = X + " + std::to_wstring(i % 7) + L"\r\n";
  text += L"F = X\r\nEND FUNCTION F\r\n";
  CvdiFunctionList list;
  SetHostUI(nullptr);  // a compile error is printed, not shown in a box nobody closes
  ClearFormulaErrorFlag();
  list.scanAndParseFunctionDeclarations(L"INTEGER FUNCTION F()\r\n");
  list.scanAndParseFunctions(text.c_str());
  OrvaMatDialogsInstall(nullptr);
  CvdiFunction* f = list.findFunction(L"F");
  if (f == nullptr || FormulaErrorFlag()) {
    state.SkipWithError("the function was not compiled");
    return;
  }
  for (auto _ : state)
    state.SetIterationTime(OpenAndCancel([&] { CvdiFortran::showDebuger(&list, f); }));
}
BENCHMARK(BM_OpenDebugger)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// The variants dialog opens on a pump with 500 accessory entries in ten
// groups, imported from its VDI file.
void BM_OpenVariants(benchmark::State& state) {
  MakeCatalogue();
  const std::string path = std::string(std::getenv("ORVAMAT_HOME")) + "/pumpe.vdi";
  std::ofstream(path, std::ios::binary) << AccessoryProductFile(10, 50);
  SetHostUI(nullptr);  // the import's console lines stay on the console
  const unsigned long prefix = (CMatManager::CreateDataset(L"PUMP", L"Pumpen", nullptr) + 1ul)
                               << 24;
  const std::wstring widePath(path.begin(), path.end());
  ImportVdiFile(widePath.c_str());
  OrvaMatDialogsInstall(nullptr);
  Cvdi3805Tag* pTree =
      GetVdiVariantTree(FindVdiProduct(prefix, L"VDI-Pumpen", L"1-1-0-0-0-0-0-0-0-0-0-0-0-0-0-1"));
  if (pTree == nullptr) {
    state.SkipWithError("the pump was not imported");
    return;
  }
  CStringList selection;
  int nAccessories = 0;
  auto count = [&nAccessories](QWidget& dialog) {
    nAccessories = 0;
    if (auto* pTree = dialog.findChild<QTreeWidget*>("1007"))
      for (QTreeWidgetItemIterator it(pTree); *it != nullptr; ++it) ++nAccessories;
  };
  for (auto _ : state)
    state.SetIterationTime(
        OpenAndCancel([&] { CMatManager::showProdVarianten(pTree, selection); }, count));
  state.counters["accessory items"] = nAccessories;
}
BENCHMARK(BM_OpenVariants)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
