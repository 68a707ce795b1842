// The orvamat tool on bad input, run as a user runs it: the built binary in
// a fresh folder that is also its settings folder (ORVAMAT_HOME). Each case
// checks the exit status, a key part of the message, and that the files it
// must not touch keep every byte (or are not made at all).
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <gtest/gtest.h>
#include <xlsxwriter.h>

#include "tool_run_test_util.h"

namespace {

namespace fs = std::filesystem;
using CRun = CToolRun;

const char kGoodText[] =
    "[MMTB]\n(*Artikel*)(**)V,1\n(*A-1*)\n(*A-2*)\n[MMTB]\n(*KurzText*)(*Artikel*)C,1\n"
    "(*A-1*) (*Erster Artikel mit einem recht langen Kurztext, der Platz braucht*)\n"
    "(*A-2*) (*Zweiter Artikel mit einem recht langen Kurztext, der Platz braucht*)\n"
    "[Ende_MMTB]\n[Ende_MMTB]\n"
    "[MMTB]\n(*Preise*)(**)F,2\n(*A-1*) 1.5 2.5\n(*A-2*) 3.5 4.5\n[Ende_MMTB]\n";
// The first block is sound, the second has a type no table has.
const char kBadText[] =
    "[MMTB]\n(*Neu*)(**)C,1\n(*A-1*) (*x*)\n[Ende_MMTB]\n"
    "[MMTB]\n(*Kaputt*)(**)Q,1\n(*A-1*) 1\n[Ende_MMTB]\n";
// The declarations fail, so the function of the bodies is never made.
const char kNoCompile[] =
    "[declarations]\nINTEGER = =\n[bodies]\nREAL FUNCTION F()\nF = 1\nEND FUNCTION F\n";

// A folder with the inputs every case may use: MMTB texts good and bad, an
// empty file, a folder, a database x.mmd saved twice (so x.bak exists too),
// t.mmd its first 600 bytes, link.mmd a link to x.mmd, formula texts.
class CInputFolder : public CToolFolder {
 public:
  CInputFolder() {
    Write("good.mmtb", kGoodText);
    Write("bad.mmtb", kBadText);
    Write("empty", "");
    Write("nocompile.txt", kNoCompile);
    fs::create_directory(Path() / "dir");
    for (int i = 0; i < 2; ++i)
      EXPECT_EQ(Run("mmd import-mmtb good.mmtb --mmd x.mmd --id TEST").nExit, 0);
    const std::string bytes = Contents("x.mmd");
    EXPECT_GT(bytes.size(), 600u);
    Write("t.mmd", bytes.substr(0, 600));
    fs::create_symlink("x.mmd", Path() / "link.mmd");
  }
};

struct CCase {
  const char* szName;
  std::string strArgs;
  const char* szMessage;  // part of stdout or stderr
  std::vector<std::string> listUnchanged;
  std::vector<std::string> listAbsent;
  const char* szSetup = "";  // a shell command run in the folder first
};

CCase Case(const char* szName, std::string strArgs, const char* szMessage,
           std::vector<std::string> listUnchanged = {}, std::vector<std::string> listAbsent = {},
           const char* szSetup = "") {
  return {szName, std::move(strArgs), szMessage, std::move(listUnchanged), std::move(listAbsent),
          szSetup};
}

void PrintTo(const CCase& c, std::ostream* out) { *out << c.szName; }

class CliBadInput : public ::testing::TestWithParam<CCase> {};

TEST_P(CliBadInput, FailsClearlyAndTouchesNothing) {
  const CCase& c = GetParam();
  CInputFolder folder;
  if (*c.szSetup) {
    ASSERT_EQ(std::system(("cd '" + folder.Path().string() + "' && " + c.szSetup).c_str()), 0);
  }
  std::vector<std::string> before;
  for (const std::string& file : c.listUnchanged) before.push_back(folder.Contents(file));
  const CRun run = folder.Run(c.strArgs);
  // A failure the tool reports, not a crash (an abort shows as 134).
  EXPECT_GT(run.nExit, 0) << run.strOut;
  EXPECT_LT(run.nExit, 128) << run.strOut;
  EXPECT_TRUE(Has(run.strOut + run.strErr, c.szMessage))
      << "stdout: " << run.strOut << "\nstderr: " << run.strErr;
  for (std::size_t i = 0; i < c.listUnchanged.size(); ++i)
    EXPECT_EQ(folder.Contents(c.listUnchanged[i]), before[i]) << c.listUnchanged[i];
  for (const std::string& file : c.listAbsent)
    EXPECT_FALSE(fs::exists(fs::symlink_status(folder.Path() / file))) << file;
}

const std::vector<std::string> kDatabase = {"x.mmd", "x.bak"};

INSTANTIATE_TEST_SUITE_P(
    Cases, CliBadInput,
    ::testing::Values(
        Case("MissingInput", "mmd import-mmtb nothere.mmtb --mmd new.mmd", "nothere.mmtb", {},
             {"new.mmd"}),
        Case("FolderAsInput", "mmd import-mmtb dir --mmd new.mmd", "Ordner", {}, {"new.mmd"}),
        Case("EmptyInput", "mmd import-mmtb empty --mmd new.mmd", "leer", {}, {"new.mmd"}),
        Case("UnreadableInput", "mmd import-mmtb /proc/self/mem --mmd x.mmd", "/proc/self/mem",
             kDatabase),
        Case("ImportIntoTruncated", "mmd import-mmtb good.mmtb --mmd t.mmd", "beschädigt",
             {"t.mmd"}),
        Case("InfoOfTruncated", "mmd info t.mmd", "t.mmd", {"t.mmd"}),
        Case("TextWithoutTable", "mmd import-mmtb nocompile.txt --mmd x.mmd", "no MMTB table",
             kDatabase),
        Case("CheckUnreadable", "mmtb check /proc/self/mem", "/proc/self/mem"),
        Case("FailedImportKeepsFileAndBackup", "mmd import-mmtb bad.mmtb --mmd x.mmd",
             "nicht gespeichert", kDatabase),
        Case("FailedImportMakesAndRegistersNothing",
             "mmd import-mmtb bad.mmtb --mmd new.mmd --id NEUE --register", "nicht gespeichert", {},
             {"new.mmd", "new.bak", "new.$$mmd", "registry.ini"}),
        Case("IDNotFourCharacters", "mmd import-mmtb good.mmtb --mmd new.mmd --id TOOLONG",
             "4 Zeichen", {}, {"new.mmd"}),
        Case("IDOfAnotherDataset", "mmd import-mmtb good.mmtb --mmd x.mmd --id ABCD", "TEST",
             kDatabase),
        Case("CompanionFileName", "mmd import-mmtb good.mmtb --mmd 'z.$$mmd' --id ZZZZ",
             "Hilfsdatei", {}, {"z.$$mmd"}),
        Case("StdoutFull", "mmd dump x.mmd >/dev/full", "standard output"),
        Case("ImportWithoutSubcommand", "import", "datanorm"),
        Case("UnknownSubcommand", "mmd frobnicate x.mmd", "frobnicate"),
        Case("FormulaOfEmptyFile", "formula check empty", "[declarations]"),
        Case("FormulaOfFolder", "formula check dir", "dir"),
        Case("DemoFolderIsAFile", "demo --dir empty", "empty"),
        Case("DatasetOpenMissing", "dataset open nothere.mmd", "nothere.mmd"),
        Case("DatasetCloseUnknown", "dataset close x.mmd", "not a registered"),
        Case("SettingsNotWritable", "dataset open x.mmd", "Einstellungen", {}, {},
             "rm -f registry.ini && mkdir registry.ini"),
        Case("FormulaRunJsonNotCompiled", "formula run nocompile.txt F --json", "\"ok\": false"),
        Case("VdiMissingInput", "import vdi nothere.vdi --mmd x.mmd", "nothere.vdi", kDatabase),
        Case("VdiMissingInputMakesNoFile", "import vdi nothere.vdi --mmd new.mmd", "nothere.vdi",
             {}, {"new.mmd", "new.$$mmd"}),
        // Another process holds the database: the reader refuses, nothing saved.
        Case("VdiLockedDataset", "import vdi p.vdi --mmd x.mmd", "schreibgeschützt", kDatabase, {},
             "printf '010;4;x\\n100;1;r\\n' > p.vdi && chmod a-w x.mmd && "
             "{ flock 'x.$$mmd' sleep 3 & } && sleep 0.5"),
        Case("WorkbookNotAWorkbook", "import tables good.mmtb --mmd x.mmd", "keine Arbeitsmappe",
             kDatabase),
        Case("WorkbookMissingMakesNoFile", "import articles nothere.xlsx --mmd new.mmd",
             "nothere.xlsx", {}, {"new.mmd", "new.$$mmd"}),
        Case("WorkbookLockedDataset", "import articles good.mmtb --mmd x.mmd", "schreibgeschützt",
             kDatabase, {}, "chmod a-w x.mmd && { flock 'x.$$mmd' sleep 3 & } && sleep 0.5"),
        Case("InsulationNotAWorkbook", "import insulation good.mmtb --mmd x.mmd",
             "keine Arbeitsmappe", kDatabase),
        Case("InsulationMissingMakesNoFile", "import insulation nothere.xlsx --mmd new.mmd",
             "nothere.xlsx", {}, {"new.mmd", "new.$$mmd", "nothere_WarningLog.txt"}),
        Case("InsulationLockedDataset", "import insulation good.mmtb --mmd x.mmd",
             "schreibgeschützt", kDatabase, {},
             "chmod a-w x.mmd && { flock 'x.$$mmd' sleep 3 & } && sleep 0.5"),
        Case("VdiProductsOfMissingFile", "vdi products --mmd nothere.mmd --json", "\"ok\":false")),
    [](const ::testing::TestParamInfo<CCase>& info) { return std::string(info.param.szName); });

// Saving through a link updates the file it names; the link stays a link.
TEST(CliDatabaseLink, ImportWritesTheLinkedFile) {
  CInputFolder folder;
  const std::string before = folder.Contents("x.mmd");
  folder.Write("more.mmtb", "[MMTB]\n(*Mehr*)(**)C,1\n(*A-1*) (*y*)\n[Ende_MMTB]\n");
  const CRun run = folder.Run("mmd import-mmtb more.mmtb --mmd link.mmd");
  EXPECT_EQ(run.nExit, 0) << run.strErr;
  EXPECT_TRUE(fs::is_symlink(folder.Path() / "link.mmd"));
  EXPECT_NE(folder.Contents("x.mmd"), before);
  EXPECT_TRUE(Has(folder.Run("mmd dump x.mmd Mehr").strOut, "(*y*)"));
  // Imports without --register leave the user's registered datasets alone;
  // with it, the file the link names is registered.
  EXPECT_FALSE(Has(folder.Contents("registry.ini"), "x.mmd"));
  EXPECT_EQ(folder.Run("mmd import-mmtb more.mmtb --mmd link.mmd --register").nExit, 0);
  EXPECT_TRUE(Has(folder.Contents("registry.ini"), (folder.Path() / "x.mmd").string()));
}

// The worked example of docs/article-sets.md: a set filled by size and one
// by its row with its groups exploded, as text and as JSON; a table that is
// not there fails with the JSON failure.
TEST(CliSet, ShowBySizeAndByRow) {
  CToolFolder folder;
  const std::string sets = std::string(ORVAMAT_EXAMPLES_DIR) + "/sets/sets.mmtb";
  ASSERT_EQ(folder.Run("mmd import-mmtb " + sets + " --mmd s.mmd --id SETS").nExit, 0);
  folder.ExpectRun("set show --mmd s.mmd Sets --size 5", 0,
                   "A1\t1\t0x0\nX\t5\t0x0\nO\t1\t0x120000\n");
  folder.ExpectRun("set show --mmd s.mmd SetRows Heizkreis --explode", 0,
                   "Pumpe\t1\t0x0\nVentil\t2\t0x0\nVerschraubung\t4\t0x0\n");
  folder.ExpectRun("set show --mmd s.mmd SetRows Heizkreis --json", 0,
                   "{\"ok\":true,\"table\":\"SetRows\",\"size\":0,\"size2\":0,\"items\":["
                   "{\"article\":\"Pumpe\",\"quantity\":1.0,\"flags\":0},"
                   "{\"article\":\"Ventilgruppe\",\"quantity\":2.0,\"flags\":0}]}\n");
  folder.ExpectRun("set show --mmd s.mmd Nope --json", 1,
                   "{\"ok\":false,\"errors\":[\"Nope: no such table in s.mmd\"]}\n");
}

// A table workbook into a new file (ID "XLS0"), then one whose manufacturer
// ID is another's: refused, nothing saved.
TEST(CliWorkbook, TablesIntoANewFileThenAForeignID) {
  CToolFolder folder;
  auto write = [&](const char* name, const char* id) {
    lxw_workbook* pBook = workbook_new((folder.Path() / name).c_str());
    lxw_worksheet* pSheet = workbook_add_worksheet(pBook, nullptr);
    const char* cells[][3] = {{"HerstellerID", id, ""},
                              {"MMTB", "Farben", "String"},
                              {"", "rot", "Rot"},
                              {"Ende_MMTB", "", ""}};
    for (lxw_row_t r = 0; r < 4; ++r) {
      for (lxw_col_t c = 0; c < 3; ++c) {
        if (*cells[r][c]) worksheet_write_string(pSheet, r + 1, c, cells[r][c], nullptr);
      }
    }
    worksheet_write_number(pSheet, 2, 3, 1, nullptr);
    ASSERT_EQ(workbook_close(pBook), LXW_NO_ERROR);
  };
  write("t.xlsx", "XLS0");
  write("f.xlsx", "ABCD");
  CRun run = folder.Run("import tables t.xlsx --mmd w.mmd");
  EXPECT_EQ(run.nExit, 0) << run.strErr;
  EXPECT_TRUE(Has(folder.Run("mmd dump w.mmd Farben").strOut, "(*Rot*)"));
  const std::string before = folder.Contents("w.mmd");
  run = folder.Run("import tables f.xlsx --mmd w.mmd");
  EXPECT_EQ(run.nExit, 1);
  EXPECT_TRUE(Has(run.strErr, "MMD=XLS0, Excel=ABCD")) << run.strErr;
  EXPECT_EQ(folder.Contents("w.mmd"), before);
}

// An insulation workbook into a new file: the tree under Daemmsysteme, and
// the warning log beside the workbook, its path told on stdout as the
// console host opens a log. (Which rows the tree takes and what the log
// says are InsulationTest.TreeTradesAndOuterDiameterOrder's; a workbook
// that is none is CliBadInput's InsulationNotAWorkbook.)
TEST(CliWorkbook, InsulationIntoANewFile) {
  CToolFolder folder;
  lxw_workbook* pBook = workbook_new((folder.Path() / "daemm.xlsx").c_str());
  lxw_worksheet* pRange = workbook_add_worksheet(pBook, nullptr);
  // The header row, a head row (A = 0) and its article row, two articles;
  // the last one's outer diameter is smaller than the one before: warned.
  worksheet_write_string(pRange, 0, 0, "data", nullptr);
  const double kKinds[] = {0, 1, 1, 1};
  const double kDiameters[] = {0, 15, 18, 12};
  for (lxw_row_t r = 1; r <= 4; ++r) worksheet_write_number(pRange, r, 0, kKinds[r - 1], nullptr);
  worksheet_write_string(pRange, 2, 3, "Rohre", nullptr);
  worksheet_write_string(pRange, 2, 6, "Schlauch", nullptr);
  worksheet_write_string(pRange, 2, 21, "9 mm", nullptr);
  for (lxw_row_t r = 2; r <= 4; ++r) {
    worksheet_write_number(pRange, r, 23, kDiameters[r - 1], nullptr);
    worksheet_write_number(pRange, r, 24, 9.5, nullptr);
    worksheet_write_string(pRange, r, 27, ("N-" + std::to_string(r)).c_str(), nullptr);
  }
  worksheet_write_string(workbook_add_worksheet(pBook, nullptr), 0, 0, "data", nullptr);
  ASSERT_EQ(workbook_close(pBook), LXW_NO_ERROR);

  CRun run = folder.Run("import insulation daemm.xlsx --mmd d.mmd --id DAEM");
  ASSERT_EQ(run.nExit, 0) << run.strErr;
  EXPECT_TRUE(Has(run.strErr, "Import abgeschlossen.")) << run.strErr;
  EXPECT_TRUE(Has(run.strOut + run.strErr, "daemm_WarningLog.txt")) << run.strOut << run.strErr;
  EXPECT_TRUE(Has(folder.Contents("daemm_WarningLog.txt"), "Zeile 5"));
  const std::string dump = folder.Run("mmd dump d.mmd 'Daemmsysteme.Produktgruppe 1'").strOut;
  EXPECT_TRUE(Has(dump, "(*Rohre*)")) << dump;
}

// A file imported, then its products listed as the JSON the checks read; a
// second file of the same sheet replaces the first one's tree.
TEST(CliVdi, ImportThenProducts) {
  CToolFolder folder;
  folder.Write("a.vdi",
               "010;4;Hersteller;Pumpen;\r\n100;1;Reihe;\r\n110;1;Pumpe A;x;\r\n"
               "110;2;Pumpe \"B;\r\n100;2;Reihe 2\r\n110;1;Pumpe C\x1A");
  folder.Write("b.vdi", "010;22;W\n100;1;R\n110;1;WP\n");
  CRun run = folder.Run("import vdi a.vdi b.vdi --mmd v.mmd");
  ASSERT_EQ(run.nExit, 0) << run.strErr;
  EXPECT_TRUE(Has(run.strOut, "2 of 2 files")) << run.strOut;
  folder.ExpectRun("vdi products --mmd v.mmd --json", 0,
                   "[{\"sheet\":\"VDI-Pumpen\",\"number\":4,\"products\":["
                   "{\"path\":\"VDI-Pumpen.100-1.110-1\",\"title\":\"Pumpe A\"},"
                   "{\"path\":\"VDI-Pumpen.100-1.110-2\",\"title\":\"Pumpe \\\"B\"},"
                   "{\"path\":\"VDI-Pumpen.100-2.110-1\",\"title\":\"Pumpe C\"}]},"
                   "{\"sheet\":\"VDI-Wärmepumpen\",\"number\":22,\"products\":["
                   "{\"path\":\"VDI-Wärmepumpen.100-1.110-1\",\"title\":\"WP\"}]}]\n");
  folder.Write("c.vdi", "010;4;neu\n100;7;R\n110;3;Neu\n");
  ASSERT_EQ(folder.Run("import vdi c.vdi --mmd v.mmd").nExit, 0);
  folder.ExpectRun("vdi products --mmd v.mmd", 0,
                   "VDI-Wärmepumpen\t22\n  VDI-Wärmepumpen.100-1.110-1\tWP\n"
                   "VDI-Pumpen\t4\n  VDI-Pumpen.100-7.110-3\tNeu\n");
}

// A pump sheet whose product has two operating ranges (700-1 and 700-2,
// each with a 710.01 record) and a TGA function naming a pump by the 700
// record's second field and two of an accessory; 800/810 of the file name
// an article of its own.
const char kPumpFile[] =
    "010;4;VDI 3805 Blatt 4;Musterpumpen GmbH;\r\n100;1;Heizungspumpen;\r\n"
    "110;1;Pumpe 25-60;\r\n200;1;links;1;\r\n300;1;Motor;\r\n"
    "400;1;Regelung;\r\n500;1;Daemmung;\r\n"
    "600;1;      CHARACTER (58) T\r\n600;2;      CHARACTER (100) R(5)\r\n"
    "600;3;      INTEGER FUNCTION TGA_810(T, R)\r\n"
    "610;1;      INTEGER FUNCTION TGA_810(T, R)\r\n610;2;      CHARACTER (58) T\r\n"
    "610;3;      CHARACTER (100) R(5)\r\n610;4;      IF (VDIIWERT('700', 0, 3) == 25) THEN\r\n"
    "610;5;        R(1) = '810;1;PL;DN1;;;;;1;'\r\n610;6;      ELSE\r\n"
    "610;7;        R(1) = '810;1;PR;DN2;;;;;1;'\r\n610;8;      ENDIF\r\n"
    "610;9;      R(2) = '810;2;ZUB;;;;;;2;'\r\n610;10;      TGA_810 = 2\r\n"
    "610;11;      END FUNCTION TGA_810\r\n"
    "600;4;      INTEGER N\r\n600;5;      INTEGER FUNCTION HOEHE(N)\r\n"
    "610;1;      INTEGER FUNCTION HOEHE(N)\r\n610;2;      INTEGER N\r\n"
    "610;3;      HOEHE = VDIIWERT('700', 0, 3) + N\r\n610;4;      END FUNCTION HOEHE\r\n"
    "700;1;Kennlinie;25;\r\n710.01;1;1,5;4,0;\r\n700;2;Kennlinie;40;\r\n"
    "710.01;1;2,0;5,0;\r\n"
    "800;1;001001000002;\r\n810;1;ALT;DN-9;Altteil;;;;1;\r\n";

class CliVdiSheet : public ::testing::Test {
 protected:
  CliVdiSheet() {
    m_Folder.Write("p.vdi", kPumpFile);
    EXPECT_EQ(m_Folder.Run("import vdi p.vdi --mmd v.mmd").nExit, 0);
    m_strSaved = m_Folder.Contents("v.mmd");
  }
  CRun Run(const std::string& args) { return m_Folder.Run(args + " --mmd v.mmd"); }
  void Expect(const std::string& args, int nExit, const std::string& out) {
    m_Folder.ExpectRun(args + " --mmd v.mmd", nExit, out);
  }
  // A JSON failure: stdout starting with start and naming message.
  void ExpectFailure(const std::string& args, int nExit, const char* start, const char* message) {
    const CRun run = Run(args);
    EXPECT_EQ(run.nExit, nExit) << args;
    EXPECT_EQ(run.strOut.rfind(start, 0), 0u) << args << "\n" << run.strOut;
    EXPECT_TRUE(Has(run.strOut, message)) << args << "\n" << run.strOut;
  }
  // Looking at the sheet saves nothing, not even the references it makes.
  void TearDown() override { EXPECT_EQ(m_Folder.Contents("v.mmd"), m_strSaved); }

  CToolFolder m_Folder;
  std::string m_strSaved;
};

// Which record an open level takes is TgaSlots's; here the tag the tool
// prints, alone and as JSON, and the JSON failure.
TEST_F(CliVdiSheet, CompleteFillsOpenLevels) {
  const std::string kCompleted = "1-1-0-1-0-0-1-0-0-1-0-0-1-0-0-1-0-0-0-0-0-0-0-0-0-0-0-0-0-0-0-0";
  Expect("vdi complete --sheet VDI-Pumpen 1-1", 0, kCompleted + "\n");
  Expect("vdi complete --sheet VDI-Pumpen 1-1 --json", 0,
         "{\"ok\":true,\"tag\":\"" + kCompleted + "\"}\n");
  for (const char* args : {"VDI-Pumpen 1-9", "VDI-Pumpen 2-1", "VDI-Fehlt 1-1"})
    ExpectFailure(std::string("vdi complete --json --sheet ") + args, 1,
                  "{\"ok\":false,\"tag\":", "\"errors\":[\"tag");
}

// The function chooses by the 700 record the tag names; the quantity of 2
// is written before the accessory.
TEST_F(CliVdiSheet, ArticlesOfAConfiguration) {
  Expect("vdi articles --sheet VDI-Pumpen 1-1-0-1-0-0-1-0-0-1-0-0-1-0-0-2", 0, "PR;2|ZUB\n");
  Expect("vdi articles --sheet VDI-Pumpen 1-1-0-1-0-0-1-0-0-1-0-0-1-0-0-1 --json", 0,
         "{\"ok\":true,\"text\":\"PL;2|ZUB\",\"articles\":[{\"number\":\"PL\",\"quantity\":1},"
         "{\"number\":\"ZUB\",\"quantity\":2}]}\n");
  Expect("vdi articles --sheet VDI-Pumpen 1-2 --json", 1,
         "{\"ok\":false,\"text\":\"\",\"articles\":[],\"errors\":[\"no article numbers for "
         "tag 1-2 of sheet VDI-Pumpen\"]}\n");
}

// Every configuration of the product enters its pump; the row of the file's
// 800/810 stays.
TEST_F(CliVdiSheet, ReferencesOfEveryConfiguration) {
  CRun run = Run("vdi references --sheet VDI-Pumpen");
  EXPECT_EQ(run.nExit, 0) << run.strErr;
  std::vector<std::string> lines;
  for (std::size_t n = 0, end; (end = run.strOut.find('\n', n)) != std::string::npos; n = end + 1)
    lines.push_back(run.strOut.substr(n, end - n));
  std::sort(lines.begin(), lines.end());
  EXPECT_EQ(lines,
            (std::vector<std::string>{"ALT\t1-1-0-2", "PL\t1-1-0-1-0-0-1-0-0-1-0-0-1-0-0-1-0-1",
                                      "PR\t1-1-0-1-0-0-1-0-0-1-0-0-1-0-0-2-0-1"}));
  run = Run("vdi references --sheet VDI-Pumpen --json");
  EXPECT_EQ(run.nExit, 0) << run.strErr;
  EXPECT_TRUE(Has(run.strOut,
                  "{\"article\":\"PL\",\"tag\":\"1-1-0-1-0-0-1-0-0-1-0-0-1-0-0-1-0-1\","
                  "\"record\":\"PL;DN1;;;;;1;\"}"))
      << run.strOut;
  EXPECT_EQ(run.strOut.rfind("{\"ok\":true,\"references\":[{", 0), 0u) << run.strOut;
  Expect("vdi references --sheet VDI-Fehlt --json", 1,
         "{\"ok\":false,\"references\":[],\"errors\":[\"no sheet VDI-Fehlt\"]}\n");
}

// The record functions read the 700 record the tag names (the first when it
// leaves the level open); the output is that of formula run.
TEST_F(CliVdiSheet, RunReadsTheConfiguredRecords) {
  Expect("vdi run --sheet VDI-Pumpen --tag 1-1-0-1-0-0-1-0-0-1-0-0-1-0-0-2 hoehe --arg n=2", 0,
         "result HOEHE = 42 (INTEGER)\nparameter N = 2 (INTEGER)\n");
  Expect("vdi run --sheet VDI-Pumpen --tag 1-1 HOEHE --arg N=1 --json", 0,
         "{\"ok\": true, \"result\": {\"name\": \"HOEHE\", \"type\": \"INTEGER\", \"value\": "
         "26}, \"parameters\": [{\"name\": \"N\", \"type\": \"INTEGER\", \"value\": 1}], "
         "\"debug\": [], \"errors\": []}\n");
  // An argument the function can not take exits with 2, a function not found with 1.
  const std::tuple<const char*, int, const char*> failures[] = {
      {"--tag 1-1 FEHLT", 1, "no function FEHLT for tag 1-1 of sheet VDI-Pumpen"},
      {"--tag 1-2 HOEHE", 1, "no function HOEHE for tag 1-2 of sheet VDI-Pumpen"},
      {"--tag 1-1 HOEHE --arg N=x", 2, "not a value of type INTEGER: N=x"},
  };
  for (const auto& [args, nExit, message] : failures)
    ExpectFailure(std::string("vdi run --json --sheet VDI-Pumpen ") + args, nExit,
                  "{\"ok\": false, \"result\": null", message);
}

// A file whose product has no function: the DATANORM number comes from the
// 810 record after the 800 record of the configuration.
TEST(CliVdi, DatanormOfAConfiguration) {
  CToolFolder folder;
  folder.Write("d.vdi",
               "010;4;VDI 3805 Blatt 4;Musterpumpen GmbH;\r\n100;1;Heizungspumpen;\r\n"
               "110;1;Pumpe 25-60;\r\n200;1;links;\r\n200;2;rechts;\r\n"
               "800;1;001001000001;\r\n810;1;P2560;DN-4711;Pumpe;;;;1;\r\n"
               "800;2;001001000002;\r\n810;1;P2561;;Pumpe;;;;1;\r\n");
  ASSERT_EQ(folder.Run("import vdi d.vdi --mmd d.mmd").nExit, 0);
  const std::string command = "vdi datanorm --mmd d.mmd --sheet VDI-Pumpen ";
  folder.ExpectRun(command + "1-1-0-1", 0, "DN-4711\n");
  folder.ExpectRun(command + "1-1-0-1 --json", 0, "{\"ok\":true,\"datanorm\":\"DN-4711\"}\n");
  // The second 200 record's 810 names an article but no DATANORM number.
  for (const std::string tag : {"1-1-0-2", "1-2"})
    folder.ExpectRun(command + tag + " --json", 1,
                     "{\"ok\":false,\"datanorm\":\"\",\"errors\":[\"no DATANORM number for tag " +
                         tag + " of sheet VDI-Pumpen\"]}\n");
}

// More registered files than a store holds datasets: each listed with the ID
// in its own head.
TEST(CliDatasetList, EveryEntryShowsItsOwnID) {
  CInputFolder folder;
  const std::string bytes = folder.Contents("x.mmd");
  std::string settings = "[Software\\Teskar GmbH\\MMD]\n";
  for (int i = 1; i <= 257; ++i) {
    const std::string id = std::to_string(1000 + i);
    const std::string name = "d" + id + ".mmd";
    folder.Write(name, bytes.substr(0, 4) + id + bytes.substr(8));
    settings += "Datensatz" + std::to_string(i) + "=" + (folder.Path() / name).string() + "\n";
  }
  folder.Write("registry.ini", settings);
  const CRun run = folder.Run("dataset list");
  EXPECT_EQ(run.nExit, 0) << run.strErr;
  EXPECT_TRUE(Has(run.strOut, "1257  " + (folder.Path() / "d1257.mmd").string()))
      << run.strOut.substr(run.strOut.size() - std::min<std::size_t>(run.strOut.size(), 200));
}

// The demo redirected to a file reads in order: a step's refusal stands
// under that step, not elsewhere.
TEST(CliDemo, RedirectedOutputInStepOrder) {
  CToolFolder folder;
  const CRun run = folder.Run("demo --dir demo");
  EXPECT_EQ(run.nExit, 0) << run.strOut << run.strErr;
  const std::size_t nStep = run.strOut.find("Artikel.Fehlt\n");
  const std::size_t nRefusal = run.strOut.find("eMatNoTable");
  const std::size_t nNext = run.strOut.find("DATANORM catalogue");
  ASSERT_NE(nRefusal, std::string::npos) << run.strOut;
  EXPECT_LT(nStep, nRefusal);
  EXPECT_LT(nRefusal, nNext);
}

// A script runs in its own folder; a relative --mmd still names the file
// from where the tool was started, and the tool says it saved that one.
TEST(CliScript, RelativeMmdIsTheFileSaved) {
  CInputFolder folder;
  fs::create_directory(folder.Path() / "sub");
  folder.Write("sub/s.txt", "[MMD1] t\n#saveMMD\n");
  const CRun run = folder.Run("script run sub/s.txt --mmd x.mmd");
  EXPECT_EQ(run.nExit, 0) << run.strErr;
  EXPECT_TRUE(Has(run.strOut, "saved " + (folder.Path() / "x.mmd").string())) << run.strOut;
  EXPECT_FALSE(fs::exists(folder.Path() / "sub/x.mmd"));
}

// --salvage saves over a damaged database and keeps it beside, unchanged.
TEST(CliSalvage, KeepsTheDamagedFileBeside) {
  CInputFolder folder;
  const std::string damaged = folder.Contents("t.mmd");
  const CRun run = folder.Run("mmd import-mmtb good.mmtb --mmd t.mmd --salvage");
  EXPECT_EQ(run.nExit, 0) << run.strErr;
  EXPECT_EQ(folder.Contents("t.damaged.mmd"), damaged);
  EXPECT_EQ(folder.Run("mmd info t.mmd").nExit, 0);
}

// JSON has no number for infinity or NaN: a float cell or a formula value
// that holds one is null, so that the document still parses.
TEST(CliJson, NonFiniteNumbersAreNull) {
  CToolFolder folder;
  folder.Write("inf.mmtb", "[MMTB]\n(*Werte*)(**)F,1\n(*A-1*) 1e999\n(*A-2*) 2.5\n[Ende_MMTB]\n");
  folder.Write("sqrt.txt", "[bodies]\nREAL FUNCTION G(X)\nREAL X\nG = SQRT(X)\nEND FUNCTION G\n");
  ASSERT_EQ(folder.Run("mmd import-mmtb inf.mmtb --mmd i.mmd").nExit, 0);
  const struct {
    const char* szArgs;
    const char* szExpected;
  } cases[] = {
      {"get --json --mmd i.mmd Werte A-1", "null\n"},
      {"get --json --mmd i.mmd Werte A-2", "2.5\n"},
      {"get --mmd i.mmd Werte A-1", "inf\n"},
      {"formula run --json sqrt.txt G --arg X=-1", "\"value\": null}"},
      {"formula run --json sqrt.txt G --arg X=4", "\"value\": 2}"},
  };
  for (const auto& c : cases) {
    const CRun run = folder.Run(c.szArgs);
    EXPECT_TRUE(Has(run.strOut, c.szExpected)) << c.szArgs << "\n" << run.strOut;
    EXPECT_FALSE(Has(run.strOut, "nan")) << c.szArgs << "\n" << run.strOut;
  }
}

// A file's rate is counted from the start of its reading: a small file,
// whose only report is its last, once showed billions of lines a second.
TEST(CliProgress, TheRateOfASmallFileIsPlausible) {
  CToolFolder folder;
  folder.Write("k.001",
               "V;050;A;20250101;EUR;Katalog;;KAT;\r\nA;N;UP-1;Rohr;;PCE;1;1;100;R1;10;1000;;\r\n");
  const CRun run = folder.Run("import datanorm k.001 --mmd k.mmd --id KATA");
  const std::size_t at = run.strErr.rfind(" lines/s");
  ASSERT_NE(at, std::string::npos) << run.strErr;
  const std::size_t from = run.strErr.rfind(' ', at - 1) + 1;
  const double rate = std::stod(run.strErr.substr(from, at - from));
  // Two lines read, a file made and synced: well under a millisecond is
  // not possible.
  EXPECT_LT(rate, 2000.0 / 0.001) << run.strErr;
}

// A workbook's progress counts the rows of its first sheet: not on a
// terminal, one flushed line per step, from 0 to all of them.
TEST(CliProgress, AWorkbookShowsItsRows) {
  CToolFolder folder;
  lxw_workbook* pBook = workbook_new((folder.Path() / "viele.xlsx").c_str());
  lxw_worksheet* pSheet = workbook_add_worksheet(pBook, nullptr);
  worksheet_write_string(pSheet, 0, 0, "data", nullptr);
  for (lxw_row_t r = 1; r <= 10000; ++r)
    worksheet_write_string(pSheet, r, 0, ("A-" + std::to_string(r)).c_str(), nullptr);
  ASSERT_EQ(workbook_close(pBook), LXW_NO_ERROR);
  const CRun run = folder.Run("import articles viele.xlsx --mmd v.mmd");
  ASSERT_EQ(run.nExit, 0) << run.strErr;
  std::vector<std::string> lines;
  for (std::size_t at = 0; (at = run.strErr.find("viele.xlsx: ", at)) != std::string::npos; ++at) {
    lines.push_back(run.strErr.substr(at, run.strErr.find('\n', at) - at));
    EXPECT_FALSE(Has(lines.back(), "\r")) << lines.back();  // no bar redrawn
  }
  ASSERT_GE(lines.size(), 4u) << run.strErr;
  EXPECT_EQ(lines.front().rfind("viele.xlsx: 0/10001 lines, ", 0), 0u) << lines.front();
  EXPECT_TRUE(Has(lines[1], " 4096/10001 lines, ")) << lines[1];
  EXPECT_EQ(lines.back().rfind("viele.xlsx: 10001/10001 lines, ", 0), 0u) << lines.back();
  EXPECT_TRUE(Has(run.strOut, "1 of 1 files, 10001 lines")) << run.strOut;
}

// The worked example of docs/accessories.md: the tree of the pump with the
// design value 50, one console chosen, and its position; a key the tree does
// not offer fails, also as JSON.
TEST(CliVdi, AccessoriesOfTheWorkedExample) {
  CToolFolder folder;
  fs::copy_file(fs::path(ORVAMAT_TEST_SOURCE_DIR) / "vdi/testdata/accessories_sheet4.vdi",
                folder.Path() / "a.vdi");
  ASSERT_EQ(folder.Run("import vdi a.vdi --mmd pumps.mmd").nExit, 0);
  const std::string kCommand =
      "vdi accessories --mmd pumps.mmd --sheet VDI-Pumpen 1-1-0-0-0-0-0-0-0-0-0-0-0-0-0-1 "
      "--quantity 50 ";
  CRun run = folder.Run(kCommand + "--select 1-5-2-7-1-1-3");
  EXPECT_EQ(run.nExit, 0) << run.strErr;
  // The whole tree is the unit test's (Accessories.ExampleFileToTreeKeysAndPositions):
  // here the selection checks the console and its groups, and its position follows.
  EXPECT_EQ(run.strOut.rfind("Zubehör-Auswahl\n  [x] Ventile\n", 0), 0u) << run.strOut;
  EXPECT_TRUE(Has(run.strOut,
                  "    [x] Konsolen\n      [x] Wandmontage\n        [x] Wandkonsole, "
                  "Anzahl: 1 Stk\n  [ ] Konsolen\n"));
  EXPECT_EQ(std::count(run.strOut.begin(), run.strOut.end(), 'x'), 4) << "four [x], no more";
  EXPECT_TRUE(run.strOut.ends_with("Stk\n1-5-2-7-1-1-3\t1\tStk\tWandkonsole\tStahl verzinkt\t\n"));
  run = folder.Run(kCommand + "--select 2-7-1-1-3 --json");
  EXPECT_EQ(run.nExit, 0) << run.strErr;
  EXPECT_EQ(run.strOut.rfind("{\"ok\":true,\"items\":[{\"text\":\"Zubehör-Auswahl\",\"key\":\"\","
                             "\"checked\":false,\"children\":[{\"text\":\"Ventile\"",
                             0),
            0u)
      << run.strOut;
  EXPECT_TRUE(Has(run.strOut,
                  "{\"text\":\"Wandkonsole, Anzahl: 1 Stk\",\"key\":\"2-7-1-1-3\","
                  "\"checked\":true,\"children\":[]}"));
  EXPECT_TRUE(Has(run.strOut,
                  "\"positions\":[{\"key\":\"2-7-1-1-3\",\"quantity\":1.0,"
                  "\"text1\":\"Wandkonsole\",\"text2\":\"Stahl verzinkt\",\"text3\":"
                  "\"Stk\",\"number\":0,\"flag1\":true,\"flag2\":false,\"text4\":\"\"}]}"))
      << run.strOut;
  // The strainer is not offered for the design value 5; the product 1-2 is
  // not there.
  for (const std::string& args :
       {kCommand.substr(0, kCommand.size() - 3) + "5 --select 1-5-1-2-2 --json",
        std::string("vdi accessories --mmd pumps.mmd --sheet VDI-Pumpen 1-2 --all --json")}) {
    run = folder.Run(args);
    EXPECT_EQ(run.nExit, 1) << args;
    EXPECT_EQ(run.strOut.rfind("{\"ok\":false,", 0), 0u) << run.strOut;
    EXPECT_TRUE(Has(run.strOut, "\"errors\":[\"")) << run.strOut;
    EXPECT_EQ(std::count(run.strOut.begin(), run.strOut.end(), '\n'), 1) << run.strOut;
  }
}

}  // namespace
