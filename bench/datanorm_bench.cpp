// DATANORM import and article reads at catalogue size: a generated version 5
// file of 200,000 articles (A records, T long texts shared by groups of ten
// articles, D text lines, R and S records; about a million lines) and the
// same catalogue in version 4. Reports lines per second, the time to import
// into a fresh dataset and save it, and the cost of one GetGesammtText and
// one GetArtikelBildDatei (pictures on disk for a tenth of the articles).
//
// The command line's import, side by side: a second version 5 catalogue of
// 200,000 articles in CP1252 with umlauts (A, B and D records, the D lines
// referring to T blocks shared by 30 articles; about 668,000 lines) is read
// and split bare, and imported and saved through ImportDatanormIntoFile into
// a new database file and into an existing one. The import benchmarks time
// the bare read-and-split of the same file in each iteration as well and
// report their processor time as a multiple of its ("x split"; "x split
// wall" the same of wall times). The same catalogue in version 4 (its A
// records name the T blocks) is measured for peak memory and new files too.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "OrvaMat/article.h"
#include "OrvaMat/mat_manager.h"
#include "bench/bench_seconds.h"
#include "import/dn_import.h"
#include "import/dn_loader.h"
#include "platform/code_page.h"
#include "platform/file.h"
#include "platform/recording_host_ui.h"
#include "platform/text.h"
#include "store/base/line_file.h"
#include "store/base/translation.h"
#include "store/mat_store.h"
#include "store/mmd/dataset_registry.h"
#include "store/mmd/import_target.h"
#include "store/mmd/mmd_file.h"
#include "store/mmd/mmd_format.h"

namespace {

constexpr int kArticles = 200000;
constexpr int kTextGroup = 10;  // articles sharing one long text

// The benchmark's own folder, removed when the program ends: the catalogues
// and database files in it take a few hundred megabytes.
struct CBenchFolder {
  std::string strPath;
  CBenchFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "orvamat-dnbench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) strPath = pattern;
  }
  ~CBenchFolder() {
    std::error_code ignored;
    if (!strPath.empty()) std::filesystem::remove_all(strPath, ignored);
  }
};

std::string Folder() {
  static const CBenchFolder folder;
  return folder.strPath;
}

std::string Article(int i);
std::string TextKey(int i);

std::string Header4() {
  std::string line = "V 150325Generierter Katalog";
  line.resize(123, ' ');
  return line + "04EUR\r\n";
}

// Appends the fields joined by ";" and a line end.
void Line(std::string& out, std::initializer_list<std::string_view> fields) {
  for (const std::string_view field : fields) {
    out.append(field);
    out += ';';
  }
  out += "\r\n";
}

std::string N(int n) { return std::to_string(n); }

// Joins texts (operator+ on a literal and a temporary trips a false warning
// of GCC 12).
std::string Cat(std::initializer_list<std::string_view> parts) {
  std::string out;
  for (const std::string_view part : parts) out.append(part);
  return out;
}

std::string Article(int i) { return Cat({"ART-", N(100000 + i)}); }
std::string TextKey(int i) { return Cat({"T", N(i / kTextGroup)}); }

void Groups(std::string& out, int version) {
  for (int g = 0; g < 100; ++g) {
    const std::string main = N(10 + g % 10), group = N(1000 + g), value = N(100 * g);
    const std::string mainName = Cat({"Hauptgruppe ", main}), groupName = Cat({"Gruppe ", group});
    const std::string discount = Cat({"R", N(g)});
    if (version == 4) {
      Line(out, {"S", "N", main, mainName, group, groupName});
      Line(out, {"R", "N", discount, "1", value, "Rabatt"});
    } else {
      Line(out, {"S", main, group, groupName});
      Line(out, {"R", discount, "1", value, "Rabatt"});
    }
  }
}

void LongText(std::string& out, int version, const std::string& key) {
  for (int line = 1; line <= 10; line += 2) {
    const std::string text1 = Cat({"Langtext Zeile ", N(line), " fuer die Gruppe"});
    const std::string text2 = Cat({"und ihre Fortsetzung ", N(line + 1)});
    if (version == 4) {
      Line(out, {"T", "N", key, "", N(line), "", text1, N(line + 1), "", text2});
    } else {
      Line(out, {"T", "N", key, "1", N(line), text1});
      Line(out, {"T", "N", key, "1", N(line + 1), text2});
    }
  }
}

void Articles(std::string& out, int version) {
  for (int i = 0; i < kArticles; ++i) {
    const std::string a = Article(i), main = N(10 + i % 10), group = N(1000 + i % 100);
    const std::string discount = Cat({"R", N(i % 100)}), price = N(1000 + i), key = TextKey(i);
    const std::string shortText = Cat({"Artikel ", a}), match = Cat({"MC", a}),
                      ean = Cat({"40123", N(10000000 + i)});
    if (i % kTextGroup == 0) LongText(out, version, key);
    if (version == 4) {
      Line(out, {"A", "N", a, "40", shortText, "zweite Zeile", "1", "0", "PCE", price, discount,
                 main, key});
      Line(out,
           {"B", "N", a, match, " ", " ", "0", "0", "0", ean, " ", group, "90", "1", " ", " "});
      Line(out, {"D", "N", a, "1", "X", "", "Hinweis eins", "2", "F", "", "Hinweis zwei"});
    } else {
      const std::string page = Cat({"S.", N(i % 500)});
      Line(out, {"A",   "N",   a,     shortText, "zweite Zeile",
                 "PCE", "1",   "1",   price,     discount,
                 main,  group, match, "",        "",
                 "",    "",    "",    ean,       "",
                 "1",   page,  "4",   key,       "90",
                 "",    "",    "",    ""});
      Line(out, {"D", "N", a, "01", "X", "Hinweis eins", ""});
      Line(out, {"D", "N", a, "02", "F", "Hinweis zwei", ""});
    }
  }
}

// The catalogue in one version; returns its path (made once).
const std::string& Catalogue(int version) {
  static std::string paths[2];
  std::string& path = paths[version == 4 ? 0 : 1];
  if (!path.empty()) return path;
  path = Folder() + (version == 4 ? "/katalog4.001" : "/katalog5.001");
  std::string out;
  if (version == 4) {
    out = Header4();
  } else {
    Line(out, {"V", "050", "A", "20250315", "EUR", "Generierter Katalog", "", "GEN"});
  }
  Groups(out, version);
  Articles(out, version);
  std::ofstream(path, std::ios::binary) << out;
  return path;
}

std::size_t LineCount(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::size_t n = 0;
  for (std::string line; std::getline(in, line);) ++n;
  return n;
}

struct CQuiet {
  CRecordingHostUI ui;
  CScopedHostUI scopedUI{ui};
  CTranslationManager translation{L""};
  CScopedTranslationManager scopedTranslation{translation};
};

void Import(benchmark::State& state, int version, bool save) {
  CQuiet quiet;
  const std::string& path = Catalogue(version);
  const std::size_t lines = LineCount(path);
  for (auto _ : state) {
    CScopedMatStore scope;
    CMatDatenSatz* pDataset = NewDataset(scope.Get());
    pDataset->m_strPath = FromUtf8(Folder() + "/bench.mmd");
    CDnLoader loader(&scope.Get());
    if (!loader.Load(FromUtf8(path), true)) state.SkipWithError("import failed");
    if (save && !SaveDataset(*pDataset)) state.SkipWithError("save failed");
    if (save) ReleaseWriteLock(*pDataset);
  }
  state.counters["lines/s"] = benchmark::Counter(static_cast<double>(lines) * state.iterations(),
                                                 benchmark::Counter::kIsRate);
  state.counters["lines"] = static_cast<double>(lines);
}

void BM_ImportV5(benchmark::State& state) { Import(state, 5, false); }
void BM_ImportAndSaveV5(benchmark::State& state) { Import(state, 5, true); }
void BM_ImportV4(benchmark::State& state) { Import(state, 4, false); }
void BM_ImportAndSaveV4(benchmark::State& state) { Import(state, 4, true); }
BENCHMARK(BM_ImportV5)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_ImportAndSaveV5)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_ImportV4)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_ImportAndSaveV4)->Unit(benchmark::kMillisecond)->Iterations(2);

// One imported version 5 catalogue, its database file in <folder>/D and a
// picture for every tenth article in <folder>/BMP.
struct CImported {
  CQuiet quiet;
  CScopedMatStore scope;
  std::vector<Handle> articles;
  CImported() {
    CMatDatenSatz* pDataset = NewDataset(scope.Get());
    pDataset->m_strPath = FromUtf8(Folder() + "/D/bench.mmd");
    CDnLoader loader(&scope.Get());
    loader.Load(FromUtf8(Catalogue(5)), true);
    std::filesystem::create_directories(Folder() + "/BMP");
    for (int i = 0; i < kArticles; ++i) {
      articles.push_back(pDataset->FindHandle(FromUtf8(Article(i))));
      if (i % 10 == 0) std::ofstream(Folder() + "/BMP/" + Article(i) + ".jpg").put('x');
    }
  }
};

CImported& Imported() {
  static CImported imported;
  return imported;
}

void BM_GetGesammtText(benchmark::State& state) {
  CImported& data = Imported();
  std::size_t i = 0;
  CString text;
  for (auto _ : state) {
    CMatManager::GetGesammtText(text, data.articles[i++ % data.articles.size()]);
    benchmark::DoNotOptimize(text.data());
  }
}
BENCHMARK(BM_GetGesammtText)->Unit(benchmark::kMicrosecond);

void BM_GetArtikelBildDatei(benchmark::State& state) {
  CImported& data = Imported();
  std::size_t i = 0;
  CString path, info;
  for (auto _ : state) {
    path.clear();
    CMatManager::GetArtikelBildDatei(path, info, data.articles[i++ % data.articles.size()]);
    benchmark::DoNotOptimize(path.data());
  }
}
BENCHMARK(BM_GetArtikelBildDatei)->Unit(benchmark::kMicrosecond);

// ---- the command line's import: new file, existing file, bare read

constexpr int kSharedTextGroup = 30;  // articles whose D line names one T block

// The second catalogue: CP1252 bytes ("\xFC" is "ü", "\xE4" "ä",
// "\xDF" "ß") of nArticles articles in version 5, or in version 4 with the
// same texts in its layout (the long text named by the A record instead of a
// D line); returns its path (made once).
const std::string& SharedTextCatalogue(int nArticles = kArticles, int version = 5) {
  static std::map<std::pair<int, int>, std::string> paths;
  std::string& path = paths[{nArticles, version}];
  if (!path.empty()) return path;
  path = Folder() + "/katalog" + N(version) + "-cp1252-" + N(nArticles) + ".001";
  std::ofstream file(path, std::ios::binary);
  std::string out;
  if (version == 4) {
    out = Header4();
  } else {
    Line(out, {"V", "050", "A", "20250315", "EUR", "Katalog f\xFCr Geb\xE4udetechnik", "", "GEN"});
  }
  Groups(out, version);
  for (int i = 0; i < nArticles; ++i) {
    if (out.size() > (std::size_t{1} << 24)) {  // written in pieces: a large one is 430 MB
      file << out;
      out.clear();
    }
    const std::string a = Article(i), key = Cat({"TB", N(i / kSharedTextGroup)});
    const std::string shortText =
        Cat({"Rohrschelle Gr\xF6\xDF"
             "e ",
             N(i % 80)});
    const std::string price = N(1000 + i), discount = Cat({"R", N(i % 100)});
    const std::string main = N(10 + i % 10), group = N(1000 + i % 100), match = Cat({"MC", a});
    const std::string ean = Cat({"40123", N(10000000 + i)});
    if (i % kSharedTextGroup == 0) {
      for (int line = 1; line <= 10; ++line) {
        const std::string text =
            Cat({"Stra\xDF"
                 "enablauf f\xFCr Gr\xF6\xDF"
                 "e ",
                 N(line),
                 " \xE4u\xDF"
                 "erst robust"});
        if (version == 4) {
          Line(out, {"T", "N", key, "", N(line), "", text});
        } else {
          Line(out, {"T", "N", key, "1", N(line), text});
        }
      }
    }
    if (version == 4) {
      Line(out,
           {"A", "N", a, "40", shortText, "verzinkt", "1", "0", "PCE", price, discount, main, key});
      Line(out,
           {"B", "N", a, match, " ", " ", "0", "0", "0", ean, " ", group, "90", "1", " ", " "});
      continue;
    }
    Line(out, {"A",        "N",
               a,          shortText,
               "verzinkt", "PCE",
               "1",        "1",
               price,      discount,
               main,       group,
               match,      "",
               "",         "",
               "",         "",
               ean,        "",
               "1",        Cat({"S.", N(i % 500)}),
               "4",        "",
               "90",       "",
               "",         "",
               ""});
    Line(out, {"B", "N", a, match, "", "", "", "", "", "", "", "", "", ""});
    Line(out, {"D", "N", a, "01", "T", "", key});
  }
  file << out;
  return path;
}

// The bare read of the catalogue: its bytes, its lines found and decoded,
// and each line's fields counted. Returns the field count.
std::size_t ReadAndSplit(const std::string& path) {
  std::string bytes;
  if (!ReadWholeFile(FromUtf8(path), bytes)) return 0;
  CString text;
  std::size_t fields = 0;
  for (const std::string_view line : qelStrUtil::SplitLineViews(std::string_view(bytes))) {
    DecodeText(line, CP_WINDOWS_1252, text);
    for (const wchar_t c : text) fields += c == L';';
  }
  return fields;
}

void BM_ReadAndSplitCp1252(benchmark::State& state) {
  const std::string& path = SharedTextCatalogue();
  for (auto _ : state) benchmark::DoNotOptimize(ReadAndSplit(path));
  state.counters["lines"] = static_cast<double>(LineCount(path));
}
BENCHMARK(BM_ReadAndSplitCp1252)->Unit(benchmark::kMillisecond)->Iterations(3);

// The command line's import of the catalogue into target (removed first
// unless existing; else made once as an empty dataset's file and restored
// before each iteration).
void ImportIntoFile(benchmark::State& state, bool existing, int nArticles = kArticles,
                    int version = 5) {
  CQuiet quiet;
  const std::string& catalogue = SharedTextCatalogue(nArticles, version);
  const std::string target = Folder() + (existing ? "/existing.mmd" : "/new.mmd");
  const std::string empty = Folder() + "/empty.mmd";
  if (existing && !std::filesystem::exists(empty)) {
    CScopedMatStore scope;
    CImportTarget made;
    made.strPath = FromUtf8(empty);
    made.strID = L"GEN1";
    CMatDatenSatz* pDataset = OpenImportTarget(scope.Get(), made);
    if (pDataset == nullptr || !FinishImport(*pDataset, made, true))
      state.SkipWithError("empty file not saved");
  }
  CDnFileImport request;
  request.files = {FromUtf8(catalogue)};
  request.target.strPath = FromUtf8(target);
  request.target.strID = L"GEN1";
  CSeconds importing, split;
  for (auto _ : state) {
    state.PauseTiming();
    split.Add([&] { benchmark::DoNotOptimize(ReadAndSplit(catalogue)); });
    std::filesystem::remove(target);
    std::filesystem::remove(ToUtf8(MmdBackupPath(FromUtf8(target))));
    if (existing) std::filesystem::copy_file(empty, target);
    state.ResumeTiming();
    importing.Add([&] {
      CScopedMatStore scope;
      CDnFileImportResult result;
      if (!ImportDatanormIntoFile(scope.Get(), request, {}, result))
        state.SkipWithError("import failed");
    });
  }
  state.counters["lines/s"] = benchmark::Counter(
      static_cast<double>(LineCount(catalogue)) * state.iterations(), benchmark::Counter::kIsRate);
  state.counters["x split"] = split.cpu > 0 ? importing.cpu / split.cpu : 0;
  state.counters["x split wall"] = split.wall > 0 ? importing.wall / split.wall : 0;
}

// The tool's import as a process of its own, into a new file: its peak
// memory is the kernel's high-water mark of its resident set, compared with
// the catalogue's size. The child is forked, not spawned: a spawned child
// shares this process's memory until it runs the tool, and the kernel then
// counts this process's high-water mark as the child's. A forked child
// starts from a copy of what this process holds at that moment, which the
// trim below keeps to the program and its catalogue's name.
void CommandPeakMemory(benchmark::State& state, int nArticles, int version = 5) {
  const std::string& catalogue = SharedTextCatalogue(nArticles, version);
  const std::string target = Folder() + "/peak.mmd";
  std::string home = "ORVAMAT_HOME=" + Folder();  // the tool's settings stay in the folder
  std::vector<std::string> args = {ORVAMAT_BINARY, "import", "datanorm", catalogue,
                                   "--mmd",        target,   "--id",     "GEN1"};
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  char* envp[] = {home.data(), nullptr};
  long nPeakKb = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::filesystem::remove(target);
    std::filesystem::remove(ToUtf8(MmdBackupPath(FromUtf8(target))));
    malloc_trim(0);
    state.ResumeTiming();
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
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
      state.SkipWithError("the tool's import failed");
      break;
    }
    nPeakKb = std::max(nPeakKb, usage.ru_maxrss);
  }
  const double nFileBytes = static_cast<double>(std::filesystem::file_size(catalogue));
  state.counters["peak MB"] = static_cast<double>(nPeakKb) / 1024.0;
  state.counters["x file"] = static_cast<double>(nPeakKb) * 1024.0 / nFileBytes;
}
void BM_CommandPeakMemory(benchmark::State& state) { CommandPeakMemory(state, kArticles); }
BENCHMARK(BM_CommandPeakMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_CommandImportNewFile(benchmark::State& state) { ImportIntoFile(state, false); }
void BM_CommandImportExistingFile(benchmark::State& state) { ImportIntoFile(state, true); }
BENCHMARK(BM_CommandImportNewFile)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_CommandImportExistingFile)->Unit(benchmark::kMillisecond)->Iterations(3);

// The same catalogue in version 4.
void BM_CommandPeakMemoryV4(benchmark::State& state) { CommandPeakMemory(state, kArticles, 4); }
void BM_CommandImportNewFileV4(benchmark::State& state) {
  ImportIntoFile(state, false, kArticles, 4);
}
BENCHMARK(BM_CommandPeakMemoryV4)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_CommandImportNewFileV4)->Unit(benchmark::kMillisecond)->Iterations(3);

// The catalogue of 2,000,000 articles (430 MB) runs only when a filter names
// it ("--benchmark_filter=2M"): the one-shot run of every benchmark stays short.
void Register2MBenchmarks() {
  constexpr int k2M = 2000000;
  benchmark::RegisterBenchmark("BM_2M_CommandPeakMemory",
                               [](benchmark::State& state) { CommandPeakMemory(state, k2M); })
      ->Unit(benchmark::kMillisecond)
      ->Iterations(1);
  benchmark::RegisterBenchmark("BM_2M_CommandImportNewFile",
                               [](benchmark::State& state) { ImportIntoFile(state, false, k2M); })
      ->Unit(benchmark::kMillisecond)
      ->Iterations(1);
  benchmark::RegisterBenchmark("BM_2M_CommandPeakMemoryV4",
                               [](benchmark::State& state) { CommandPeakMemory(state, k2M, 4); })
      ->Unit(benchmark::kMillisecond)
      ->Iterations(1);
  benchmark::RegisterBenchmark(
      "BM_2M_CommandImportNewFileV4",
      [](benchmark::State& state) { ImportIntoFile(state, false, k2M, 4); })
      ->Unit(benchmark::kMillisecond)
      ->Iterations(1);
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg.starts_with("--benchmark_filter=") && arg.find("2M") != std::string_view::npos) {
      Register2MBenchmarks();
      break;
    }
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
