// Reading a BDH-2 "HK.DAT" file into the current dataset: every line is one
// record, its id the first field; the records become the table tree under
// "BDH2" (docs/bdh2.md). The store's text reader decodes the file (a UTF-16
// or UTF-8 mark, else the user's ANSI code page) and gives the lines.
//
// The import shows no message of its own: a line it can not place is
// skipped and counted (CBdhImportCounts), so that a caller can tell how much
// of a file was taken. Tables are looked up first and made only when
// missing, so that reading a file twice changes nothing.
#pragma once

#include <functional>
#include <string_view>

#include "OrvaMat/bdh.h"
#include "OrvaMat/types.h"

class CMatStore;
class CMatTable;
class CMatTextReader;

class CBdhImporter {
 public:
  // The store is not owned and must outlive the importer; its current
  // dataset is the one read into.
  explicit CBdhImporter(CMatStore& store) : m_Store(store) {}

  // Reads the file. False when it can not be opened ("BDH2" is made all the
  // same, and nothing else).
  bool Import(const CString& path);
  // The same for a file's bytes; path names it.
  void ImportBytes(std::string_view bytes, const CString& path);

  const CBdhImportCounts& GetCounts() const { return m_Counts; }

 private:
  void Begin();
  void ReadLines(CMatTextReader& reader);
  // One line; false when it was skipped.
  bool ReadRecord(std::wstring_view text);
  bool ReadHead(class CBdhLine& line);
  bool ReadModel(class CBdhLine& line);
  bool ReadElement(class CBdhLine& line);
  // Entry nEntry of the String row of table named by the prefix and id.
  bool WriteEntry(CMatTable* pTable, int nId, int nEntry, const CString& text);
  bool WriteEntry(CMatTable* pTable, const wchar_t* pRow, int nEntry, const CString& text);
  // The child of that name, made when missing; null without a parent.
  CMatTable* FindOrMake(CMatTable* pParent, const CString& name, std::uint32_t nType,
                        const std::uint32_t* pStrucDef);

  CMatStore& m_Store;
  CMatTable* m_pTop = nullptr;
  CMatTable* m_pSeries = nullptr;
  CMatTable* m_pModelData = nullptr;    // "DA-HK-10" of the last record 10
  CMatTable* m_pElementData = nullptr;  // "Elementdaten" of the last record 60
  int m_nElement = 1;
  CBdhImportCounts m_Counts;
};
