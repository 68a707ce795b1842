// The MMTB text format at volume: reading a generated text of 1,000,000
// String rows and of 200,000 Struct rows (five fields), and writing the same
// tables, as a list of lines and as the bytes of a UTF-8 file.
// items_per_second is rows per second.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "OrvaMat/mat_manager.h"
#include "platform/silent_host_ui.h"
#include "store/mat_store.h"
#include "store/mmtb/mat_text_file.h"
#include "store/mmtb/mat_text_writer.h"

namespace {

constexpr int kStringRows = 1000000;
constexpr int kStructRows = 200000;

CSilentHostUI& QuietUI() {
  static CSilentHostUI ui;
  SetHostUI(&ui);
  return ui;
}

// A UTF-8 file with its byte-order mark, as the writer's users save it.
std::string StringTableText() {
  std::string text = "\xEF\xBB\xBF[MMTB]\r\n(*Texte*)(**)C,1\r\nHashTableSize=1000000\r\n";
  for (int i = 0; i < kStringRows; ++i) {
    const std::string n = std::to_string(i);
    text += "(*Artikel" + n + "*) (*Kurztext des Artikels " + n + "*)\r\n";
  }
  return text + "[Ende_MMTB]\r\n";
}

std::string StructTableText() {
  std::string text = "\xEF\xBB\xBF[MMTB]\r\n(*Varianten*)(**)S,1\r\nHashTableSize=200000\r\n";
  text += "StrucDef=5,H,C,I,F,B\r\n";
  for (int i = 0; i < kStructRows; ++i) {
    const std::string n = std::to_string(i);
    text += "(*V" + n + "*)[1]  (*Typ" + std::to_string(i % 50) + "*) (*Text " + n + "*) " + n +
            " 1.25 %00000000000000000000000000000101\r\n";
  }
  return text + "[Ende_MMTB]\r\n";
}

std::unique_ptr<CMatStore> ReadInto(const std::string& text) {
  auto pStore = std::make_unique<CMatStore>();
  pStore->SetCurrent(pStore->AddDataset(std::make_unique<CMatDatenSatz>()));
  ReadMmtbBytes(*pStore, text, L"bench.mmtb");
  return pStore;
}

void ReadBenchmark(benchmark::State& state, const std::string& text, int nRows) {
  CSilentHostUI& ui = QuietUI();
  for (auto _ : state) {
    std::unique_ptr<CMatStore> pStore = ReadInto(text);
    state.PauseTiming();
    pStore.reset();  // closing the dataset is not reading
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * nRows);
  state.counters["messages"] = ui.m_nMessages;
}

// Into the exported list of lines: a string of its own for every line.
void WriteBenchmark(benchmark::State& state, const std::string& text, int nRows) {
  QuietUI();
  std::unique_ptr<CMatStore> pStore = ReadInto(text);
  CMatTable* pTable = pStore->GetCurrent()->m_Tables.front().get();
  for (auto _ : state) {
    CStringList lines;
    lines.reserve(static_cast<std::size_t>(nRows) + 16);
    CMatManager::WriteTableText(pTable, lines);
    benchmark::DoNotOptimize(lines.data());
  }
  state.SetItemsProcessed(state.iterations() * nRows);
}

// Into the bytes of a UTF-8 file, as a table is saved as text.
void WriteUtf8Benchmark(benchmark::State& state, const std::string& text, int nRows) {
  QuietUI();
  std::unique_ptr<CMatStore> pStore = ReadInto(text);
  CMatTable* pTable = pStore->GetCurrent()->m_Tables.front().get();
  std::size_t nBytes = 0;
  for (auto _ : state) {
    std::string out;
    out.reserve(text.size() + text.size() / 4);
    WriteTableUtf8(pTable, out);
    nBytes = out.size();
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * nRows);
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(nBytes));
}

void BM_ReadStringRows(benchmark::State& state) {
  static const std::string text = StringTableText();
  ReadBenchmark(state, text, kStringRows);
}
void BM_ReadStructRows(benchmark::State& state) {
  static const std::string text = StructTableText();
  ReadBenchmark(state, text, kStructRows);
}
void BM_WriteStringRows(benchmark::State& state) {
  static const std::string text = StringTableText();
  WriteBenchmark(state, text, kStringRows);
}
void BM_WriteStructRows(benchmark::State& state) {
  static const std::string text = StructTableText();
  WriteBenchmark(state, text, kStructRows);
}

void BM_WriteStringRowsUtf8(benchmark::State& state) {
  static const std::string text = StringTableText();
  WriteUtf8Benchmark(state, text, kStringRows);
}
void BM_WriteStructRowsUtf8(benchmark::State& state) {
  static const std::string text = StructTableText();
  WriteUtf8Benchmark(state, text, kStructRows);
}

BENCHMARK(BM_ReadStringRows)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadStructRows)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteStringRows)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteStructRows)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteStringRowsUtf8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteStructRowsUtf8)->Unit(benchmark::kMillisecond);

}  // namespace
