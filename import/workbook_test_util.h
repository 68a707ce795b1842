// Test support for the workbook readers and importers: workbooks written by
// libxlsxwriter, and zip packages of XML written by the test itself (for
// .ods, hostile packages and what libxlsxwriter does not write). Test code
// only.
#pragma once

#include <xlsxwriter.h>
#include <zip.h>

#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "OrvaMat/text.h"
#include "OrvaMat/types.h"

// One cell: a text, a number, or nothing.
struct CTestCell {
  CTestCell() = default;
  CTestCell(const char* p) : value(std::string(p)) {}  // NOLINT: cells are written as literals
  CTestCell(double d) : value(d) {}                    // NOLINT
  CTestCell(int n) : value(static_cast<double>(n)) {}  // NOLINT
  std::variant<std::monostate, std::string, double> value;
};
using CTestSheet = std::vector<std::vector<CTestCell>>;

// Writes an .xlsx of the sheets (named "Tabelle1", ...); true when written.
inline bool WriteTestXlsx(const CString& path, const std::vector<CTestSheet>& sheets) {
  lxw_workbook* pBook = workbook_new(ToUtf8(path).c_str());
  if (pBook == nullptr) return false;
  for (std::size_t s = 0; s < sheets.size(); ++s) {
    const std::string name = "Tabelle" + std::to_string(s + 1);
    lxw_worksheet* pSheet = workbook_add_worksheet(pBook, name.c_str());
    for (std::size_t r = 0; r < sheets[s].size(); ++r) {
      for (std::size_t c = 0; c < sheets[s][r].size(); ++c) {
        const auto& value = sheets[s][r][c].value;
        const auto row = static_cast<lxw_row_t>(r);
        const auto col = static_cast<lxw_col_t>(c);
        if (const auto* pText = std::get_if<std::string>(&value); pText && !pText->empty())
          worksheet_write_string(pSheet, row, col, pText->c_str(), nullptr);
        else if (const auto* pNumber = std::get_if<double>(&value))
          worksheet_write_number(pSheet, row, col, *pNumber, nullptr);
      }
    }
  }
  return workbook_close(pBook) == LXW_NO_ERROR;
}

// Writes a zip package of (name, content) parts; true when written.
inline bool WriteTestZip(const CString& path,
                         const std::vector<std::pair<std::string, std::string>>& parts) {
  int nError = 0;
  zip_t* pZip = zip_open(ToUtf8(path).c_str(), ZIP_CREATE | ZIP_TRUNCATE, &nError);
  if (pZip == nullptr) return false;
  for (const auto& [name, content] : parts) {
    zip_source_t* pSource = zip_source_buffer(pZip, content.data(), content.size(), 0);
    if (pSource == nullptr || zip_file_add(pZip, name.c_str(), pSource, ZIP_FL_OVERWRITE) < 0) {
      zip_source_free(pSource);
      zip_discard(pZip);
      return false;
    }
  }
  return zip_close(pZip) == 0;
}

// The parts of an .xlsx with the given sheet XML bodies (the <sheetData>
// content of each) and shared strings (the <si> items).
inline std::vector<std::pair<std::string, std::string>> TestXlsxParts(
    const std::vector<std::string>& sheetData, const std::string& sharedItems = {}) {
  std::string sheets, rels;
  std::vector<std::pair<std::string, std::string>> parts;
  for (std::size_t i = 0; i < sheetData.size(); ++i) {
    const std::string n = std::to_string(i + 1);
    sheets += "<sheet name=\"Blatt" + n + "\" sheetId=\"" + n + "\" r:id=\"rId" + n + "\"/>";
    rels += "<Relationship Id=\"rId" + n +
            "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
            "worksheet\" Target=\"worksheets/sheet" +
            n + ".xml\"/>";
    parts.emplace_back("xl/worksheets/sheet" + n + ".xml",
                       "<?xml version=\"1.0\"?><worksheet "
                       "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
                       "<sheetData>" +
                           sheetData[i] + "</sheetData></worksheet>");
  }
  rels +=
      "<Relationship Id=\"rIdS\" "
      "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
      "sharedStrings\" Target=\"sharedStrings.xml\"/>";
  parts.emplace_back("xl/workbook.xml",
                     "<?xml version=\"1.0\"?><workbook "
                     "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                     "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                     "relationships\"><sheets>" +
                         sheets + "</sheets></workbook>");
  parts.emplace_back("xl/_rels/workbook.xml.rels",
                     "<?xml version=\"1.0\"?><Relationships xmlns=\"http://schemas.openxmlformats."
                     "org/package/2006/relationships\">" +
                         rels + "</Relationships>");
  parts.emplace_back("xl/sharedStrings.xml",
                     "<?xml version=\"1.0\"?><sst xmlns=\"http://schemas.openxmlformats.org/"
                     "spreadsheetml/2006/main\">" +
                         sharedItems + "</sst>");
  return parts;
}

// The parts of an .ods whose content.xml holds the given <table:table>
// elements.
inline std::vector<std::pair<std::string, std::string>> TestOdsParts(const std::string& tables) {
  return {
      {"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
      {"content.xml",
       "<?xml version=\"1.0\"?><office:document-content "
       "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
       "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
       "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\"><office:body>"
       "<office:spreadsheet>" +
           tables +
           "</office:spreadsheet></office:body>"
           "</office:document-content>"},
  };
}
