#include "import/worksheet.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "platform/text.h"

std::uint32_t CWorkbookTexts::Add(std::string_view text) {
  if (text.empty()) {
    m_Texts.emplace_back();
    return static_cast<std::uint32_t>(m_Texts.size() - 1);
  }
  if (text.size() > m_nFree) {
    // A text larger than a block gets a block of its own.
    const std::size_t nSize = std::max(kBlock, text.size());
    m_Blocks.push_back(std::make_unique<char[]>(nSize));
    m_nFree = nSize;
  }
  char* p = m_Blocks.back().get() + (text.size() > kBlock ? 0 : kBlock - m_nFree);
  std::memcpy(p, text.data(), text.size());
  m_nFree -= text.size();
  m_Texts.emplace_back(p, text.size());
  return static_cast<std::uint32_t>(m_Texts.size() - 1);
}

void CWorksheet::Add(std::uint32_t nRow, std::uint32_t nColumn, eKind kind,
                     std::uint64_t nPayload) {
  if (!m_Cells.empty()) {
    const CSlot& last = m_Cells.back();
    if (nRow < last.nRow || (nRow == last.nRow && nColumn <= last.nColumn)) m_bOrdered = false;
  }
  m_Cells.push_back(CSlot{nRow, nColumn, nPayload, kind});
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
  if (m_bOrdered) return;
  auto before = [](const CSlot& a, const CSlot& b) {
    return a.nRow != b.nRow ? a.nRow < b.nRow : a.nColumn < b.nColumn;
  };
  std::stable_sort(m_Cells.begin(), m_Cells.end(), before);
  // Of two cells at one place the later one holds.
  std::deque<CSlot> unique;
  for (const CSlot& slot : m_Cells) {
    if (!unique.empty() && unique.back().nRow == slot.nRow && unique.back().nColumn == slot.nColumn)
      unique.back() = slot;
    else
      unique.push_back(slot);
  }
  m_Cells.swap(unique);
  m_bOrdered = true;
}

const CWorksheet::CSlot* CWorksheet::Find(std::uint32_t nRow, std::uint32_t nColumn) const {
  auto it = std::lower_bound(
      m_Cells.begin(), m_Cells.end(), std::pair(nRow, nColumn),
      [](const CSlot& slot, const std::pair<std::uint32_t, std::uint32_t>& at) {
        return slot.nRow != at.first ? slot.nRow < at.first : slot.nColumn < at.second;
      });
  if (it == m_Cells.end() || it->nRow != nRow || it->nColumn != nColumn) return nullptr;
  return &*it;
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
