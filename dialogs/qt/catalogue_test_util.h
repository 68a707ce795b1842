// A dataset of main product groups for the article dialogs' tests and
// benchmark, filled through the public calls as an import fills it: group
// tables under "HauptWarenGruppen" with their texts in "StringTable", the
// short texts, and each article's group in "ArtikelInfo2".
#pragma once

#include <string>

#include "OrvaMat/mat_manager.h"

class CGroupCatalogue {
 public:
  // A new dataset, which has the article tables already.
  CGroupCatalogue(const wchar_t* id, const wchar_t* maker) {
    CMatManager::CreateDataset(id, maker, nullptr);
    CMatManager::FindTable(&m_pKurz, nullptr, L"KurzText");
    CMatManager::FindTable(&m_pInfo2, nullptr, L"ArtikelInfo2");
    CMatManager::FindTable(&m_pGroups, nullptr, L"HauptWarenGruppen");
    CMatManager::FindTable(&m_pStrings, nullptr, L"StringTable");
  }
  CMatTable* Group(const std::wstring& name, const std::wstring& text) {
    CMatTable* pGroup = CMatManager::CreateTable(m_pGroups, name.c_str(), eTypeString, 1);
    CMatManager::SetStringValueW(text.c_str(), m_pStrings,
                                 CMatManager::GetOrCreateHandle(name.c_str()), 0, 0);
    return pGroup;
  }
  void Article(CMatTable* pGroup, const std::wstring& number, const std::wstring& text) {
    const unsigned long h = CMatManager::GetOrCreateHandle(number.c_str());
    CMatManager::AddRow(pGroup, h);
    CMatManager::SetStringValueW(text.c_str(), m_pKurz, h, 0, 0);
    CMatManager::SetHandleValue(pGroup->m_hName, m_pInfo2, h, 0, 1);
  }

 private:
  CMatTable* m_pKurz = nullptr;
  CMatTable* m_pInfo2 = nullptr;
  CMatTable* m_pGroups = nullptr;
  CMatTable* m_pStrings = nullptr;
};
