// The worked examples of docs/bdh2.md, read from the page itself: the
// example catalogue, the variants it gives, the order-number rules and the
// heat outputs. A page that no longer says what the code does fails here.
#include <gtest/gtest.h>

#include <sstream>

#include "import/bdh_dialog.h"
#include "import/bdh_test_util.h"

namespace {

std::string ReadSource(const char* path) {
  return FileBytes(FromUtf8(std::string(ORVAMAT_TEST_SOURCE_DIR) + "/" + path));
}

std::vector<std::string> PageLines() {
  std::vector<std::string> lines;
  std::istringstream in(ReadSource("docs/bdh2.md"));
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The cells of a table row: "\|" is a "|" inside a cell, backticks go.
std::vector<std::string> Cells(const std::string& row) {
  std::vector<std::string> cells;
  std::string cell;
  for (std::size_t i = 1; i < row.size(); ++i) {
    if (row[i] == '\\' && i + 1 < row.size() && row[i + 1] == '|') {
      cell += row[++i];
    } else if (row[i] == '|') {
      const auto first = cell.find_first_not_of(" `");
      const auto last = cell.find_last_not_of(" `");
      cells.push_back(first == std::string::npos ? "" : cell.substr(first, last - first + 1));
      cell.clear();
    } else {
      cell += row[i];
    }
  }
  return cells;
}

// The rows of the table whose header starts with header.
std::vector<std::vector<std::string>> Table(const std::string& header) {
  const std::vector<std::string> lines = PageLines();
  std::vector<std::vector<std::string>> rows;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].rfind(header, 0) != 0) continue;
    for (std::size_t j = i + 2; j < lines.size() && lines[j].rfind("|", 0) == 0; ++j)
      rows.push_back(Cells(lines[j]));
    break;
  }
  return rows;
}

std::string Catalogue() {
  const std::vector<std::string> lines = PageLines();
  std::string text;
  bool bIn = false;
  for (const std::string& line : lines) {
    if (line == "```hk.dat") {
      bIn = true;
    } else if (bIn && line == "```") {
      break;
    } else if (bIn) {
      text += line + "\r\n";
    }
  }
  return text;
}

int Int(const std::string& cell) { return std::stoi(cell); }

TEST(BdhDocs, TheExampleIsTheBundledCatalogue) {
  const std::string text = Catalogue();
  ASSERT_FALSE(text.empty());
  EXPECT_EQ(text, ReadSource("examples/bdh/HK.DAT"));
}

TEST(BdhDocs, TheExampleGivesTheVariantsListed) {
  CBdhTestDataset data;
  const CBdhImportCounts& counts = data.Import(Catalogue());
  EXPECT_EQ(counts.nSkipped, 1u);
  EXPECT_EQ(counts.nFirstSkipped, 18);
  EXPECT_NE(data.At({L"Planheizkoerper", L"Typ 33", L"DA-HK-10", L"ELD3"}), nullptr);
  const auto rows = Table("| series | model | L |");
  ASSERT_EQ(rows.size(), 19u);
  std::size_t i = 0;
  while (i < rows.size()) {
    const CBdhModel model = data.Load(FromUtf8(rows[i][0]).c_str(), FromUtf8(rows[i][1]).c_str());
    for (const CBdhVariant& v : model.m_Variants) {
      ASSERT_LT(i, rows.size());
      const auto& row = rows[i++];
      SCOPED_TRACE(row[1] + " " + row[2]);
      EXPECT_EQ(v.m_strModel, FromUtf8(row[1]));
      EXPECT_EQ(v.m_nLength, Int(row[2]));
      EXPECT_EQ(v.m_strName, FromUtf8(row[3]));
      EXPECT_EQ(v.m_strOrderNumber, FromUtf8(row[4]));
      EXPECT_EQ(v.m_nHeatOutput, Int(row[5]));
      EXPECT_NEAR(v.m_dMassFlow, std::stod(row[6]), 0.0005);
    }
    ASSERT_FALSE(model.m_Variants.empty()) << rows[i][1];
  }
}

TEST(BdhDocs, TheOrderNumberExamples) {
  const auto rows = Table("| rule row | rule |");
  ASSERT_EQ(rows.size(), 8u);
  for (const auto& row : rows) {
    SCOPED_TRACE(row[1]);
    CBdhModel model;
    std::vector<CString>& rules = row[0] == "Bestellg2"     ? model.m_Bestellg2
                                  : row[0] == "Bestellg1t1" ? model.m_Bestellg1t1
                                                            : model.m_Bestellg1t2;
    rules.push_back(FromUtf8(row[1]));
    CBdhVariant v;
    v.m_nLength = Int(row[3]);
    v.m_nWidth = Int(row[4]);
    CString number;
    const bool bBuilt = BuildBdhOrderNumber(model, v, FromUtf8(row[2]), number);
    EXPECT_EQ(bBuilt, row[5] != "(none)");
    EXPECT_EQ(number, bBuilt ? FromUtf8(row[5]) : CString());
  }
}

TEST(BdhDocs, TheHeatOutputExamples) {
  const auto rows = Table("| kind | L | W |");
  ASSERT_EQ(rows.size(), 5u);
  for (const auto& row : rows) {
    SCOPED_TRACE(row[0] + " " + row[3]);
    CBdhVariant v;
    v.m_cKind = static_cast<wchar_t>(row[0][0]);
    v.m_nLength = Int(row[1]);
    v.m_nWidth = Int(row[2]);
    v.m_fOutput = std::stof(row[3]);
    v.m_fExponent = std::stof(row[4]);
    v.m_nPartial = Int(row[5]);
    v.m_nReduced = Int(row[6]);
    EXPECT_NEAR(BdhConversionFactor(v.m_fExponent), std::stod(row[7]), 0.000005);
    const CBdhHeat heat = ComputeBdhHeat(v);
    EXPECT_EQ(heat.nOutput, Int(row[9]));
    EXPECT_EQ(heat.nReturnTemp, Int(row[10]));
    EXPECT_NEAR(heat.dMassFlow, std::stod(row[11]), 0.0005);
  }
}

TEST(BdhDocs, TheDialogShowsManufacturerAndMonth) {
  const std::string page = ReadSource("docs/bdh2.md");
  const CString path = FromUtf8(std::string(ORVAMAT_TEST_SOURCE_DIR) + "/examples/bdh/HK.DAT");
  CBdhTestDataset data;  // surroundings for the preview's reader
  const CBdhFilePreview preview = PreviewBdhFile(path);
  EXPECT_NE(page.find("manufacturer `" + ToUtf8(preview.strManufacturer) + "`"), std::string::npos)
      << ToUtf8(preview.strManufacturer);
  EXPECT_NE(page.find("month `" + ToUtf8(preview.strMonth) + "`"), std::string::npos);
  EXPECT_EQ(preview.strMonth, L"03-2024");
}

}  // namespace
