// CVdiReader: reads one VDI 3805 file into the current dataset of a store as
// a tree of tables (docs/vdi.md): a sheet table per record 010 and below it
// one StrLine table per record line, nested as the records nest, whose text
// is the line's body, kept whole for the product functions and the manager
// of the sheets to interpret later. Records 800 and 810 fill the TGA
// cross-reference tables of the sheet.
//
// Bad input never stops a read: an unknown record, or a 710 sub-record the
// sheet does not have, is shown ("Unbekannte ID [%X]. ...", one message per
// line) and skipped; a sub-record whose parent was not read is reported on
// the host's console and kept at the top level of the dataset; a text longer
// than a table holds is cut with a message naming its line. Only a dataset
// that may not be written ("Aktuelle MMD ist schreibgeschützt"), no dataset
// at all, or a file that cannot be read (named in a message) is refused; then
// nothing is read. Saving the dataset is not the reader's business.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "OrvaMat/mat_table.h"
#include "OrvaMat/types.h"
#include "store/base/flat_key_map.h"
#include "vdi/vdi_lines.h"
#include "vdi/vdi_record.h"

class CMatStore;
class CMatDatenSatz;

class CVdiReader {
 public:
  // A text longer than this is cut: one text must fit one piece of the
  // dataset's arena.
  static constexpr std::size_t kMaxTextLength = 60000;
  // 810 records kept for one TGA number in "TGA-800to810": each further one
  // copies the row's block, and real files list a handful.
  static constexpr std::size_t kMax810PerTga = 1000;

  // Works on the store's current dataset (the process-wide store by default).
  explicit CVdiReader(CMatStore* pStore = nullptr);
  CVdiReader(const CVdiReader&) = delete;
  CVdiReader& operator=(const CVdiReader&) = delete;

  // Reads one file; true when it was read to its end (or its end mark).
  bool Read(const CString& path);
  // The same on bytes already in memory.
  bool ReadBytes(std::string_view bytes);

  // Called now and then while a file is read (every few thousand lines and
  // after the last), with the lines read so far and the file's line count.
  using CProgress = std::function<void(std::size_t nLine, std::size_t nLines)>;
  void SetProgress(CProgress progress) { m_Progress = std::move(progress); }
  // Lines of the last file read.
  std::size_t GetLineCount() const { return m_Lines.GetLineCount(); }

 private:
  // Reads the lines opened (Read, ReadBytes) into the dataset.
  bool ReadOpened();
  // The current table of each record kind (and of the sub-record groups
  // whose last table is a parent): a record of the kind replaces it.
  enum eSlot : int {
    eNone = -1,  // no table: the top level of the dataset, or nothing kept
    eSheet,
    e100,
    e110,
    e160,
    e200,
    e250,
    e260,
    e300,
    e350,
    e360,
    e400,
    e450,
    e460,
    e500,
    e550,
    e560,
    e600,
    e700,
    e760,
    e760_01,
    e820,
    e830,
    e850,
    e900,
    e930,
    e960,
    e970,
    e710_01,
    e710_02,
    e710_03,
    e710_04,
    e710_05,
    e710_06,
    e710_07,
    e710_09,
    e710_10,
    e710_12,
    e710_13,
    e710_17,
    e710_21,
    e710_23,
    e930_01,
    e930_03,
    eSlotCount
  };
  enum class eAction {
    eSheet,        // record 010
    eMain,         // one line, one table named by the record key
    eMainFlag,     // eMain, and index 1 marks the default variant
    eMainString,   // eMain into a String table: the body is the row's value
    eGroup,        // sub-record lines, one table each
    eGroupSilent,  // eGroup, skipped without a message when the parent is missing
    eFunction,     // 600/610: lines joined into one text
    eTga800,
    eTga810,
    eSkip,     // read, nothing kept
    eUnknown,  // shown and skipped
  };
  struct CDispatch {
    VdiRecordId nId;
    eAction action;
    const wchar_t* pGroup;  // group name (eGroup), table name of a 610 (eFunction)
    eSlot parent;
    eSlot kept;
  };
  static const CDispatch* FindDispatch(VdiRecordId nId);
  // The action, parent and slot of a 710 sub-record in the current sheet.
  CDispatch Dispatch710(VdiRecordId nId) const;

  void ReadLines();
  void ReadRecord(const CDispatch& dispatch);
  void ReadSheet();
  void ReadMain(const CDispatch& dispatch);
  void ReadGroup(const CDispatch& dispatch, bool bSilent);
  void ReadFunction(const CDispatch& dispatch);
  void Read800();
  void Read810();
  void ShowUnknown(VdiRecordId nId);

  // The child of that name under pParent (null: the top level), made as a
  // table of nType when missing; null when it could not be made.
  using CChildMap = CFlatKeyMap<CMatTable>;
  // A name's handle (0: none could be made) and its key among a parent's
  // children.
  struct CNameKey {
    Handle hName = 0;
    std::uint64_t nKey = 0;
  };
  CNameKey NameKeyOf(std::wstring_view name);
  // The name of a group record, "<group>-<number>", and its key.
  struct CGroupName {
    CNameKey key;
    CString strName;
  };
  CGroupName GroupName(const wchar_t* pGroup, int nNumber);
  // bMayParent: the table may be kept in a slot and get children.
  CMatTable* FindOrMake(CMatTable* pParent, const CString& name, int nType,
                        bool bMayParent = false);
  CMatTable* FindOrMake(CMatTable* pParent, const CString& name, CNameKey key, int nType,
                        bool bMayParent);
  // The children this read made under pParent, or null when this read did
  // not make pParent as a table that may get children.
  CChildMap* MadeChildren(const CMatTable* pParent);
  void ForgetMadeTables();
  // The table's one text (StrLine), cut to kMaxTextLength.
  void SetText(CMatTable* pTable, std::wstring_view text);
  // Cut to kMaxTextLength, with a message naming the line when cut.
  std::wstring_view Fit(std::wstring_view text);
  Handle GetHandle(std::wstring_view text);
  void MakeTgaTables();
  void ResetSlots();

  CMatStore& m_Store;
  CMatDatenSatz* m_pDataset = nullptr;
  CProgress m_Progress;
  CVdiLines m_Lines;
  CVdiRecordLine m_Record;
  std::array<CMatTable*, eSlotCount> m_Slots{};
  int m_nSheet = 0;
  CMatTable* m_pTgaNummer = nullptr;
  CMatTable* m_pTga800to810 = nullptr;
  CString m_strTgaKey;
  std::unordered_map<CString, std::size_t> m_810PerKey;
  std::unordered_set<CString> m_UsedArticles;
  // The last unique key given to an article number, so that the next one of
  // the same number goes on from there instead of trying every one before.
  std::unordered_map<CString, CString> m_LastArticleKey;
  bool m_bWarned810 = false;
  bool m_bNamesExhausted = false;  // a name did not fit: the file stops there
  std::size_t m_nExhaustedLine = 0;
  // The tables this read made that may get children (those kept in a
  // slot), each with the children this read made under it by a key of their
  // names (FindOrMake); emptied when tables are removed. One small map per
  // parent keeps the look-ups of a run of records in the cache.
  CFlatKeyMap<CChildMap> m_MadeParents;  // by the parent's address
  std::vector<std::unique_ptr<CChildMap>> m_ChildMaps;
  const CMatTable* m_pLastParent = nullptr;  // the last parent asked about
  CChildMap* m_pLastChildren = nullptr;      // and its map (null: not made)
  // The most children a parent of each name got: parents of one name (the
  // curves of every variant) tend to get as many, and their maps are made
  // that large at once rather than growing through every size.
  std::unordered_map<Handle, std::size_t> m_ChildCounts;
  // The names of group records by group and number, made once: a file
  // repeats the same few hundred numbers under every parent of a group.
  std::unordered_map<const wchar_t*, std::vector<CGroupName>> m_GroupNames;
  CString m_strName;  // a table name on its way, reused
  CString m_strText;  // a text on its way into a cell, reused
};
