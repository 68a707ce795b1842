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

TEST_F(BaseLineFile, FailedWriteKeepsTheOldFile) {
  CString path = Write("keep.txt", "alt\r\n");
  EXPECT_FALSE(writeStringlistToFile({L"neu"}, path, 12345));
  EXPECT_FALSE(writeStringlistToFile({L"neu"}, m_Folder / L"no/such/folder.txt", 1252));
  std::string bytes;
  ASSERT_TRUE(ReadWholeFile(path, bytes));
  EXPECT_EQ(bytes, "alt\r\n");
}

}  // namespace
