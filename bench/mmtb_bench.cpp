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

// The generated texts, made once on first use.
const std::string& StringText() {
  static const std::string text = StringTableText();
  return text;
}
const std::string& StructText() {
  static const std::string text = StructTableText();
  return text;
}
using TextMaker = const std::string& (*)();

void ReadRows(benchmark::State& state, TextMaker makeText, int nRows) {
  const std::string& text = makeText();
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

// Into the exported list of lines (a string of its own for every line), or
// into the bytes of a UTF-8 file, as a table is saved as text.
enum class EWriteForm { kList, kUtf8 };

void WriteRows(benchmark::State& state, TextMaker makeText, int nRows, EWriteForm form) {
  const std::string& text = makeText();
  QuietUI();
  std::unique_ptr<CMatStore> pStore = ReadInto(text);
  CMatTable* pTable = pStore->GetCurrent()->m_Tables.front().get();
  std::size_t nBytes = 0;
  for (auto _ : state) {
    if (form == EWriteForm::kList) {
      CStringList lines;
      lines.reserve(static_cast<std::size_t>(nRows) + 16);
      CMatManager::WriteTableText(pTable, lines);
      benchmark::DoNotOptimize(lines.data());
    } else {
      std::string out;
      out.reserve(text.size() + text.size() / 4);
      WriteTableUtf8(pTable, out);
      nBytes = out.size();
      benchmark::DoNotOptimize(out.data());
    }
  }
  state.SetItemsProcessed(state.iterations() * nRows);
  if (nBytes != 0) state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(nBytes));
}

BENCHMARK_CAPTURE(ReadRows, String, StringText, kStringRows)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ReadRows, Struct, StructText, kStructRows)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(WriteRows, String, StringText, kStringRows, EWriteForm::kList)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(WriteRows, Struct, StructText, kStructRows, EWriteForm::kList)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(WriteRows, StringUtf8, StringText, kStringRows, EWriteForm::kUtf8)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(WriteRows, StructUtf8, StructText, kStructRows, EWriteForm::kUtf8)
    ->Unit(benchmark::kMillisecond);

}  // namespace
