// The query interface on a generated dataset of 100,000 articles: the path
// look-up of one, two and three names (under parents with and without a
// child-name index), text reads with and without a language child, a Struct
// cell read, and, side by side, the same point reads from SQLite (the same
// rows in indexed tables, prepared statements reused, the same random order
// and the same copy of the text). Each of our runs carries its ratio to
// SQLite as the counter x_sqlite; the ratios are printed again after the run.
#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <cstdio>
#include <cwchar>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "OrvaMat/mat_manager.h"
#include "platform/text.h"
#include "store/base/translation.h"
#include "store/mat_daten_satz.h"
#include "store/mat_store.h"
#include "store/mmd/dataset_registry.h"
#include "store/mmd/mmd_file.h"

#if __has_include(<sqlite3.h>)
#include <sqlite3.h>
#define QUERY_BENCH_SQLITE 1
#endif

namespace {

using M = CMatManager;
constexpr int kArticles = 100000;
constexpr int kGroups = 200;

std::wstring Numbered(const wchar_t* pPrefix, int n) { return pPrefix + std::to_wstring(n); }

// The dataset: 25 top-level tables (so the top level is indexed too), the
// article tables, 200 product groups each with a child, and a chain of small
// tables that is searched by walking.
struct CBenchData {
  CBenchData() {
    M::CreateDataset(L"BENC", L"Benchmark GmbH", nullptr);
    for (int i = 0; i < 16; ++i) M::CreateTable(nullptr, Numbered(L"Tabelle", i).c_str(), 6, 1);
    m_pText = M::CreateTable(nullptr, L"KurzText", 1, 1);
    m_pEnglish = M::CreateTable(m_pText, L"ENGLISH", 1, 1);
    m_pPlain = M::CreateTable(nullptr, L"LangText", 1, 1);
    m_pStruct = M::CreateTable(nullptr, L"Anschluss", 4, 1);
    const std::uint32_t def[] = {3, 2, 3, 1};
    M::SetStrucDef(m_pStruct, def);
    CMatTable* pGroups = M::CreateTable(nullptr, L"Warengruppen", 6, 1);
    for (int i = 0; i < kGroups; ++i) {
      CMatTable* pGroup = M::CreateTable(pGroups, Numbered(L"WG_", i).c_str(), 6, 1);
      M::CreateTable(pGroup, L"Artikel", 6, 1);
    }
    CMatTable* pSmall = M::CreateTable(nullptr, L"Klein", 6, 1);
    CMatTable* pMitte0 = M::CreateTable(pSmall, L"Mitte0", 6, 1);
    for (int i = 1; i < 10; ++i) M::CreateTable(pSmall, Numbered(L"Mitte", i).c_str(), 6, 1);
    M::CreateTable(pMitte0, L"Ende", 6, 1);
    for (int i = 0; i < kArticles; ++i) {
      const unsigned long hRow = M::CreateHandle(Numbered(L"ART-", i).c_str());
      m_Rows.push_back(hRow);
      M::SetStringValueW(Numbered(L"Kugelhahn DN ", i % 100).c_str(), m_pText, hRow, 0, 0);
      M::SetStringValueW(Numbered(L"Ball valve DN ", i % 100).c_str(), m_pEnglish, hRow, 0, 0);
      M::SetStringValueW(Numbered(L"Langtext ", i).c_str(), m_pPlain, hRow, 0, 0);
      for (int r = 0; r < 2; ++r) {
        M::SetIntValue(15 + r, m_pStruct, hRow, r, 0);
        M::SetFloatValue(0.25 * (r + 1), m_pStruct, hRow, r, 1);
      }
    }
    // Reads in a fixed scrambled order, so that they do not walk memory in
    // the order the rows were made.
    for (int i = 0; i < kArticles; ++i)
      m_Order.push_back(m_Rows[static_cast<std::size_t>((i * 7919L) % kArticles)]);
  }
  CMatTable* m_pText = nullptr;
  CMatTable* m_pEnglish = nullptr;
  CMatTable* m_pPlain = nullptr;
  CMatTable* m_pStruct = nullptr;
  std::vector<unsigned long> m_Rows;
  std::vector<unsigned long> m_Order;
};

CBenchData& Data() {
  static CBenchData data;
  return data;
}

void SetLanguage(const wchar_t* pLanguage) {
  CTranslationManager::GetInstance().SetActualLanguage(pLanguage);
}

void FindPath(benchmark::State& state, const wchar_t* pPath) {
  Data();
  SetLanguage(L"");
  CMatTable* pTable = nullptr;
  if (M::FindTable(&pTable, nullptr, pPath) != eMatOk) state.SkipWithError("path not found");
  for (auto _ : state) {
    benchmark::DoNotOptimize(M::FindTable(&pTable, nullptr, pPath));
    benchmark::DoNotOptimize(pTable);
  }
}
void BM_FindTable_1(benchmark::State& s) { FindPath(s, L"KurzText"); }
void BM_FindTable_2_Indexed(benchmark::State& s) { FindPath(s, L"Warengruppen.WG_123"); }
void BM_FindTable_2_Walked(benchmark::State& s) { FindPath(s, L"Klein.Mitte7"); }
void BM_FindTable_2_Prefix(benchmark::State& s) { FindPath(s, L"BENC\\Warengruppen.WG_123"); }
void BM_FindTable_3_Indexed(benchmark::State& s) { FindPath(s, L"Warengruppen.WG_199.Artikel"); }
void BM_FindTable_3_Walked(benchmark::State& s) { FindPath(s, L"Klein.Mitte0.Ende"); }
BENCHMARK(BM_FindTable_1);
BENCHMARK(BM_FindTable_2_Indexed);
BENCHMARK(BM_FindTable_2_Walked);
BENCHMARK(BM_FindTable_2_Prefix);
BENCHMARK(BM_FindTable_3_Indexed);
BENCHMARK(BM_FindTable_3_Walked);

#ifdef QUERY_BENCH_SQLITE
// The same rows in SQLite: texts keyed by the row handle, Struct cells keyed
// by (row, sub-row, field); both indexed by their primary keys.
struct CSqlite {
  CSqlite() {
    sqlite3_open(":memory:", &m_pDb);
    Exec(
        "CREATE TABLE texte(k INTEGER PRIMARY KEY, v TEXT);"
        "CREATE TABLE anschluss(k INTEGER, sub INTEGER, field INTEGER, v INTEGER,"
        " PRIMARY KEY(k, sub, field)) WITHOUT ROWID; BEGIN;");
    sqlite3_stmt* pText = Prepare("INSERT INTO texte VALUES(?, ?)");
    sqlite3_stmt* pCell = Prepare("INSERT INTO anschluss VALUES(?, ?, ?, ?)");
    const CBenchData& d = Data();
    for (int i = 0; i < kArticles; ++i) {
      const std::string text = "Langtext " + std::to_string(i);
      sqlite3_bind_int64(pText, 1, static_cast<sqlite3_int64>(d.m_Rows[i]));
      sqlite3_bind_text(pText, 2, text.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_step(pText);
      sqlite3_reset(pText);
      for (int r = 0; r < 2; ++r)
        for (int f = 0; f < 3; ++f) {
          sqlite3_bind_int64(pCell, 1, static_cast<sqlite3_int64>(d.m_Rows[i]));
          sqlite3_bind_int(pCell, 2, r);
          sqlite3_bind_int(pCell, 3, f);
          sqlite3_bind_int(pCell, 4, 15 + r);
          sqlite3_step(pCell);
          sqlite3_reset(pCell);
        }
    }
    sqlite3_finalize(pText);
    sqlite3_finalize(pCell);
    Exec("COMMIT;");
    m_pSelectText = Prepare("SELECT v FROM texte WHERE k = ?");
    m_pSelectCell = Prepare("SELECT v FROM anschluss WHERE k = ? AND sub = ? AND field = ?");
  }
  ~CSqlite() {
    sqlite3_finalize(m_pSelectText);
    sqlite3_finalize(m_pSelectCell);
    sqlite3_close(m_pDb);
  }
  void Exec(const char* pSql) { sqlite3_exec(m_pDb, pSql, nullptr, nullptr, nullptr); }
  sqlite3_stmt* Prepare(const char* pSql) {
    sqlite3_stmt* p = nullptr;
    sqlite3_prepare_v2(m_pDb, pSql, -1, &p, nullptr);
    return p;
  }
  sqlite3* m_pDb = nullptr;
  sqlite3_stmt* m_pSelectText = nullptr;
  sqlite3_stmt* m_pSelectCell = nullptr;
};

CSqlite& Sqlite() {
  static CSqlite sqlite;
  return sqlite;
}

void BM_Sqlite_Text(benchmark::State& state) {
  CSqlite& db = Sqlite();
  const CBenchData& d = Data();
  std::string out;
  std::size_t i = 0;
  for (auto _ : state) {
    sqlite3_bind_int64(db.m_pSelectText, 1, static_cast<sqlite3_int64>(d.m_Order[i]));
    if (sqlite3_step(db.m_pSelectText) == SQLITE_ROW)
      out.assign(reinterpret_cast<const char*>(sqlite3_column_text(db.m_pSelectText, 0)));
    sqlite3_reset(db.m_pSelectText);
    benchmark::DoNotOptimize(out.data());
    if (++i == d.m_Order.size()) i = 0;
  }
}
void BM_Sqlite_StructCell(benchmark::State& state) {
  CSqlite& db = Sqlite();
  const CBenchData& d = Data();
  std::size_t i = 0;
  for (auto _ : state) {
    sqlite3_bind_int64(db.m_pSelectCell, 1, static_cast<sqlite3_int64>(d.m_Order[i]));
    sqlite3_bind_int(db.m_pSelectCell, 2, 1);
    sqlite3_bind_int(db.m_pSelectCell, 3, 1);
    if (sqlite3_step(db.m_pSelectCell) == SQLITE_ROW)
      benchmark::DoNotOptimize(sqlite3_column_int(db.m_pSelectCell, 0));
    sqlite3_reset(db.m_pSelectCell);
    if (++i == d.m_Order.size()) i = 0;
  }
}
BENCHMARK(BM_Sqlite_Text);
BENCHMARK(BM_Sqlite_StructCell);
#endif

void ReadTexts(benchmark::State& state, CMatTable* pTable, const wchar_t* pLanguage) {
  CBenchData& d = Data();
  SetLanguage(pLanguage);
  CString out;
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(M::GetStringValueEx(out, pTable, d.m_Order[i], 0, 0, 1));
    benchmark::DoNotOptimize(out.data());
    if (++i == d.m_Order.size()) i = 0;
  }
  SetLanguage(L"");
}
void BM_GetStringValueEx_NoLanguage(benchmark::State& s) { ReadTexts(s, Data().m_pPlain, L""); }
void BM_GetStringValueEx_LanguageChild(benchmark::State& s) {
  ReadTexts(s, Data().m_pText, L"ENGLISH");
}
BENCHMARK(BM_GetStringValueEx_NoLanguage);
BENCHMARK(BM_GetStringValueEx_LanguageChild);

// The plain texts again, from a dataset opened from its database file as a
// host opens it (the file's folder watched for changes by other processes):
// what a read costs beyond the in-memory one is the database file layer's
// check before each use of a table.
const CString& SavedTextsFile() {
  static const CString path = [] {
    std::string folder =
        (std::filesystem::temp_directory_path() / "orvamat-query-bench-XXXXXX").string();
    if (mkdtemp(folder.data()) == nullptr) folder = "/tmp";
    setenv("ORVAMAT_HOME", folder.c_str(), 1);
    const CString file = FromUtf8(folder) + L"/texte.mmd";
    CScopedMatStore scoped;
    CMatStore& store = scoped.Get();
    CMatDatenSatz* pDataset = NewDataset(store);
    wcsncpy(pDataset->m_szHerstellerID, L"BENF", 5);
    pDataset->m_strPath = file;
    CMatTable* pPlain = store.CreateTable(nullptr, L"LangText", eTypeString, 1);
    for (int i = 0; i < kArticles; ++i) {
      const Handle hRow = store.CreateHandle(Numbered(L"ART-", i).c_str());
      store.SetCellValue(pPlain, hRow, 0, 0, CCellInput::Text(Numbered(L"Langtext ", i).c_str()));
    }
    SaveDataset(*pDataset);
    ReleaseWriteLock(*pDataset);
    return file;
  }();
  return path;
}

void BM_GetStringValueEx_FromFile(benchmark::State& state) {
  const CString& file = SavedTextsFile();
  SetLanguage(L"");
  CScopedMatStore scoped;
  CMatDatenSatz* pDataset = NewDataset(scoped.Get());
  AttachFile(*pDataset, file);
  LoadDataset(*pDataset);
  CMatTable* pPlain = nullptr;
  if (M::FindTable(&pPlain, nullptr, L"LangText") != eMatOk) state.SkipWithError("no table");
  std::vector<unsigned long> order;
  for (int i = 0; i < kArticles; ++i)
    order.push_back(pDataset->FindHandle(Numbered(L"ART-", (i * 7919L) % kArticles)));
  CString out;
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(M::GetStringValueEx(out, pPlain, order[i], 0, 0, 1));
    benchmark::DoNotOptimize(out.data());
    if (++i == order.size()) i = 0;
  }
}
BENCHMARK(BM_GetStringValueEx_FromFile);

// One cell of a table, read in the scrambled row order.
void ReadCells(benchmark::State& state, CMatTable* pTable, int nIndex, int nField) {
  const CBenchData& d = Data();
  unsigned long nCell = 0;
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(M::GetValue(nCell, pTable, d.m_Order[i], nIndex, nField));
    benchmark::DoNotOptimize(nCell);
    if (++i == d.m_Order.size()) i = 0;
  }
}

void BM_GetValue_Struct(benchmark::State& state) { ReadCells(state, Data().m_pStruct, 1, 1); }
BENCHMARK(BM_GetValue_Struct);

// The row look-up alone, on the table the plain text reads use: the cell is
// the text's pool index. What GetStringValueEx costs beyond this is the pool
// entry, the text and its copy.
void BM_GetValue_TextCell(benchmark::State& state) { ReadCells(state, Data().m_pPlain, 0, 0); }
BENCHMARK(BM_GetValue_TextCell);

// Our calls and the SQLite query each stands against.
constexpr std::pair<const char*, const char*> kVersus[] = {
    {"BM_GetStringValueEx_NoLanguage", "BM_Sqlite_Text"},
    {"BM_GetStringValueEx_LanguageChild", "BM_Sqlite_Text"},
    {"BM_GetStringValueEx_FromFile", "BM_Sqlite_Text"},
    {"BM_GetValue_Struct", "BM_Sqlite_StructCell"},
};

// Adds the counter x_sqlite to each of our runs that has a SQLite
// counterpart: how many times faster it is in CPU time (the machine is
// shared, so wall-clock time carries other processes' load). A repetition
// is compared with the same repetition, an aggregate with the same
// aggregate; the SQLite benchmarks are registered first so that their
// figures are there. The median ratios are printed again after the run.
class CRatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    std::vector<Run> out = runs;
    for (Run& run : out) {
      const std::string key = KeyOf(run);
      m_Times[run.run_name.function_name + key] = run.GetAdjustedCPUTime();
      const char* pSqlite = SqliteOf(run.run_name.function_name);
      const auto it = pSqlite != nullptr ? m_Times.find(pSqlite + key) : m_Times.end();
      const double dOurs = run.GetAdjustedCPUTime();
      if (it == m_Times.end() || dOurs <= 0 || IsSpread(run)) continue;
      run.counters["x_sqlite"] = benchmark::Counter(it->second / dOurs);
      m_Ratios[run.run_name.function_name + key] = it->second / dOurs;
    }
    ConsoleReporter::ReportRuns(out);
  }
  // The ratios of the medians, else of the single runs.
  void PrintRatios() const {
    for (const auto& [pOurs, pSqlite] : kVersus) {
      auto it = m_Ratios.find(std::string(pOurs) + "/median");
      if (it == m_Ratios.end()) it = m_Ratios.find(std::string(pOurs) + "#-1");
      if (it != m_Ratios.end())
        std::printf("ratio %s / %s (CPU time) = %.1f\n", pSqlite, pOurs, it->second);
    }
  }

 private:
  static std::string KeyOf(const Run& run) {
    // Appended, not concatenated: GCC 12 warns falsely on "/" + string.
    std::string key = run.run_type == Run::RT_Aggregate ? "/" : "#";
    key.append(run.run_type == Run::RT_Aggregate ? run.aggregate_name
                                                 : std::to_string(run.repetition_index));
    return key;
  }
  // Standard deviation and variation: no ratio.
  static bool IsSpread(const Run& run) {
    return run.run_type == Run::RT_Aggregate && run.aggregate_name != "mean" &&
           run.aggregate_name != "median";
  }
  static const char* SqliteOf(const std::string& name) {
    for (const auto& [pOurs, pSqlite] : kVersus)
      if (name == pOurs) return pSqlite;
    return nullptr;
  }
  std::map<std::string, double> m_Times;
  std::map<std::string, double> m_Ratios;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  CRatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}
