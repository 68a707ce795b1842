#include "import/worksheet.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "platform/text.h"

std::uint32_t CWorkbookTexts::Add(std::string_view text) {
  if (text.size() > m_nFree) {
    // A text larger than a block gets a block of its own.
    const std::size_t nSize = std::max(kBlock, text.size());
    m_Blocks.push_back(std::make_unique_for_overwrite<char[]>(nSize));
    m_Used.push_back(0);
    m_nFree = static_cast<std::uint32_t>(nSize);
  }
  if (m_Blocks.empty()) {
    // An empty text before any other: nothing to point at.
    m_Begins.push_back(0);
    return static_cast<std::uint32_t>(m_Begins.size() - 1);
  }
  const std::size_t nBlock = m_Blocks.size() - 1;
  std::uint32_t& nUsed = m_Used[nBlock];
  if (!text.empty()) std::memcpy(m_Blocks[nBlock].get() + nUsed, text.data(), text.size());
  m_Begins.push_back((std::uint64_t{nBlock} << 32) | nUsed);
  nUsed += static_cast<std::uint32_t>(text.size());
  m_nFree -= static_cast<std::uint32_t>(text.size());
  return static_cast<std::uint32_t>(m_Begins.size() - 1);
}

void CWorksheet::Add(std::uint32_t nRow, std::uint32_t nColumn, eKind kind,
                     std::uint64_t nPayload) {
  if (!m_Cells.empty()) {
    const CSlot& last = m_Cells.back();
    if (nRow < last.nRow || (nRow == last.nRow && nColumn <= last.nColumn)) m_bOrdered = false;
  }
  m_RowStart.clear();
  m_Cells.push_back(CSlot{nPayload, nRow, static_cast<std::uint16_t>(nColumn), kind});
}

void CWorksheet::AddNumber(std::uint32_t nRow, std::uint32_t nColumn, double dValue) {
  std::uint64_t nBits = 0;
  std::memcpy(&nBits, &dValue, sizeof nBits);
  Add(nRow, nColumn, eKind::eNumber, nBits);
}

void CWorksheet::AddText(std::uint32_t nRow, std::uint32_t nColumn, std::uint32_t nText) {
  Add(nRow, nColumn, eKind::eText, nText);
}

void CWorksheet::AddOther(std::uint32_t nRow, std::uint32_t nColumn) {
  Add(nRow, nColumn, eKind::eOther, 0);
}

void CWorksheet::FinishCells() {
  if (!m_bOrdered) {
    auto before = [](const CSlot& a, const CSlot& b) {
      return a.nRow != b.nRow ? a.nRow < b.nRow : a.nColumn < b.nColumn;
    };
    std::stable_sort(m_Cells.begin(), m_Cells.end(), before);
    // Of two cells at one place the later one holds.
    std::size_t nKept = 0;
    for (std::size_t i = 0; i < m_Cells.size(); ++i) {
      if (nKept > 0 && m_Cells[nKept - 1].nRow == m_Cells[i].nRow &&
          m_Cells[nKept - 1].nColumn == m_Cells[i].nColumn)
        m_Cells[nKept - 1] = m_Cells[i];
      else
        m_Cells[nKept++] = m_Cells[i];
    }
    m_Cells.resize(nKept);
    m_bOrdered = true;
  }
  // Row r's cells are m_RowStart[r] up to m_RowStart[r + 1] (a host that
  // lets a workbook hold more cells than 32 bits count goes without).
  m_RowStart.clear();
  if (m_Cells.size() >= std::numeric_limits<std::uint32_t>::max()) return;
  const std::uint32_t nRows = GetRowCount();
  m_RowStart.assign(std::size_t{nRows} + 1, 0);
  std::size_t i = 0;
  for (std::uint32_t r = 0; r <= nRows; ++r) {
    while (i < m_Cells.size() && m_Cells[i].nRow < r) ++i;
    m_RowStart[r] = static_cast<std::uint32_t>(i);
  }
}

const CWorksheet::CSlot* CWorksheet::Find(std::uint32_t nRow, std::uint32_t nColumn) const {
  auto first = m_Cells.begin();
  auto last = m_Cells.end();
  if (!m_RowStart.empty()) {
    if (nRow + std::size_t{1} >= m_RowStart.size()) return nullptr;
    first = m_Cells.begin() + m_RowStart[nRow];
    last = m_Cells.begin() + m_RowStart[nRow + 1];
  }
  auto it = std::lower_bound(
      first, last, std::pair(nRow, nColumn),
      [](const CSlot& slot, const std::pair<std::uint32_t, std::uint32_t>& at) {
        return slot.nRow != at.first ? slot.nRow < at.first : slot.nColumn < at.second;
      });
  if (it == last || it->nRow != nRow || it->nColumn != nColumn) return nullptr;
  return &*it;
}

CWorksheet::eKind CWorksheet::PeekAt(int nColumn, int nRow, std::string_view& text,
                                     double& number) const {
  const CSlot* pSlot = InBounds(nColumn, nRow) ? Find(static_cast<std::uint32_t>(nRow),
                                                      static_cast<std::uint32_t>(nColumn))
                                               : nullptr;
  if (pSlot == nullptr) return eKind::eEmpty;
  if (pSlot->kind == eKind::eNumber) number = NumberOf(*pSlot);
  if (pSlot->kind == eKind::eText && m_pTexts != nullptr)
    text = m_pTexts->Get(static_cast<std::uint32_t>(pSlot->nPayload));
  return pSlot->kind;
}

double CWorksheet::NumberOf(const CSlot& slot) const {
  if (slot.kind == eKind::eNumber) {
    double d = 0;
    std::memcpy(&d, &slot.nPayload, sizeof d);
    return d;
  }
  if (slot.kind == eKind::eText && m_pTexts != nullptr)
    return ParseCellNumber(m_pTexts->Get(static_cast<std::uint32_t>(slot.nPayload)));
  return 0;
}

bool CWorksheet::GetStringValueAt(CString& value, int nColumn, int nRow) const {
  if (!InBounds(nColumn, nRow)) {
    value.clear();
    return false;
  }
  const CSlot* pSlot = Find(static_cast<std::uint32_t>(nRow), static_cast<std::uint32_t>(nColumn));
  if (pSlot == nullptr) {
    value.clear();
    return true;
  }
  switch (pSlot->kind) {
    case eKind::eNumber: {
      wchar_t buffer[64];
      std::swprintf(buffer, 64, L"%g", NumberOf(*pSlot));
      value = buffer;
      return true;
    }
    case eKind::eText: {
      const std::string_view bytes =
          m_pTexts != nullptr ? m_pTexts->Get(static_cast<std::uint32_t>(pSlot->nPayload))
                              : std::string_view();
      value.clear();
      const CString text = FromUtf8(bytes);
      value.reserve(text.size());
      for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r')) value += L'\r';
        value += text[i];
      }
      return true;
    }
    case eKind::eOther:
    case eKind::eEmpty:
      return true;
  }
  return true;
}

bool CWorksheet::GetFloatValueAt(double& value, int nColumn, int nRow) const {
  value = 0;
  if (!InBounds(nColumn, nRow)) return false;
  const CSlot* pSlot = Find(static_cast<std::uint32_t>(nRow), static_cast<std::uint32_t>(nColumn));
  if (pSlot != nullptr) value = NumberOf(*pSlot);
  if (!std::isfinite(value)) value = 0;
  return true;
}

bool CWorksheet::GetIntValueAt(int& value, int nColumn, int nRow) const {
  double d = 0;
  const bool bRead = GetFloatValueAt(d, nColumn, nRow);
  d = std::trunc(d);
  constexpr double kMin = std::numeric_limits<int>::min();
  constexpr double kMax = std::numeric_limits<int>::max();
  value = static_cast<int>(std::clamp(d, kMin, kMax));
  return bRead;
}

double ParseCellNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() &&
         (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n'))
    ++i;
  std::string number;
  if (i < text.size() && text[i] == '-')
    number += text[i++];
  else if (i < text.size() && text[i] == '+')
    ++i;
  bool bDigits = false, bPoint = false;
  for (; i < text.size() && number.size() < 64; ++i) {
    const char c = text[i];
    if (c >= '0' && c <= '9') {
      number += c;
      bDigits = true;
    } else if ((c == ',' || c == '.') && !bPoint) {
      number += '.';
      bPoint = true;
    } else {
      break;
    }
  }
  if (!bDigits) return 0;
  // An exponent only when digits follow it.
  if (i + 1 < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t j = i + 1;
    std::string exponent = "e";
    if (j < text.size() && (text[j] == '-' || text[j] == '+')) exponent += text[j++];
    const std::size_t nFirst = j;
    while (j < text.size() && text[j] >= '0' && text[j] <= '9' && j - nFirst < 5)
      exponent += text[j++];
    if (j > nFirst) number += exponent;
  }
  // Not strtod: the host's locale must not decide what the point is.
  double d = 0;
  std::from_chars(number.data(), number.data() + number.size(), d);
  return std::isfinite(d) ? d : 0;
}
