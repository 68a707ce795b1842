// Row lines: a quoted row name and the row's values by the table's type;
// Struct rows in the "[n]" and the brace form.
#include <cstdint>
#include <cstring>

#include "platform/host_ui.h"
#include "platform/text.h"
#include "store/base/message.h"
#include "store/mat_store.h"
#include "store/mmd/mmd_format.h"
#include "store/mmtb/mat_text_messages.h"
#include "store/mmtb/mat_text_reader.h"

namespace {

// An index of an array table: decimal digits only, below the largest array
// an arena piece can hold.
bool ParseArrayIndex(const CString& text, int& nIndex) {
  constexpr int kLimit = static_cast<int>(CArena::kMaxRequest / 4);
  if (text.empty() || text.size() > 6) return false;
  nIndex = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return false;
    nIndex = nIndex * 10 + (c - L'0');
  }
  return nIndex < kLimit;
}

}  // namespace

void CMatTextReader::FinishRow(CMatTable& table) {
  table.UpdateRowCount();
  if (table.m_pDatenSatz) table.m_pDatenSatz->SetModified();
}

bool CMatTextReader::SeenInBody(CMatTable& table, Handle hRow) {
  if (!m_pBody) return false;
  if (m_pBody->m_bFresh && !table.m_bListMode) {
    std::uint64_t word = 0;
    return table.FindRow(hRow, word);
  }
  return !m_pBody->m_Seen.insert(hRow).second;
}

bool CMatTextReader::ReadRow(CMatTable& table) {
  const std::uint32_t nType = table.m_nType;
  if (nType == eTypeStrLine || nType == eTypeStringArray || nType == eTypeDWordArray) {
    return ReadTextRow(table);
  }
  const int nZeile = m_nZeile;
  CString& name = m_strRowName;
  if (!LoadString(name, false)) return false;
  if (name.find_first_not_of(L' ') == CString::npos) {
    ShowMessage(MB_OK | MB_ICONWARNING, kMsgRowWithoutName, m_strPath, nZeile, table.m_strName);
    return true;
  }
  const Handle hRow = NameToHandle(name);
  if (hRow == 0) return false;  // the store has said why no handle could be made
  if (SeenInBody(table, hRow)) {
    ShowMessage(MB_OK | MB_ICONWARNING, kMsgDuplicateRow, table.m_strName, name, nZeile);
    return true;
  }
  return ReadRowCells(table, hRow);
}

// StrLine tables hold one text, array tables one cell per index; their lines
// are the text, or the index and the cell.
bool CMatTextReader::ReadTextRow(CMatTable& table) {
  CString& text = m_strCellText;
  if (table.m_nType == eTypeStrLine) {
    if (!LoadCellText(text, table, {})) return false;
    m_pStore->SetCellValue(&table, 0, 0, 0, CCellInput::Text(text));
    return true;
  }
  const int nZeile = m_nZeile;
  if (!LoadString(text, false)) return false;
  int nIndex = 0;
  if (!ParseArrayIndex(text, nIndex)) {
    ShowMessage(MB_OK | MB_ICONWARNING, kMsgBadArrayIndex, m_strPath, nZeile, text,
                table.m_strName);
    return true;
  }
  if (table.m_nType == eTypeDWordArray) {
    const auto nValue = static_cast<std::uint32_t>(ReadInt());
    m_pStore->SetCellValue(&table, 0, nIndex, 0, CCellInput::Value(nValue));
    return true;
  }
  if (!LoadCellText(text, table, std::to_wstring(nIndex))) return false;
  m_pStore->SetCellValue(&table, 0, nIndex, 0, CCellInput::Text(text));
  return true;
}

bool CMatTextReader::ReadCell(const CMatTable& table, std::uint32_t nType, std::uint32_t& nCell) {
  nCell = 0;
  CString& text = m_strCellText;
  switch (nType) {
    case eTypeHandle:
      if (!LoadString(text, false)) return false;
      nCell = NameToHandle(text);
      return true;
    case eTypeString:
    case eTypeUniString:  // Struct fields only: rows of text tables go through SetCellValue
      if (!LoadCellText(text, table, m_strRowName)) return false;
      if (CMatDatenSatz* pDataset = GetDataset()) nCell = pDataset->AddPoolText(text);
      return true;
    case eTypeInteger:
      nCell = static_cast<std::uint32_t>(ReadInt());
      return true;
    case eTypeFloat: {
      const float fValue = ReadFloat();
      std::memcpy(&nCell, &fValue, sizeof nCell);
      return true;
    }
    case eTypeBit:
      nCell = ReadBitValue();
      return true;
    default:  // a field of a kind that holds no cell of its own
      return true;
  }
}

bool CMatTextReader::ReadRowCells(CMatTable& table, Handle hRow) {
  const std::uint32_t nType = table.m_nType;
  const int nCells = table.GetCellsPerRow();
  if (nCells > kMaxValuesPerRow) {
    ShowMessage(MB_OK | MB_ICONERROR, kMsgTooManyValues, m_strPath, m_nZeile, table.m_strName,
                kMaxValuesPerRow);
    return false;
  }
  switch (nType) {
    case eTypeStruct:
      return ReadStructRow(table, hRow);
    case eTypeString:
    case eTypeUniString: {
      CString& text = m_strCellText;
      for (int i = 0; i < nCells; ++i) {
        if (!LoadCellText(text, table, m_strRowName)) return false;
        m_pStore->SetCellValue(&table, hRow, i, 0, CCellInput::Text(text));
      }
      return true;
    }
    case eTypeHandle:
    case eTypeInteger:
    case eTypeFloat:
    case eTypeBit: {
      std::uint32_t nCell = 0;
      if (nCells == 1) {
        if (!ReadCell(table, nType, nCell)) return false;
        table.SetValue(hRow, nCell);
        FinishRow(table);
        return true;
      }
      CMatDatenSatz* pDataset = table.m_pDatenSatz;
      auto* pCells = pDataset ? static_cast<std::uint32_t*>(pDataset->ArenaAllocZeroed(
                                    static_cast<std::size_t>(nCells) * 4, true))
                              : nullptr;
      if (!pCells) return true;  // reported by the arena; the row is left out
      for (int i = 0; i < nCells; ++i) {
        if (!ReadCell(table, nType, pCells[i])) return false;
      }
      table.SetValue(hRow, reinterpret_cast<std::uintptr_t>(pCells));
      FinishRow(table);
      return true;
    }
    default:  // Void, and types whose rows carry no value here
      table.SetValue(hRow, 0);
      FinishRow(table);
      return true;
  }
}

bool CMatTextReader::ReadStructRow(CMatTable& table, Handle hRow) {
  SkipBlanks();
  const int nZeile = m_nZeile;
  const wchar_t c = *m_pPos;
  if (c != L'[' && c != L'{')
    ShowMessage(MB_OK | MB_ICONWARNING, kMsgStructCountMissing, nZeile, m_strPath);
  const bool bBrace = c == L'{';
  int nSubRows = 0;
  if (bBrace) {
    ++m_pPos;
    nSubRows = CollectBlockZeilen();
  } else {
    if (c == L'[') ++m_pPos;
    nSubRows = ReadInt();
    SkipBlanks();
    if (*m_pPos == L']') ++m_pPos;
  }
  if (!table.m_pStrucDef) {
    ShowMessage(MB_OK | MB_ICONWARNING, kMsgStrucDefMissing, nZeile, table.m_strName);
    DropBlockZeilen();
  } else if (!ReadStructBlock(table, hRow, nSubRows > 0 ? nSubRows : 0)) {
    return false;
  }
  if (bBrace) CloseBraceBlock();
  return true;
}

bool CMatTextReader::ReadStructBlock(CMatTable& table, Handle hRow, int nSubRows) {
  CMatDatenSatz* pDataset = table.m_pDatenSatz;
  const std::size_t nFields = table.GetFieldCount();
  const std::size_t nSize = 4 + static_cast<std::size_t>(nSubRows) * nFields * 4;
  auto* pBlock =
      pDataset ? static_cast<std::uint32_t*>(pDataset->ArenaAllocZeroed(nSize, true)) : nullptr;
  if (!pBlock) {
    DropBlockZeilen();  // reported by the arena; the row is left out
    return true;
  }
  pBlock[0] = static_cast<std::uint32_t>(nSubRows);
  const bool bResult = ReadStructCells(table, pBlock);
  table.SetValue(hRow, reinterpret_cast<std::uintptr_t>(pBlock));
  FinishRow(table);
  return bResult;
}

bool CMatTextReader::ReadStructCells(CMatTable& table, std::uint32_t* pBlock) {
  const std::uint32_t nFields = table.m_pStrucDef[0];
  const std::uint32_t* pTypes = table.m_pStrucDef + 1;
  const std::uint32_t nSubRows = pBlock[0];
  std::uint32_t nRead = 0;
  while (nRead < nSubRows) {
    // A text that ends inside the row ends the row: its count says how many
    // sub-rows were there.
    if (AtEnd()) break;
    std::uint32_t* pCells = pBlock + 1 + static_cast<std::size_t>(nRead) * nFields;
    ++nRead;
    for (std::uint32_t f = 0; f < nFields; ++f) {
      if (!ReadCell(table, pTypes[f], pCells[f])) {
        pBlock[0] = nRead;
        return false;
      }
    }
    SkipBlanks();
    const wchar_t* p = GetPos();
    if (p[0] == L'<' && p[1] == L'b' && p[2] == L'r' && p[3] == L'>') {
      m_pPos += 4;
      continue;
    }
    if (nRead < nSubRows) NextZeile();
  }
  pBlock[0] = nRead;
  return true;
}

void CMatTextReader::CloseBraceBlock() {
  NextZeile();
  SkipBlanks();
  if (*m_pPos == L'}') return;
  ShowMessage(MB_OK | MB_ICONWARNING, kMsgBraceNotClosed, m_nZeile);
  // Back to the line that ended the block; the body goes on after it.
  if (InBlock()) {
    DropBlockZeilen();
    NextZeile();
  }
}

bool CMatTextReader::LoadCellText(CString& out, const CMatTable& table, const CString& row) {
  const int nZeile = m_nZeile;
  if (!LoadString(out, true)) return false;
  // No character takes more than 4 bytes: most texts need no count.
  if (out.size() * 4 <= mmd::kMaxStringBytes) return true;
  const std::size_t nBytes = Utf8Length(out);
  if (nBytes <= mmd::kMaxStringBytes) return true;
  ShowMessage(MB_OK | MB_ICONERROR, kMsgTextTooLong, m_strPath, nZeile, table.m_strName, row,
              static_cast<unsigned long long>(nBytes),
              static_cast<unsigned long long>(mmd::kMaxStringBytes));
  return false;
}
