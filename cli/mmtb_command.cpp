// orvamat mmtb check FILE: reads an MMTB text file into a fresh in-memory
// dataset, prints every message and the tables read; exit code 1 when the
// file can not be read, holds no table or reading stopped at an error.
// orvamat mmtb roundtrip FILE: reads the file the same way and writes every
// table back as MMTB text (UTF-8 with byte-order mark, CR LF) to stdout;
// messages go to stderr.
#include <cstdio>
#include <memory>
#include <string>

#include "OrvaMat/mat_manager.h"
#include "cli/commands.h"
#include "cli/run_report.h"
#include "platform/host_ui.h"
#include "platform/text.h"
#include "store/base/num_string_macros.h"
#include "store/mat_store.h"
#include "store/mmd/import_target.h"
#include "store/mmtb/mat_text_file.h"
#include "store/mmtb/mat_text_writer.h"

namespace {

// Prints each message as "<kind>: <text>" on one stream and answers like a
// batch run.
class CPrintingHostUI : public CHostUI {
 public:
  explicit CPrintingHostUI(std::FILE* pOut) : m_pOut(pOut) {}
  int MessageBox(const CString& text, const CString&, unsigned style) override {
    const unsigned icon = style & MB_ICONMASK;
    const char* pKind = icon == MB_ICONERROR         ? "error"
                        : icon == MB_ICONINFORMATION ? "info"
                                                     : "warning";
    std::fprintf(m_pOut, "%s: %s\n", pKind, ToUtf8(text).c_str());
    return DefaultAnswer(style);
  }
  bool ChooseOpenFile(const CFileChooser&, CString&) override { return false; }
  bool ChooseSaveFile(const CFileChooser&, CString&) override { return false; }
  bool OpenWithViewer(const CString&) override { return false; }
  void ConsoleWrite(const CString& text) override { std::fputs(ToUtf8(text).c_str(), m_pOut); }

 private:
  std::FILE* m_pOut;
};

// A store with one empty dataset, current, and its own macro table.
struct CFreshStore {
  CFreshStore() : m_ScopedMacros(m_Macros) {
    m_Store.SetCurrent(m_Store.AddDataset(std::make_unique<CMatDatenSatz>()));
  }
  CMatDatenSatz& Dataset() { return *m_Store.GetCurrent(); }

  CNumStringMacros m_Macros;
  CScopedNumStringMacros m_ScopedMacros;
  CMatStore m_Store;
};

void PrintTable(const CMatTable& table, int nDepth, int& nTables, long& nRows) {
  CString type;
  AppendTypeText(type, table.m_nType);
  std::printf("%*s%s  %s,%d  %d rows\n", nDepth * 2, "", ToUtf8(table.m_strName).c_str(),
              ToUtf8(type).c_str(), table.m_nValuesPerRow, table.m_nRowCount);
  ++nTables;
  nRows += table.m_nRowCount;
  for (const auto& pChild : table.m_Children) PrintTable(*pChild, nDepth + 1, nTables, nRows);
}

int RunCheck(const std::string& path) {
  CPrintingHostUI ui(stdout);
  CScopedHostUI scopedUI(ui);
  CFreshStore fresh;
  if (const CString why = WhyInputUnreadable(FromUtf8(path)); !why.empty()) {
    ReportError(ToUtf8(why));
    return 1;
  }
  const bool bRead = ReadMmtbFile(fresh.m_Store, FromUtf8(path));
  int nTables = 0;
  long nRows = 0;
  for (const auto& pTable : fresh.Dataset().m_Tables) PrintTable(*pTable, 0, nTables, nRows);
  std::printf("%s: %d tables, %ld rows%s\n", path.c_str(), nTables, nRows,
              bRead ? "" : ", reading stopped at an error");
  if (bRead && nTables == 0) ReportError(path + ": no MMTB table in the text");
  return bRead && nTables > 0 ? 0 : 1;
}

int RunRoundTrip(const std::string& path) {
  CPrintingHostUI ui(stderr);
  CScopedHostUI scopedUI(ui);
  CFreshStore fresh;
  if (const CString why = WhyInputUnreadable(FromUtf8(path)); !why.empty()) {
    ReportError(ToUtf8(why));
    return 1;
  }
  const bool bRead = ReadMmtbFile(fresh.m_Store, FromUtf8(path));
  if (bRead && fresh.Dataset().m_Tables.empty()) {
    ReportError(path + ": no MMTB table in the text");
    return 1;
  }
  std::string text = "\xEF\xBB\xBF";
  for (const auto& pTable : fresh.Dataset().m_Tables) WriteTableUtf8(pTable.get(), text);
  std::fwrite(text.data(), 1, text.size(), stdout);
  return bRead ? 0 : 1;
}

}  // namespace

void AddMmtbCommands(CLI::App& app) {
  auto* mmtb = app.add_subcommand("mmtb", "MMTB text tables: check a file, write it back");
  mmtb->require_subcommand(1);
  auto path = std::make_shared<std::string>();
  auto* check = mmtb->add_subcommand(
      "check", "Read FILE into a fresh dataset; print every message and the tables read");
  check->add_option("FILE", *path, "MMTB text file")->required();
  check->callback([path] {
    if (int rc = RunCheck(*path); rc != 0) throw CLI::RuntimeError(rc);
  });
  auto* roundtrip =
      mmtb->add_subcommand("roundtrip", "Read FILE and write its tables back as MMTB text");
  roundtrip->add_option("FILE", *path, "MMTB text file")->required();
  roundtrip->callback([path] {
    if (int rc = RunRoundTrip(*path); rc != 0) throw CLI::RuntimeError(rc);
  });
}
