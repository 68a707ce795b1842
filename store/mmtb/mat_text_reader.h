// CMatTextReader: one text source of the MMTB table format (grammar:
// docs/mmtb.md) and everything that reads it: the line model, the token
// readers, the body reader with its keywords and rows, and the preprocessor.
//
// Source. The text is decoded into a wide window (UTF-16 LE mark, UTF-8
// mark, else the ANSI code page of the user's language) and read in place.
// A file of any size is decoded a block at a time: the window holds the
// current line, the lines after it up to a line end, and no more than a
// block beyond; the lines before the current one are let go. (A UTF-16 text
// is decoded whole.) Pointers into the window (GetPos) stay valid until the
// next move to another line. The text ends at its end or at its first NUL or end-of-file
// character 0x1A, whichever comes first; every reader stops at either. Line breaks are CR LF, LF
// CR, a lone LF or a lone CR. m_nZeile counts from 0 and goes up with every move to a following
// line, also inside multi-line strings and brace blocks.
//
// Body reading works on the current dataset of the store given at
// construction: tables are made with CreateTable, names with FindHandle /
// CreateHandle, cells with SetCellValue. "#include" opens a further reader
// that remembers this one (GetPrev) and is the store's current reader while
// it is read.
//
// Errors are values: every token and body reader returns or stores what it
// could read and shows its message through ShowMessage (store/base/
// message.h). A body reader returns false after an error message; warnings go
// on. Nothing is undone when reading stops: what was read stays in the store.
// No input, however malformed, makes the reader read outside its buffer, loop
// without end or recurse without bound: blocks and "#ifdef" nest at most
// kMaxNesting deep, includes at most kMaxIncludeDepth deep, and numbers are
// read from at most kMaxNumberChars characters.
#pragma once

#include <cstdint>
#include <deque>
#include <string_view>
#include <unordered_set>

#include "OrvaMat/types.h"
#include "platform/file.h"

class CMatDatenSatz;
class CMatStore;
class CMatTable;

class CMatTextReader {
 public:
  static constexpr int kMaxNesting = 100;
  static constexpr int kMaxIncludeDepth = 16;
  static constexpr int kMaxNumberChars = 64;
  // The most cells a row's array can have: an arena piece holds no more.
  static constexpr int kMaxValuesPerRow = 0x20000 / 4;
  // ReadType's answer for a letter or number that names no value type.
  static constexpr std::uint32_t kTypeUnknown = 0xFFFFFFFFu;
  // The end-of-file character; like NUL it ends the text.
  static constexpr wchar_t kEndMarker = 0x1A;
  // The bytes of the source decoded at a time.
  static constexpr std::size_t kDecodeBlock = std::size_t{1} << 20;

  // The store is not owned and must outlive the reader; it may be null for a
  // reader that only reads tokens (the body readers then read nothing).
  explicit CMatTextReader(CMatStore* pStore = nullptr);
  ~CMatTextReader();
  CMatTextReader(const CMatTextReader&) = delete;
  CMatTextReader& operator=(const CMatTextReader&) = delete;

  // --- Source (mat_text_source.cpp) ---
  // Opens and decodes a regular file; false, with no message, when it can not
  // be read. The path names the source in messages.
  bool OpenText(const CString& path);
  // The same for bytes already in memory (a file's content). They are
  // decoded a block at a time: they must stay until the text is read.
  void OpenBytes(std::string_view bytes, const CString& path);
  // The same for a decoded text.
  void OpenString(std::wstring_view text, const CString& path);
  void CloseText();
  // The bytes decoded at a time (tests make it small to cut lines anywhere).
  void SetDecodeBlock(std::size_t nBytes) { m_nBlock = nBytes > 0 ? nBytes : 1; }

  // Moves to the start of the next line (or of the next collected brace-block
  // line). At the end of the text the position stays at the end marker.
  void NextZeile();
  bool AtEnd() const { return *m_pPos == kEndMarker || *m_pPos == 0; }
  // The read position inside the current line; the line ends at CR, LF, NUL
  // or the end marker. Valid until the next move to another line.
  const wchar_t* GetPos() const { return m_pPos; }
  void SkipBlanks();
  // Skips blanks, then empty lines and lines starting with ";".
  void SkipEmptyLines();

  int GetZeile() const { return m_nZeile; }
  const CString& GetPath() const { return m_strPath; }
  bool IsUnicode() const { return m_bUnicode; }
  CMatTextReader* GetPrev() const { return m_pPrev; }
  void SetPrev(CMatTextReader* pPrev) { m_pPrev = pPrev; }
  CMatStore* GetStore() const { return m_pStore; }

  // Brace blocks of Struct rows: collects the lines after the current one up
  // to the first line that contains "}" (not collected) or the end of the
  // text, makes the first collected one current and returns their number.
  int CollectBlockZeilen();
  // Forgets the collected lines not read yet; the next NextZeile goes to the
  // line that ended the block.
  void DropBlockZeilen();
  bool InBlock() const { return !m_BlockZeilen.empty(); }

  // --- Token readers (mat_text_tokens.cpp) ---
  // One quoted string "(*...*)"; false after the LoadString message.
  bool LoadString(CString& out, bool bMultiLine);
  // A parenthesised expression, without its outer parentheses.
  void LoadNumString(CString& out);
  int ReadInt();
  // A Bit cell: ReadInt, except that "0x" followed by exactly 32 binary
  // digits (the Bit form of older writers) is read as binary.
  std::uint32_t ReadBitValue();
  float ReadFloat();
  // A type letter or a type number. A number is returned as written (capped
  // above eTypeUniString), so that the count of "StrucDef=" reads too; a
  // letter that names no type, or none at all, gives kTypeUnknown.
  std::uint32_t ReadType();
  void ReadKeyword(CString& out);

  // --- Body (mat_text_body.cpp, mat_text_rows.cpp, mat_text_preprocessor.cpp) ---
  // Reads body lines into table until "[Ende_MMTB]", "[Ende]" or the end of
  // the text (true), or an error (false). A null table is the top level of a
  // file: "[MMTB]" makes top-level tables, "[Ende_MMTB]" is ignored there.
  bool ReadTableBody(CMatTable* pTable);
  // One body line whose first word is keyword; false to stop reading.
  bool ReadBodyItem(CMatTable* pTable, const CString& keyword);
  bool ReadIfdefBlock(CMatTable* pTable, bool bActive);
  // A top-level block: the position is on the "[MMTB]" line. Reads the head,
  // finds or makes the top-level table of the current dataset and reads its
  // body (what the script processor does on "[MMTB]").
  bool ReadTopLevelBlock();

 private:
  // Source.
  void Reset();
  // Ends the decoded text at its end marker and makes its first line current.
  void StartBuffer(const CString& path);
  // Chooses the code page of bytes (the source's first ones) and makes the
  // first line current.
  void StartSource(std::string_view head, const CString& path);
  // Decodes the next block of the source into the window, keeping the text
  // from pKeep on; returns where that text now lies (pKeep when nothing
  // more came). The reader's own positions in the kept text move with it.
  const wchar_t* DecodeMore(const wchar_t* pKeep);
  // The byte count of the next piece to decode: up to a LF that no CR
  // follows (so that no CR LF or LF CR pair falls apart), all when bAll.
  static std::size_t PieceEnd(std::string_view bytes, bool bAll);
  // True when p is the window's end and more of the source is to come.
  bool AtWindowEnd(const wchar_t* p) const {
    return !m_bSourceEnd && p == m_strBuffer.c_str() + m_strBuffer.size();
  }
  void MakeLineCurrent(const wchar_t* pStart);
  // Tokens.
  void ShowLoadStringError();
  // LoadString of a text cell of table (row names the row in the message):
  // false, after an error message, when the text is longer than a database
  // file can store.
  bool LoadCellText(CString& out, const CMatTable& table, const CString& row);
  void ShowTerminationError();
  bool TakeNumberText(bool bHex, CString& digits);
  void SkipBlanksAndComma();
  // Body.
  bool ReadBodyLines(CMatTable* pTable);
  bool ReadNestedBlock(CMatTable* pTable);
  bool ReadBlockHead(CString& name, std::uint32_t& nType, int& nValuesPerRow);
  CMatTable* FindOrCreateBlockTable(CMatTable* pParent, const CString& name, std::uint32_t nType,
                                    int nValuesPerRow);
  bool ReadKeywordItem(CMatTable& table, const CString& keyword, bool& bHandled);
  bool ReadStrucDef(CMatTable& table);
  void ReadHashTableSize(CMatTable& table);
  void CheckDefaultItem(CMatTable& table);
  // Rows (mat_text_rows.cpp).
  bool ReadRow(CMatTable& table);
  bool ReadTextRow(CMatTable& table);
  bool ReadRowCells(CMatTable& table, Handle hRow);
  bool ReadCell(const CMatTable& table, std::uint32_t nType, std::uint32_t& nCell);
  bool ReadStructRow(CMatTable& table, Handle hRow);
  bool ReadStructBlock(CMatTable& table, Handle hRow, int nSubRows);
  bool ReadStructCells(CMatTable& table, std::uint32_t* pBlock);
  void CloseBraceBlock();
  bool SeenInBody(CMatTable& table, Handle hRow);
  void FinishRow(CMatTable& table);
  // Preprocessor (mat_text_preprocessor.cpp).
  bool ReadPreprocessorItem(CMatTable* pTable, const CString& keyword, bool& bHandled);
  bool ReadInclude(CMatTable* pTable);
  void ReadWord(CString& out);
  bool ReportNestingTooDeep();
  // Names of rows, handle cells and default items, in the dataset being read.
  Handle NameToHandle(const CString& name);
  CMatDatenSatz* GetDataset() const;

  CMatStore* m_pStore;
  CString m_strPath;
  CString m_strBuffer;  // the window of decoded text, then the end marker
  // The source not decoded yet: the rest of the caller's bytes, or the file
  // with the bytes read from it that are not decoded yet.
  std::string_view m_Unread;
  CFileReader m_File;
  bool m_bFileSource = false;
  bool m_bFileEnd = false;
  std::string m_strRaw;
  CString m_strPiece;  // a piece decoded before it joins the window
  unsigned m_nCodePage = 0;
  bool m_bSourceEnd = true;          // the window holds the text's end
  std::uint64_t m_nSourceBytes = 0;  // the source's size (a bound on what it holds)
  std::size_t m_nBlock = kDecodeBlock;
  // Scratch texts of the row reader, kept so that a million rows do not cost
  // a million heap round trips: the row name, and one cell's text (used up
  // before the next cell is read).
  CString m_strRowName;
  CString m_strCellText;
  const wchar_t* m_pZeilenStart;  // the current line
  const wchar_t* m_pScan;         // the line after it; null when there is none
  const wchar_t* m_pPos;          // the read position in the current line
  int m_nZeile = 0;
  bool m_bUnicode = false;
  CMatTextReader* m_pPrev = nullptr;
  std::deque<CString> m_BlockZeilen;  // collected brace-block lines, each ending CR LF
  bool m_bBlockCurrent = false;       // the front collected line is the current line
  int m_nNesting = 0;                 // blocks and "#ifdef" being read, includes counted
  int m_nIncludeDepth = 0;
  // The body being read: the rows already read in it. While the table had
  // no rows when its body began and keeps its rows in the map, its own rows
  // tell that; otherwise the set does.
  struct CBodyState {
    bool m_bFresh = false;
    std::unordered_set<Handle> m_Seen;
  };
  CBodyState* m_pBody = nullptr;
};
