// The VDI 3805 reader at volume: a generated 8 MB sheet-22 file (40
// products, each with hundreds of 710.09/710.91 curve points, function
// records 600/610 and 800/810 blocks) imported into a new database file
// through the tool's path (ImportVdiIntoFile: read and save), and beside it,
// in the same iteration, a bare read of the file split into lines and
// fields. Counters: import_s (read + save) and split_s, processor seconds;
// ratio, of their processor times, and ratio_wall, of their wall times (the
// save's sync waits for the disk); and read_s: the read alone into a
// dataset without a file.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "OrvaMat/vdi.h"
#include "bench/bench_seconds.h"
#include "platform/file.h"
#include "platform/silent_host_ui.h"
#include "platform/temp_folder.h"
#include "platform/text.h"
#include "store/mat_store.h"
#include "vdi/vdi_reader.h"

namespace {

constexpr int kProducts = 40;
constexpr int kVariants = 4;       // 700 records per product
constexpr int kCurves = 2;         // 710.09 records per 700
constexpr int kCurvePoints = 640;  // 710.91 records per 710.09
constexpr int kTgaNumbers = 60;    // 800 records per product

std::string Digits(int n, int width) {
  std::string text = std::to_string(n);
  return std::string(width > static_cast<int>(text.size()) ? width - text.size() : 0, '0') + text;
}

// Windows-1252 text with CR LF, every line ending in ';'.
std::string SheetText() {
  std::string text =
      "010;22;VDI 3805 Blatt 22;Musterw\xE4rme GmbH;Musterstra\xDF"
      "e 1;12345;Musterstadt;DE;"
      "www.muster.example;info@muster.example;+49 1;+49 2;2024-03-15;1.2;DE;EUR;A;B;C;\r\n";
  for (int p = 1; p <= kProducts; ++p) {
    const int series = (p - 1) / 10 + 1;
    if ((p - 1) % 10 == 0)
      text += "100;" + std::to_string(series) + ";W\xE4rmepumpen Reihe " + std::to_string(series) +
              ";\r\n";
    const std::string n = std::to_string(p);
    text += "110;" + n + ";WP " + n +
            " kW\xAE;Luft/Wasser-W\xE4rmepumpe\xB6"
            "f\xFCr innen;" +
            "5.098039E-02;\r\n";
    for (int i = 1; i <= 2; ++i) text += "200;" + std::to_string(i) + ";Ausf\xFChrung;\r\n";
    for (int i = 1; i <= 2; ++i) text += "300;" + std::to_string(i) + ";Stufe;\r\n";
    text += "400;1;Aufstellung;\r\n500;1;Regelung;\r\n";
    text +=
        "600;1;CHARACTER (58) T;\r\n600;2;CHARACTER (100) R;\r\n"
        "600;3;INTEGER FUNCTION TGA_810(T, R);\r\n";
    text +=
        "610;1;; die Artikelnummer aus der TGA-Nummer;\r\n"
        "610;2;INTEGER FUNCTION TGA_810(T, R);\r\n610;3;CHARACTER (58) T;\r\n"
        "610;4;CHARACTER (100) R;\r\n";
    for (int i = 5; i < 35; ++i)
      text +=
          "610;" + std::to_string(i) + ";R = 'WP" + n + "'; Zeile " + std::to_string(i) + "\r\n";
    text += "610;35;TGA_810 = 1;\r\n610;36;END FUNCTION TGA_810;\r\n";
    for (int v = 1; v <= kVariants; ++v) {
      text += "700;" + std::to_string(v) + ";Betriebspunkt A7/W35;\r\n";
      for (int k = 1; k <= 3; ++k) text += "710.01;" + std::to_string(k) + ";8,1;4,2;230;50;\r\n";
      for (int c = 1; c <= kCurves; ++c) {
        text += "710.09;" + std::to_string(c) + ";-7;35;5.098039E-02;\r\n";
        for (int k = 1; k <= kCurvePoints; ++k) {
          text += "710.91;" + std::to_string(k) + ";" + std::to_string(k % 40 - 20) + ";35;" +
                  std::to_string(k) + ".25E+00;3.1E+00;\r\n";
        }
      }
    }
    for (int t = 1; t <= kTgaNumbers; ++t) {
      text += "800;" + std::to_string(t) + ";" + Digits(series, 3) + Digits(p, 3) + "000" +
              Digits(t % 2 + 1, 3) + "000000000000000000000000000000000" + Digits(t, 5) + ";\r\n";
      text += "810;1;WP" + n + "-" + std::to_string(t) + ";DN" + n + ";Artikel;;;;1;\r\n";
      text += "810;2;ZUB" + std::to_string(t % 7) + ";DN;Zubeh\xF6r;;;;2;\r\n";
    }
  }
  return text;
}

// The bare read: the file's bytes, split into lines and fields.
std::size_t ReadAndSplit(const CString& path) {
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) return 0;
  std::size_t nFields = 0;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    std::size_t pos = start;
    for (;;) {
      ++nFields;
      const std::size_t semicolon = bytes.find(';', pos);
      if (semicolon == std::string::npos || semicolon >= end) break;
      pos = semicolon + 1;
    }
    start = end + 1;
  }
  return nFields;
}

void BM_VdiImportAndSplit(benchmark::State& state) {
  static CSilentHostUI ui;
  SetHostUI(&ui);
  CTempFolder folder;
  const CString vdi = folder / L"sheet22.vdi";
  const std::string text = SheetText();
  std::ofstream(ToUtf8(vdi), std::ios::binary) << text;
  CSeconds importing, split, reading;
  int nRun = 0;
  for (auto _ : state) {
    split.Add([&] { benchmark::DoNotOptimize(ReadAndSplit(vdi)); });
    // The store is taken down after the timing, as the tool leaves it to the
    // end of the process.
    CScopedMatStore store;
    CVdiFileImport request;
    request.files = {vdi};
    request.target.strPath = folder / (L"run" + std::to_wstring(nRun++) + L".mmd");
    request.target.strNewID = L"VDI0";
    importing.Add([&] {
      CVdiFileImportResult result;
      if (!ImportVdiIntoFile(request, {}, result)) state.SkipWithError("the import failed");
    });
    // The read alone, into a dataset without a file: what the save adds.
    CScopedMatStore readStore;
    readStore.Get().SetCurrent(readStore.Get().AddDataset(std::make_unique<CMatDatenSatz>()));
    reading.Add([&] {
      CVdiReader reader(&readStore.Get());
      if (!reader.Read(vdi)) state.SkipWithError("the read failed");
    });
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["MB"] = static_cast<double>(text.size()) / 1e6;
  state.counters["import_s"] = importing.cpu / n;
  state.counters["split_s"] = split.cpu / n;
  state.counters["read_s"] = reading.cpu / n;
  state.counters["ratio"] = split.cpu > 0 ? importing.cpu / split.cpu : 0;
  state.counters["ratio_wall"] = split.wall > 0 ? importing.wall / split.wall : 0;
}
BENCHMARK(BM_VdiImportAndSplit)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
