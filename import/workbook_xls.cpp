// .xls (the binary format of older spreadsheet programs) through freexl,
// which reads the file into memory, checks its structure and hands out
// cells by row and column. freexl gives dates as texts; they are turned
// back into the serial day numbers the file holds.
#include <freexl.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "import/workbook.h"
#include "platform/text.h"

namespace {

CString FreexlWhy(int nCode) {
  switch (nCode) {
    case FREEXL_FILE_NOT_FOUND:
      return L"Die Datei fehlt.";
    case FREEXL_INSUFFICIENT_MEMORY:
      return L"Zu wenig Speicher für die Arbeitsmappe.";
    case FREEXL_BIFF_WORKBOOK_NOT_FOUND:
      return L"Die Datei enthält keine Arbeitsmappe (.xls).";
    case FREEXL_CRAFTED_FILE:
      return L"Die Arbeitsmappe (.xls) ist schwer beschädigt.";
    case FREEXL_UNSUPPORTED_CHARSET:
    case FREEXL_INVALID_CHARACTER:
      return L"Der Zeichensatz der Arbeitsmappe (.xls) wird nicht unterstützt.";
    default:
      return L"Die Arbeitsmappe (.xls) ist beschädigt (freexl " + std::to_wstring(nCode) + L").";
  }
}

// The directory of the compound file an .xls lives in, checked before
// freexl sees it: freexl converts a directory entry's name by the length
// the entry claims, reading past the 64 bytes the name has when the length
// is larger (a crafted file makes it read tens of kilobytes beyond a buffer
// of its own). Every entry of the directory's sector chain must claim at
// most 64 bytes. False, with why, when one claims more or the chain can
// not be followed (no sound file has either).
class CCompoundDirectory {
 public:
  bool Check(const std::string& utf8Path, CString& why) {
    m_File.open(utf8Path, std::ios::binary);
    unsigned char header[512];
    if (!m_File.read(reinterpret_cast<char*>(header), sizeof header)) return true;  // freexl says
    const unsigned nShift = U16(header + 0x1E);
    if (nShift != 9 && nShift != 12) return Damaged(why);
    m_nSectorSize = std::size_t{1} << nShift;
    m_File.seekg(0, std::ios::end);
    m_nSectors = static_cast<std::uint64_t>(m_File.tellg()) >> nShift;
    // The sectors of the allocation table: 109 in the header, the rest in
    // a chain of further sectors.
    for (int i = 0; i < 109; ++i) m_TableSectors.push_back(U32(header + 0x4C + 4 * i));
    std::uint32_t nNext = U32(header + 0x44);
    std::vector<unsigned char> sector;
    for (std::uint32_t n = U32(header + 0x48); n > 0 && nNext < m_nSectors; --n) {
      if (!ReadSector(nNext, sector) || m_TableSectors.size() > m_nSectors) return Damaged(why);
      const std::size_t nEntries = m_nSectorSize / 4 - 1;
      for (std::size_t i = 0; i < nEntries; ++i) m_TableSectors.push_back(U32(&sector[4 * i]));
      nNext = U32(&sector[4 * nEntries]);
    }
    std::uint32_t nSector = U32(header + 0x30);
    for (std::uint64_t nSeen = 0; nSector < kLastSector; ++nSeen) {
      if (nSeen > m_nSectors || !ReadSector(nSector, sector)) return Damaged(why);
      for (std::size_t at = 0; at + 128 <= m_nSectorSize; at += 128) {
        if (U16(&sector[at + 0x40]) > 64) return Damaged(why);
      }
      if (!NextSector(nSector)) return Damaged(why);
    }
    return true;
  }

 private:
  static constexpr std::uint32_t kLastSector = 0xFFFFFFFA;  // above: marks, no sectors

  static unsigned U16(const unsigned char* p) { return p[0] | (p[1] << 8); }
  static std::uint32_t U32(const unsigned char* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t{p[3]} << 24);
  }
  static bool Damaged(CString& why) {
    why = L"Die Arbeitsmappe (.xls) ist schwer beschädigt.";
    return false;
  }
  bool ReadSector(std::uint32_t n, std::vector<unsigned char>& bytes) {
    if (n >= m_nSectors) return false;
    bytes.resize(m_nSectorSize);
    m_File.clear();
    m_File.seekg(static_cast<std::streamoff>((std::uint64_t{n} + 1) * m_nSectorSize));
    return static_cast<bool>(m_File.read(reinterpret_cast<char*>(bytes.data()),
                                         static_cast<std::streamsize>(m_nSectorSize)));
  }
  // The sector after n in its chain, by the allocation table.
  bool NextSector(std::uint32_t& n) {
    const std::size_t nPerSector = m_nSectorSize / 4;
    const std::size_t nTable = n / nPerSector;
    std::vector<unsigned char> sector;
    if (nTable >= m_TableSectors.size() || !ReadSector(m_TableSectors[nTable], sector))
      return false;
    n = U32(&sector[4 * (n % nPerSector)]);
    return true;
  }

  std::ifstream m_File;
  std::size_t m_nSectorSize = 512;
  std::uint64_t m_nSectors = 0;
  std::vector<std::uint32_t> m_TableSectors;
};

class CXlsSource : public CWorkbookSource {
 public:
  CXlsSource(CWorkbookTexts& texts, CWorkbookBudget& budget) : m_Texts(texts), m_Budget(budget) {}
  ~CXlsSource() override {
    if (m_pHandle != nullptr) freexl_close(m_pHandle);
  }

  bool Open(const std::string& utf8Path, CString& why) {
    if (!CCompoundDirectory().Check(utf8Path, why)) return false;
    const int nResult = freexl_open(utf8Path.c_str(), &m_pHandle);
    if (nResult != FREEXL_OK) {
      why = FreexlWhy(nResult);
      return false;
    }
    unsigned int nPassword = 0;
    if (freexl_get_info(m_pHandle, FREEXL_BIFF_PASSWORD, &nPassword) == FREEXL_OK &&
        nPassword == FREEXL_BIFF_OBFUSCATED) {
      why = L"Die Arbeitsmappe (.xls) ist mit einem Kennwort geschützt.";
      return false;
    }
    unsigned int nSheets = 0;
    if (freexl_get_info(m_pHandle, FREEXL_BIFF_SHEET_COUNT, &nSheets) != FREEXL_OK) nSheets = 0;
    for (unsigned int i = 0; i < nSheets && i < 0xFFFF; ++i) {
      const char* pName = nullptr;
      if (freexl_get_worksheet_name(m_pHandle, static_cast<unsigned short>(i), &pName) != FREEXL_OK)
        pName = nullptr;
      m_Names.push_back(FromUtf8(pName != nullptr ? pName : ""));
    }
    return true;
  }

  std::size_t GetSheetCount() const override { return m_Names.size(); }
  CString GetSheetName(std::size_t nIndex) const override { return m_Names[nIndex]; }

  bool LoadSheet(std::size_t nIndex, CWorksheet& sheet, CString& why) override {
    int nResult = freexl_select_active_worksheet(m_pHandle, static_cast<unsigned short>(nIndex));
    unsigned int nRows = 0;
    unsigned short nColumns = 0;
    if (nResult == FREEXL_OK) nResult = freexl_worksheet_dimensions(m_pHandle, &nRows, &nColumns);
    if (nResult != FREEXL_OK) {
      why = FreexlWhy(nResult);
      return false;
    }
    if (nRows > CWorksheet::kMaxRows) nRows = CWorksheet::kMaxRows;
    for (unsigned int r = 0; r < nRows; ++r) {
      for (unsigned short c = 0; c < nColumns && c < CWorksheet::kMaxColumns; ++c) {
        FreeXL_CellValue value;
        if (freexl_get_cell_value(m_pHandle, r, c, &value) != FREEXL_OK) continue;
        if (value.type == FREEXL_CELL_NULL) continue;
        if (!m_Budget.TakeCells(1)) {
          why = L"Die Arbeitsmappe hat mehr als " + std::to_wstring(m_Budget.m_Limits.m_nMaxCells) +
                L" Zellen.";
          return false;
        }
        AddCell(sheet, r, c, value);
      }
    }
    return true;
  }

 private:
  void AddCell(CWorksheet& sheet, unsigned int r, unsigned short c, const FreeXL_CellValue& value) {
    switch (value.type) {
      case FREEXL_CELL_INT:
        sheet.AddNumber(r, c, value.value.int_value);
        return;
      case FREEXL_CELL_DOUBLE:
        sheet.AddNumber(r, c, value.value.double_value);
        return;
      case FREEXL_CELL_TEXT:
      case FREEXL_CELL_SST_TEXT: {
        const char* p = value.value.text_value;
        if (p == nullptr || *p == 0) return;
        sheet.AddText(r, c, m_Texts.Add(p));
        return;
      }
      case FREEXL_CELL_DATE:
      case FREEXL_CELL_DATETIME:
      case FREEXL_CELL_TIME: {
        double serial = 0;
        const char* p = value.value.text_value;
        if (p != nullptr && DateTextToSerial(p, serial))
          sheet.AddNumber(r, c, serial);
        else if (p != nullptr && *p != 0)
          sheet.AddText(r, c, m_Texts.Add(p));
        return;
      }
      default:
        sheet.AddOther(r, c);
        return;
    }
  }

  CWorkbookTexts& m_Texts;
  CWorkbookBudget& m_Budget;
  const void* m_pHandle = nullptr;
  std::vector<CString> m_Names;
};

}  // namespace

std::unique_ptr<CWorkbookSource> OpenXlsSource(const std::string& utf8Path, CWorkbookTexts& texts,
                                               CWorkbookBudget& budget, CString& why) {
  auto pSource = std::make_unique<CXlsSource>(texts, budget);
  if (!pSource->Open(utf8Path, why)) return nullptr;
  return pSource;
}
