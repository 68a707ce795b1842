#include "vdi/record_cache.h"

#include "vdi/record_layout.h"
#include "vdi/record_test_support.h"

namespace {

using namespace vdirecord;

TEST(RecordLayout, TypesNamesAndNumbers) {
  EXPECT_EQ(ParseRecordType(L"710.01"), 0x07100001u);
  EXPECT_EQ(ParseRecordType(L"710_01"), 0x07100001u);
  EXPECT_EQ(ParseRecordType(L"010"), kSheetRecord);
  for (const wchar_t* szBad :
       {L"", L"71", L"7100", L"710.1", L"710-01", L"71.001", L"7a0", L"710.0x"})
    EXPECT_EQ(ParseRecordType(szBad), 0u) << ToUtf8(szBad);
  EXPECT_EQ(RecordTypeText(0x07100031), L"710_31");
  EXPECT_EQ(RecordTypeText(kSheetRecord), L"010");

  // A record binds by its name only when the name is a record's.
  EXPECT_EQ(SlotOfRecordName(L"710_01-3"), SlotOf(ParseRecordType(L"710.01")));
  EXPECT_EQ(SlotOfRecordName(L"710_21-3"), SlotOf(ParseRecordType(L"710.21")));
  EXPECT_EQ(SlotOfRecordName(L"450-1"), SlotOf(ParseRecordType(L"450")));
  for (const wchar_t* szName : {L"710_22-1", L"710_01", L"7001-2", L"460-1", L"610", L"71"})
    EXPECT_EQ(SlotOfRecordName(szName), -1) << ToUtf8(szName);
  EXPECT_NE(SlotOf(ParseRecordType(L"710.31")), SlotOf(ParseRecordType(L"710.61")));

  // Sheet entries replace the fixed ones, for their sheet only.
  EXPECT_EQ(ParentTypeOf(ParseRecordType(L"710.02"), 19), ParseRecordType(L"710.01"));
  EXPECT_EQ(ParentTypeOf(ParseRecordType(L"710.02"), 6), kRecord700);
  EXPECT_EQ(ParentTypeOf(ParseRecordType(L"710.21"), 6), 0u);
  EXPECT_EQ(ParentTypeOf(ParseRecordType(L"710.21"), 20), ParseRecordType(L"710.02"));
  EXPECT_EQ(ParentTypeOf(ParseRecordType(L"710.02"), 99), ParseRecordType(L"710.01"));
  EXPECT_EQ(ParentTypeOf(ParseRecordType(L"760.01"), 35), ParseRecordType(L"760"));

  const CString pieces[] = {L"bc", L"", L"d", L""};
  for (int n = 1; n <= 4; ++n) EXPECT_EQ(RecordPiece(L"a;bc;;d", n), pieces[n - 1]) << n;
  const std::pair<const wchar_t*, std::int32_t> ints[] = {{L" -12x", -12},
                                                          {L"99999999999", 2147483647},
                                                          {L"-99999999999", -2147483647 - 1},
                                                          {L"x1", 0}};
  for (const auto& [text, n] : ints) EXPECT_EQ(ReadInteger(text), n) << ToUtf8(text);
  const std::pair<const wchar_t*, double> reals[] = {
      {L" 5.098039E-02;", 5.098039E-02}, {L"+1.5e1x", 15.0}, {L"1,5", 1.0}, {L"abc", 0.0}};
  for (const auto& [text, d] : reals) EXPECT_DOUBLE_EQ(ReadReal(text), d) << ToUtf8(text);
}

class RecordCache : public CRecordTest {};

TEST_F(RecordCache, ListsByPrefixFromTheNames) {
  CMatTable* pParent = Record(nullptr, L"700-1", L"");
  for (const wchar_t* szName : {L"710_01-03", L"710_02-1", L"710_01-0", L"710_01-x", L"610",
                                L"710_01-2", L"710_01--4", L"720-5"})
    Record(pParent, szName, L"");
  CFortranVdiCache cache;
  const CFortranVdiCacheTable* p710 = cache.Find(*pParent, L"710_01");
  ASSERT_NE(p710, nullptr);
  EXPECT_EQ(p710->GetCount(), 2u);
  EXPECT_EQ(p710->GetFirst(), 3);
  EXPECT_EQ(p710->GetNext(3), 2);
  EXPECT_NE(cache.Find(*pParent, L"720"), nullptr);
  EXPECT_EQ(cache.Find(*pParent, L"610"), nullptr);
  EXPECT_EQ(cache.Find(*pParent, L"710_01-"), nullptr);
  EXPECT_EQ(cache.GetBuildCount(), 1u);

  // Any change of the dataset's tree, even elsewhere, builds the lists again.
  Record(nullptr, L"other", L"");
  EXPECT_EQ(cache.Find(*pParent, L"710_01")->GetCount(), 2u);
  EXPECT_EQ(cache.GetBuildCount(), 2u);
  // A child appended without a change of the stamp (as a file's loader
  // appends) is seen by the child count.
  pParent->m_Children.push_back(std::make_unique<CMatTable>());
  pParent->m_Children.back()->m_strName = L"710_01-6";
  EXPECT_EQ(cache.Find(*pParent, L"710_01")->GetLast(), 6);
}

// A parent destroyed and another made at its address never finds the lists
// of the first: the new dataset's stamp is one the old lists never had.
TEST_F(RecordCache, ListsOfADestroyedDatasetAreNotFound) {
  CFortranVdiCache cache;
  auto pFirst = std::make_unique<CMatDatenSatz>();
  auto pTable = std::make_unique<CMatTable>();
  pTable->m_pDatenSatz = pFirst.get();
  pTable->m_Children.push_back(std::make_unique<CMatTable>());
  pTable->m_Children.back()->m_strName = L"710_01-1";
  EXPECT_EQ(cache.Find(*pTable, L"710_01")->GetFirst(), 1);
  // Same address, other dataset, same child count.
  auto pSecond = std::make_unique<CMatDatenSatz>();
  pTable->m_pDatenSatz = pSecond.get();
  pTable->m_Children.back()->m_strName = L"710_01-2";
  EXPECT_EQ(cache.Find(*pTable, L"710_01")->GetFirst(), 2);
  pTable.reset();  // before its dataset
}

}  // namespace
