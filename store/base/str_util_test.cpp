#include "store/base/str_util.h"

#include <gtest/gtest.h>

namespace {

using namespace qelStrUtil;

TEST(BaseStrUtil, FieldsCountFromOneAndMissingOnesAreEmpty) {
  EXPECT_EQ(GetSubStr(L"a;b;c", 1, L';'), L"a");
  EXPECT_EQ(GetSubStr(L"a;b;c", 2, L';'), L"b");
  EXPECT_EQ(GetSubStr(L"a;b;c", 3, L';'), L"c");
  EXPECT_EQ(GetSubStr(L"810;1;ART-4711", 3, L';'), L"ART-4711");
  CString out = L"stale";
  EXPECT_FALSE(substr(L"a;b;c", 4, L';', out));
  EXPECT_EQ(out, L"");
  EXPECT_FALSE(substr(L"a;b;c", 0, L';', out));
  EXPECT_FALSE(substr(L"a;b;c", -1, L';', out));
  EXPECT_EQ(GetSubStr(L"a;b;c", 100, L';'), L"");
  EXPECT_TRUE(substr(L"a;b;c", 3, L';', out));
  EXPECT_EQ(out, L"c");
  EXPECT_TRUE(substr(L";x;", 1, L';', out));
  EXPECT_EQ(out, L"");
  EXPECT_EQ(GetSubStr(L";x;", 2, L';'), L"x");
  EXPECT_TRUE(substr(L";x;", 3, L';', out));
  EXPECT_EQ(out, L"");
  EXPECT_FALSE(substr(L";x;", 4, L';', out));
  EXPECT_EQ(GetSubStr(L"a;;c", 2, L';'), L"");
  EXPECT_TRUE(substr(L"", 1, L';', out));
  EXPECT_FALSE(substr(L"", 2, L';', out));
}

TEST(BaseStrUtil, SeparatedStringToArrayKeepsEmptyFields) {
  EXPECT_EQ(separatedStringToArray(L"a;;c", L';'), (CStringList{L"a", L"", L"c"}));
  EXPECT_EQ(separatedStringToArray(L";", L';'), (CStringList{L"", L""}));
  EXPECT_EQ(separatedStringToArray(L"abc", L';'), (CStringList{L"abc"}));
  EXPECT_TRUE(separatedStringToArray(L"", L';').empty());
  CStringList fields = separatedStringToArray(L"1-1-0-2-?-5", L'-');
  ASSERT_EQ(fields.size(), 6u);
  EXPECT_EQ(fields[4], L"?");
}

TEST(BaseStrUtil, CuttingAtACharacter) {
  EXPECT_EQ(SubStrLeftFromLastOccurence(L"a\\b\\c.txt", L'\\'), L"a\\b");
  EXPECT_EQ(SubStrRightFromLastOccurence(L"a\\b\\c.txt", L'\\'), L"c.txt");
  EXPECT_EQ(SubStrRightFromFirstOccurence(L"400-1-2", L'-'), L"1-2");
  // Without the character the text is all left part.
  EXPECT_EQ(SubStrLeftFromLastOccurence(L"abc", L'-'), L"abc");
  EXPECT_EQ(SubStrRightFromLastOccurence(L"abc", L'-'), L"");
  EXPECT_EQ(SubStrRightFromFirstOccurence(L"abc", L'-'), L"");
  // At the ends.
  EXPECT_EQ(SubStrRightFromFirstOccurence(L"abc-", L'-'), L"");
  EXPECT_EQ(SubStrLeftFromLastOccurence(L"-abc", L'-'), L"");
}

TEST(BaseStrUtil, FindAndReplace) {
  CString text = L"a.b.c";
  EXPECT_EQ(FindAndReplace(text, L".", L"::"), 2);
  EXPECT_EQ(text, L"a::b::c");
  // Replacement text that contains the search text is not searched again.
  text = L"aa";
  EXPECT_EQ(FindAndReplace(text, L"a", L"aa"), 2);
  EXPECT_EQ(text, L"aaaa");
  text = L"aaa";
  EXPECT_EQ(FindAndReplace(text, L"aa", L"b"), 1);
  EXPECT_EQ(text, L"ba");
  EXPECT_EQ(FindAndReplace(text, L"", L"x"), 0);
  EXPECT_EQ(text, L"ba");
  EXPECT_EQ(FindAndReplace(text, L"z", L"x"), 0);
  EXPECT_EQ(FindAndReplace(text, L"ba", L""), 1);
  EXPECT_EQ(text, L"");
}

}  // namespace
