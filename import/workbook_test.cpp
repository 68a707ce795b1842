// The workbook reader on each format: cell texts by the importers' rule,
// numbers and texts read across kinds, and hostile files refused with a
// reason instead of read.
#include "import/workbook.h"

#include <gtest/gtest.h>

#include <fstream>

#include "import/workbook_test_util.h"
#include "platform/temp_folder.h"

namespace {

class WorkbookTest : public ::testing::Test {
 protected:
  CString Zip(const std::vector<std::pair<std::string, std::string>>& parts,
              const wchar_t* name = L"t.xlsx") {
    const CString path = m_Folder / name;
    EXPECT_TRUE(WriteTestZip(path, parts));
    return path;
  }
  // Sheet 1 of the workbook, or null with m_strWhy.
  CWorksheet* Sheet1(const CString& path, const CWorkbookLimits& limits = {}) {
    m_strWhy.clear();
    if (!m_Book.Open(path, m_strWhy, limits)) return nullptr;
    return m_Book.GetItem(1, m_strWhy);
  }
  CString Text(CWorksheet& sheet, int c, int r) {
    CString text = L"<unchanged>";
    EXPECT_TRUE(sheet.GetStringValueAt(text, c, r));
    return text;
  }

  CTempFolder m_Folder;
  CWorkbook m_Book;
  CString m_strWhy;
};

TEST_F(WorkbookTest, XlsxCellsReadByTheCellRule) {
  const CString path = m_Folder / L"a.xlsx";
  ASSERT_TRUE(WriteTestXlsx(path, {{{"Text", 12.5, 3, "zwei\nZeilen", "", "12,5"}}}));
  CWorksheet* pSheet = Sheet1(path);
  ASSERT_NE(pSheet, nullptr) << ToUtf8(m_strWhy);
  EXPECT_EQ(m_Book.GetFormat(), eWorkbookFormat::eXlsx);
  EXPECT_EQ(Text(*pSheet, 0, 0), L"Text");
  EXPECT_EQ(Text(*pSheet, 1, 0), L"12.5");
  EXPECT_EQ(Text(*pSheet, 2, 0), L"3");
  EXPECT_EQ(Text(*pSheet, 3, 0), L"zwei\r\nZeilen");
  EXPECT_EQ(Text(*pSheet, 4, 0), L"");
  EXPECT_EQ(Text(*pSheet, 9, 99), L"");
  // Numbers stored as text and text stored as numbers.
  double d = 0;
  int n = 0;
  EXPECT_TRUE(pSheet->GetFloatValueAt(d, 5, 0));
  EXPECT_DOUBLE_EQ(d, 12.5);
  EXPECT_TRUE(pSheet->GetIntValueAt(n, 1, 0));
  EXPECT_EQ(n, 12);
  EXPECT_TRUE(pSheet->GetIntValueAt(n, 0, 0));
  EXPECT_EQ(n, 0);
  // Outside the largest sheet the read fails.
  CString text = L"x";
  EXPECT_FALSE(pSheet->GetStringValueAt(text, 0, static_cast<int>(CWorksheet::kMaxRows)));
  EXPECT_EQ(text, L"");
  EXPECT_FALSE(pSheet->GetStringValueAt(text, -1, 0));
  EXPECT_EQ(m_Book.GetItem(2, m_strWhy), nullptr);
  EXPECT_EQ(m_Book.GetItem(0, m_strWhy), nullptr);
}

TEST_F(WorkbookTest, XlsxCellKindsFromXml) {
  const std::string data =
      // shared (rich text with a phonetic run), inline, boolean, error, formula
      // with its cached result, a string formula, cells without reference
      "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\" t=\"inlineStr\"><is><t>in"
      "</t><t>line</t></is></c><c r=\"C1\" t=\"b\"><v>1</v></c><c r=\"D1\" t=\"e\"><v>#N/A</v>"
      "</c><c r=\"E1\"><f>1+1</f><v>2</v></c><c r=\"F1\" t=\"str\"><f>A1</f><v>x&amp;y</v></c>"
      "<c><v>7</v></c></row>"
      // thousands of empty formatted rows, then a last cell; an unknown index
      "<row r=\"2\" s=\"1\"/><row r=\"4999\"><c r=\"A4999\" s=\"3\"/></row>"
      "<row r=\"5000\"><c r=\"B5000\"><v>45296</v></c><c r=\"C5000\" t=\"s\"><v>9</v></c></row>";
  const std::string shared = "<si><r><t>Ri</t></r><r><t>ch</t></r><rPh><t>ignored</t></rPh></si>";
  CWorksheet* pSheet = Sheet1(Zip(TestXlsxParts({data}, shared)));
  ASSERT_NE(pSheet, nullptr) << ToUtf8(m_strWhy);
  EXPECT_EQ(Text(*pSheet, 0, 0), L"Rich");
  EXPECT_EQ(Text(*pSheet, 1, 0), L"inline");
  EXPECT_EQ(Text(*pSheet, 2, 0), L"1");
  EXPECT_EQ(Text(*pSheet, 3, 0), L"<unchanged>");  // an error value is no text
  EXPECT_EQ(Text(*pSheet, 4, 0), L"2");
  EXPECT_EQ(Text(*pSheet, 5, 0), L"x&y");
  EXPECT_EQ(Text(*pSheet, 6, 0), L"7");
  EXPECT_EQ(Text(*pSheet, 0, 4998), L"");
  EXPECT_EQ(Text(*pSheet, 1, 4999), L"45296");
  EXPECT_EQ(Text(*pSheet, 2, 4999), L"<unchanged>");
  EXPECT_EQ(pSheet->GetRowCount(), 5000u);
  EXPECT_EQ(pSheet->GetCellCount(), 9u);
}

TEST_F(WorkbookTest, OdsRepeatsCoveredCellsAndNotes) {
  const std::string table =
      "<table:table table:name=\"Artikel\">"
      "<table:table-row table:number-rows-repeated=\"2\">"
      "<table:table-cell office:value-type=\"string\"><text:p>a<text:s text:c=\"2\"/>b</text:p>"
      "<text:p>c</text:p></table:table-cell>"
      "<table:table-cell table:number-columns-repeated=\"2\" office:value-type=\"float\" "
      "office:value=\"1.5\"><text:p>1,5</text:p></table:table-cell>"
      "<table:covered-table-cell/>"
      "<table:table-cell office:value-type=\"date\" office:date-value=\"2024-01-05\"/>"
      "<table:table-cell office:value-type=\"boolean\" office:boolean-value=\"true\"/>"
      "<table:table-cell office:value-type=\"string\"><office:annotation><text:p>Notiz</text:p>"
      "</office:annotation><text:p>Wert</text:p></table:table-cell>"
      "</table:table-row>"
      "<table:table-row table:number-rows-repeated=\"1048574\"><table:table-cell "
      "table:number-columns-repeated=\"1024\"/></table:table-row>"
      "</table:table><table:table table:name=\"Zwei\"/>";
  CWorksheet* pSheet = Sheet1(Zip(TestOdsParts(table), L"t.ods"));
  ASSERT_NE(pSheet, nullptr) << ToUtf8(m_strWhy);
  EXPECT_EQ(m_Book.GetFormat(), eWorkbookFormat::eOds);
  EXPECT_EQ(m_Book.GetSheetCount(), 2);
  EXPECT_EQ(pSheet->GetName(), L"Artikel");
  for (int r = 0; r < 2; ++r) {
    EXPECT_EQ(Text(*pSheet, 0, r), L"a  b\r\nc");
    EXPECT_EQ(Text(*pSheet, 1, r), L"1.5");
    EXPECT_EQ(Text(*pSheet, 2, r), L"1.5");
    EXPECT_EQ(Text(*pSheet, 3, r), L"");
    EXPECT_EQ(Text(*pSheet, 4, r), L"45296");
    EXPECT_EQ(Text(*pSheet, 5, r), L"1");
    EXPECT_EQ(Text(*pSheet, 6, r), L"Wert");
  }
  EXPECT_EQ(pSheet->GetRowCount(), 2u);
}

TEST_F(WorkbookTest, HostileAndForeignFilesAreRefusedWithAReason) {
  const std::string laughs =
      "<?xml version=\"1.0\"?><!DOCTYPE w [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b "
      "\"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">]><workbook><sheets>&b;</sheets></workbook>";
  auto withWorkbook = [](std::string xml) {
    auto parts = TestXlsxParts({""});
    for (auto& part : parts) {
      if (part.first == "xl/workbook.xml") part.second = xml;
    }
    return parts;
  };
  const std::string external =
      "<?xml version=\"1.0\"?><!DOCTYPE w [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>"
      "<workbook><sheets><sheet name=\"&x;\" r:id=\"rId1\"/></sheets></workbook>";
  std::string big(4096, ' ');
  const CString notZip = m_Folder / L"text.xlsx";
  std::ofstream(ToUtf8(notZip)) << "Artikel;Preis\n";
  const CString damaged = m_Folder / L"damaged.xlsx";
  std::ofstream(ToUtf8(damaged)) << "PK\x03\x04 not really a zip";
  const CString fakeXls = m_Folder / L"fake.xls";
  std::ofstream(ToUtf8(fakeXls)) << std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8)
                                 << std::string(600, '\0');
  // A record of a workbook stream: type, length, body.
  auto record = [](unsigned nType, std::string body, unsigned nLength = ~0u) {
    if (nLength == ~0u) nLength = static_cast<unsigned>(body.size());
    const char head[] = {static_cast<char>(nType & 0xFF), static_cast<char>(nType >> 8),
                         static_cast<char>(nLength & 0xFF), static_cast<char>(nLength >> 8)};
    return std::string(head, 4) + body;
  };
  const std::string bof =
      record(0x0809, std::string("\x00\x06\x10\x00", 4) + std::string(12, '\0'));
  // A dimension of one row and one column, and a number in row 6.
  const std::string outside =
      bof + record(0x0200, std::string("\0\0\0\0\x01\0\0\0\0\0\x01\0\0\0", 14)) +
      record(0x0203, std::string("\x05\0\0\0\0\0", 6) + std::string(8, '\0'));
  // A compound file of a header, one allocation table sector (0), one
  // directory sector (1) whose first entry, "Workbook", claims a name of
  // nNameBytes, and the workbook stream (sector 2). A name of more than the
  // 64 bytes the entry has, a record longer than 8,224 bytes and a cell
  // outside its sheet's dimension are refused before freexl, which would
  // read past the entry, or lose memory it took for the sheet's cells.
  auto compound = [&](unsigned nNameBytes, const std::string& stream, const wchar_t* name,
                      char nEntryType = 2) {
    std::string bytes(512 * 4, '\0');
    // Little-endian values of 2 and 4 bytes.
    auto put = [&](std::size_t at, std::uint32_t v, int nBytes) {
      for (int i = 0; i < nBytes; ++i) bytes[at + i] = static_cast<char>(v >> (8 * i));
    };
    auto put16 = [&](std::size_t at, unsigned v) { put(at, v, 2); };
    auto put32 = [&](std::size_t at, std::uint32_t v) { put(at, v, 4); };
    bytes.replace(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");
    put16(0x1A, 3);
    put16(0x1C, 0xFFFE);
    put16(0x1E, 9);
    put16(0x20, 6);
    put32(0x2C, 1);           // one table sector
    put32(0x30, 1);           // the directory in sector 1
    put32(0x38, 0);           // no stream is small
    put32(0x3C, 0xFFFFFFFE);  // no small sectors
    put32(0x44, 0xFFFFFFFE);  // no further table sectors
    for (int i = 0; i < 109; ++i) put32(0x4C + 4 * i, i == 0 ? 0 : 0xFFFFFFFF);
    put32(512, 0xFFFFFFFD);      // sector 0: the table
    put32(512 + 4, 0xFFFFFFFE);  // sector 1: the directory, alone
    put32(512 + 8, 0xFFFFFFFE);  // sector 2: the workbook stream, alone
    for (int i = 3; i < 128; ++i) put32(512 + 4 * i, 0xFFFFFFFF);
    const std::size_t entry = 1024;
    const char kName[] = "Workbook";
    for (std::size_t i = 0; kName[i] != 0; ++i) bytes[entry + 2 * i] = kName[i];
    put16(entry + 0x40, nNameBytes);
    bytes[entry + 0x42] = nEntryType;  // 2: a stream
    put32(entry + 0x74, 2);
    put32(entry + 0x78, 512);
    bytes.replace(1536, stream.size(), stream);
    const CString path = m_Folder / name;
    std::ofstream(ToUtf8(path), std::ios::binary) << bytes;
    return path;
  };
  CWorkbookLimits small;
  small.m_nMaxPartBytes = 2000;
  CWorkbookLimits fewCells;
  fewCells.m_nMaxCells = 2;
  const wchar_t* kDamaged = L"(.xls) ist schwer beschädigt";
  struct {
    CString path;
    const wchar_t* pWhy;
    CWorkbookLimits limits = {};
  } cases[] = {
      {Zip(withWorkbook(laughs), L"laughs.xlsx"), L"Dokumenttyp"},
      {Zip(withWorkbook(external), L"external.xlsx"), L"Dokumenttyp"},
      {Zip(TestXlsxParts({"<row>" + big + "</row>"}), L"big.xlsx"), L"zu groß", small},
      {Zip(TestXlsxParts({"<row><c><v>1</v></c><c><v>2</v></c><c><v>3</v></c></row>"}),
           L"cells.xlsx"),
       L"Zellen", fewCells},
      {Zip(TestXlsxParts({"<row><c r=\"XFE1\"><v>1</v></c></row>"}), L"wide.xlsx"), L"Zellbezug"},
      {Zip(TestXlsxParts({"<row><c r=\"A1\"><v>1</c></row>"}), L"bad.xlsx"), L"XML-Fehler"},
      {Zip({{"xl/workbook.bin", "x"}}, L"b.xlsb"), L".xlsb"},
      {Zip({{"mimetype", "application/vnd.oasis.opendocument.text"}}, L"t.odt"),
       L"keine Arbeitsmappe"},
      {notZip, L"keine Arbeitsmappe"},
      {damaged, L"beschädigt"},
      {fakeXls, L".xls"},
      {compound(60000, bof, L"longname.xls"), kDamaged},
      {compound(18, record(0x0809, "", 9000), L"longrecord.xls"), kDamaged},
      {compound(18, outside, L"outside.xls"), kDamaged},
      // freexl reads a "Workbook" entry by its name, whatever its type says.
      {compound(18, outside, L"othertype.xls", 10), kDamaged},
      // A worksheet that ends without a dimension.
      {compound(18, bof + record(0x000A, ""), L"nodimension.xls"), kDamaged},
      // An empty record of type 0 before a substream ends: freexl stops there.
      {compound(18, bof + record(0, "") + record(0x000A, ""), L"stopped.xls"), kDamaged},
      // The workbook lists a sheet at offset 99, where no substream begins.
      {compound(18, bof + record(0x0085, std::string("\x63\0\0\0\0\0\x01\0A", 9)),
                L"outofstep.xls"),
       kDamaged},
      // The sheet at offset 33 begins before the workbook's own substream
      // ended, where freexl passes its begin-of-file record over.
      {compound(18,
                record(0x0809, std::string("\x00\x06\x05\x00", 4) + std::string(12, '\0')) +
                    record(0x0085, std::string("\x21\0\0\0\0\0\x01\0A", 9)) +
                    outside.substr(0, 38) + record(0x000A, ""),
                L"unended.xls"),
       kDamaged},
      // The sheet at offset 37 begins with a record that the stream ends in,
      // which freexl never reads.
      {compound(18,
                record(0x0809, std::string("\x00\x06\x05\x00", 4) + std::string(12, '\0')) +
                    record(0x0085, std::string("\x25\0\0\0\0\0\x01\0A", 9)) + record(0x000A, "") +
                    record(0x0809, bof.substr(4), 600),
                L"cutoff.xls"),
       kDamaged},
      {compound(18, bof, L"sound.xls"), L"Tabellenblatt 1 gibt es nicht"},
      // freexl makes a sheet's rows x columns at once: the stated size counts.
      {FromUtf8(std::string(ORVAMAT_TEST_SOURCE_DIR) + "/import/testdata/workbooks/tables.xls"),
       L"6 Spalten an, mehr als 2 Zellen", fewCells},
      {m_Folder / L"missing.xlsx", L"No such file"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(ToUtf8(c.path));
    CWorkbook book;
    CString why;
    const bool bOpened = book.Open(c.path, why, c.limits);
    if (bOpened) {
      EXPECT_EQ(book.GetItem(1, why), nullptr);
    }
    EXPECT_NE(why.find(c.pWhy), CString::npos) << ToUtf8(why);
  }
}

TEST(WorkbookTexts, BlocksKeepEveryTextInPlace) {
  CWorkbookTexts texts;
  const std::string big(3 << 20, 'x');
  const std::uint32_t nFirst = texts.Add("erster");
  const std::string_view first = texts.Get(nFirst);
  const std::uint32_t nEmpty = texts.Add("");
  const std::uint32_t nBig = texts.Add(big);
  std::vector<std::uint32_t> numbers;
  for (int i = 0; i < 200000; ++i) numbers.push_back(texts.Add("Text " + std::to_string(i)));
  EXPECT_EQ(texts.Get(nFirst), "erster");
  EXPECT_EQ(texts.Get(nFirst).data(), first.data());  // never moved
  EXPECT_EQ(texts.Get(nEmpty), "");
  EXPECT_EQ(texts.Get(nBig), big);
  for (int i : {0, 99999, 199999}) EXPECT_EQ(texts.Get(numbers[i]), "Text " + std::to_string(i));
  EXPECT_EQ(texts.Get(1u << 30), "");
}

// Cells given out of order, twice at one place, with empty rows between:
// every place reads as the last cell given there, the rows around and past
// them as empty; an empty text given first reads as empty.
TEST(WorkbookCells, OutOfOrderCellsAreFoundByRow) {
  CWorkbookTexts texts;
  const std::uint32_t nEmpty = texts.Add("");
  CWorksheet sheet(L"Blatt", &texts);
  sheet.AddText(5, 2, texts.Add("c6"));
  sheet.AddNumber(0, 1, 1.5);
  sheet.AddText(5, 0, texts.Add("a6"));
  sheet.AddText(2, 3, nEmpty);
  sheet.AddNumber(5, 2, 7);  // the later one holds
  sheet.AddOther(3, 0);
  sheet.FinishCells();
  EXPECT_EQ(sheet.GetCellCount(), 5u);
  EXPECT_EQ(sheet.GetRowCount(), 6u);
  const struct {
    int nColumn, nRow;
    const wchar_t* pText;
  } cases[] = {
      {1, 0, L"1.5"}, {0, 0, L""}, {2, 0, L""},  {3, 2, L""}, {0, 3, L"vorher"}, {0, 4, L""},
      {0, 5, L"a6"},  {1, 5, L""}, {2, 5, L"7"}, {3, 5, L""}, {0, 6, L""},       {2, 1048575, L""},
  };
  for (const auto& c : cases) {
    CString value = L"vorher";
    EXPECT_TRUE(sheet.GetStringValueAt(value, c.nColumn, c.nRow));
    EXPECT_EQ(value, c.pText) << c.nColumn << "," << c.nRow;
  }
  std::string_view text;
  double number = 0;
  EXPECT_EQ(sheet.PeekAt(2, 5, text, number), CWorksheet::eKind::eNumber);
  EXPECT_EQ(number, 7);
  EXPECT_EQ(sheet.PeekAt(0, 5, text, number), CWorksheet::eKind::eText);
  EXPECT_EQ(text, "a6");
  EXPECT_EQ(sheet.PeekAt(-1, 5, text, number), CWorksheet::eKind::eEmpty);
  EXPECT_EQ(sheet.PeekAt(0, 4, text, number), CWorksheet::eKind::eEmpty);
}

TEST(WorkbookNumbers, TextsAndDatesAsNumbers) {
  // A number is read up to the first character that ends it; none is 0.
  const std::pair<const char*, double> numbers[] = {
      {" 12,5 kg", 12.5}, {"-3.25e2", -325}, {"+7", 7}, {"1.2.3", 1.2}, {"abc", 0}, {"1e999", 0}};
  for (const auto& [text, value] : numbers) EXPECT_DOUBLE_EQ(ParseCellNumber(text), value) << text;
  // Serials count days from 1900-01-01 = 1, past the 29 February 1900 that
  // spreadsheets count; -1: no date.
  const std::pair<const char*, double> dates[] = {
      {"2024-01-05", 45296}, {"1900-01-01", 1},  {"1900-03-01T12:00:00", 61.5},
      {"06:00:00", 0.25},    {"2024-13-01", -1}, {"gestern", -1}};
  for (const auto& [text, serial] : dates) {
    double read = -1;
    EXPECT_EQ(DateTextToSerial(text, read), serial >= 0) << text;
    if (serial >= 0) {
      EXPECT_DOUBLE_EQ(read, serial) << text;
    }
  }
}

}  // namespace
