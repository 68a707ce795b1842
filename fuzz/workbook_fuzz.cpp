// libFuzzer target: the workbook reader and the imports behind it. The first
// byte chooses what the rest is: 0 a whole file (zip package, .xls, anything),
// 1 the XML of a worksheet inside a sound .xlsx package, 2 the shared strings
// of one, 3 the content.xml of a sound .ods package, 4 the body of an .xls
// (after the compound file's mark). Every workbook is read cell by cell and
// then imported as a table, an article and an insulation workbook into a
// fresh dataset, with a host UI that answers silently (the insulation import
// writes its logs beside the temporary workbook). The rest is also read as
// XML by the plain reader, whole and in pieces, and by expat alone: both
// must give the same events and the same verdict.
#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "import/workbook.h"
#include "import/workbook_import.h"
#include "import/workbook_xml_test_util.h"
#include "platform/recording_host_ui.h"
#include "platform/text.h"
#include "store/base/translation.h"
#include "store/mat_store.h"

namespace {

using CParts = std::vector<std::pair<std::string, std::string>>;

const char kWorkbookXml[] =
    "<workbook xmlns:r=\"r\"><sheets><sheet name=\"A\" r:id=\"rId1\"/><sheet name=\"B\" "
    "r:id=\"rId2\"/></sheets></workbook>";
const char kRels[] =
    "<Relationships><Relationship Id=\"rId1\" Type=\"x/worksheet\" Target=\"worksheets/s1.xml\"/>"
    "<Relationship Id=\"rId2\" Type=\"x/worksheet\" Target=\"/xl/worksheets/s2.xml\"/>"
    "<Relationship Id=\"rId3\" Type=\"x/sharedStrings\" Target=\"sharedStrings.xml\"/>"
    "</Relationships>";
const char kSheet[] =
    "<worksheet><sheetData><row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\" t=\"s\">"
    "<v>1</v></c></row><row><c><v>1</v></c><c t=\"inlineStr\"><is><t>x</t></is></c></row>"
    "</sheetData></worksheet>";
const char kShared[] = "<sst><si><t>MMTB</t></si><si><t>data</t></si></sst>";

bool WriteZip(const std::string& path, const CParts& parts) {
  int nError = 0;
  zip_t* pZip = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &nError);
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

bool WriteBytes(const std::string& path, const std::string& bytes) {
  std::FILE* pFile = std::fopen(path.c_str(), "wb");
  if (pFile == nullptr) return false;
  const bool bOk = std::fwrite(bytes.data(), 1, bytes.size(), pFile) == bytes.size();
  return std::fclose(pFile) == 0 && bOk;
}

void ReadEveryCell(const CString& path) {
  CWorkbook book;
  CString why;
  if (!book.Open(path, why)) return;
  for (int n = 1; n <= book.GetSheetCount() && n <= 8; ++n) {
    const CWorksheet* pSheet = book.GetItem(n, why);
    if (pSheet == nullptr) continue;
    CString text;
    double d = 0;
    int i = 0;
    for (std::uint32_t r = 0; r < pSheet->GetRowCount() && r < 200; ++r) {
      for (int c = 0; c < 40; ++c) {
        pSheet->GetStringValueAt(text, c, static_cast<int>(r));
        pSheet->GetFloatValueAt(d, c, static_cast<int>(r));
        pSheet->GetIntValueAt(i, c, static_cast<int>(r));
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static CRecordingHostUI ui;
  static CTranslationManager translation(L"");
  static const std::string path = "/tmp/orvamat-workbook-fuzz-" + std::to_string(::getpid());
  // Small caps keep one run fast; the caps themselves are what is tested.
  CWorkbookLimits& limits = CWorkbookLimits::Default();
  limits.m_nMaxCells = 20000;
  limits.m_nMaxPartBytes = 1 << 20;
  if (size == 0) return 0;
  const std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  if (!rest.empty()) {
    // In pieces only a well-formed document must read the same: what expat
    // says of another may depend on where its pieces end.
    const std::string expected = ReadXmlEvents(rest, false, rest.size());
    const bool bWellFormed = IsWellFormedRead(expected);
    const std::string inPieces = ReadXmlEvents(rest, true, 1 + data[0] % 11);
    if (ReadXmlEvents(rest, true, rest.size()) != expected || (bWellFormed && inPieces != expected))
      __builtin_trap();
  }
  bool bWritten = false;
  switch (data[0] % 5) {
    case 0:
      bWritten = WriteBytes(path, rest);
      break;
    case 1:
      bWritten = WriteZip(path, {{"xl/workbook.xml", kWorkbookXml},
                                 {"xl/_rels/workbook.xml.rels", kRels},
                                 {"xl/worksheets/s1.xml", rest},
                                 {"xl/worksheets/s2.xml", kSheet},
                                 {"xl/sharedStrings.xml", kShared}});
      break;
    case 2:
      bWritten = WriteZip(path, {{"xl/workbook.xml", kWorkbookXml},
                                 {"xl/_rels/workbook.xml.rels", kRels},
                                 {"xl/worksheets/s1.xml", kSheet},
                                 {"xl/sharedStrings.xml", rest}});
      break;
    case 3:
      bWritten = WriteZip(path, {{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
                                 {"content.xml", rest}});
      break;
    default:
      bWritten = WriteBytes(path, std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + rest);
      break;
  }
  if (!bWritten) return 0;
  const CString widePath = FromUtf8(path);
  CScopedHostUI scopedUI(ui);
  CScopedTranslationManager scopedTranslation(translation);
  ReadEveryCell(widePath);
  for (int nImport = 0; nImport < 3; ++nImport) {
    CScopedMatStore scope;
    CMatDatenSatz* pDataset = scope.Get().AddDataset(std::make_unique<CMatDatenSatz>());
    scope.Get().SetCurrent(pDataset);
    // The progress rises and ends at the rows counted, whatever the sheet.
    std::size_t nRows = 0, nLast = 0, nTotal = 0;
    bool bReported = false;
    const CWorkbookProgress progress = [&](std::size_t n, std::size_t total) {
      if ((bReported && n < nLast) || n > total) __builtin_trap();
      bReported = true;
      nLast = n;
      nTotal = total;
    };
    bool bRead = false;
    if (nImport == 0)
      bRead = ImportExcelTables(scope.Get(), widePath, &nRows, &progress);
    else if (nImport == 1)
      bRead = ImportArticleWorkbook(scope.Get(), widePath, &nRows, &progress);
    else
      bRead = ImportInsulationWorkbook(scope.Get(), widePath, &nRows, &progress);
    if (bReported && (nLast != nTotal || nTotal != nRows)) __builtin_trap();
    (void)bRead;
  }
  ui.Clear();
  return 0;
}
