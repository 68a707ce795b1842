// Test helpers of the store: a fresh process-wide store with datasets, a
// recording host UI, and a backing that stands in for the database file.
#pragma once

#include <gtest/gtest.h>

#include <cwchar>
#include <memory>
#include <vector>

#include "platform/recording_host_ui.h"
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

class CStoreTest : public ::testing::Test {
 protected:
  CStoreTest() : m_ScopedUI(m_UI) {}

  CMatStore& Store() { return m_Scoped.Get(); }
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

  CRecordingHostUI m_UI;
  CScopedHostUI m_ScopedUI;
  CScopedMatStore m_Scoped;
};
