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

}  // namespace
