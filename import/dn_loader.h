// CDnLoader: reads DATANORM files (versions 4 and 5) into the tables of the
// current dataset (import/dn_tables.h lists them).
//
// Construction prepares the tables in the store's current dataset; Load reads
// one file line by line and dispatches each record by its type letter. One
// loader may read several files in turn (the file set of one catalogue): the
// last main product group of a file is kept for the "B" records of the next.
// Saving the dataset is not the loader's business.
//
// Bad input never stops an import: numbers stop at the first non-digit, texts
// are cut at their maximum (a long text also at the bytes the database file
// stores of one text, with a warning naming it), unknown record types and
// records whose processing flag is neither empty nor "N" are skipped, records
// cut short read as empty fields. Only a file that is no DATANORM file
// (message "Keine Datanorm Datei! %s"), a version 3 file (message "DATANORM
// Version 3 ???. Datei <%s> Laden abgebrochen"), a dataset locked by another
// user (message "Aktueller Datensatz ist schreibgeschützt") or an unreadable
// or empty file (no message) is refused.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "OrvaMat/types.h"
#include "import/dn_fields.h"
#include "import/dn_tables.h"
#include "store/base/block_lines.h"

class CMatStore;
class CMatDatenSatz;

class CDnLoader {
 public:
  // Texts longer than this are cut: one text must fit one piece of the
  // dataset's arena. (The database file limits a text's bytes as well.)
  static constexpr std::size_t kMaxTextLength = 32000;
  // Text lines of one article: DATANORM numbers them with two digits, so a
  // longer series can only come from a damaged file.
  static constexpr std::size_t kMaxTextLines = 1000;

  // Works on the store's current dataset (the process-wide store by default).
  explicit CDnLoader(CMatStore* pStore = nullptr);
  CDnLoader(const CDnLoader&) = delete;
  CDnLoader& operator=(const CDnLoader&) = delete;

  // Reads one file; true when it was read to its end. dosCharset selects
  // the DOS character set (code page 3331) instead of 1252.
  bool Load(const CString& path, bool dosCharset);
  // The same on bytes already in memory (path is shown in messages only).
  bool LoadBytes(std::string_view bytes, const CString& path, bool dosCharset);

  // Called now and then while a file is read (every few thousand lines and
  // after the last), with the lines read so far and the file's line count.
  using CProgress = std::function<void(std::size_t nLine, std::size_t nLines)>;
  void SetProgress(CProgress progress) { m_Progress = std::move(progress); }

  int GetVersion() const { return m_nVersion; }
  // Lines read so far in the current file (the header counts as line 1).
  std::size_t GetLineCount() const { return m_nLineCount; }
  const CDnTables& GetTables() const { return m_Tables; }

  // A handle for an article, a key or a unit: the text's handle in the
  // dataset, made when it has none; 0 for an empty or blank text.
  Handle GetDnHandle(std::wstring_view text);

 private:
  unsigned ChooseCodePage(const CBlockScan& scan, bool dosCharset) const;
  bool LoadLines(const CString& path, bool dosCharset);
  bool LoadRecords(const CString& path, bool dosCharset);
  // Reports a read error of the file, if one happened.
  bool ReportReadError();
  // Why the file stops before its end: a name that did not fit in the
  // dataset's handles, or a write the store refused (its memory or its text
  // pool exhausted). Either stops at the line where it happened, instead of
  // losing that article and going on.
  enum class eStop { kNone, kNames, kStore };
  void Stop(eStop reason);
  // A write into row hRow: a refusal stops the file.
  void Stored(eMatManager rc, Handle hRow);
  bool ReadVersion(const CString& path);
  void ReadHeader();
  void ReadHeader4(std::wstring_view line);
  void ReadHeader5();
  void StoreHeader(const CString& date, const CString& info, const CString& currency,
                   const CString& shortName);
  void MakeRoomForArticles();
  void ReadRecords();
  void DispatchRecord(wchar_t type);
  void FinishProductGroups();

  // Records (import/dn_articles.cpp, dn_texts.cpp, dn_records.cpp).
  void ReadArticle4();
  void ReadArticle5();
  void ReadArticleAddition();
  void ReadAssemblyTime();
  void ReadTextLines();
  void ReadTextBlock(CMatTable* pTarget);
  void ReadPicture();
  void ReadDiscountGroup();
  void ReadProductGroup();

  // Helpers shared by the records.
  void PrefetchArticleRows(Handle hArticle) const;
  // Asks for the name slot of an article number a few lines on (version 5).
  void PrefetchNextArticleName();
  // The unit's handle, or what "UebersetzungEinheiten" translates it to.
  Handle TranslateUnit(std::wstring_view unit);
  void SetMatchcode(Handle hArticle, std::wstring_view matchcode);
  void SetShortText(Handle hArticle, std::wstring_view line1, std::wstring_view line2);
  void SetLongTextKey(Handle hArticle, std::wstring_view key);
  void SetPrice(Handle hArticle, std::int64_t cents);
  void SetInt(CMatTable* pTable, Handle hRow, int field, std::int64_t value);
  void SetHandle(CMatTable* pTable, Handle hRow, int field, Handle value);
  void SetText(CMatTable* pTable, Handle hRow, int field, std::wstring_view text);
  void ForgetCompleteText(Handle hArticle);
  // Writes the article fields waiting for the row's one write (end of record).
  void FlushPendingRows();
  // Tells the user that a text of the record named was cut to what a
  // dataset holds of one text (the format takes the name).
  void ReportCutText(const wchar_t* pGermanFormat, const CString& name);
  // The writes of the records into one group table, made after the records
  // (WriteGroupQueues): a product group's rows, or a main group's rows with
  // their texts, in the order the records made them. A catalogue's groups
  // take turns article by article: one write at a time lands at a random
  // place of a different table every time, each table growing step by step,
  // where a table at a time takes its room once and is written in order.
  // Nothing reads these tables while the records are read.
  struct CGroupQueue {
    std::vector<Handle> rows;
    std::vector<std::uint32_t> textEnds;  // main groups: where row i's text ends in texts
    std::string texts;                    // their one-byte (Latin-1) characters
  };
  // Group tables by name as spelled in the file: one look-up per group of
  // an article, in a flat table that allocates nothing, instead of a walk
  // over the parent's children. Another spelling of a name gets an entry of
  // its own that leads to the same table, since the walk finds tables
  // without regard to case.
  class CGroupIndex {
   public:
    // Entry of name under the main group entry nParent (0: a main group);
    // 0 when there is none.
    std::uint32_t Find(std::uint32_t nParent, std::wstring_view name) const;
    std::uint32_t Add(std::uint32_t nParent, std::wstring_view name, CMatTable* pTable);
    CMatTable* Table(std::uint32_t nEntry) const { return m_Entries[nEntry - 1].pTable; }
    // The writes queued for entry nEntry's table (see CGroupQueue).
    CGroupQueue& Queue(std::uint32_t nEntry) { return m_Entries[nEntry - 1].queue; }
    // Calls f(table, queue) for each entry with writes queued, and forgets them.
    template <class F>
    void TakeQueues(F&& f) {
      for (CEntry& entry : m_Entries) {
        if (entry.queue.rows.empty()) continue;
        f(entry.pTable, entry.queue);
        entry.queue = CGroupQueue();
      }
    }

   private:
    struct CEntry {
      std::uint64_t nHash;
      std::uint32_t nParent;
      CString strName;
      CMatTable* pTable;
      CGroupQueue queue;
    };
    static std::uint64_t Hash(std::uint32_t nParent, std::wstring_view name);
    // Enters an entry into its first free slot from its hash on.
    void Place(std::uint32_t nEntry);
    std::vector<CEntry> m_Entries;
    std::vector<std::uint32_t> m_Slots;  // entry numbers; 0 is free; a power of two
  };
  // The entry of the group table prefix + name under the main group entry
  // nParent (0: under the main groups' table), made when missing; 0 when the
  // table could not be made.
  std::uint32_t FindOrMakeGroup(std::uint32_t nParent, std::wstring_view prefix,
                                std::wstring_view name, std::uint32_t nType);
  // Queues the article's text in its main group's table; a text beyond
  // one-byte characters is written at once, after what its table has queued.
  void QueueMainGroupText(std::uint32_t nMain, Handle hArticle, std::wstring_view text);
  void WriteGroupQueue(CMatTable* pTable, const CGroupQueue& queue);
  // Every queued write; a refusal stops the file at the last line read.
  void WriteGroupQueues();
  // Puts the article into the group tables: "HWG_" + main group under
  // "HauptWarenGruppen" (String) with the article's row set to text, and,
  // when a product group is given, "WG_" + product group under it (Void)
  // with the article as a row (both queued: CGroupQueue); either table is
  // made when missing. Returns the main group table (null when it could not
  // be made).
  CMatTable* AddToProductGroup(Handle hArticle, std::wstring_view mainGroup,
                               const std::wstring_view* pProductGroup, std::wstring_view text);
  // Moves to the next line when it continues the current record (same first
  // nPrefix characters); false at the end of the record.
  bool NextContinuation(std::size_t nPrefix);

  CMatStore& m_Store;
  CMatDatenSatz* m_pDataset = nullptr;
  CDnTables m_Tables;
  bool m_bReady = false;

  CProgress m_Progress;
  CBlockLines m_Lines;
  std::size_t m_nLine = 0;  // index of the current line in m_Lines
  CDnFieldReader m_Reader;
  std::size_t m_nLineCount = 0;
  int m_nVersion = 0;
  std::size_t m_nArticles = 0;  // article records stored from the current file
  eStop m_eStop = eStop::kNone;
  std::size_t m_nStopLine = 0;        // its line, counted from 1
  std::size_t m_nStopArticles = 0;    // the articles stored before that line's record
  std::size_t m_nRecordArticles = 0;  // the articles stored before the current record
  wchar_t m_cFlag = 0;
  CString m_strLastMainGroup;
  // The last unit translated and its translation: a catalogue's articles
  // come with a handful of units, mostly one after another the same.
  CString m_strLastUnit;
  Handle m_hLastUnit = 0;
  CString m_strGroupText;  // a queued text, widened to be written
  CString m_strShortText;  // the two lines of an article's short text, joined
  // The lines of the "D" record being read. Kept from record to record: an
  // article's lines then reuse the room of the one before.
  struct CTextLine {
    std::int64_t nNumber = 0;
    wchar_t cKind = 0;
    CString strKey;
    CString strText;
  };
  std::vector<CTextLine> m_TextLines;
  // The fields an article record sets in "ArtikelInfo1" and "ArtikelInfo2",
  // kept until the record ends and then written with one look-up of the row
  // each instead of one a field.
  struct CPendingField {
    int nField = 0;
    bool bText = false;
    bool bNoText = false;  // an empty text: the cell gets no text
    std::uint32_t nValue = 0;
    CString strText;
  };
  struct CPendingRow {
    CMatTable* pTable = nullptr;
    Handle hRow = 0;
    std::size_t nCount = 0;
    std::array<CPendingField, 8> fields;
  };
  // The pending row of the table, or null when its fields are written at once.
  CPendingField* PendField(CMatTable* pTable, Handle hRow, int field);
  void FlushPendingRow(CPendingRow& row);
  std::array<CPendingRow, 2> m_PendingRows;
  // The main groups as the file spells them, and their product groups.
  CGroupIndex m_Groups;
};
