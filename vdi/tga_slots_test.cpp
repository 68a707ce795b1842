#include "vdi/tga_slots.h"

#include "vdi/record_test_support.h"

namespace {

// A heat generator product: 100-2 / 110-1 with 200 records 01 (stored
// first) and 3, a 300 record 2 with a 360 record 4, and a 700 record 5
// holding 760 record 1, 710.01 record 3 with its 710.11 record 2 (sheet 3
// hangs 710.11 below 710.01), and 710.05 record 6. The same tree stands
// below a sheet of every name the tests ask about.
class TgaSlots : public CRecordTest {
 protected:
  CMatTable* Sheet(const wchar_t* pName) {
    CMatTable* pSheet = Record(nullptr, pName, L"3");
    CMatTable* p110 = Record(Record(pSheet, L"100-2", L"Reihe"), L"110-1", L"Typ");
    Record(p110, L"200-01", L"a");
    Record(p110, L"200-3", L"b");
    Record(Record(p110, L"300-2", L"c"), L"360-4", L"d");
    CMatTable* p700 = Record(p110, L"700-5", L"e");
    Record(p700, L"760-1", L"f");
    Record(Record(p700, L"710_01-3", L"g"), L"710_11-2", L"h");
    Record(p700, L"710_05-6", L"i");
    return pSheet;
  }
};

TEST_F(TgaSlots, UnknownSlotsTakeTheFirstRecord) {
  CMatTable* pSheet = Sheet(L"VDI-Waermeerzeuger");
  struct CCase {
    const wchar_t* szTag;
    const wchar_t* szFilled;
  };
  const CCase cases[] = {
      // The walk names each level by its record; the 710 groups of a heat
      // generator sheet fill slots 17 to 23 (710.11 below its 710.01).
      {L"?-?", L"2-1-0-1-0-0-2-0-4-0-0-0-0-0-0-5-1-3-2-6-0-0-0-0-0-0-0-0-0-0-0-0"},
      // Given slots stay when their record is there; "200-3" is, "300-7"
      // is not, and then its 350/360 records are not looked for.
      {L"2-1-?-3-?-?-7-?-?", L"2-1-0-3-0-0-7-0-0-0-0-0-0-0-0-5-1-3-2-6-0-0-0-0-0-0-0-0-0-0-0-0"},
      {L"2-?", L"2-1-0-1-0-0-2-0-4-0-0-0-0-0-0-5-1-3-2-6-0-0-0-0-0-0-0-0-0-0-0-0"},
      // A 700 record not there leaves the 710 slots as given.
      {L"2-1-0-0-0-0-0-0-0-0-0-0-0-0-0-9-?-?-4",
       L"2-1-0-0-0-0-0-0-0-0-0-0-0-0-0-9-0-0-4-0-0-0-0-0-0-0-0-0-0-0-0-0"},
  };
  for (const CCase& c : cases) {
    CString tag = c.szTag;
    EXPECT_TRUE(fillMissingTGAtags(pSheet, tag)) << ToUtf8(c.szTag);
    EXPECT_EQ(tag, c.szFilled) << ToUtf8(c.szTag);
  }
}

// Files write indexes with leading zeros ("110;01;"), and the reader keeps a
// main record's index as written: a tag still reaches such records by number.
TEST_F(TgaSlots, RecordsWrittenWithLeadingZerosAreFoundByNumber) {
  CMatTable* pSheet = Record(nullptr, L"VDI-Heizkoerper-2", L"6");
  CMatTable* p110 = Record(Record(pSheet, L"100-02", L"Reihe"), L"110-01", L"Typ");
  Record(Record(p110, L"700-05", L"e"), L"710_01-3", L"g");
  CString tag = L"2-1-0-0-0-0-0-0-0-0-0-0-0-0-0-5-?-?";
  EXPECT_TRUE(fillMissingTGAtags(pSheet, tag));
  EXPECT_EQ(tag, L"2-1-0-0-0-0-0-0-0-0-0-0-0-0-0-5-0-3-0-0-0-0-0-0-0-0-0-0-0-0-0-0");
}

// The 710 groups follow the sheet table's exact name: the heat generator
// sheet as the file reader names it fills none.
TEST_F(TgaSlots, The710GroupsFollowTheSheetName) {
  struct CCase {
    const wchar_t* szSheet;
    const wchar_t* sz710Slots;  // slots 17 to 20
  };
  const CCase cases[] = {
      {L"VDI-Waermeerzeuger", L"3-2-6-0"}, {L"VDI-Waermeerzeuger-2", L"0-0-0-0"},
      {L"VDI-Heizkoerper-2", L"3-0-0-0"},  {L"VDI-Sonnenkollektoren", L"3-6-0-0"},
      {L"VDI-Luftfilter", L"0-0-0-0"},     {L"vdi-waermeerzeuger", L"0-0-0-0"},
  };
  for (const CCase& c : cases) {
    CString tag = L"?-?";
    EXPECT_TRUE(fillMissingTGAtags(Sheet(c.szSheet), tag)) << ToUtf8(c.szSheet);
    const CTgaSlots slots = ParseTgaTag(tag);
    EXPECT_EQ(FormatTgaTag(std::span(slots).subspan(17), 4), c.sz710Slots) << ToUtf8(c.szSheet);
  }
}

TEST_F(TgaSlots, AMissingProductCanNotBeCompleted) {
  CMatTable* pSheet = Sheet(L"VDI-Waermeerzeuger");
  for (const wchar_t* pTag : {L"3-?", L"2-2", L"0-1", L"2-0"}) {
    CString tag = pTag;
    EXPECT_FALSE(fillMissingTGAtags(pSheet, tag)) << ToUtf8(pTag);
    EXPECT_EQ(tag, pTag);
  }
  CString tag = L"?-?";
  EXPECT_FALSE(fillMissingTGAtags(nullptr, tag));
  // The slot form completes in place and leaves unknown slots unknown.
  std::int32_t slots[kTgaSlotCount];
  parseTGAtag(slots, L"2-?");
  EXPECT_TRUE(fillTGAslots(pSheet, slots));
  EXPECT_EQ(slots[1], 1);
  EXPECT_EQ(slots[4], -1);
  EXPECT_FALSE(fillTGAslots(pSheet, nullptr));
  EXPECT_FALSE(fillTGAslots(nullptr, slots));
}

}  // namespace
