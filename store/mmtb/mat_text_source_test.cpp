#include <gtest/gtest.h>

#include <string>

#include "store/mmtb/mat_text_reader.h"

namespace {

// The lines of a text as the line model walks them: "line number:text" each.
std::wstring Walk(CMatTextReader& reader) {
  std::wstring out;
  for (int guard = 0; !reader.AtEnd() && guard < 100; ++guard) {
    const wchar_t* p = reader.GetPos();
    std::wstring line;
    while (*p != L'\r' && *p != L'\n' && *p != 0 && *p != CMatTextReader::kEndMarker) line += *p++;
    out += std::to_wstring(reader.GetZeile()) + L":" + line + L" ";
    reader.NextZeile();
  }
  return out;
}

TEST(MatTextSource, LineBreaksEmptyLinesAndTheEndOfTheText) {
  CMatTextReader reader;
  reader.OpenString(L"a\r\nb\n\rc\nd\re", L"t");
  EXPECT_EQ(Walk(reader), L"0:a 1:b 2:c 3:d 4:e ");
  // At the end the position stays on the end marker.
  reader.NextZeile();
  EXPECT_TRUE(reader.AtEnd());
  EXPECT_EQ(reader.GetZeile(), 4);
  reader.OpenString(std::wstring(L"a\r\n\r\nb\0c\r\nd", 11), L"t");
  EXPECT_EQ(Walk(reader), L"0:a 1: 2:b ");
  reader.OpenString(L"x\x1Ay", L"t");
  EXPECT_EQ(Walk(reader), L"0:x ");
  reader.OpenString(L"", L"t");
  EXPECT_TRUE(reader.AtEnd());
}

TEST(MatTextSource, DecodesByByteOrderMarkElseTheLanguageCodePage) {
  CMatTextReader reader;
  reader.OpenBytes(std::string{'\xFF', '\xFE', 'a', 0, '\xE4', 0}, L"t");
  EXPECT_TRUE(reader.IsUnicode());
  EXPECT_EQ(Walk(reader), L"0:a\xE4 ");
  reader.OpenBytes("\xEF\xBB\xBF\xC3\xA4x", L"t");
  EXPECT_FALSE(reader.IsUnicode());
  EXPECT_EQ(Walk(reader), L"0:\xE4x ");
  // No mark: the ANSI code page (1252 without a language), so UTF-8 bytes
  // stay two characters.
  reader.OpenBytes("\xE4\xC3\xA4", L"t");
  EXPECT_EQ(Walk(reader), L"0:\xE4\xC3\xA4 ");
  // A UTF-16 text of an odd length and invalid UTF-8 after a mark decode
  // without failing.
  reader.OpenBytes(std::string{'\xFF', '\xFE', 'a', 0, 'b'}, L"t");
  EXPECT_EQ(Walk(reader).substr(0, 3), L"0:a");
  reader.OpenBytes("\xEF\xBB\xBF\xFF\xFEz", L"t");
  EXPECT_NE(Walk(reader).find(L'z'), std::wstring::npos);
}

TEST(MatTextSource, OpenTextRefusesWhatIsNoRegularFile) {
  CMatTextReader reader;
  EXPECT_FALSE(reader.OpenText(L"/nonexistent/file.mmtb"));
  EXPECT_FALSE(reader.OpenText(L"/dev/zero"));
  EXPECT_FALSE(reader.OpenText(L"/tmp"));
}

TEST(MatTextSource, BraceBlockCollectsLinesUpToTheClosingLine) {
  CMatTextReader reader;
  reader.OpenString(L"row {\r\n one\n two\r\n } \r\nafter", L"t");
  EXPECT_EQ(reader.CollectBlockZeilen(), 2);
  EXPECT_EQ(Walk(reader), L"1: one 2: two 3: }  4:after ");

  // Without "}" the block runs to the end of the text.
  reader.OpenString(L"row {\r\na\r\nb", L"t");
  EXPECT_EQ(reader.CollectBlockZeilen(), 2);
  EXPECT_EQ(Walk(reader), L"1:a 2:b ");

  // Dropping the rest of a block goes back to the closing line, counting
  // the lines skipped.
  reader.OpenString(L"row {\na\nb\nc\n}\nz", L"t");
  EXPECT_EQ(reader.CollectBlockZeilen(), 3);
  reader.DropBlockZeilen();
  reader.NextZeile();
  EXPECT_EQ(Walk(reader), L"4:} 5:z ");

  // An empty block collects nothing and stays on the row line.
  reader.OpenString(L"row {\n}\n", L"t");
  EXPECT_EQ(reader.CollectBlockZeilen(), 0);
  EXPECT_EQ(reader.GetZeile(), 0);
}

}  // namespace
