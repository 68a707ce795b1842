#include "store/mmd/mmd_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "OrvaMat/database_file.h"
#include "platform/file.h"
#include "store/mmd/mmd_buffer.h"
#include "store/mmd/mmd_format.h"
#include "store/mmd/mmd_test_fixture.h"
#include "store/table_names.h"

namespace {

class MmdFile : public CMmdTest {
 protected:
  // Saves the sample and opens the file again as a fresh dataset.
  CMatDatenSatz& SaveAndReopen(bool bUtf8) {
    const CString path = (m_Folder / L"sample.mmd");
    CMatDatenSatz& dataset = MakeDataset(L"SAMP", path);
    MmdBackingOf(dataset).m_bUtf8 = bUtf8;
    BuildSample(dataset);
    EXPECT_TRUE(SaveDataset(dataset));
    return Reopen(path);
  }
  // The file at path read again as the only dataset.
  CMatDatenSatz& Reopen(const CString& path) {
    Store().RemoveAllDatasets();
    CMatDatenSatz* pAgain = NewDataset(Store());
    AttachFile(*pAgain, path);
    EXPECT_TRUE(LoadDataset(*pAgain));
    return *pAgain;
  }
  std::string Bytes(const char* name) {
    std::string bytes;
    ReadWholeFile((m_Folder / FromUtf8(name)), bytes);
    return bytes;
  }
};

TEST_F(MmdFile, Utf8AndAnsiFilesKeepEveryKindOfTable) {
  for (const bool bUtf8 : {true, false}) {
    SCOPED_TRACE(bUtf8);
    CMatDatenSatz& dataset = SaveAndReopen(bUtf8);
    EXPECT_EQ(CString(dataset.m_szHerstellerID), L"SAMP");
    EXPECT_EQ(MmdBackingOf(dataset).m_bUtf8, bUtf8);
    ExpectSample(dataset);
    EXPECT_EQ(m_UI.Count(), 0u) << ToUtf8(m_UI.LastText());
    EXPECT_EQ(Bytes("sample.mmd").substr(0, 8), bUtf8 ? "MMD3SAMP" : "MMD2SAMP");
  }
}

// A look at a table tree (the tool's "tables") counts rows without reading
// the bodies, and counts what reading them finds. Rows read from the file
// tell where their texts lie, as rows written by the cell setters do.
TEST_F(MmdFile, RowCountsNeedNoBodyAndReadTextRowsTellWhereTheirTextsLie) {
  CMatDatenSatz& dataset = SaveAndReopen(true);
  std::vector<std::pair<CMatTable*, int>> counts;
  std::function<void(CTableList&)> walk = [&](CTableList& tables) {
    for (const auto& pTable : tables) {
      counts.emplace_back(pTable.get(), GetTableRowCount(pTable.get()));
      walk(pTable->m_Children);
    }
  };
  walk(dataset.m_Tables);
  ASSERT_GT(counts.size(), 3u);
  int nUnread = 0;
  for (const auto& [pTable, nCount] : counts) nUnread += pTable->m_nFilePos != 0;
  EXPECT_EQ(nUnread, static_cast<int>(counts.size()));
  for (const auto& [pTable, nCount] : counts) {
    dataset.EnsureRowsLoaded(*pTable);
    if (pTable->m_nType != eTypeStrLine) {
      EXPECT_EQ(GetTableRowCount(pTable), nCount) << ToUtf8(pTable->m_strName);
    }
  }
  CMatTable* pTable = FindTopLevelTable(dataset, L"KurzText", eHiddenTables::kFind);
  ASSERT_NE(pTable, nullptr);
  std::size_t nRows = 0;
  std::uint64_t word = 0;
  for (POSITION pos = pTable->GetFirstRowPosition(); pos != nullptr; ++nRows) {
    pTable->GetNextRow(pos, word);
    const CPoolText text = dataset.GetPoolText(static_cast<std::uint32_t>(word));
    ASSERT_TRUE(text);
    EXPECT_EQ(dataset.HintedText(static_cast<std::uint32_t>(word >> 32)), text.Address());
  }
  EXPECT_GT(nRows, 0u);
}

TEST_F(MmdFile, AnsiTablesNamedByALanguageUseItsCodePage) {
  const CString path = (m_Folder / L"lang.mmd");
  CMatDatenSatz& dataset = MakeDataset(L"LANG", path);
  MmdBackingOf(dataset).m_bUtf8 = false;
  SetText(Table(L"RU", eTypeString), H(L"k"), L"Привет");
  SetText(Table(L"Andere", eTypeString), H(L"k"), L"Привет");
  ASSERT_TRUE(SaveDataset(dataset));
  CMatDatenSatz& again = Reopen(path);
  EXPECT_EQ(GetText(Find(again, L"RU"), H(L"k")), L"Привет");
  EXPECT_EQ(GetText(Find(again, L"Andere"), H(L"k")), L"??????");  // no code in 1252
}

// A dataset many times the reading window: its handle records and its table
// bodies span many windows, and a small table lies behind the large bodies.
TEST_F(MmdFile, LargeDatasetReadsBackAcrossManyWindows) {
  const CString path = (m_Folder / L"gross.mmd");
  CMatDatenSatz& dataset = MakeDataset(L"GROS", path);
  CMatTable* pKurz = Table(L"KurzText", eTypeString);
  CMatTable* pPreis = Table(L"Preis", eTypeInteger, 2);
  CMatTable* pKlein = Table(L"Klein", eTypeInteger);
  constexpr int kRows = 6000;
  auto text = [](int i) { return L"Heizkörper Typ " + std::to_wstring(i) + L" Bauhöhe 600 mm"; };
  auto name = [](int i) { return L"Artikel " + std::to_wstring(i); };
  for (int i = 0; i < kRows; ++i) {
    const Handle h = H(name(i).c_str());
    SetText(pKurz, h, text(i).c_str());
    Set(pPreis, h, std::uint32_t(i), 1);
  }
  Set(pKlein, H(L"Einzeln"), 42);
  Store().CreateHandle(L"Doppelt");
  const Handle hLater = Store().CreateHandle(L"Doppelt");
  ASSERT_TRUE(SaveDataset(dataset));
  ASSERT_GT(Bytes("gross.mmd").size(), 4 * CMmdReader::kWindowBytes);

  CMatDatenSatz& again = Reopen(path);
  // A text two handles share finds the later one, as before saving.
  EXPECT_EQ(Store().FindHandle(L"Doppelt"), hLater);
  CMatTable* pKurzAgain = Find(again, L"KurzText");
  CMatTable* pPreisAgain = Find(again, L"Preis");
  ASSERT_NE(pKurzAgain, nullptr);
  ASSERT_NE(pPreisAgain, nullptr);
  for (int i = 0; i < kRows; i += 1 + i / 3) {
    const Handle h = Store().FindHandle(name(i).c_str());
    ASSERT_NE(h, 0u) << i;
    EXPECT_EQ(GetText(pKurzAgain, h), text(i));
    EXPECT_EQ(Cell(pPreisAgain, h, 1), std::uint32_t(i));
  }
  EXPECT_EQ(pKurzAgain->GetRowCount(), kRows);
  EXPECT_EQ(Cell(Find(again, L"Klein"), H(L"Einzeln")), 42u);
  EXPECT_EQ(m_UI.Count(), 0u) << ToUtf8(m_UI.LastText());
}

// A save keeps the previous file as backup; a save refused (a text of
// 32,768 bytes) leaves the file and its backup as they were.
TEST_F(MmdFile, SavingKeepsThePreviousFileAsBackupARefusedSaveChangesNothing) {
  const CString path = (m_Folder / L"b.mmd");
  CMatDatenSatz& dataset = MakeDataset(L"BACK", path);
  CMatTable* t = Table(L"T", eTypeInteger);
  CMatTable* pText = Table(L"S", eTypeString);
  Set(t, H(L"r"), 1);
  SetText(pText, H(L"r"), CString(20000, L'x').c_str());
  ASSERT_TRUE(SaveDataset(dataset));
  const std::string first = Bytes("b.mmd");
  EXPECT_FALSE(FileExists((m_Folder / L"b.bak")));
  Set(t, H(L"r"), 2);
  ASSERT_TRUE(SaveDataset(dataset));
  const std::string second = Bytes("b.mmd");
  EXPECT_EQ(Bytes("b.bak"), first);
  EXPECT_NE(second, first);
  EXPECT_FALSE(FileExists((m_Folder / L"b.mm$")));
  EXPECT_FALSE(dataset.m_bModified);
  // Bodies now lie elsewhere in the new file: a table emptied in memory and
  // read again from the file finds its rows at their new place.
  t->m_Rows.RemoveAll();
  t->m_RowList.RemoveAll();
  EXPECT_EQ(Cell(t, H(L"r")), 2u);
  SetText(pText, H(L"r"), CString(16384, L'ß').c_str());  // 32,768 bytes in UTF-8
  EXPECT_FALSE(SaveDataset(dataset));
  EXPECT_TRUE(m_UI.HasMessageContaining(L"32768 Bytes"));
  EXPECT_EQ(Bytes("b.mmd"), second);
  EXPECT_EQ(Bytes("b.bak"), first);
  EXPECT_FALSE(FileExists((m_Folder / L"b.mm$")));
  EXPECT_TRUE(dataset.m_bModified);
}

TEST_F(MmdFile, ReadingTheFileAgainForgetsChildNameLookUps) {
  // In the file the first of two children named alike is shown; in memory it
  // was hidden, so a look-up found the second. Reading the file again refills
  // the same tables (same child list), and the look-up must find the first.
  const CString path = (m_Folder / L"c.mmd");
  CMatDatenSatz& dataset = MakeDataset(L"CHLD", path);
  CMatTable* pParent = Table(L"Texte", eTypeString);
  CMatTable* pFirst = Table(L"ENGLISH", eTypeString, 1, pParent);
  CMatTable* pSecond = Table(L"English", eTypeString, 1, pParent);
  ASSERT_TRUE(SaveDataset(dataset));
  ASSERT_EQ(Store().SetFlags(pFirst, eFlagHidden, 0), eMatOk);
  CChildIndexCache& cache = dataset.m_ChildIndexes;
  cache.Remember(pParent, 2, L"ENGLISH", pSecond);

  ASSERT_TRUE(LoadDataset(dataset));
  ASSERT_EQ(pParent->m_Children.size(), 2u);
  EXPECT_EQ(pFirst->m_nFlags & eFlagHidden, 0u);
  EXPECT_EQ(cache.FindRemembered(pParent, 2, L"ENGLISH"), nullptr);
}

TEST_F(MmdFile, StructWithoutDefinitionReadsBackAsVoid) {
  const CString path = (m_Folder / L"s.mmd");
  CMatDatenSatz& dataset = MakeDataset(L"STRU", path);
  CMatTable* t = Table(L"S", eTypeStruct);
  Store().AddRow(t, H(L"r"));
  Set(Table(L"Danach", eTypeInteger), H(L"r"), 5);
  ASSERT_TRUE(SaveDataset(dataset));
  CMatDatenSatz& again = Reopen(path);
  EXPECT_EQ(Find(again, L"S")->m_nType, std::uint32_t(eTypeVoid));
  EXPECT_EQ(Store().RowExists(Find(again, L"S"), H(L"r")), eMatOk);
  EXPECT_EQ(Cell(Find(again, L"Danach"), H(L"r")), 5u);
}

// A text table's record in the old form (plain string), without children.
void WriteTextRecord(CMmdWriter& w, std::uint32_t nHandle, const wchar_t* pText) {
  w.WriteTag(mmd::kTagText);
  const std::size_t at = w.WritePlaceholder();
  w.WriteU32(nHandle), w.WriteU32(0);  // handle, flags
  w.WritePlainString(pText);
  w.WriteU32(0);
  w.Patch(at, std::uint32_t(w.GetSize() - at));
}

// A file written field by field as docs/mmd.md draws it: version 1 (no
// default item), an "MMD2" header, a handle above the stored counter, an
// unknown section, and a text table read on first use.
std::string HandWrittenFile() {
  CMmdWriter w(CMmdTextCoding{false, 1252});
  w.WriteTag(mmd::kMagicAnsi);
  w.WriteTag("HAND");
  w.WriteU32(1);           // version
  w.WriteU32(0x7F000003);  // counter; its top byte is not the dataset's
  w.WriteU32(3);           // handle records
  w.WriteU32(2), w.WriteString(L"Tabelle");
  w.WriteU32(3), w.WriteString(L"Zeile");
  w.WriteU32(100), w.WriteString(L"Text");
  w.WriteTag("xtra");  // skipped as a bare tag
  w.WriteTag(mmd::kTagTables);
  w.WriteU32(2);
  w.WriteTag(mmd::kTagTable);
  for (std::uint32_t n : {2u, 0u, std::uint32_t(eTypeHandle), 1u, 0u}) w.WriteU32(n);
  for (int i = 0; i < 4; ++i) w.WriteString(L"");  // RegStr 1-3, comment
  w.WriteU32(0);                                   // no structure
  w.WriteU32(0);                                   // no children
  w.WriteU32(1);                                   // one row
  w.WriteU32(12);
  w.WriteU32(3), w.WriteU32(100);
  WriteTextRecord(w, 100, L"Äpfel");
  w.WriteTag(mmd::kTagChecksum);
  w.WriteU32(0);
  return std::string(w.GetBytes());
}

TEST_F(MmdFile, ReadsAHandWrittenVersionOneFile) {
  const CString path = (m_Folder / L"hand.mmd");
  ASSERT_TRUE(WriteFileAtomically(path, HandWrittenFile()));
  CMatDatenSatz& dataset = MakeDataset(L"XXXX", path);
  ASSERT_TRUE(LoadDataset(dataset));
  EXPECT_EQ(m_UI.Count(), 0u) << ToUtf8(m_UI.LastText());
  EXPECT_EQ(CString(dataset.m_szHerstellerID), L"HAND");
  ASSERT_EQ(dataset.m_Tables.size(), 2u);
  CMatTable* t = Find(dataset, L"Tabelle");
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->m_hName, dataset.GetPrefix() | 2);
  EXPECT_EQ(Cell(t, dataset.GetPrefix() | 3), dataset.GetPrefix() | 100);
  EXPECT_EQ(GetText(dataset.m_Tables[1].get(), 0), L"Äpfel");
  // Handle 100 was stored above the counter (3): new handles come after it.
  EXPECT_EQ(Store().CreateHandle(L"neu"), dataset.GetPrefix() | 101);
}

// A text's body holds its children's records: a text child, or a table
// child's rows, that claim more room than the body has left are not taken.
// (Read later up to the end of the file, such a text took in the records
// after it as children a second time, and a few kilobytes of them made
// millions of tables; such rows would each read the rest of the file.)
TEST_F(MmdFile, ATextsChildrenLieInsideItsBody) {
  for (const bool bTableChild : {false, true}) {
    CMmdWriter w(CMmdTextCoding{false, 1252});
    w.WriteTag(mmd::kMagicAnsi);
    w.WriteTag("NEST");
    w.WriteU32(1);  // version
    w.WriteU32(4);  // counter
    w.WriteU32(0);  // no handle records
    w.WriteTag(mmd::kTagTables);
    w.WriteU32(1);
    w.WriteTag(mmd::kTagText);
    const std::size_t at = w.WritePlaceholder();
    w.WriteU32(1), w.WriteU32(0);  // handle, flags
    w.WritePlainString(L"Eltern");
    w.WriteU32(2);  // children: a text of its true size, then one claiming 1,000 bytes
    WriteTextRecord(w, 2, L"Kind");
    if (bTableChild) {
      w.WriteTag(mmd::kTagTable);
      for (std::uint32_t n : {3u, 0u, std::uint32_t(eTypeHandle), 1u, 0u}) w.WriteU32(n);
      for (int i = 0; i < 4; ++i) w.WriteString(L"");  // RegStr 1-3, comment
      w.WriteU32(0), w.WriteU32(0);                    // no structure, no children
      w.WriteU32(100), w.WriteU32(1000);               // rows, and their bytes
    } else {
      w.WriteTag(mmd::kTagText);
      w.WriteU32(1000), w.WriteU32(3);
    }
    w.WriteU32(0), w.WriteU32(0);
    w.Patch(at, std::uint32_t(w.GetSize() - at));
    for (int i = 0; i < 300; ++i) w.WriteTag("xtra");  // the file goes on beyond the claim
    const CString path = (m_Folder / L"nest.mmd");
    ASSERT_TRUE(WriteFileAtomically(path, std::string(w.GetBytes())));
    CMatDatenSatz& dataset = MakeDataset(L"XXXX", path);
    ASSERT_TRUE(LoadDataset(dataset));
    ASSERT_EQ(dataset.m_Tables.size(), 1u);
    CMatTable& parent = *dataset.m_Tables[0];
    LoadTableBody(parent);
    EXPECT_TRUE(IsDatasetDamaged(dataset));
    ASSERT_EQ(parent.m_Children.size(), bTableChild ? 2u : 1u);
    EXPECT_EQ(parent.m_Children[0]->m_hName, dataset.GetPrefix() | 2);
    if (bTableChild) {
      EXPECT_EQ(parent.m_Children[1]->m_nFilePos, 0u);  // no rows to read
      EXPECT_EQ(parent.m_Children[1]->m_nRowCount, 0);
    }
  }
}

TEST_F(MmdFile, NoDatabaseFileIsRefused) {
  const CString path = (m_Folder / L"x.mmd");
  CMatDatenSatz& dataset = MakeDataset(L"XXXX", path);
  EXPECT_FALSE(LoadDataset(dataset));  // missing: no message
  EXPECT_EQ(m_UI.Count(), 0u);
  ASSERT_TRUE(WriteFileAtomically(path, "PK\x03\x04 not a database"));
  EXPECT_FALSE(LoadDataset(dataset));
  EXPECT_TRUE(m_UI.HasMessageContaining(L"keine Materialmanagement-Datei"));
}

// Every prefix of a sound file loads what it can, reads every body without
// harm and reports at most once; every changed byte is found by the data
// check (or the magic), reported once, and the dataset counts as damaged.
TEST_F(MmdFile, DamagedFilesLoadWhatIsSoundAndReportOnce) {
  const CString path = (m_Folder / L"d.mmd");
  CMatDatenSatz& dataset = MakeDataset(L"DAMG", path);
  BuildSample(dataset);
  ASSERT_TRUE(SaveDataset(dataset));
  std::string sound;
  ASSERT_TRUE(ReadWholeFile(path, sound));
  const CString damaged = (m_Folder / L"damaged.mmd");
  // The one report of a damaged file, word for word: that it is none (its
  // head is gone), where in the file the damage lies (a place inside it), or
  // that its data check failed.
  auto isDamageReport = [&](const CString& text) {
    if (text == L"Die Datei " + damaged + L" ist keine Materialmanagement-Datei.") return true;
    const CString head = L"Die Materialmanagement-Datei " + damaged + L" ist beschädigt";
    if (text == head + L": ihre Prüfsumme stimmt nicht.\nIhre Daten können verfälscht sein.")
      return true;
    const CString at = head + L" (Byte ", tail = L").\nEs wurde nur der lesbare Teil geladen.";
    if (text.size() <= at.size() + tail.size() || text.rfind(at, 0) != 0 ||
        text.compare(text.size() - tail.size(), tail.size(), tail) != 0)
      return false;
    const CString number = text.substr(at.size(), text.size() - at.size() - tail.size());
    return number.find_first_not_of(L"0123456789") == CString::npos &&
           std::stoull(ToUtf8(number)) <= sound.size();
  };
  // Loads bytes and every body; true when the dataset came out damaged.
  auto loadAll = [&](const std::string& bytes) {
    EXPECT_TRUE(WriteFileAtomically(damaged, bytes));
    CScopedMatStore fresh;
    m_UI.Clear();
    CMatDatenSatz* p = NewDataset(fresh.Get());
    AttachFile(*p, damaged);
    LoadDataset(*p);
    std::vector<CMatTable*> todo;
    for (auto& t : p->m_Tables) todo.push_back(t.get());
    for (std::size_t i = 0; i < todo.size() && i < 1000; ++i) {
      LoadTableBody(*todo[i]);
      for (auto& c : todo[i]->m_Children) todo.push_back(c.get());
    }
    EXPECT_LE(m_UI.Count(), 1u);
    if (m_UI.Count() == 1) {
      EXPECT_TRUE(isDamageReport(m_UI.LastText())) << ToUtf8(m_UI.LastText());
    }
    return IsDatasetDamaged(*p);
  };
  for (std::size_t n = 0; n < sound.size(); n += 1 + n / 8) loadAll(sound.substr(0, n));
  for (std::size_t i = 0; i + mmd::kDataCheckBytes < sound.size(); i += 1 + i / 64) {
    std::string bytes = sound;
    bytes[i] = char(bytes[i] ^ (1 << (i % 8)));
    const bool bDamaged = loadAll(bytes);
    ASSERT_EQ(m_UI.Count(), 1u) << "byte " << i;
    if (i >= 4) {
      EXPECT_TRUE(bDamaged) << "byte " << i;
    }
  }
  // A count far beyond the file is not believed.
  std::string huge = sound;
  huge.replace(16 + 2, 4, "\xFF\xFF\xFF\x7F", 4);
  EXPECT_TRUE(loadAll(huge));
  // A file written before files carried the data check opens as before.
  EXPECT_EQ(sound.substr(sound.size() - mmd::kDataCheckBytes, 4), "crcC");
  EXPECT_FALSE(loadAll(sound.substr(0, sound.size() - mmd::kDataCheckBytes)));
  EXPECT_EQ(m_UI.Count(), 0u) << ToUtf8(m_UI.LastText());
}

// A dataset read damaged is never saved over its file: that would put the
// readable part in place of all the file held. Salvaging keeps the damaged
// file beside the new one.
TEST_F(MmdFile, DamagedDatasetIsSavedOnlyWhenSalvaged) {
  const CString path = (m_Folder / L"s.mmd");
  CMatDatenSatz& dataset = MakeDataset(L"SALV", path);
  BuildSample(dataset);
  ASSERT_TRUE(SaveDataset(dataset));
  ReleaseWriteLock(dataset);
  std::string sound;
  ASSERT_TRUE(ReadWholeFile(path, sound));
  const std::string truncated = sound.substr(0, sound.size() / 2);
  ASSERT_TRUE(WriteFileAtomically(path, truncated));
  CMatDatenSatz* pAgain = &Reopen(path);
  ASSERT_TRUE(IsDatasetDamaged(*pAgain));
  m_UI.Clear();
  EXPECT_FALSE(SaveDataset(*pAgain));
  EXPECT_TRUE(m_UI.HasMessageContaining(L"ist beschädigt und wird nicht überschrieben"));
  EXPECT_EQ(Bytes("s.mmd"), truncated);
  EXPECT_FALSE(FileExists(MmdBackupPath(path)));

  SalvageDataset(*pAgain);
  EXPECT_TRUE(SaveDataset(*pAgain));
  EXPECT_FALSE(IsDatasetDamaged(*pAgain));
  EXPECT_EQ(Bytes("s.damaged.mmd"), truncated);
  EXPECT_EQ(MmdDamagedPath(path), (m_Folder / L"s.damaged-2.mmd"));
}

// Saving through a symbolic link updates the file the link names; the link
// stays a link and the backup and lock lie beside the real file.
TEST_F(MmdFile, SavingThroughALinkWritesTheRealFile) {
  const CString real = (m_Folder / L"real.mmd");
  const CString link = (m_Folder / L"link.mmd");
  ASSERT_EQ(symlink("real.mmd", ToUtf8(link).c_str()), 0);
  CMatDatenSatz& dataset = MakeDataset(L"LINK", link);
  dataset.m_strPath = ResolveDatabasePath(link);
  BuildSample(dataset);
  ASSERT_TRUE(SaveDataset(dataset));  // a new file, made at the link's target
  CMatDatenSatz* pAgain = &Reopen(link);
  EXPECT_EQ(pAgain->m_strPath, real);
  Set(Find(*pAgain, L"Preis"), H(L"NEU"), 7);
  ASSERT_TRUE(SaveDataset(*pAgain));
  ReleaseWriteLock(*pAgain);
  struct stat info {};
  ASSERT_EQ(lstat(ToUtf8(link).c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  ASSERT_EQ(lstat(ToUtf8(MmdBackupPath(real)).c_str(), &info), 0);
  EXPECT_TRUE(S_ISREG(info.st_mode));
  EXPECT_FALSE(IsReadOnly(real));
  EXPECT_EQ(Bytes("link.mmd"), Bytes("real.mmd"));
  EXPECT_NE(Bytes("real.mmd"), Bytes("real.bak"));
}

}  // namespace
