// The fixture of the database file and dataset tests: the store's test
// fixture, the settings file in the test's own folder, and a sample dataset
// with a table of every kind.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include "store/mat_daten_satz.h"
#include "store/mat_store.h"
#include "store/mmd/dataset_registry.h"
#include "store/mmd/mmd_backing.h"
#include "store/mmd/mmd_file.h"
#include "store/mmd/mmd_test_util.h"
#include "store/store_test_util.h"
#include "store/table_names.h"

class CMmdTest : public CStoreTest {
 protected:
  CMmdTest() { setenv("ORVAMAT_HOME", ToUtf8(m_Folder.GetPath()).c_str(), 1); }

  // A new current dataset with this ID and path (not saved).
  CMatDatenSatz& MakeDataset(const wchar_t* id, const CString& path) {
    CMatDatenSatz* pDataset = NewDataset(Store());
    wcsncpy(pDataset->m_szHerstellerID, id, 5);
    pDataset->m_strPath = path;
    MmdBackingOf(*pDataset);
    return *pDataset;
  }
  // The text of a String cell (pool), or of a StringArray / StrLine cell.
  CString GetText(CMatTable* t, Handle row, int index = 0, int field = 0) {
    CCell cell;
    Store().GetCellValue(t, cell, row, index, field);
    if (cell.m_pText != nullptr) return cell.m_pText;
    const CPoolText text = t->m_pDatenSatz->GetPoolText(cell.m_nValue);
    return text ? text.ToString() : L"<none>";
  }
  // A top-level table or a child, by name path "A.B".
  CMatTable* Find(CMatDatenSatz& dataset, const wchar_t* name, const wchar_t* child = nullptr) {
    CMatTable* t = FindTopLevelTable(dataset, name, eHiddenTables::kFind);
    if (t == nullptr || child == nullptr) return t;
    for (auto& p : t->m_Children)
      if (p->m_strName == child) return p.get();
    return nullptr;
  }

  // A dataset holding every kind of table; saved when save is set.
  void BuildSample(CMatDatenSatz& dataset);
  // What BuildSample made, as read back from the file.
  void ExpectSample(CMatDatenSatz& dataset);

  CTempFolder m_Folder;
};
