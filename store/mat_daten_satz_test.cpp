#include "store/mat_daten_satz.h"

#include <gtest/gtest.h>

#include <string>

#include "store/store_test_util.h"

namespace {

using StoreDataset = CStoreTest;

TEST_F(StoreDataset, EmptyTextsAndSpacesMakeNoHandle) {
  CMatDatenSatz& dataset = AddDataset();
  const std::uint32_t nCounter = dataset.m_nHandleCounter;
  EXPECT_EQ(dataset.CreateHandle(L""), 0u);
  EXPECT_EQ(dataset.CreateHandle(L"    "), 0u);
  EXPECT_EQ(dataset.m_nHandleCounter, nCounter);
  const Handle h = dataset.CreateHandle(L"  A");
  EXPECT_EQ(dataset.GetName(h).ToString(), L"A");
  EXPECT_EQ(dataset.FindHandle(L"A"), h);
  // Tabs are no spaces: they stay.
  EXPECT_EQ(dataset.GetName(dataset.CreateHandle(L"\tB")).ToString(), L"\tB");
}

TEST_F(StoreDataset, SameTextTwiceGivesTwoHandlesAndFindsTheLater) {
  CMatDatenSatz& dataset = AddDataset();
  const Handle h1 = dataset.CreateHandle(L"Ventil");
  const Handle h2 = dataset.CreateHandle(L"Ventil");
  EXPECT_NE(h1, h2);
  EXPECT_EQ(dataset.FindHandle(L"Ventil"), h2);
  // Removing the older one leaves the later one findable.
  const wchar_t* pHeld = dataset.GetWideName(h1);  // a host holds the older text
  dataset.RemoveNames(h1, true);
  EXPECT_EQ(dataset.FindHandle(L"Ventil"), h2);
  EXPECT_EQ(dataset.GetName(h2).ToString(), L"Ventil");
  EXPECT_FALSE(dataset.GetName(h1));
  EXPECT_EQ(dataset.GetWideName(h1), nullptr);
  EXPECT_STREQ(pHeld, L"");  // blanked for whoever still holds it
}

// Handles carry their dataset's byte; the last counter value is refused
// instead of wrapping into the next dataset.
TEST_F(StoreDataset, HandlesCarryTheDatasetByteAndNeverWrapIntoTheNext) {
  CMatDatenSatz& dataset = AddDataset();
  AddDataset();
  CMatDatenSatz& third = AddDataset();
  EXPECT_EQ(dataset.CreateHandle(L"A"), 0x01000002u);
  EXPECT_EQ(third.CreateHandle(L"A"), 0x03000002u);
  EXPECT_EQ(third.m_nHandleCounter, 0x03000002u);
  dataset.m_nHandleCounter = dataset.GetPrefix() | 0xFFFFFE;
  EXPECT_EQ(dataset.CreateHandle(L"Letzter"), 0x01FFFFFFu);
  EXPECT_EQ(m_UI.Count(), 0u);
  EXPECT_EQ(dataset.CreateHandle(L"Zuviel"), 0u);
  EXPECT_EQ(dataset.m_nHandleCounter, 0x01FFFFFFu);
  ASSERT_EQ(m_UI.Count(), 1u);
  EXPECT_EQ(m_UI.LastStyle() & MB_ICONMASK, unsigned{MB_ICONERROR});
  EXPECT_EQ(dataset.FindHandle(L"Zuviel"), 0u);
}

TEST_F(StoreDataset, OversizedTextIsReportedOnceAndMakesNothing) {
  CMatDatenSatz& dataset = AddDataset();
  dataset.m_strPath = L"/daten/hers.mmd";
  const std::wstring huge(70000, L'\u20ac');  // 280,004 bytes, wide: no one-byte form
  EXPECT_EQ(dataset.CreateHandle(huge), 0u);
  ASSERT_EQ(m_UI.Count(), 1u);
  EXPECT_EQ(m_UI.LastText(), L"Memory allocation failed (280004 byte).\n\n/daten/hers.mmd");
  EXPECT_EQ(m_UI.LastTitle(), L"OrvaMat.dll");
  EXPECT_EQ(m_UI.LastStyle() & MB_ICONMASK, unsigned{MB_ICONERROR});
  EXPECT_EQ(dataset.AddPoolText(std::wstring(0x50000, L'x')), 0u);  // too large at a byte each
  EXPECT_EQ(m_UI.Count(), 2u);
  EXPECT_EQ(dataset.GetPoolCount(), 0u);
}

// Texts of characters below U+0100 are kept one byte a character, others
// wide; each reads back exactly, and one written over another keeps its form.
TEST_F(StoreDataset, PoolTextsReadBackExactlyInEitherForm) {
  CMatDatenSatz& dataset = AddDataset();
  const std::wstring latin1 = L"Rohr \u00fc\u00df\u00ff \u0080\u0001";
  const std::wstring wide = L"Rohr \u20ac \u0100 \U0001F600";
  const std::uint32_t nNarrow = dataset.AddPoolText(latin1);
  const std::uint32_t nWide = dataset.AddPoolText(wide);
  EXPECT_EQ(nWide, nNarrow + 1);
  EXPECT_EQ(nNarrow, 1u);  // 0 means no text
  EXPECT_TRUE(dataset.GetPoolText(nNarrow).IsNarrow());
  EXPECT_FALSE(dataset.GetPoolText(nWide).IsNarrow());
  EXPECT_EQ(dataset.GetPoolText(nNarrow).ToString(), latin1);
  EXPECT_EQ(dataset.GetPoolText(nWide).ToString(), wide);
  EXPECT_EQ(dataset.GetPoolText(nNarrow).size(), latin1.size());
  // A wide text does not fit where a one-byte text lies; the reverse does.
  EXPECT_FALSE(dataset.OverwritePoolText(nNarrow, L"\u20ac"));
  EXPECT_EQ(dataset.GetPoolText(nNarrow).ToString(), latin1);
  EXPECT_TRUE(dataset.OverwritePoolText(nWide, L"\u00e4"));
  EXPECT_EQ(dataset.GetPoolText(nWide).ToString(), L"\u00e4");
  EXPECT_TRUE(dataset.OverwritePoolText(nNarrow, L"kurz"));
  EXPECT_EQ(dataset.GetPoolText(nNarrow).ToString(), L"kurz");
  // Indexes outside the pool mean no text; an empty text is one.
  for (const std::uint32_t n : {0u, nWide + 1, 0xFFFFFFFFu})
    EXPECT_FALSE(dataset.GetPoolText(n)) << n;
  EXPECT_FALSE(dataset.OverwritePoolText(nWide + 1, L"x"));
  EXPECT_EQ(dataset.GetPoolText(dataset.AddPoolText(L"")).ToString(), L"");
}

TEST_F(StoreDataset, RenameKeepsTheHandleAndDropsTheOldName) {
  CMatDatenSatz& dataset = AddDataset();
  const Handle h = dataset.CreateHandle(L"Alt");
  const wchar_t* pOld = dataset.GetWideName(h);  // as a host holds it
  dataset.m_bModified = false;
  ASSERT_TRUE(dataset.RenameHandle(h, L"Neu"));
  EXPECT_EQ(dataset.GetName(h).ToString(), L"Neu");
  EXPECT_STREQ(dataset.GetWideName(h), L"Neu");
  EXPECT_EQ(dataset.FindHandle(L"Neu"), h);
  EXPECT_EQ(dataset.FindHandle(L"Alt"), 0u);
  EXPECT_STREQ(pOld, L"Alt");  // renaming does not blank the old copy
  EXPECT_TRUE(dataset.m_bModified);
}

// Names as a database file's loader enters them into a fresh dataset:
// "Ventil" twice (the later handle read first), "Rohr" and "Bogen".
class StoreLoadedNames : public CStoreTest {
 protected:
  StoreLoadedNames() : m_Dataset(AddDataset()), m_nPrefix(m_Dataset.GetPrefix()) {
    m_Dataset.ReserveLoadedNames(4);
    EXPECT_TRUE(m_Dataset.EnterLoadedName(H(9), L"Ventil"));
    EXPECT_TRUE(m_Dataset.EnterLoadedName(H(5), L"Ventil"));
    EXPECT_TRUE(m_Dataset.EnterLoadedName(H(6), L"Rohr"));
    EXPECT_TRUE(m_Dataset.EnterLoadedName(H(7), L"Bogen"));
    m_Dataset.m_nHandleCounter = H(9);
  }
  Handle H(std::uint32_t n) const { return m_nPrefix | n; }

  CMatDatenSatz& m_Dataset;
  const Handle m_nPrefix;
};

TEST_F(StoreLoadedNames, ChangesBeforeTheFirstLookUpHold) {
  // A new handle of a loaded text is the later one.
  const Handle hNew = m_Dataset.CreateHandle(L"Bogen");
  EXPECT_EQ(m_Dataset.FindHandle(L"Bogen"), hNew);
  EXPECT_EQ(m_Dataset.FindHandle(L"Ventil"), H(9));
}

TEST_F(StoreLoadedNames, RenameBeforeTheFirstLookUpDropsTheOldText) {
  ASSERT_TRUE(m_Dataset.RenameHandle(H(9), L"Kugelhahn"));
  EXPECT_EQ(m_Dataset.FindHandle(L"Kugelhahn"), H(9));
  EXPECT_EQ(m_Dataset.FindHandle(L"Ventil"), 0u);  // as after a rename of the found handle
  EXPECT_EQ(m_Dataset.FindHandle(L"Rohr"), H(6));
}

// Changes of names act on the map as it stood after loading: removing the
// found handle of a shared text leaves none (as for names made in memory).
TEST_F(StoreLoadedNames, RemovingTheFoundHandleBeforeTheFirstLookUpLeavesNone) {
  m_Dataset.RemoveNames(H(9), false);
  EXPECT_EQ(m_Dataset.FindHandle(L"Ventil"), 0u);
  EXPECT_EQ(m_Dataset.GetName(H(5)).ToString(), L"Ventil");
}

TEST_F(StoreLoadedNames, RemoveBeforeTheFirstLookUpLeavesTheOthers) {
  m_Dataset.RemoveNames(H(5), true);  // the older "Ventil"
  m_Dataset.RemoveNames(H(6), false);
  EXPECT_EQ(m_Dataset.FindHandle(L"Ventil"), H(9));
  EXPECT_EQ(m_Dataset.FindHandle(L"Rohr"), 0u);
  EXPECT_FALSE(m_Dataset.GetName(H(6)));
  EXPECT_EQ(m_Dataset.FindHandle(L"Bogen"), H(7));
}

TEST_F(StoreLoadedNames, ReadingAgainKeepsOrRenamesKnownHandles) {
  EXPECT_EQ(m_Dataset.FindHandle(L"Rohr"), H(6));  // the map is filled now
  m_Dataset.m_bModified = false;
  m_Dataset.ReserveLoadedNames(3);
  const std::uintptr_t nBogen = m_Dataset.GetName(H(7)).Entry();
  EXPECT_TRUE(m_Dataset.EnterLoadedName(H(7), L"Bogen"));
  EXPECT_EQ(m_Dataset.GetName(H(7)).Entry(), nBogen);  // kept, not copied again
  EXPECT_FALSE(m_Dataset.m_bModified);
  EXPECT_TRUE(m_Dataset.EnterLoadedName(H(6), L"Rohr DN 20"));
  EXPECT_TRUE(m_Dataset.EnterLoadedName(H(12), L"Muffe"));
  EXPECT_EQ(m_Dataset.FindHandle(L"Rohr"), 0u);
  EXPECT_EQ(m_Dataset.FindHandle(L"Rohr DN 20"), H(6));
  EXPECT_EQ(m_Dataset.FindHandle(L"Muffe"), H(12));
}

TEST_F(StoreDataset, NoBackingMeansNeverLockedAndNothingToLoad) {
  CMatDatenSatz& dataset = AddDataset();
  EXPECT_FALSE(dataset.CheckWriteLock(true));
  dataset.EnsureDatasetLoaded();
  CFakeBacking& backing = AttachBacking(dataset);
  backing.m_bLockedByOther = true;
  EXPECT_TRUE(dataset.CheckWriteLock(false));
  dataset.EnsureDatasetLoaded();
  EXPECT_EQ(backing.m_nDatasetLoads, 1);
  ASSERT_EQ(backing.m_Takes.size(), 1u);
  EXPECT_FALSE(backing.m_Takes[0]);
}

}  // namespace
