// Test helpers of the store: the surroundings of a test (a fresh process-wide
// store, its own translation manager, a recording host UI), datasets in it,
// and a backing that stands in for the database file.
#pragma once

#include <gtest/gtest.h>

#include <cwchar>
#include <memory>
#include <vector>

#include "platform/recording_host_ui.h"
#include "store/base/translation.h"
#include "store/mat_store.h"

// Counts what the store asks of the database file and answers the lock
// question as told.
class CFakeBacking : public CDatasetBacking {
 public:
  bool CheckWriteLock(CMatDatenSatz&, bool bTake) override {
    m_Takes.push_back(bTake);
    return m_bLockedByOther;
  }
  void LoadTableBody(CMatDatenSatz&, CMatTable& table) override { m_Loaded.push_back(&table); }
  void LoadDataset(CMatDatenSatz&) override { ++m_nDatasetLoads; }

  bool m_bLockedByOther = false;
  std::vector<bool> m_Takes;
  std::vector<CMatTable*> m_Loaded;
  int m_nDatasetLoads = 0;
};

// What every test above the base layer runs in: a fresh process-wide store
// (the exported calls reach it), a translation manager of its own (no
// user-interface language unless the test names one, so messages stay in
// their German source text) and a host UI that records what it is asked.
class CTestSurroundings {
 public:
  explicit CTestSurroundings(const wchar_t* pLanguage = L"")
      : m_Translation(pLanguage), m_ScopedTranslation(m_Translation), m_ScopedUI(m_UI) {}
  CTestSurroundings(const CTestSurroundings&) = delete;
  CTestSurroundings& operator=(const CTestSurroundings&) = delete;

  CMatStore& Store() { return m_Store.Get(); }
  CRecordingHostUI& UI() { return m_UI; }

  CScopedMatStore m_Store;
  CTranslationManager m_Translation;
  CScopedTranslationManager m_ScopedTranslation;
  CRecordingHostUI m_UI;
  CScopedHostUI m_ScopedUI;
};

class CStoreTest : public ::testing::Test, public CTestSurroundings {
 protected:
  // A new dataset in the store, made current.
  CMatDatenSatz& AddDataset(const wchar_t* pID = L"HsID") {
    auto pDataset = std::make_unique<CMatDatenSatz>();
    std::wcsncpy(pDataset->m_szHerstellerID, pID, 4);
    CMatDatenSatz* p = Store().AddDataset(std::move(pDataset));
    Store().SetCurrent(p);
    return *p;
  }
  // A fake backing attached to the dataset; the dataset owns it.
  CFakeBacking& AttachBacking(CMatDatenSatz& dataset) {
    auto pBacking = std::make_unique<CFakeBacking>();
    CFakeBacking& backing = *pBacking;
    dataset.SetBacking(std::move(pBacking));
    return backing;
  }
  CMatTable* Table(const wchar_t* pName, eMatType nType, int nValuesPerRow = 1,
                   CMatTable* pParent = nullptr) {
    return Store().CreateTable(pParent, pName, nType, nValuesPerRow);
  }
  Handle Row(const wchar_t* pName) { return Store().CreateHandle(pName); }
  // The handle of a text, made when there is none.
  Handle H(const wchar_t* pText) { return Store().GetOrCreateHandle(pText); }
  void Set(CMatTable* p, Handle hRow, std::uint32_t n, int nIndex = 0, int nField = 0) {
    ASSERT_EQ(Store().SetCellValue(p, hRow, nIndex, nField, CCellInput::Value(n)), eMatOk);
  }
  void SetText(CMatTable* p, Handle hRow, const wchar_t* pText, int nIndex = 0, int nField = 0) {
    ASSERT_EQ(Store().SetCellValue(p, hRow, nIndex, nField, CCellInput::Text(pText)), eMatOk);
  }
  // The 32-bit value of a cell, or ~0 when the store refuses the read.
  std::uint32_t Cell(CMatTable* p, Handle hRow, int nIndex = 0, int nField = 0) {
    CCell cell;
    return Store().GetCellValue(p, cell, hRow, nIndex, nField) == eMatOk ? cell.m_nValue : ~0u;
  }
};
