#include "store/base/str_util.h"

#include <gtest/gtest.h>

namespace {

using namespace qelStrUtil;

// A field that is not there (before the first, past the last) is empty and
// substr says so; an empty field that is there is found.
TEST(BaseStrUtil, FieldsCountFromOneAndMissingOnesAreEmpty) {
  const struct {
    const wchar_t* pText;
    int nField;
    bool bFound;
    const wchar_t* pExpected;
  } cases[] = {
      {L"a;b;c", 1, true, L"a"},   {L"a;b;c", 2, true, L"b"}, {L"a;b;c", 3, true, L"c"},
      {L"a;b;c", 4, false, L""},   {L"a;b;c", 0, false, L""}, {L"a;b;c", -1, false, L""},
      {L"a;b;c", 100, false, L""}, {L";x;", 1, true, L""},    {L";x;", 2, true, L"x"},
      {L";x;", 3, true, L""},      {L";x;", 4, false, L""},   {L"a;;c", 2, true, L""},
      {L"", 1, true, L""},         {L"", 2, false, L""},      {L"810;1;ART", 3, true, L"ART"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << &c - cases);
    CString out = L"stale";
    EXPECT_EQ(substr(c.pText, c.nField, L';', out), c.bFound);
    EXPECT_EQ(out, c.pExpected);
    EXPECT_EQ(GetSubStr(c.pText, c.nField, L';'), c.pExpected);
  }
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
