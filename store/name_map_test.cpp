#include "store/name_map.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "store/pool_text.h"

namespace {

// A name map with the handle map it reads its texts through, filled as a
// dataset fills both: the handle's text (one byte a character when every
// character is below 256, else the wide text itself) first, then the entry.
// With bAfterMiss, the text is entered where its look-up found room, as a
// dataset makes a name right after its look-up missed.
struct CNames {
  CHandleNames names;
  CNameMap map{names};
  std::deque<std::string> narrow;
  std::deque<std::wstring> wide;
  void Name(Handle h, const std::wstring& text) {
    CPoolText copy(CPoolText::WideEntry(wide.emplace_back(text).c_str()));
    if (CPoolText::FitsNarrow(text)) {
      std::string& bytes = narrow.emplace_back(text.size(), '\0');
      CPoolText::CopyNarrow(text.data(), text.size(), bytes.data());
      copy = CPoolText(CPoolText::NarrowEntry(bytes.c_str()));
    }
    names.SetAt(h, copy.Entry());
  }
  void Enter(const std::wstring& text, Handle h, bool bAfterMiss = false) {
    Name(h, text);
    if (!bAfterMiss) return map.SetAt(text, h);
    CNameMap::CMiss miss;
    ASSERT_EQ(map.Lookup(text, miss), 0u);
    map.SetAtMiss(text, h, miss);
  }
};

TEST(StoreNameMap, ComparesExactlyAndTheLaterHandleWins) {
  CNames n;
  const CNameMap& map = n.map;
  n.Enter(L"Rohr", 0x01000002);
  n.Enter(L"rohr", 0x01000003);
  EXPECT_EQ(map.Lookup(L"Rohr"), 0x01000002u);
  n.Enter(L"Rohr", 0x01000004);
  EXPECT_EQ(map.Lookup(L"Rohr"), 0x01000004u);
  EXPECT_EQ(map.Lookup(L"rohr"), 0x01000003u);
  EXPECT_EQ(map.Lookup(L"ROHR"), 0u);
  EXPECT_EQ(map.GetCount(), 2u);
  // The entry now names the later handle: a new text of the first (as a
  // removed handle's text is blanked) must not disturb it.
  n.Name(0x01000002, L"");
  EXPECT_EQ(map.Lookup(L"Rohr"), 0x01000004u);
}

// Once grown by doubling, once on the room announced for exactly these
// names, whose slot count is no power of two; entered by SetAt, and where
// their look-ups found room.
TEST(StoreNameMap, KeepsEveryEntryThroughGrowthAndRemovals) {
  std::vector<std::wstring> texts;
  for (int i = 0; i < 50000; ++i) texts.push_back(L"Artikel " + std::to_wstring(i));
  for (const auto& [bAnnounced, bAfterMiss] : {std::pair{false, false}, std::pair{true, false},
                                               std::pair{false, true}, std::pair{true, true}}) {
    SCOPED_TRACE(::testing::Message() << bAnnounced << bAfterMiss);
    CNames n;
    CNameMap& map = n.map;
    if (bAnnounced) map.InitHashTable(50000);
    const std::size_t nBytes = map.GetMemoryBytes();
    for (int i = 0; i < 50000; ++i) n.Enter(texts[i], static_cast<Handle>(i + 1), bAfterMiss);
    if (bAnnounced) {
      EXPECT_EQ(map.GetMemoryBytes(), nBytes);
      EXPECT_LT(nBytes, 50000u * 4 / 3 * 8 + 100);  // three quarters full, not less
    }
    for (int i = 0; i < 50000; i += 2) map.RemoveIf(texts[i], static_cast<Handle>(i + 1));
    for (int i = 0; i < 50000; ++i)
      ASSERT_EQ(map.Lookup(texts[i]), i % 2 ? static_cast<Handle>(i + 1) : 0u) << i;
    EXPECT_EQ(map.GetCount(), 25000u);
    EXPECT_EQ(map.Lookup(L""), 0u);
    if (!bAfterMiss) continue;
    // Entered again into removed slots. A miss taken before the map changed
    // is not used: here the same text was entered meanwhile, and is taken over.
    for (int i = 0; i < 50000; i += 2) n.Enter(texts[i], static_cast<Handle>(i + 1), true);
    CNameMap::CMiss stale;
    EXPECT_EQ(map.Lookup(L"neu", stale), 0u);
    n.Enter(L"neu", 60001);
    n.Name(60002, L"neu");
    map.SetAtMiss(L"neu", 60002, stale);
    for (int i = 0; i < 50000; ++i)
      ASSERT_EQ(map.Lookup(texts[i]), static_cast<Handle>(i + 1)) << i;
    EXPECT_EQ(map.Lookup(L"neu"), 60002u);
    EXPECT_EQ(map.GetCount(), 50001u);
  }
}

TEST(StoreNameMap, TextsOfBothFormsAndNearTextsAreToldApart) {
  // Texts of one byte a character and of wide characters, and texts that
  // differ from them in one character, in their length or by a NUL.
  std::vector<std::wstring> texts = {L"",
                                     L"\u00e4",
                                     L"Heizk\u00f6rper 123",
                                     L"Heizk\u00f6rper 1234",
                                     L"Heizk\u00f6rper 1234\u20ac",
                                     L"Heizk\u00f6rper 12\u20ac",
                                     L"Heizk\u00f6rper 12\u0100"};
  CNames n;
  const CNameMap& map = n.map;
  for (std::size_t i = 0; i < texts.size(); ++i) n.Enter(texts[i], Handle(i + 1));
  for (std::size_t i = 0; i < texts.size(); ++i)
    EXPECT_EQ(map.Lookup(texts[i]), Handle(i + 1)) << i;
  EXPECT_EQ(map.Lookup(L"Heizk\u00f6rper 12"), 0u);
  EXPECT_EQ(map.Lookup(L"Heizk\u00f6rper 12\u0080"), 0u);
  EXPECT_EQ(map.Lookup(L"Heizk\u00f6rper 12345"), 0u);
  // A NUL inside the asked text matches neither form.
  EXPECT_EQ(map.Lookup(std::wstring_view(L"\u00e4\0", 2)), 0u);
  EXPECT_EQ(map.Lookup(std::wstring_view(L"Heizk\u00f6rper 1234\0x", 18)), 0u);
  EXPECT_TRUE(n.map.RemoveIf(texts[3], 4));
  EXPECT_EQ(map.Lookup(texts[3]), 0u);
  EXPECT_EQ(map.Lookup(texts[2]), 3u);
}

}  // namespace
