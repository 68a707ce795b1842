// The store's hot paths on a dataset of a million handles: making and
// finding handles, and reading and writing cells of a million-row Integer
// table (map mode) and String table. Memory per String row is reported as a
// counter: the row map, the pool array and the arena bytes beside the texts.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "store/mat_store.h"

#if __has_include(<sqlite3.h>)
#include <sqlite3.h>
#define STORE_BENCH_SQLITE 1
#endif

namespace {

constexpr std::uint32_t kRows = 1000000;

std::vector<std::wstring> MakeTexts(const wchar_t* pPrefix) {
  std::vector<std::wstring> texts(kRows);
  for (std::uint32_t i = 0; i < kRows; ++i) texts[i] = pPrefix + std::to_wstring(i);
  return texts;
}

// Random row numbers, so that reads do not walk the map in slot order.
std::vector<std::uint32_t> Shuffled() {
  std::vector<std::uint32_t> order(kRows);
  for (std::uint32_t i = 0; i < kRows; ++i) order[i] = i;
  std::shuffle(order.begin(), order.end(), std::mt19937(42));
  return order;
}

// One store with a dataset of a million row handles, an Integer table and a
// String table of a row each; made once for all benchmarks. The inputs of the
// look-ups are laid out in their (random) order of use, so that reading them
// costs no cache misses of its own: the figures are the store's.
struct CBenchStore {
  CBenchStore() : m_Texts(MakeTexts(L"Artikel ")), m_Order(Shuffled()) {
    m_pDataset = m_Store.AddDataset(std::make_unique<CMatDatenSatz>());
    m_Store.SetCurrent(m_pDataset);
    m_Rows.reserve(kRows);
    for (const auto& text : m_Texts) m_Rows.push_back(m_Store.CreateHandle(text.c_str()));
    m_pInt = m_Store.CreateTable(nullptr, L"Int", eTypeInteger, 1);
    m_pText = m_Store.CreateTable(nullptr, L"Text", eTypeString, 1);
    const std::size_t nArenaBefore = m_pDataset->GetArena().GetBytesUsed();
    std::size_t nTextBytes = 0;
    for (std::uint32_t i = 0; i < kRows; ++i) {
      m_Store.SetCellValue(m_pInt, m_Rows[i], 0, 0, CCellInput::Value(i));
      m_Store.SetCellValue(m_pText, m_Rows[i], 0, 0, CCellInput::Text(m_Texts[i].c_str()));
      nTextBytes += (m_Texts[i].size() + 1) * sizeof(wchar_t);
    }
    const std::size_t nArenaBeside =
        m_pDataset->GetArena().GetBytesUsed() - nArenaBefore - nTextBytes;
    m_dBytesPerStringRow =
        static_cast<double>(m_pText->m_Rows.GetMemoryBytes() +
                            m_pDataset->m_StringPool.capacity() * sizeof(void*) + nArenaBeside) /
        kRows;
    m_dBytesPerIntRow = static_cast<double>(m_pInt->m_Rows.GetMemoryBytes()) / kRows;
    for (std::uint32_t n : m_Order) {
      m_ShuffledRows.push_back(m_Rows[n]);
      m_ShuffledTextStarts.push_back(m_ShuffledTexts.size());
      m_ShuffledTexts.append(m_Texts[n]).push_back(0);
    }
    m_dBytesPerHandle = static_cast<double>(m_pDataset->m_NameToHandle.GetMemoryBytes() +
                                            m_pDataset->m_HandleToName.GetMemoryBytes()) /
                        kRows;
  }

  CMatStore m_Store;
  std::vector<std::wstring> m_Texts;
  std::vector<std::uint32_t> m_Order;
  CMatDatenSatz* m_pDataset = nullptr;
  std::vector<Handle> m_Rows;
  std::vector<Handle> m_ShuffledRows;
  std::wstring m_ShuffledTexts;  // zero-separated, in the order of m_ShuffledRows
  std::vector<std::size_t> m_ShuffledTextStarts;
  const wchar_t* ShuffledText(std::size_t i) const {
    return m_ShuffledTexts.c_str() + m_ShuffledTextStarts[i];
  }
  CMatTable* m_pInt = nullptr;
  CMatTable* m_pText = nullptr;
  double m_dBytesPerStringRow = 0;
  double m_dBytesPerIntRow = 0;
  double m_dBytesPerHandle = 0;
};

CBenchStore& Bench() {
  static CBenchStore bench;
  return bench;
}

void BM_CreateHandle(benchmark::State& state) {
  const std::vector<std::wstring> texts = MakeTexts(L"Neu ");
  CMatStore store;
  store.SetCurrent(store.AddDataset(std::make_unique<CMatDatenSatz>()));
  std::size_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(store.CreateHandle(texts[i++].c_str()));
}
BENCHMARK(BM_CreateHandle)->Iterations(kRows);

void BM_FindHandle(benchmark::State& state) {
  CBenchStore& b = Bench();
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(b.m_Store.FindHandle(b.ShuffledText(i)));
    if (++i == kRows) i = 0;
  }
}
BENCHMARK(BM_FindHandle);

void BM_HdlToString(benchmark::State& state) {
  CBenchStore& b = Bench();
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(b.m_Store.HdlToString(b.m_ShuffledRows[i]));
    if (++i == kRows) i = 0;
  }
}
BENCHMARK(BM_HdlToString);

void ReadCells(benchmark::State& state, CMatTable* pTable) {
  CBenchStore& b = Bench();
  std::size_t i = 0;
  CCell cell;
  for (auto _ : state) {
    benchmark::DoNotOptimize(b.m_Store.GetCellValue(pTable, cell, b.m_ShuffledRows[i], 0, 0));
    benchmark::DoNotOptimize(cell);
    if (++i == kRows) i = 0;
  }
  state.counters["bytes_per_string_row"] = b.m_dBytesPerStringRow;
  state.counters["bytes_per_int_row"] = b.m_dBytesPerIntRow;
  state.counters["name_map_bytes_per_handle"] = b.m_dBytesPerHandle;
}
void BM_GetCellValue_Integer(benchmark::State& state) { ReadCells(state, Bench().m_pInt); }
void BM_GetCellValue_String(benchmark::State& state) { ReadCells(state, Bench().m_pText); }
BENCHMARK(BM_GetCellValue_Integer);
BENCHMARK(BM_GetCellValue_String);

void BM_SetCellValue_Integer(benchmark::State& state) {
  CBenchStore& b = Bench();
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(b.m_Store.SetCellValue(
        b.m_pInt, b.m_ShuffledRows[i], 0, 0, CCellInput::Value(static_cast<std::uint32_t>(i))));
    if (++i == kRows) i = 0;
  }
}
BENCHMARK(BM_SetCellValue_Integer);

void BM_SetCellValue_String(benchmark::State& state) {
  // Each row gets its own text again: same length, so it is overwritten in
  // place and the pool does not grow.
  CBenchStore& b = Bench();
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(b.m_Store.SetCellValue(b.m_pText, b.m_ShuffledRows[i], 0, 0,
                                                    CCellInput::Text(b.ShuffledText(i))));
    if (++i == kRows) i = 0;
  }
}
BENCHMARK(BM_SetCellValue_String);

#ifdef STORE_BENCH_SQLITE
// Side by side: a point query of an in-memory SQLite table of the same size.
void BM_SqlitePointQuery(benchmark::State& state) {
  sqlite3* pDb = nullptr;
  sqlite3_open(":memory:", &pDb);
  sqlite3_exec(pDb, "CREATE TABLE t(k INTEGER PRIMARY KEY, v INTEGER); BEGIN;", nullptr, nullptr,
               nullptr);
  sqlite3_stmt* pInsert = nullptr;
  sqlite3_prepare_v2(pDb, "INSERT INTO t VALUES(?, ?)", -1, &pInsert, nullptr);
  const std::vector<Handle>& rows = Bench().m_Rows;
  for (std::uint32_t i = 0; i < kRows; ++i) {
    sqlite3_bind_int64(pInsert, 1, rows[i]);
    sqlite3_bind_int64(pInsert, 2, i);
    sqlite3_step(pInsert);
    sqlite3_reset(pInsert);
  }
  sqlite3_finalize(pInsert);
  sqlite3_exec(pDb, "COMMIT;", nullptr, nullptr, nullptr);
  sqlite3_stmt* pSelect = nullptr;
  sqlite3_prepare_v2(pDb, "SELECT v FROM t WHERE k = ?", -1, &pSelect, nullptr);
  const std::vector<Handle>& shuffled = Bench().m_ShuffledRows;
  std::size_t i = 0;
  for (auto _ : state) {
    sqlite3_bind_int64(pSelect, 1, shuffled[i]);
    if (sqlite3_step(pSelect) == SQLITE_ROW)
      benchmark::DoNotOptimize(sqlite3_column_int(pSelect, 0));
    sqlite3_reset(pSelect);
    if (++i == kRows) i = 0;
  }
  sqlite3_finalize(pSelect);
  sqlite3_close(pDb);
}
BENCHMARK(BM_SqlitePointQuery);
#endif

}  // namespace
