#include "store/base/file_path.h"

#include <gtest/gtest.h>

namespace {

TEST(BaseFilePath, JoinsWithOneSeparatorAndBackslashesAreSeparators) {
  EXPECT_EQ((CFilePath(L"a") ^ CFilePath(L"b")).GetPath(), L"a/b");
  EXPECT_EQ((CFilePath(L"a/") ^ CFilePath(L"/b")).GetPath(), L"a/b");
  EXPECT_EQ((CFilePath(L"a//") ^ CFilePath(L"//b/")).GetPath(), L"a/b");
  EXPECT_EQ((CFilePath(L"/") ^ CFilePath(L"b")).GetPath(), L"/b");
  EXPECT_EQ((CFilePath(L"/data") ^ L"sub" ^ L"x.mmd").GetPath(), L"/data/sub/x.mmd");
  EXPECT_EQ((CFilePath(L"") ^ CFilePath(L"b")).GetPath(), L"b");
  EXPECT_EQ((CFilePath(L"a") ^ CFilePath(L"")).GetPath(), L"a");
  EXPECT_EQ(CFilePath(L"BMP\\pumpe.bmp").GetPath(), L"BMP/pumpe.bmp");
  EXPECT_EQ((CFilePath(L"/daten\\") ^ L"\\BMP\\x.bmp").GetPath(), L"/daten/BMP/x.bmp");
  EXPECT_TRUE(CFilePath(L"C:\\Daten").IsAbsolute());
  EXPECT_TRUE(CFilePath(L"/Daten").IsAbsolute());
  EXPECT_FALSE(CFilePath(L"Daten\\x").IsAbsolute());
}

TEST(BaseFilePath, FolderAndFileName) {
  CFilePath path(L"/data/Hersteller/katalog.tar.gz");
  EXPECT_EQ(path.GetFolder(), L"/data/Hersteller");
  EXPECT_EQ(path.GetFileName(), L"katalog.tar.gz");
  EXPECT_EQ(CFilePath(L"/x").GetFolder(), L"/");
  EXPECT_EQ(CFilePath(L"x.txt").GetFolder(), L"");
  EXPECT_EQ(CFilePath(L"a/b/").GetFileName(), L"b");
}

TEST(BaseFilePath, NormalizedResolvesDotsAsText) {
  EXPECT_EQ(CFilePath(L"a/./b/../c").Normalized().GetPath(), L"a/c");
  EXPECT_EQ(CFilePath(L"../a/../../b").Normalized().GetPath(), L"../../b");
  EXPECT_EQ(CFilePath(L"/../a").Normalized().GetPath(), L"/a");
  EXPECT_EQ(CFilePath(L"a/..").Normalized().GetPath(), L".");
  EXPECT_EQ(CFilePath(L"/").Normalized().GetPath(), L"/");
  EXPECT_EQ((CFilePath(L"/skripte/teil") ^ L"..\\gemeinsam\\kopf.txt").Normalized().GetPath(),
            L"/skripte/gemeinsam/kopf.txt");
}

}  // namespace
