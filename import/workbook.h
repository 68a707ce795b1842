// CWorkbook: a spreadsheet file read directly, in place of driving a
// spreadsheet application: .xlsx/.xlsm (Office Open XML), .ods (OpenDocument)
// and .xls (the binary format, through freexl). The format is decided from
// the file's bytes, never from its name. docs/workbooks.md says what each
// format's reader takes from the file.
//
// A workbook is untrusted input: no part may unpack to more than
// m_nMaxPartBytes, the cells kept over the workbook are capped, XML parts
// with a document type are refused (import/workbook_xml.h), and nothing is
// read or written but the file asked for. Every failure is a value: Open
// and GetItem say why in one line (German, as the messages the importers
// show it in).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "OrvaMat/types.h"
#include "import/worksheet.h"

enum class eWorkbookFormat { eNone, eXlsx, eOds, eXls };

// A kept cell takes 16 bytes: the cap on cells bounds the memory a workbook
// can ask for, however few bytes it has (an .ods row of 60 cells repeated a
// million times is a few hundred bytes).
struct CWorkbookLimits {
  std::uint64_t m_nMaxPartBytes = std::uint64_t{1} << 30;  // one unpacked XML part
  std::uint64_t m_nMaxCells = std::uint64_t{1} << 24;      // cells kept over all sheets
  std::size_t m_nMaxSheets = 4096;

  // The limits of a workbook opened without limits of its own (the
  // importers' workbooks). A host, or a fuzzer, may lower them.
  static CWorkbookLimits& Default() {
    static CWorkbookLimits limits;
    return limits;
  }
};

// What a format's reader needs of the workbook it fills.
struct CWorkbookBudget {
  CWorkbookLimits m_Limits;
  std::uint64_t m_nCells = 0;
  // False once the workbook holds as many cells as it may.
  bool TakeCells(std::uint64_t n) {
    if (m_nCells + n > m_Limits.m_nMaxCells) return false;
    m_nCells += n;
    return true;
  }
};

// One format's reader of a workbook's sheets.
class CWorkbookSource {
 public:
  virtual ~CWorkbookSource() = default;
  virtual std::size_t GetSheetCount() const = 0;
  virtual CString GetSheetName(std::size_t nIndex) const = 0;
  // Reads sheet nIndex (0-based) into sheet; false with why.
  virtual bool LoadSheet(std::size_t nIndex, CWorksheet& sheet, CString& why) = 0;
};

class CWorkbook {
 public:
  CWorkbook();
  ~CWorkbook();
  CWorkbook(const CWorkbook&) = delete;
  CWorkbook& operator=(const CWorkbook&) = delete;

  // Opens the file and reads what lists its sheets. False, with why, when
  // the file can not be read or is no workbook of a known format.
  bool Open(const CString& path, CString& why) {
    return Open(path, why, CWorkbookLimits::Default());
  }
  bool Open(const CString& path, CString& why, const CWorkbookLimits& limits);
  eWorkbookFormat GetFormat() const { return m_eFormat; }
  // Worksheets only (chart sheets do not count).
  int GetSheetCount() const;
  // Worksheet n (1 = first), read whole on first use; null, with why, when
  // there is no such sheet or it can not be read.
  CWorksheet* GetItem(int n, CString& why);

  // The format the first bytes of a file announce (zip packages are told
  // apart by their parts, so this gives eXlsx for every zip package).
  static eWorkbookFormat SniffBytes(const unsigned char* p, std::size_t n);

 private:
  eWorkbookFormat m_eFormat = eWorkbookFormat::eNone;
  CWorkbookBudget m_Budget;
  CWorkbookTexts m_Texts;
  std::unique_ptr<CWorkbookSource> m_pSource;
  std::vector<std::unique_ptr<CWorksheet>> m_Sheets;  // null until read
};

// The readers of the three formats (import/workbook_xlsx.cpp, _ods.cpp,
// _xls.cpp). Null, with why, when the file is not of the format or can not
// be read.
std::unique_ptr<CWorkbookSource> OpenXlsxSource(const std::string& utf8Path, CWorkbookTexts& texts,
                                                CWorkbookBudget& budget, CString& why);
std::unique_ptr<CWorkbookSource> OpenOdsSource(const std::string& utf8Path, CWorkbookTexts& texts,
                                               CWorkbookBudget& budget, CString& why);
std::unique_ptr<CWorkbookSource> OpenXlsSource(const std::string& utf8Path, CWorkbookTexts& texts,
                                               CWorkbookBudget& budget, CString& why);

// The serial day number of a date (days since 1899-12-30, the count the
// files' numbers use) and the day's fraction of a time, from "YYYY-MM-DD",
// "YYYY-MM-DD HH:MM:SS", "YYYY-MM-DDTHH:MM:SS" or "HH:MM:SS". False when the
// text is none of them.
bool DateTextToSerial(std::string_view text, double& serial);
