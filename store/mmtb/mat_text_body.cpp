// The body reader: the body loop, table blocks and the keyword lines.
#include <algorithm>
#include <vector>

#include "platform/host_ui.h"
#include "platform/text.h"
#include "store/base/message.h"
#include "store/mat_store.h"
#include "store/mmtb/mat_text_messages.h"
#include "store/mmtb/mat_text_reader.h"
#include "store/table_names.h"

namespace {

bool IsLineEnd(wchar_t c) {
  return c == L'\r' || c == L'\n' || c == 0 || c == CMatTextReader::kEndMarker;
}

}  // namespace

CMatDatenSatz* CMatTextReader::GetDataset() const {
  return m_pStore ? m_pStore->GetCurrent() : nullptr;
}

Handle CMatTextReader::NameToHandle(const CString& name) {
  CMatDatenSatz* pDataset = GetDataset();
  const size_t nStart = name.find_first_not_of(L' ');
  if (!pDataset || nStart == CString::npos) return 0;
  // Handle texts never start with a space (CreateHandle skips them), so the
  // look-up skips them too. The dataset's own maps: a backslash in a row name
  // is part of the name and never switches datasets in the middle of a table.
  const std::wstring_view text = std::wstring_view(name).substr(nStart);
  const Handle h = pDataset->FindHandle(text);
  return h ? h : pDataset->CreateHandle(text);
}

bool CMatTextReader::ReportNestingTooDeep() {
  ShowMessage(MB_OK | MB_ICONERROR, kMsgNestingTooDeep, m_strPath, m_nZeile, kMaxNesting);
  return false;
}

bool CMatTextReader::ReadTableBody(CMatTable* pTable) {
  if (m_nNesting >= kMaxNesting) return ReportNestingTooDeep();
  CBodyState body;
  body.m_bFresh = pTable && pTable->GetRowCount() == 0;
  CBodyState* pOuter = m_pBody;
  m_pBody = &body;
  ++m_nNesting;
  const bool bResult = ReadBodyLines(pTable);
  --m_nNesting;
  m_pBody = pOuter;
  return bResult;
}

bool CMatTextReader::ReadBodyLines(CMatTable* pTable) {
  CString keyword;
  for (;;) {
    SkipBlanks();
    if (AtEnd()) return true;
    const wchar_t c = *m_pPos;
    if (c == L'\r' || c == L'\n' || c == L';') {
      NextZeile();
      continue;
    }
    ReadKeyword(keyword);
    const CMatDatenSatz* pDataset = GetDataset();
    const std::uint64_t nRefused = pDataset != nullptr ? pDataset->GetRefusedWrites() : 0;
    if (!ReadBodyItem(pTable, keyword)) return false;
    // A text the dataset could not take would be missing from the table
    // without a word: the read stops at the first one.
    if (pDataset != nullptr && pDataset->GetRefusedWrites() != nRefused) {
      ShowMessage(MB_OK | MB_ICONERROR, kMsgStoreFull, m_strPath, m_nZeile);
      return false;
    }
    if (pTable && (keyword == L"[Ende]" || keyword == L"[Ende_MMTB]")) return true;
    NextZeile();
  }
}

bool CMatTextReader::ReadBodyItem(CMatTable* pTable, const CString& keyword) {
  // Row lines start with "(*", so their keyword is empty: the common case
  // goes straight to the row.
  if (keyword.empty() && pTable) return ReadRow(*pTable);
  if (keyword == L"[MMTB]") return ReadNestedBlock(pTable);
  bool bHandled = false;
  const bool bResult = ReadPreprocessorItem(pTable, keyword, bHandled);
  if (bHandled) return bResult;
  if (!pTable) {
    // A file's top level holds blocks and preprocessor lines only.
    ShowMessage(MB_OK | MB_ICONWARNING, kMsgOutsideTable, m_strPath, m_nZeile, keyword);
    return true;
  }
  const bool bKeywordResult = ReadKeywordItem(*pTable, keyword, bHandled);
  if (bHandled) return bKeywordResult;
  return ReadRow(*pTable);
}

bool CMatTextReader::ReadKeywordItem(CMatTable& table, const CString& keyword, bool& bHandled) {
  bHandled = true;
  if (keyword == L"[Ende]") {
    ShowMessage(MB_OK | MB_ICONINFORMATION, kMsgEndeWithoutMmtb, table.m_strName);
  } else if (keyword == L"[Ende_MMTB]") {
    CheckDefaultItem(table);
  } else if (keyword == L"RegStr") {
    CString text;
    for (CTableText* pTo : {&table.m_strRegStr1, &table.m_strRegStr2, &table.m_strRegStr3}) {
      if (!LoadString(text, false)) return false;
      *pTo = text;
    }
  } else if (keyword == L"Comment") {
    CString text;
    if (!LoadString(text, true)) return false;
    table.m_strBeschreibung = text;
  } else if (keyword == L"HashTableSize=") {
    ReadHashTableSize(table);
  } else if (keyword == L"StrucDef=") {
    return ReadStrucDef(table);
  } else if (keyword == L"Defaultitem") {
    CString name;
    if (!LoadString(name, false)) return false;
    table.m_hDefaultItem = NameToHandle(name);
  } else {
    bHandled = false;
    return true;
  }
  if (CMatDatenSatz* pDataset = GetDataset()) pDataset->SetModified();
  return true;
}

bool CMatTextReader::ReadTopLevelBlock() { return ReadNestedBlock(nullptr); }

bool CMatTextReader::ReadNestedBlock(CMatTable* pTable) {
  NextZeile();
  SkipEmptyLines();
  if (AtEnd()) return true;  // the text ends before the head line
  CString name;
  std::uint32_t nType = 0;
  int nValuesPerRow = 1;
  if (!ReadBlockHead(name, nType, nValuesPerRow)) return false;
  CMatTable* pChild = FindOrCreateBlockTable(pTable, name, nType, nValuesPerRow);
  if (!pChild) {
    ShowMessage(MB_OK | MB_ICONERROR, kMsgCannotCreateTable, m_strPath, m_nZeile, name);
    return false;
  }
  return ReadTableBody(pChild);
}

bool CMatTextReader::ReadBlockHead(CString& name, std::uint32_t& nType, int& nValuesPerRow) {
  if (!LoadString(name, false)) return false;
  if (name.find(L'.') != CString::npos) ShowMessage(MB_OK | MB_ICONWARNING, kMsgDotInName, name);
  CString parent;  // nesting decides the parent
  if (!LoadString(parent, false)) return false;
  nType = ReadType();
  nValuesPerRow = ReadInt();
  const int nZeile = m_nZeile;
  NextZeile();
  if (nType > eTypeUniString) {
    ShowMessage(MB_OK | MB_ICONERROR, kMsgUnknownType, m_strPath, nZeile, name);
    return false;
  }
  return true;
}

CMatTable* CMatTextReader::FindOrCreateBlockTable(CMatTable* pParent, const CString& name,
                                                  std::uint32_t nType, int nValuesPerRow) {
  CMatDatenSatz* pDataset = GetDataset();
  if (!pDataset) return nullptr;
  CMatTable* pFound = nullptr;
  if (pParent) {
    const Handle h = pDataset->FindHandle(name);
    pFound = h ? CMatStore::FindChildByHandle(pParent, h) : nullptr;
  } else {
    pDataset->EnsureDatasetLoaded();
    // A block fills the table of its name, hidden or not.
    pFound = FindTopLevelTable(*pDataset, name, eHiddenTables::kFind);
  }
  if (pFound) {
    pDataset->EnsureRowsLoaded(*pFound);
    return pFound;
  }
  return m_pStore->CreateTable(pParent, name.c_str(), static_cast<int>(nType), nValuesPerRow);
}

void CMatTextReader::ReadHashTableSize(CMatTable& table) {
  const int nSize = ReadInt();
  if (table.GetRowCount() == 0) {
    // A table can not get more rows than the text has characters, so a
    // larger size asks for memory that no row will use.
    const auto nLimit = static_cast<std::size_t>(std::max<std::uint64_t>(m_nSourceBytes, 2));
    const std::size_t nRows = std::min<std::size_t>(nSize > 0 ? nSize : 0, nLimit);
    table.SetHashTableSize(nRows);
    // The rows of a large table mostly bring names of their own.
    if (table.m_pDatenSatz != nullptr && nRows > 1024) table.m_pDatenSatz->ReserveNames(nRows);
    return;
  }
  if (!table.m_bListMode) {
    ShowMessage(MB_OK | MB_ICONWARNING, kMsgHashTableSizeIgnored, table.m_strName);
  }
}

bool CMatTextReader::ReadStrucDef(CMatTable& table) {
  if (table.m_nType != eTypeStruct) return true;
  std::vector<std::uint32_t> def;
  const int nZeile = m_nZeile;
  for (;;) {
    SkipBlanks();
    if (IsLineEnd(*m_pPos) || *m_pPos == L';') break;
    const std::uint32_t nItem = ReadType();
    if (!def.empty() && nItem > eTypeUniString) {
      ShowMessage(MB_OK | MB_ICONERROR, kMsgUnknownFieldType, m_strPath, nZeile, table.m_strName);
      return false;
    }
    def.push_back(nItem);
  }
  if (def.empty()) def.push_back(0);
  const std::uint32_t nGiven = static_cast<std::uint32_t>(def.size() - 1);
  if (def[0] != nGiven) {
    // The types decide: a count that disagrees would make cells of fields
    // that have no type.
    ShowMessage(MB_OK | MB_ICONWARNING, kMsgStrucDefCount, m_strPath, nZeile,
                static_cast<int>(std::min<std::uint32_t>(def[0], 0x7FFFFFFF)),
                static_cast<int>(nGiven));
    def[0] = nGiven;
  }
  if (!table.m_pStrucDef) {
    m_pStore->SetStrucDef(&table, def.data());
    return true;
  }
  const std::uint32_t* pOld = table.m_pStrucDef;
  const std::uint32_t nCompare = std::min(pOld[0], nGiven);
  if (pOld[0] != nGiven)
    ShowMessage(MB_OK | MB_ICONWARNING, kMsgStrucDefDiffers, m_strPath, nZeile);
  for (std::uint32_t i = 1; i <= nCompare; ++i) {
    if (pOld[i] != def[i])
      ShowMessage(MB_OK | MB_ICONWARNING, kMsgStrucDefDiffers, m_strPath, nZeile);
  }
  return true;
}

void CMatTextReader::CheckDefaultItem(CMatTable& table) {
  const Handle h = table.m_hDefaultItem;
  if (h == 0) return;
  std::uint64_t word = 0;
  if (table.FindRow(h, word)) return;
  for (const auto& pChild : table.m_Children) {
    if (pChild->m_hName == h) return;
  }
  const CString name = table.m_pDatenSatz ? table.m_pDatenSatz->GetName(h).ToString() : CString();
  ShowMessage(MB_OK | MB_ICONINFORMATION, kMsgDefaultItemMissing, table.m_strName, name);
}
