#include "store/base/line_file.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/file.h"
#include "platform/temp_folder.h"

namespace {

using namespace qelStrUtil;

class BaseLineFile : public ::testing::Test {
 protected:
  CString Write(const char* name, std::string_view bytes) {
    CString path = m_Folder / FromUtf8(name);
    EXPECT_TRUE(WriteFileAtomically(path, bytes));
    return path;
  }
  CStringList Read(std::string_view bytes, unsigned codePage, int flag = 0) {
    CStringList list{L"old content"};
    EXPECT_TRUE(readStringlistFromFile(list, Write("in.txt", bytes), codePage, flag));
    return list;
  }

  CTempFolder m_Folder;
};

TEST_F(BaseLineFile, EveryLineEnding) {
  const CStringList expected{L"eins", L"zwei", L"", L"vier"};
  for (const char* bytes : {"eins\r\nzwei\r\n\r\nvier\r\n", "eins\nzwei\n\nvier\n",
                            "eins\rzwei\r\rvier\r", "eins\r\nzwei\n\rvier"})
    EXPECT_EQ(Read(bytes, 1252), expected) << bytes;
  EXPECT_EQ(Read("eins", 1252), CStringList{L"eins"});
  EXPECT_EQ(Read("\n", 1252), CStringList{L""});
  EXPECT_TRUE(Read("", 1252).empty());
  EXPECT_EQ(Read("eins\r\nzwei\r\n\x1A", 1252), (CStringList{L"eins", L"zwei"}));
}

TEST_F(BaseLineFile, EachCodePage) {
  const CStringList umlauts{L"Heizkörper", L"Maße"};
  // Detection (3332): byte-order marks, valid UTF-8, else 1252.
  const std::pair<std::string, unsigned> cases[] = {
      {"Heizk\366rper\r\nMa\337e", 1252},
      {"Heizk\224rper\r\nMa\341e", 3331},
      {"Heizk\303\266rper\r\nMa\303\237e", 65001},
      {"\357\273\277Heizk\303\266rper\r\nMa\303\237e", 3332},
      {"Heizk\303\266rper\r\nMa\303\237e", 3332},
      {"Heizk\366rper\r\nMa\337e", 3332}};
  for (const auto& [bytes, codePage] : cases) EXPECT_EQ(Read(bytes, codePage), umlauts) << codePage;
  EXPECT_EQ(Read(std::string("\377\376H\0\366\0\r\0\n\0\337\0", 12), 3332),
            (CStringList{L"Hö", L"ß"}));
  // A language code page: Polish "ł" is B3 in 1250.
  EXPECT_EQ(Read("\263adowanie", 1250), CStringList{L"ładowanie"});
}

TEST_F(BaseLineFile, FlagTrimsAndSkipsEmptyLines) {
  EXPECT_EQ(Read("  a \r\n\t\r\nb", 1252, eLinesTrim), (CStringList{L"a", L"", L"b"}));
  EXPECT_EQ(Read("  a \r\n\t\r\n\r\nb", 1252, eLinesSkipEmpty),
            (CStringList{L"  a ", L"\t", L"b"}));
  EXPECT_EQ(Read("  a \r\n\t\r\nb", 1252, eLinesTrim | eLinesSkipEmpty), (CStringList{L"a", L"b"}));
}

TEST_F(BaseLineFile, ReadFailuresGiveFalseAndAnEmptyList) {
  CStringList list{L"old"};
  EXPECT_FALSE(readStringlistFromFile(list, m_Folder / L"missing.txt", 1252, 0));
  EXPECT_TRUE(list.empty());
  list = {L"old"};
  EXPECT_FALSE(readStringlistFromFile(list, Write("x.txt", "abc"), 12345, 0));
  EXPECT_TRUE(list.empty());
  EXPECT_FALSE(readStringlistFromFile(list, m_Folder.GetPath(), 1252, 0));
}

TEST_F(BaseLineFile, WriteEndsEveryLineWithCrLf) {
  const auto written = [&](const CStringList& lines, unsigned codePage) {
    std::string bytes;
    EXPECT_TRUE(writeStringlistToFile(lines, m_Folder / L"out.txt", codePage));
    EXPECT_TRUE(ReadWholeFile(m_Folder / L"out.txt", bytes));
    return bytes;
  };
  EXPECT_EQ(written({L"Maß", L"", L"ende"}, 1252), "Ma\xDF\r\n\r\nende\r\n");
  EXPECT_EQ(written({L"Maß"}, 65001), "Ma\xC3\x9F\r\n");
  EXPECT_EQ(written({}, 65001), "");
}

TEST_F(BaseLineFile, WriteRoundTripsThroughRead) {
  const CStringList lines{L"Rohr DN 25", L"Größe;Länge", L"\tEinzug"};
  for (unsigned codePage : {1252u, 65001u, 3331u, 3332u}) {
    CString path = m_Folder / L"round.txt";
    ASSERT_TRUE(writeStringlistToFile(lines, path, codePage)) << codePage;
    CStringList back;
    ASSERT_TRUE(readStringlistFromFile(back, path, codePage, 0)) << codePage;
    EXPECT_EQ(back, lines) << codePage;
  }
}

TEST_F(BaseLineFile, FailedWriteKeepsTheOldFile) {
  CString path = Write("keep.txt", "alt\r\n");
  EXPECT_FALSE(writeStringlistToFile({L"neu"}, path, 12345));
  EXPECT_FALSE(writeStringlistToFile({L"neu"}, m_Folder / L"no/such/folder.txt", 1252));
  std::string bytes;
  ASSERT_TRUE(ReadWholeFile(path, bytes));
  EXPECT_EQ(bytes, "alt\r\n");
}

TEST_F(BaseLineFile, UnicodeFilesAreRecognisedByTheirMark) {
  EXPECT_TRUE(isUnicodeFile(Write("le.txt", "\xFF\xFEx\0"), 0));
  EXPECT_TRUE(isUnicodeFile(Write("be.txt", "\xFE\xFF\0x"), 0));
  CString utf8 = Write("u8.txt", "\xEF\xBB\xBFx");
  EXPECT_FALSE(isUnicodeFile(utf8, 0));
  EXPECT_TRUE(isUnicodeFile(utf8, 1));
  EXPECT_FALSE(isUnicodeFile(Write("plain.txt", "xx"), 1));
  EXPECT_FALSE(isUnicodeFile(Write("short.txt", "\xFF"), 0));
  EXPECT_FALSE(isUnicodeFile(m_Folder / L"missing.txt", 0));
}

}  // namespace
