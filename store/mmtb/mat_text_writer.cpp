// The MMTB writer: head, keyword lines, child blocks, rows, end.
#include "store/mmtb/mat_text_writer.h"

#include <cstring>
#include <string>
#include <vector>

#include "OrvaMat/mat_manager.h"
#include "platform/host_ui.h"
#include "platform/text.h"
#include "store/base/message.h"
#include "store/base/translation.h"
#include "store/mat_daten_satz.h"
#include "store/mmtb/mat_text_messages.h"
#include "store/mmtb/mat_text_number.h"
#include "store/row_order.h"

namespace {

constexpr wchar_t kSubRowIndent[] = L"      ";

// The length of text, and whether "(*" text "*)" reads back as text: no
// quote marks or continuation inside, no "(" that would join the closing
// "*)", no end-of-file character, and line breaks only as CR LF and only
// where the field takes them. One pass: every character that matters is at
// most "-", so the others cost one comparison.
std::size_t ScanText(const wchar_t* pText, bool bMultiLine, bool& bReadsBack) {
  bReadsBack = true;
  const wchar_t* p = pText;
  for (; *p != 0; ++p) {
    const wchar_t c = *p;
    if (c > L'-') continue;
    if (c == L'(' && (p[1] == L'*' || p[1] == 0)) bReadsBack = false;
    if ((c == L'*' || c == L'-') && p[1] == L')') bReadsBack = false;
    if (c == 0x1A || c == L'\n') bReadsBack = false;
    if (c == L'\r') {
      if (!bMultiLine || p[1] != L'\n') {
        bReadsBack = false;
      } else {
        ++p;
      }
    }
  }
  return static_cast<std::size_t>(p - pText);
}

const std::uint32_t* CellsOf(std::uint64_t word) {
  return reinterpret_cast<const std::uint32_t*>(static_cast<std::uintptr_t>(word));
}

}  // namespace

void AppendTypeText(CString& out, std::uint32_t nType) {
  static constexpr wchar_t kLetters[] = L"HCIFSBV??LU";
  if (nType < 11 && kLetters[nType] != L'?') {
    out.push_back(kLetters[nType]);
  } else {
    out.append(std::to_wstring(nType));
  }
}

void CMatManager::WriteTableText(CMatTable* table, CStringList& lines) {
  CStringListSink sink(lines);
  ::WriteTableText(table, sink);
}

void WriteTableText(CMatTable* table, CTextLineSink& sink) {
  if (!table) return;
  CMatTextWriter writer(sink);
  writer.WriteTable(*table);
  writer.ReportLossyTexts(*table);
}

void WriteTableUtf8(CMatTable* table, std::string& out) {
  CUtf8LineSink sink(out);
  ::WriteTableText(table, sink);
}

void CUtf8LineSink::Line(std::wstring_view line) {
  AppendToUtf8(line, m_Out);
  m_Out.append("\r\n", 2);
}

void CMatTextWriter::WriteTable(CMatTable& root) {
  struct CFrame {
    CMatTable* pTable;
    std::size_t nNextChild;
  };
  std::vector<CFrame> stack;
  WriteHead(root);
  stack.push_back({&root, 0});
  while (!stack.empty()) {
    CFrame& top = stack.back();
    if (top.nNextChild < top.pTable->m_Children.size()) {
      CMatTable* pChild = top.pTable->m_Children[top.nNextChild++].get();
      WriteHead(*pChild);
      stack.push_back({pChild, 0});
      continue;
    }
    WriteRows(*top.pTable);
    m_Sink.Line(L"[Ende_MMTB]");
    m_Sink.Line({});
    m_Sink.Line({});
    stack.pop_back();
  }
}

const wchar_t* CMatTextWriter::NameOf(const CMatTable& table, Handle h, CString& buffer) const {
  buffer.clear();
  if (table.m_pDatenSatz) table.m_pDatenSatz->GetName(h).AppendTo(buffer);
  return buffer.c_str();
}

void CMatTextWriter::AppendQuoted(CString& line, const wchar_t* pText, bool bMultiLine) {
  if (!pText) pText = L"";
  bool bReadsBack = true;
  const std::size_t nLength = ScanText(pText, bMultiLine, bReadsBack);
  if (!bReadsBack && m_nLossy++ == 0) {
    m_strLossyTable = m_pTable ? m_pTable->m_strName : CString();
    m_strLossyRow.clear();
    if (m_pTable && m_hRow) NameOf(*m_pTable, m_hRow, m_strLossyRow);
  }
  line.append(L"(*", 2).append(pText, nLength).append(L"*)", 2);
}

void CMatTextWriter::WriteHead(CMatTable& table) {
  if (table.m_pDatenSatz) table.m_pDatenSatz->EnsureRowsLoaded(table);
  m_pTable = &table;
  m_hRow = 0;
  m_Sink.Line(L"[MMTB]");
  CString line;
  CString name, parent;
  NameOf(table, table.m_hName, name);
  AppendQuoted(line, !name.empty() ? name.c_str() : table.m_strName.c_str(), false);
  AppendQuoted(line, table.m_pParent ? NameOf(table, table.m_pParent->m_hName, parent) : L"",
               false);
  AppendTypeText(line, table.m_nType);
  line.push_back(L',');
  const bool bStrLine = table.m_nType == eTypeStrLine;
  AppendIntText(line, bStrLine ? 1 : table.m_nValuesPerRow);
  m_Sink.Line(line);
  if (bStrLine) {
    const auto* pText = static_cast<const wchar_t*>(table.m_pData);
    const CString text = LibraryTranslation().TranslateText(pText ? pText : L"");
    line.clear();
    AppendQuoted(line, text.c_str(), true);
    m_Sink.Line(line);
    return;
  }
  line = L"RegStr";
  AppendQuoted(line, table.m_strRegStr1.c_str(), false);
  m_Sink.Line(line);
  line = L"Comment";
  AppendQuoted(line, table.m_strBeschreibung.c_str(), true);
  m_Sink.Line(line);
  if (table.m_pStrucDef) {
    line = L"StrucDef=";
    AppendIntText(line, static_cast<std::int32_t>(table.m_pStrucDef[0]));
    for (std::uint32_t i = 1; i <= table.m_pStrucDef[0]; ++i) {
      line.push_back(L',');
      AppendTypeText(line, table.m_pStrucDef[i]);
    }
    m_Sink.Line(line);
  }
}

void CMatTextWriter::WriteRows(const CMatTable& table) {
  m_pTable = &table;
  const std::uint32_t nType = table.m_nType;
  if (nType == eTypeStrLine) return;  // its text stands in the head
  if (nType == eTypeStringArray || nType == eTypeDWordArray) {
    WriteArray(table);
    return;
  }
  ForEachRowInWriteOrder(table, [this, &table, nType](Handle hRow, std::uint64_t word) {
    m_hRow = hRow;
    // Lines are built in one reused buffer and copied at their exact size.
    CString& line = m_strLine;
    line.clear();
    AppendQuoted(line, NameOf(table, m_hRow, m_strRowName), false);
    if (nType == eTypeStruct) {
      WriteStructRow(table, line, word);
      return;
    }
    AppendCells(table, line, word);
    m_Sink.Line(line);
  });
  m_hRow = 0;
}

// Array tables have no rows: each cell is written as a line named by its
// index, so that nothing of them is lost.
void CMatTextWriter::WriteArray(const CMatTable& table) {
  if (!table.m_pData) return;
  const bool bText = table.m_nType == eTypeStringArray;
  for (std::int32_t i = 0; i < table.m_nRowCount; ++i) {
    CString line = L"(*";
    AppendIntText(line, i);
    line.append(L"*) ");
    if (bText) {
      AppendQuoted(line, static_cast<wchar_t* const*>(table.m_pData)[i], true);
    } else {
      AppendIntText(line,
                    static_cast<std::int32_t>(static_cast<const std::uint32_t*>(table.m_pData)[i]));
    }
    m_Sink.Line(line);
  }
}

void CMatTextWriter::AppendCells(const CMatTable& table, CString& line, std::uint64_t word) {
  const std::uint32_t nType = table.m_nType;
  const int nCells = table.GetCellsPerRow();
  const std::uint32_t* pCells = nCells > 1 ? CellsOf(word) : nullptr;
  for (int i = 0; i < nCells; ++i) {
    const std::uint32_t nCell = nCells == 1 ? RowWordCell(word) : (pCells ? pCells[i] : 0);
    switch (nType) {
      case eTypeInteger:
      case eTypeBit:
        line.push_back(L' ');
        if (nType == eTypeBit && nCells == 1) {
          AppendBitText(line, nCell);
        } else {
          AppendIntText(line, static_cast<std::int32_t>(nCell));
          if (nCells > 1) line.push_back(L' ');
        }
        break;
      case eTypeHandle:
      case eTypeString:
      case eTypeUniString:
      case eTypeFloat:
        AppendCell(table, nType, nCell, line);
        break;
      default:  // Void: the name alone
        return;
    }
  }
}

void CMatTextWriter::AppendCell(const CMatTable& table, std::uint32_t nType, std::uint32_t nCell,
                                CString& line) {
  line.push_back(L' ');
  switch (nType) {
    case eTypeHandle:
      AppendQuoted(line, nCell ? NameOf(table, nCell, m_strPoolText) : L"", false);
      break;
    case eTypeString:
    case eTypeUniString: {
      const CPoolText text =
          table.m_pDatenSatz ? table.m_pDatenSatz->GetPoolText(nCell) : CPoolText();
      text.AssignTo(m_strPoolText);
      AppendQuoted(line, text ? m_strPoolText.c_str() : nullptr, true);
      break;
    }
    case eTypeInteger:
      AppendIntText(line, static_cast<std::int32_t>(nCell));
      break;
    case eTypeFloat: {
      float fValue = 0;
      static_assert(sizeof fValue == sizeof nCell);
      std::memcpy(&fValue, &nCell, sizeof fValue);
      AppendFloatText(line, fValue);
      break;
    }
    case eTypeBit:
      AppendBitText(line, nCell);
      break;
    default:
      line.pop_back();  // a field that holds no cell writes nothing
      break;
  }
}

void CMatTextWriter::WriteStructRow(const CMatTable& table, CString& line, std::uint64_t word) {
  const std::uint32_t* pDef = table.m_pStrucDef;
  const std::uint32_t* pBlock = CellsOf(word);
  // Without a definition the cells can not be told apart; the row still is.
  const std::uint32_t nSubRows = pBlock && pDef ? pBlock[0] : 0;
  const std::uint32_t nFields = pDef ? pDef[0] : 0;
  line.push_back(L'[');
  AppendIntText(line, static_cast<std::int32_t>(nSubRows));
  line.append(L"]  ");
  for (std::uint32_t s = 0; s < nSubRows; ++s) {
    if (s > 0) {
      m_Sink.Line(line);
      line = kSubRowIndent;
    }
    const std::uint32_t* pCells = pBlock + 1 + static_cast<std::size_t>(s) * nFields;
    for (std::uint32_t f = 0; f < nFields; ++f) {
      AppendCell(table, pDef[1 + f], pCells[f], line);
      if (pDef[1 + f] == eTypeFloat) line.push_back(L' ');
    }
  }
  m_Sink.Line(line);
}

void CMatTextWriter::ReportLossyTexts(const CMatTable& table) const {
  if (m_nLossy == 0) return;
  ShowMessage(MB_OK | MB_ICONWARNING, kMsgWriterLossyTexts, table.m_strName, m_nLossy,
              m_strLossyTable, m_strLossyRow);
}
