// Article workbook import at catalogue size: a generated .xlsx of 100,000
// articles (shared strings, two languages: short lines and long texts in
// DEFAULT and EN), 200 main groups, 2,000 product groups and 50 discount
// groups on sheets 2 to 4.
//
// An insulation workbook of 5,000 article rows (10 groups of 5 products of
// 2 variants, each head followed by 49 article rows; outer diameters
// rising, thicknesses, lambda values and article numbers in every row) and
// 40 pre-texts, imported as "orvamat import insulation" does it: into a new
// database file, saved.
//
// Side by side in one run: the import of the workbook into a new database
// file and its save (ImportWorkbookIntoFile), our reader alone (every sheet
// read into cells), python3-openpyxl in read-only mode merely iterating the
// same workbook's cells (skipped, with the reason, when it is missing), and
// the peak memory of the tool's "import articles" against the size of the
// unzipped sheet XML.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xlsxwriter.h>
#include <zip.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "OrvaMat/import.h"
#include "import/workbook.h"
#include "platform/recording_host_ui.h"
#include "platform/text.h"
#include "store/base/translation.h"
#include "store/mat_store.h"

namespace {

constexpr int kArticles = 100000;
constexpr int kMainGroups = 200;
constexpr int kGroups = 2000;
constexpr int kDiscounts = 50;

struct CBenchFolder {
  std::string strPath;
  CBenchFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "orvamat-xlsbench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) strPath = pattern;
  }
  ~CBenchFolder() {
    std::error_code ignored;
    if (!strPath.empty()) std::filesystem::remove_all(strPath, ignored);
  }
};

const std::string& Folder() {
  static const CBenchFolder folder;
  return folder.strPath;
}

void WriteNames(lxw_workbook* pBook, const char* pSheet, const char* pPrefix, int n) {
  lxw_worksheet* pNames = workbook_add_worksheet(pBook, pSheet);
  worksheet_write_string(pNames, 0, 0, "data", nullptr);
  worksheet_write_string(pNames, 0, 1, "DEFAULT", nullptr);
  worksheet_write_string(pNames, 0, 2, "EN", nullptr);
  for (int i = 0; i < n; ++i) {
    const std::string key = pPrefix + std::to_string(i);
    const auto row = static_cast<lxw_row_t>(i + 1);
    worksheet_write_string(pNames, row, 0, key.c_str(), nullptr);
    worksheet_write_string(pNames, row, 1, ("Gruppe " + key).c_str(), nullptr);
    worksheet_write_string(pNames, row, 2, ("Group " + key).c_str(), nullptr);
  }
}

const std::string& Workbook() {
  static const std::string path = [] {
    const std::string file = Folder() + "/artikel.xlsx";
    lxw_workbook* pBook = workbook_new(file.c_str());
    lxw_worksheet* pSheet = workbook_add_worksheet(pBook, "Artikel");
    const char* head[] = {"data", "Alt", "PK", "PE", "ME",      "EUR", "RG", "HWG", "WG",
                          "Anb",  "VE",  "S",  "",   "DEFAULT", "",    "",   "EN"};
    for (lxw_col_t c = 0; c < sizeof head / sizeof head[0]; ++c)
      if (*head[c]) worksheet_write_string(pSheet, 0, c, head[c], nullptr);
    for (int i = 0; i < kArticles; ++i) {
      const auto r = static_cast<lxw_row_t>(i + 1);
      const std::string n = std::to_string(i);
      worksheet_write_string(pSheet, r, 0, ("ART-" + n).c_str(), nullptr);
      worksheet_write_number(pSheet, r, 2, i % 2, nullptr);
      worksheet_write_number(pSheet, r, 3, 100, nullptr);
      worksheet_write_string(pSheet, r, 4, "Stk", nullptr);
      worksheet_write_number(pSheet, r, 5, 1.25 + i % 1000, nullptr);
      worksheet_write_string(pSheet, r, 6, ("R" + std::to_string(i % kDiscounts)).c_str(), nullptr);
      worksheet_write_string(pSheet, r, 7, std::to_string(i % kMainGroups).c_str(), nullptr);
      worksheet_write_string(pSheet, r, 8, std::to_string(i % kGroups).c_str(), nullptr);
      worksheet_write_number(pSheet, r, 10, 10, nullptr);
      worksheet_write_string(pSheet, r, 13, ("Rohrbogen 90° DN " + n).c_str(), nullptr);
      worksheet_write_string(pSheet, r, 14, "verzinkt", nullptr);
      worksheet_write_string(
          pSheet, r, 15,
          ("Rohrbogen aus Stahl, verzinkt,<br>für Gewinde nach EN 10226, Artikel " + n).c_str(),
          nullptr);
      worksheet_write_string(pSheet, r, 16, ("Pipe bend 90° DN " + n).c_str(), nullptr);
      worksheet_write_string(pSheet, r, 17, "galvanised", nullptr);
      worksheet_write_string(
          pSheet, r, 18, ("Steel pipe bend, galvanised,\nthreads to EN 10226, item " + n).c_str(),
          nullptr);
    }
    WriteNames(pBook, "HWG", "", kMainGroups);
    WriteNames(pBook, "WG", "", kGroups);
    WriteNames(pBook, "Rabatt", "R", kDiscounts);
    if (workbook_close(pBook) != LXW_NO_ERROR) return std::string();
    return file;
  }();
  return path;
}

constexpr int kInsulationArticles = 5000;

const std::string& InsulationWorkbook() {
  static const std::string path = [] {
    const std::string file = Folder() + "/Daemmung.xlsx";
    lxw_workbook* pBook = workbook_new(file.c_str());
    lxw_worksheet* pSheet = workbook_add_worksheet(pBook, "Daemmsysteme");
    worksheet_write_string(pSheet, 0, 0, "data", nullptr);
    lxw_row_t r = 1;
    int nArticles = 0;
    for (int g = 0; nArticles < kInsulationArticles; ++g) {
      const std::string group = "Rohrdämmung " + std::to_string(g / 10);
      const std::string product = "Schlauch " + std::to_string(g / 2);
      const std::string variant = std::to_string(9 + g % 2 * 4) + " mm";
      worksheet_write_number(pSheet, r++, 0, 0, nullptr);  // a head row follows
      for (int a = 0; a < 50 && nArticles < kInsulationArticles; ++a, ++nArticles, ++r) {
        if (a > 0) worksheet_write_number(pSheet, r, 0, 1, nullptr);
        if (a == 0) {
          worksheet_write_string(pSheet, r, 3, group.c_str(), nullptr);
          worksheet_write_string(pSheet, r, 6, product.c_str(), nullptr);
          worksheet_write_string(pSheet, r, 21, variant.c_str(), nullptr);
          for (lxw_col_t c = 7; c <= 13; ++c) worksheet_write_number(pSheet, r, c, c % 2, nullptr);
          worksheet_write_number(pSheet, r, 14, 200, nullptr);
          worksheet_write_string(pSheet, r, 22, ("VT" + std::to_string(g % 40)).c_str(), nullptr);
        }
        worksheet_write_number(pSheet, r, 23, 10 + a * 2, nullptr);
        worksheet_write_number(pSheet, r, 24, 9 + g % 2 * 4, nullptr);
        worksheet_write_number(pSheet, r, 25, 0.035, nullptr);
        worksheet_write_number(pSheet, r, 26, a % 2, nullptr);
        worksheet_write_string(pSheet, r, 27, ("D-" + std::to_string(nArticles)).c_str(), nullptr);
        worksheet_write_number(pSheet, r, 28, 1.5, nullptr);
      }
    }
    lxw_worksheet* pTexts = workbook_add_worksheet(pBook, "Vortexte");
    worksheet_write_string(pTexts, 0, 0, "data", nullptr);
    for (int i = 0; i < 40; ++i) {
      const auto row = static_cast<lxw_row_t>(i + 1);
      worksheet_write_string(pTexts, row, 0, ("VT" + std::to_string(i)).c_str(), nullptr);
      worksheet_write_string(pTexts, row, 1,
                             ("Vortext " + std::to_string(i) + "\nzweite Zeile").c_str(), nullptr);
    }
    if (workbook_close(pBook) != LXW_NO_ERROR) return std::string();
    return file;
  }();
  return path;
}

std::uint64_t UnzippedSheetBytes() {
  int nError = 0;
  zip_t* pZip = zip_open(Workbook().c_str(), ZIP_RDONLY, &nError);
  if (pZip == nullptr) return 0;
  zip_stat_t stat;
  std::uint64_t n = 0;
  if (zip_stat(pZip, "xl/worksheets/sheet1.xml", 0, &stat) == 0) n = stat.size;
  zip_discard(pZip);
  return n;
}

// Runs a program, output discarded; its exit status and peak memory (kB).
bool Run(std::vector<std::string> args, long& nPeakKb) {
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  std::string home = "ORVAMAT_HOME=" + Folder();
  char* envp[] = {home.data(), nullptr};
  malloc_trim(0);
  const pid_t pid = fork();
  if (pid == 0) {
    const int fd = open("/dev/null", O_WRONLY);
    dup2(fd, 1);
    dup2(fd, 2);
    execve(argv[0], argv.data(), envp);
    _exit(127);
  }
  int status = 0;
  struct rusage usage {};
  if (pid < 0 || wait4(pid, &status, 0, &usage) != pid) return false;
  nPeakKb = usage.ru_maxrss;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The workbook imported into a new file and saved, as orvamat import
// articles|insulation does it, once per iteration (files a0.mmd, a1.mmd ...).
void ImportAndSave(benchmark::State& state, const std::string& workbook, eWorkbookLayout eLayout,
                   const char* pFilePrefix, int nArticles) {
  if (workbook.empty()) return state.SkipWithError("the workbook could not be written");
  CRecordingHostUI ui;
  CScopedHostUI scopedUI(ui);
  CTranslationManager translation(L"");
  CScopedTranslationManager scopedTranslation(translation);
  int nRun = 0;
  for (auto _ : state) {
    CScopedMatStore store;
    CWorkbookFileImport request;
    request.strWorkbook = FromUtf8(workbook);
    request.eLayout = eLayout;
    request.target.strPath =
        FromUtf8(Folder() + "/" + pFilePrefix + std::to_string(nRun++) + ".mmd");
    request.target.strNewID = L"XLS0";
    CFileImportResult result;
    if (!ImportWorkbookIntoFile(request, {}, result)) return state.SkipWithError("import failed");
  }
  state.counters["articles/s"] =
      benchmark::Counter(nArticles, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_ImportArticlesAndSave(benchmark::State& state) {
  ImportAndSave(state, Workbook(), eWorkbookLayout::eArticles, "a", kArticles);
}
BENCHMARK(BM_ImportArticlesAndSave)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ImportInsulationAndSave(benchmark::State& state) {
  ImportAndSave(state, InsulationWorkbook(), eWorkbookLayout::eInsulation, "d",
                kInsulationArticles);
}
BENCHMARK(BM_ImportInsulationAndSave)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_ReadEverySheet(benchmark::State& state) {
  if (Workbook().empty()) return state.SkipWithError("the workbook could not be written");
  std::uint64_t nCells = 0;
  for (auto _ : state) {
    CWorkbook book;
    CString why;
    if (!book.Open(FromUtf8(Workbook()), why)) return state.SkipWithError("open failed");
    nCells = 0;
    for (int n = 1; n <= book.GetSheetCount(); ++n) {
      if (const CWorksheet* pSheet = book.GetItem(n, why)) nCells += pSheet->GetCellCount();
    }
  }
  state.counters["cells"] = static_cast<double>(nCells);
}
BENCHMARK(BM_ReadEverySheet)->Unit(benchmark::kMillisecond)->Iterations(3);

// The same workbook's cells, iterated by python3-openpyxl in read-only mode:
// the reference the import is held against (at least 5 times faster).
void BM_OpenpyxlIterate(benchmark::State& state) {
  long nPeakKb = 0;
  if (!Run({"/usr/bin/python3", "-c", "import openpyxl"}, nPeakKb))
    return state.SkipWithError("python3-openpyxl is missing: no comparison");
  const char* pScript =
      "import sys, openpyxl\n"
      "wb = openpyxl.load_workbook(sys.argv[1], read_only=True)\n"
      "n = 0\n"
      "for ws in wb.worksheets:\n"
      "    for row in ws.iter_rows(values_only=True):\n"
      "        n += len(row)\n";
  for (auto _ : state) {
    if (!Run({"/usr/bin/python3", "-c", pScript, Workbook()}, nPeakKb))
      return state.SkipWithError("openpyxl failed");
  }
}
BENCHMARK(BM_OpenpyxlIterate)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_CommandPeakMemory(benchmark::State& state) {
  long nPeakKb = 0;
  for (auto _ : state) {
    const std::string target = Folder() + "/peak.mmd";
    std::filesystem::remove(target);
    if (!Run({ORVAMAT_BINARY, "import", "articles", Workbook(), "--mmd", target}, nPeakKb))
      return state.SkipWithError("the tool's import failed");
  }
  const double nSheet = static_cast<double>(UnzippedSheetBytes());
  state.counters["peak MB"] = static_cast<double>(nPeakKb) / 1024.0;
  state.counters["sheet MB"] = nSheet / (1024.0 * 1024.0);
  state.counters["x sheet xml"] = nSheet > 0 ? static_cast<double>(nPeakKb) * 1024.0 / nSheet : 0;
}
BENCHMARK(BM_CommandPeakMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
