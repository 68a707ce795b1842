// The lines of a file read in blocks are exactly the lines of the whole file
// split and decoded at once, whatever block boundary falls inside a line
// end, a character or the end-of-file character, in every code page the
// importers read.
#include "store/base/block_lines.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/code_page.h"
#include "platform/temp_folder.h"
#include "store/base/line_file.h"

namespace {

// The whole-file reading the importers did before they streamed.
std::vector<CString> WholeFileLines(const std::string& bytes, unsigned codePage,
                                    bool bSplitsAsBytes) {
  std::vector<CString> lines;
  if (bSplitsAsBytes) {
    for (const std::string_view line : qelStrUtil::SplitLineViews(std::string_view(bytes))) {
      DecodeText(line, codePage, lines.emplace_back());
    }
    return lines;
  }
  CString whole;
  DecodeText(bytes, codePage, whole);
  for (const std::wstring_view line : qelStrUtil::SplitLineViews(std::wstring_view(whole))) {
    lines.emplace_back(line);
  }
  return lines;
}

// Reads every line as the loader does: the current line, a look at the next
// one, the current one again.
std::vector<CString> StreamedLines(CBlockLines& lines) {
  std::vector<CString> out;
  CString decoded;  // one buffer for every line: shorter lines follow longer ones
  for (std::size_t i = 0; lines.Has(i); ++i) {
    lines.Release(i);
    CString line(lines.Get(i));
    lines.DecodeInto(i, decoded);
    EXPECT_EQ(decoded, line) << "line " << i;
    if (lines.Has(i + 1)) lines.Get(i + 1);
    EXPECT_EQ(lines.Get(i), line) << "line " << i;
    EXPECT_EQ(lines.IsEmptyLine(i), line.empty()) << "line " << i;
    out.push_back(line);
  }
  return out;
}

// Enough lines that those released go in bulk while lines are held.
std::string ManyLines() {
  std::string text = "V\r\n";
  for (int i = 0; i < 2500; ++i) text += "A;" + std::to_string(i) + (i % 7 == 0 ? "\n" : "\r\n");
  return text;
}

const std::string kSamples[] = {
    "V 050;Kopf\r\nA;N;1;Kurz\r\nA;N;2;Zwei\r\n",
    "V\nA;1\n\nB;2\nA;3",       // LF, an empty line, no final line end
    "V\rA;1\rA;2\r",            // lone CR line ends
    "V\r\n\r\rA\n\r\nA;x\x1A",  // mixed line ends, DOS end of file
    "V\r\nA;\x1A;mid\r\n\x1A",  // end-of-file character inside a line and after the last
    "V\r\nA;Stra\xC3\x9F"
    "e;\xE2\x82\xAC\r\n",  // UTF-8 characters across block boundaries
    "V\r\nA;Stra\xDF"
    "e;\x80;\xA9\r\nT;\xFC\r",                               // 8-bit text
    "\xEF\xBB\xBFV\r\nA;\xC3\xA4\r\n",                       // UTF-8 with its mark
    std::string("\xFF\xFEV\0\r\0\n\0A\0;\0\xE4\0\n\0", 16),  // UTF-16 with its mark
    "",
    "\r\n",
    ManyLines(),
};

const unsigned kCodePages[] = {CP_DOS_850, 874,  932,  936,  949,  1250,         1251,
                               1255,       1252, 1253, 1254, 1257, CP_UTF8_TEXT, CP_DETECT};

TEST(BlockLines, ReadInBlocksEqualsTheWholeFileInEveryCodePage) {
  CTempFolder folder;
  const CString path = folder / L"k.001";
  for (const std::string& bytes : kSamples) {
    std::ofstream(ToUtf8(path), std::ios::binary) << bytes;
    CBlockLines memory;
    memory.Assign(bytes);
    for (const unsigned codePage : kCodePages) {
      // The multi-byte encodings were decoded whole, the others line by line.
      const bool bWhole =
          codePage == CP_DETECT || codePage == 932 || codePage == 936 || codePage == 949;
      const std::vector<CString> expected = WholeFileLines(bytes, codePage, !bWhole);
      for (const std::size_t nBlock :
           {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{5}, std::size_t{4096}}) {
        SCOPED_TRACE(testing::Message() << "sample " << &bytes - kSamples << ", code page "
                                        << codePage << ", block " << nBlock);
        CBlockLines file(nBlock);
        ASSERT_TRUE(file.Open(path));
        // The first pass sees what the whole bytes show.
        EXPECT_EQ(file.GetScan().nLines, memory.GetScan().nLines);
        EXPECT_EQ(file.GetScan().nLinesBeginningWith, memory.GetScan().nLinesBeginningWith);
        EXPECT_EQ(file.GetScan().bNonAscii, memory.GetScan().bNonAscii);
        EXPECT_EQ(file.GetScan().bValidUtf8, memory.GetScan().bValidUtf8);
        EXPECT_EQ(file.GetScan().strHead, memory.GetScan().strHead);
        ASSERT_TRUE(file.Start(codePage));
        EXPECT_EQ(StreamedLines(file), expected);
        EXPECT_EQ(file.GetCount(), expected.size());
      }
    }
  }
}

TEST(BlockLines, TheFirstPassCountsLinesArticlesAndUtf8) {
  struct {
    std::string bytes;
    std::size_t nLines, nArticles;
    bool bNonAscii, bValidUtf8;
  } const cases[] = {
      {"V\r\nA;1\r\nAB\r\nT;A\r\n", 4, 2, false, true},
      {"A\nA\n", 2, 1, false, true},  // the first line is the header
      {"V\n\xC3\xA4", 2, 0, true, true},
      {"V\n\xE4\n", 2, 0, true, false},
      {"V\n\xC3", 2, 0, true, false},  // a character cut at the end
  };
  for (const auto& c : cases) {
    CBlockLines lines;
    lines.Assign(c.bytes);
    EXPECT_EQ(lines.GetScan().nLines, c.nLines) << c.bytes;
    EXPECT_EQ(lines.GetScan().nLinesBeginningWith['A'], c.nArticles) << c.bytes;
    EXPECT_EQ(lines.GetScan().bNonAscii, c.bNonAscii) << c.bytes;
    EXPECT_EQ(lines.GetScan().bNonAscii && lines.GetScan().bValidUtf8, c.bNonAscii && c.bValidUtf8)
        << c.bytes;
  }
}

TEST(BlockLines, TheThirdPartyCataloguesReadTheSameInBlocks) {
  const char* pData = std::getenv("ORVAMAT_TESTDATA");
  const std::string dir = std::string(pData != nullptr ? pData : "") + "/datanorm";
  if (pData == nullptr || !std::filesystem::is_directory(dir))
    GTEST_SKIP() << "no third-party files";
  int count = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    for (const unsigned codePage : {CP_WINDOWS_1252, CP_DOS_850}) {
      CBlockLines file(4093);
      ASSERT_TRUE(file.Open(FromUtf8(entry.path().string())));
      ASSERT_TRUE(file.Start(codePage));
      EXPECT_EQ(StreamedLines(file), WholeFileLines(bytes, codePage, true)) << entry.path();
    }
    ++count;
  }
  EXPECT_GE(count, 17);
}

}  // namespace
