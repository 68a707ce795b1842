// .xls (the binary format of older spreadsheet programs) through freexl,
// which reads the file into memory, checks its structure and hands out
// cells by row and column. freexl gives dates as texts; they are turned
// back into the serial day numbers the file holds.
#include <freexl.h>

#include <algorithm>
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

// The compound file an .xls lives in, checked before freexl sees it, for
// two faults of freexl's that a crafted file reaches:
// - freexl converts a directory entry's name by the length the entry
//   claims, reading past the 64 bytes the name has when the length is
//   larger (tens of kilobytes beyond a buffer of its own): every entry of
//   the directory must claim at most 64 bytes;
// - a record of the workbook stream longer than a record can be (8,224
//   bytes) throws freexl's reading of the stream out of step, and a cell
//   outside the rows and columns its sheet's dimension record states makes
//   freexl make the sheet's cells anew: either way freexl loses cell arrays
//   of rows x columns it made (memory that stays taken for as long as the
//   process runs); so does a stream whose records lose step before a sheet
//   the workbook lists, or that has an empty record of type 0 (where freexl
//   stops reading) before the end of its last substream. Every record of the "Workbook" and "Book"
//   streams must fit, every cell lie inside its sheet's dimension, every sheet begin where the
//   records, one after another, begin a substream (after the end of the one before, and not in
//   a record the stream ends in), and no
//   substream end after an empty record of type 0.
// False, with why, when one of them fails or the file's chains can not be
// followed (no sound file has either).
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
    m_nFileBytes = static_cast<std::uint64_t>(m_File.tellg());
    m_nSectors = m_nFileBytes >> nShift;
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
    struct CStream {
      std::uint32_t nStart;
      std::uint32_t nBytes;
    };
    std::vector<CStream> workbooks;
    CStream root{kLastSector, 0};
    std::uint32_t nSector = U32(header + 0x30);
    for (std::uint64_t nSeen = 0; nSector < kLastSector; ++nSeen) {
      if (nSeen > m_nSectors || !ReadSector(nSector, sector)) return Damaged(why);
      for (std::size_t at = 0; at + 128 <= m_nSectorSize; at += 128) {
        const unsigned char* pEntry = &sector[at];
        const unsigned nNameBytes = U16(pEntry + 0x40);
        if (nNameBytes > 64) return Damaged(why);
        std::string name;
        for (unsigned i = 0; i + 1 < nNameBytes && pEntry[i] + pEntry[i + 1] != 0; i += 2)
          name += pEntry[i + 1] == 0 ? static_cast<char>(pEntry[i]) : '?';
        const CStream stream{U32(pEntry + 0x74), U32(pEntry + 0x78)};
        if (pEntry[0x42] == 5) root = stream;
        if (name == "Workbook" || name == "Book")  // freexl looks at the name only
          workbooks.push_back(stream);
      }
      if (!NextSector(nSector)) return Damaged(why);
    }
    // Small streams lie in 64-byte pieces inside the root entry's stream,
    // chained by the small allocation table.
    std::vector<unsigned char> small, smallTable;
    const std::uint32_t nCutoff = U32(header + 0x38);
    for (const CStream& stream : workbooks) {
      std::vector<unsigned char> bytes;
      if (stream.nBytes >= nCutoff) {
        if (!ReadChain(stream.nStart, stream.nBytes, bytes)) return Damaged(why);
      } else {
        if (small.empty() && (!ReadChain(root.nStart, root.nBytes, small) ||
                              !ReadChain(U32(header + 0x3C), ~0u, smallTable))) {
          return Damaged(why);
        }
        std::uint32_t nPiece = stream.nStart;
        for (std::uint64_t nSeen = 0; bytes.size() < stream.nBytes; ++nSeen) {
          const std::uint64_t nAt = std::uint64_t{nPiece} * 64;
          if (nSeen > small.size() / 64 || nAt + 64 > small.size() ||
              std::uint64_t{nPiece} * 4 + 4 > smallTable.size())
            return Damaged(why);
          bytes.insert(bytes.end(), small.begin() + static_cast<std::ptrdiff_t>(nAt),
                       small.begin() + static_cast<std::ptrdiff_t>(nAt + 64));
          nPiece = U32(&smallTable[std::size_t{nPiece} * 4]);
        }
        bytes.resize(stream.nBytes);
      }
      if (!RecordsFit(bytes)) return Damaged(why);
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
  static constexpr unsigned kMaxRecordBytes = 8224;

  // The records of a workbook stream: none longer than a record can be, and
  // every cell of a worksheet inside the rows and columns its dimension
  // record states (freexl makes a sheet's cells from that dimension and,
  // for a cell outside, makes them again without giving back the first).
  static bool RecordsFit(const std::vector<unsigned char>& bytes) {
    std::uint32_t nRows = 0, nColumns = 0;
    bool bDimension = false;
    std::vector<std::uint32_t> sheetsAt, substreamsAt;
    bool bEnded = false;  // a record of type 0 and no bytes: freexl stops there
    bool bWorksheet = false;
    // freexl takes a begin-of-file record for a substream's begin only after
    // the end of the one before; inside a substream it passes it over.
    bool bBetween = true;
    for (std::size_t at = 0; at + 4 <= bytes.size();) {
      const unsigned nType = U16(&bytes[at]);
      const unsigned nLength = U16(&bytes[at + 2]);
      if (nLength > kMaxRecordBytes) return false;
      const unsigned char* p = &bytes[at + 4];
      // freexl never reads a record the stream ends in: for it, the records
      // end before that one.
      if (nLength > bytes.size() - at - 4) break;
      const std::size_t nRecord = at;
      at += 4 + nLength;
      if (nType == 0 && nLength == 0) {
        bEnded = true;
      } else if (nType == 0x000A && bEnded) {
        return false;  // a substream ends after freexl stopped reading
      } else if (nType == 0x0085 && nLength >= 4) {
        sheetsAt.push_back(U32(p));  // a sheet's substream, by its offset
      } else if ((nType & 0xFF) == 0x09 && nType <= 0x0809) {
        if (!bBetween) continue;
        bBetween = false;
        substreamsAt.push_back(static_cast<std::uint32_t>(nRecord));
        bDimension = false;  // a substream begins
        bWorksheet = nLength >= 4 && U16(p + 2) == 0x0010;
      } else if (nType == 0x000A) {
        if (bWorksheet && !bDimension) return false;  // a worksheet without its dimension
        bWorksheet = false;
        bBetween = true;
      } else if (nType == 0x0200 && bDimension) {
        return false;  // a second dimension: freexl makes the cells anew
      } else if (nType == 0x0200 && nLength >= 14) {
        nRows = U32(p + 4);
        nColumns = U16(p + 10);
        bDimension = true;
      } else if (nType == 0x0200 && nLength >= 10) {
        nRows = U16(p + 2);
        nColumns = U16(p + 6);
        bDimension = true;
      } else if (bWorksheet && !bDimension && IsCell(nType)) {
        return false;  // a cell before its sheet's dimension
      } else if (bDimension && nLength >= 4 && IsCell(nType)) {
        unsigned nLast = U16(p + 2);
        if ((nType == 0x00BD || nType == 0x00BE) && nLength >= 6) {
          nLast = U16(p + nLength - 2);
          if (nLast < U16(p + 2)) return false;
        }
        if (U16(p) >= nRows || nLast >= nColumns) return false;
      }
    }
    // Each sheet the workbook lists begins where a substream begins, as the
    // records run one after another: a stream whose records lost step
    // before a sheet (freexl then never reads that sheet) does not.
    for (const std::uint32_t nAt : sheetsAt) {
      if (std::find(substreamsAt.begin(), substreamsAt.end(), nAt) == substreamsAt.end())
        return false;
    }
    return true;
  }
  // Records that begin with the row and column of a cell: blank, number,
  // label, boolean or error, formula, RK, multiple RK, multiple blank,
  // label of the shared strings, rich string.
  static bool IsCell(unsigned nType) {
    switch (nType) {
      case 0x0201:
      case 0x0203:
      case 0x0204:
      case 0x0205:
      case 0x0006:
      case 0x0406:
      case 0x027E:
      case 0x00BD:
      case 0x00BE:
      case 0x00FD:
      case 0x00D6:
        return true;
      default:
        return false;
    }
  }

  // nBytes of the chain from sector n (the whole chain when it is shorter);
  // false when the chain leaves the file or runs in a circle.
  bool ReadChain(std::uint32_t n, std::uint32_t nBytes, std::vector<unsigned char>& bytes) {
    bytes.clear();
    std::vector<unsigned char> sector;
    for (std::uint64_t nSeen = 0; n < kLastSector && bytes.size() < nBytes; ++nSeen) {
      if (nSeen > m_nSectors || !ReadSector(n, sector)) return false;
      bytes.insert(bytes.end(), sector.begin(), sector.end());
      if (!NextSector(n)) return false;
    }
    if (nBytes != ~0u && bytes.size() < nBytes) return false;
    if (bytes.size() > nBytes) bytes.resize(nBytes);
    return true;
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
  std::uint64_t m_nFileBytes = 0;
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
    if (!CCompoundDirectory().Check(utf8Path, why) || !SheetsFit(utf8Path, why)) return false;
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

  // freexl keeps each sheet's cells as one array of rows x columns, made
  // when the file is opened, from the dimensions the file states: a small
  // file can claim billions of cells. The dimensions are read first (freexl's
  // open for information makes no cell arrays), and a sheet that claims
  // more cells than the workbook may hold is refused.
  bool SheetsFit(const std::string& utf8Path, CString& why) {
    const void* pInfo = nullptr;
    const int nResult = freexl_open_info(utf8Path.c_str(), &pInfo);
    if (nResult != FREEXL_OK) {
      if (pInfo != nullptr) freexl_close(pInfo);
      why = FreexlWhy(nResult);
      return false;
    }
    unsigned int nSheets = 0;
    if (freexl_get_info(pInfo, FREEXL_BIFF_SHEET_COUNT, &nSheets) != FREEXL_OK) nSheets = 0;
    bool bFit = true;
    for (unsigned int i = 0; i < nSheets && i < 0xFFFF && bFit; ++i) {
      unsigned int nRows = 0;
      unsigned short nColumns = 0;
      if (freexl_select_active_worksheet(pInfo, static_cast<unsigned short>(i)) != FREEXL_OK ||
          freexl_worksheet_dimensions(pInfo, &nRows, &nColumns) != FREEXL_OK)
        continue;  // the open that reads the cells says what is wrong
      if (std::uint64_t{nRows} * nColumns > m_Budget.m_Limits.m_nMaxCells) {
        why = L"Ein Tabellenblatt der Arbeitsmappe (.xls) gibt " + std::to_wstring(nRows) +
              L" Zeilen und " + std::to_wstring(nColumns) + L" Spalten an, mehr als " +
              std::to_wstring(m_Budget.m_Limits.m_nMaxCells) + L" Zellen.";
        bFit = false;
      }
    }
    freexl_close(pInfo);
    return bFit;
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
