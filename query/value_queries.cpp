// The exported calls that read rows and values: row iteration, rounded
// numbers, texts with their language child, parts of texts, Struct counts.
#include <charconv>
#include <climits>
#include <cmath>
#include <string>

#include "OrvaMat/mat_manager.h"
#include "query/string_read.h"
#include "store/cell.h"
#include "store/mat_store.h"

namespace {

CMatStore& Store() { return CMatStore::Instance(); }
Handle ToHandle(unsigned long h) { return static_cast<Handle>(h); }

// The separator is an 8-bit character of the caller's code page; texts are
// wide: its byte is taken as the Latin-1 character of the same value.
wchar_t WideSeparator(char c) { return static_cast<wchar_t>(static_cast<unsigned char>(c)); }

// The leading number of a text, as the C library's atof and atoi read it:
// blanks skipped, an optional sign, the longest number that follows; 0
// when none. Independent of the process's locale.
std::string LeadingAscii(const CString& text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == L' ' || text[i] == L'\t')) ++i;
  std::string ascii;
  for (; i < text.size() && text[i] > 0x20 && text[i] < 0x7F; ++i)
    ascii.push_back(static_cast<char>(text[i]));
  if (!ascii.empty() && ascii[0] == '+') ascii.erase(0, 1);
  return ascii;
}

double LeadingDouble(const CString& text) {
  const std::string ascii = LeadingAscii(text);
  double d = 0;
  const auto result = std::from_chars(ascii.data(), ascii.data() + ascii.size(), d);
  return result.ec == std::errc{} && std::isfinite(d) ? d : 0.0;
}

int LeadingInt(const CString& text) {
  const std::string ascii = LeadingAscii(text);
  long long n = 0;
  const auto result = std::from_chars(ascii.data(), ascii.data() + ascii.size(), n);
  if (result.ec == std::errc::result_out_of_range) return ascii[0] == '-' ? INT_MIN : INT_MAX;
  if (result.ec != std::errc{}) return 0;
  if (n > INT_MAX) return INT_MAX;
  if (n < INT_MIN) return INT_MIN;
  return static_cast<int>(n);
}

// The Struct block of a row, null when the row is missing.
const std::uint32_t* StructBlock(CMatTable& table, Handle hRow) {
  std::uint64_t word = 0;
  if (!table.FindRow(hRow, word)) return nullptr;
  return WordToPointer<const std::uint32_t>(word);
}

}  // namespace

POSITION CMatManager::GetFirstRowPosition(CMatTable* table) {
  return Store().GetFirstRowPosition(table);
}

unsigned long CMatManager::GetNextRow(CMatTable* table, POSITION& pos) {
  if (table == nullptr || pos == nullptr) return 0;
  std::uint64_t word = 0;
  return table->GetNextRow(pos, word);
}

eMatManager CMatManager::RowExistsEx(CMatTable* table, unsigned long row) {
  return Store().RowExists(table, ToHandle(row));
}

eMatManager CMatManager::GetRoundedValue(double& out, CMatTable* table, unsigned long row,
                                         int index, int field) {
  out = 0;
  float f = 0;
  const eMatManager nResult = GetFloatValue(f, table, row, index, field);
  if (nResult == eMatOk) out = std::floor(static_cast<double>(f) * 1e7 + 0.5) / 1e7;
  return nResult;
}

eMatManager CMatManager::GetStringValue(CString& out, CMatTable* table, unsigned long row,
                                        int index, int field) {
  return ReadStringValue(Store(), out, table, ToHandle(row), index, field, true);
}

eMatManager CMatManager::GetStringValueEx(CString& out, CMatTable* table, unsigned long row,
                                          int index, int field, int translate) {
  return ReadStringValue(Store(), out, table, ToHandle(row), index, field, translate != 0);
}

eMatManager CMatManager::GetSubStringText(CString& out, CMatTable* table, unsigned long row,
                                          int index, int part, char separator) {
  return ReadSubString(Store(), out, table, ToHandle(row), index, part, WideSeparator(separator));
}

eMatManager CMatManager::GetSubString(double& out, CMatTable* table, unsigned long row, int index,
                                      int part, char separator) {
  CString text;
  const eMatManager nResult = GetSubStringText(text, table, row, index, part, separator);
  out = nResult == eMatOk ? LeadingDouble(text) : 0.0;
  return nResult;
}

eMatManager CMatManager::GetSubStringInt(int& out, CMatTable* table, unsigned long row, int index,
                                         int part, char separator) {
  CString text;
  const eMatManager nResult = GetSubStringText(text, table, row, index, part, separator);
  out = nResult == eMatOk ? LeadingInt(text) : 0;
  return nResult;
}

int CMatManager::GetStructRowCount(CMatTable* table, unsigned long row) {
  if (table == nullptr || table->m_nType != eTypeStruct) return 0;
  if (row == 0) return static_cast<int>(table->GetFieldCount());
  if (table->m_pDatenSatz != nullptr) table->m_pDatenSatz->EnsureRowsLoaded(*table);
  return static_cast<int>(BlockRowCount(StructBlock(*table, ToHandle(row))));
}

int CMatManager::GetStructRowCountEx(CMatTable* table, unsigned long row) {
  if (table == nullptr) return 0;
  if (table->m_pDatenSatz != nullptr) table->m_pDatenSatz->EnsureRowsLoaded(*table);
  if (table->m_pStrucDef == nullptr) return 1;
  if (table->m_nType != eTypeStruct) return 0;
  return static_cast<int>(BlockRowCount(StructBlock(*table, ToHandle(row))));
}
