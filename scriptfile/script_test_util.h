// Test support for the script processor: the store's test surroundings, a
// fresh macro table, the settings file and every script in the test's own
// folder. Test code only.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "OrvaMat/mat_manager.h"
#include "import/dn_test_util.h"
#include "platform/file.h"
#include "platform/text.h"
#include "scriptfile/read_script_file.h"
#include "store/base/num_string_macros.h"
#include "store/mmd/dataset_registry.h"
#include "store/mmd/lock_file.h"
#include "store/mmd/mmd_file.h"
#include "store/mmd/mmd_format.h"
#include "store/store_test_util.h"
#include "store/table_names.h"

// The process's current folder.
inline CString CurrentFolder() { return FromUtf8(std::filesystem::current_path().string()); }

class CScriptTest : public CFileTest {
 protected:
  CScriptTest() : m_ScopedMacros(m_Macros) {}

  // Runs a script written to name.
  bool Run(const std::string& script, const CString& name = L"script.txt") {
    return RunScriptFile(Store(), Write(name, script));
  }

  // Makes the dataset "LOCK" at locked.mmd, saved, with its lock taken by
  // another owner through `other` (as another process would hold it).
  CString MakeDatasetLockedByAnother(CLockFile& other) {
    const CString path = m_Folder / L"locked.mmd";
    EXPECT_GE(CMatManager::CreateDataset(L"LOCK", L"Gesperrt", path.c_str()), 0);
    EXPECT_TRUE(SaveDataset(Current()));
    ReleaseWriteLock(Current());
    EXPECT_TRUE(other.Acquire(MmdLockPath(path), L"jemand"));
    EXPECT_TRUE(SetReadOnly(path, true));
    return path;
  }

  CMatDatenSatz& Current() { return *Store().GetCurrent(); }
  CMatTable* Table(const wchar_t* name) {
    return FindTopLevelTable(Current(), name, eHiddenTables::kFind);
  }
  // The text of a String row, "<none>" when there is none.
  CString Text(const wchar_t* table, const wchar_t* row) {
    CMatTable* pTable = Table(table);
    const Handle h = Current().FindHandle(row);
    CCell cell;
    if (pTable == nullptr || h == 0 || Store().GetCellValue(pTable, cell, h, 0, 0) != eMatOk)
      return L"<none>";
    if (cell.m_pText != nullptr) return cell.m_pText;
    const CPoolText text = Current().GetPoolText(cell.m_nValue);
    return text ? text.ToString() : L"<none>";
  }
  // Every message box text, in order.
  std::vector<CString> Messages() const {
    std::vector<CString> texts;
    for (const auto& message : m_UI.GetMessages()) texts.push_back(message.strText);
    return texts;
  }

  CNumStringMacros m_Macros;
  CScopedNumStringMacros m_ScopedMacros;
};
