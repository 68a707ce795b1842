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
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "OrvaMat/dialogs.h"
#include "OrvaMat/host_ui.h"
#include "OrvaMat/mat_manager.h"
#include "OrvaMat/qt_dialogs.h"

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
  CMatManager::CreateDataset(L"BNCH", L"Bench GmbH", nullptr);
  CMatTable *pKurz = nullptr, *pInfo2 = nullptr, *pGroups = nullptr, *pStrings = nullptr;
  CMatManager::FindTable(&pKurz, nullptr, L"KurzText");
  CMatManager::FindTable(&pInfo2, nullptr, L"ArtikelInfo2");
  CMatManager::FindTable(&pGroups, nullptr, L"HauptWarenGruppen");
  CMatManager::FindTable(&pStrings, nullptr, L"StringTable");
  for (int g = 0; g < kGroups; ++g) {
    const std::wstring name = L"HWG_" + std::to_wstring(10 + g);
    CMatTable* pGroup = CMatManager::CreateTable(pGroups, name.c_str(), eTypeString, 1);
    CMatManager::SetStringValueW((L"Warengruppe " + std::to_wstring(g)).c_str(), pStrings,
                                 CMatManager::GetOrCreateHandle(name.c_str()), 0, 0);
    for (int i = 0; i < kPerGroup; ++i) {
      const std::wstring number = L"N" + std::to_wstring(g) + L"-" + std::to_wstring(i);
      const unsigned long h = CMatManager::CreateHandle(number.c_str());
      CMatManager::AddRow(pGroup, h);
      CMatManager::SetStringValueW((L"Rohrschelle Größe " + std::to_wstring(i)).c_str(), pKurz, h,
                                   0, 0);
      CMatManager::SetHandleValue(pGroup->m_hName, pInfo2, h, 0, 1);
    }
  }
}

// Seconds from the call that opens a modal dialog until it is shown with its
// content; the dialog is then closed with Cancel.
double OpenAndCancel(const std::function<void()>& open) {
  Clock::time_point shown;
  QTimer::singleShot(0, [&shown] {
    shown = Clock::now();
    if (QWidget* pDialog = QApplication::activeModalWidget())
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
// waits for the user ("index ms" after the call that opens it).
void BM_SearchDialogKeystrokes(benchmark::State& state) {
  MakeCatalogue();
  const QString typed = QString("N%1-%2").arg(kGroups - 1).arg(kPerGroup - 7);
  double dSlowest = 0, dIndexed = 0;
  for (auto _ : state) {
    double dTotal = 0;
    const Clock::time_point opened = Clock::now();
    QTimer::singleShot(0, [&] {
      QWidget* pDialog = QApplication::activeModalWidget();
      while (!pDialog->property("indexed").toBool()) QApplication::processEvents();
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
  state.counters["index ms"] = dIndexed * 1000;
}
BENCHMARK(BM_SearchDialogKeystrokes)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

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

}  // namespace
