// Test support for the article calls: a fresh store with one current dataset
// whose database path lies in a temporary folder (P/D/test.mmd, pictures in
// P/BMP), and writers for the article tables. Test code only.
#pragma once

#include <bit>
#include <filesystem>
#include <fstream>
#include <memory>

#include "platform/temp_folder.h"
#include "platform/text.h"
#include "store/store_test_util.h"

class CArticleTestDataset : public CTestSurroundings {
 public:
  explicit CArticleTestDataset(const wchar_t* language = L"") : CTestSurroundings(language) {
    m_pDataset = Store().AddDataset(std::make_unique<CMatDatenSatz>());
    m_pDataset->m_strPath = m_Folder / L"D/test.mmd";
    Store().SetCurrent(m_pDataset);
  }

  CMatDatenSatz& Dataset() { return *m_pDataset; }
  const CString& Folder() const { return m_Folder.GetPath(); }

  Handle H(const wchar_t* text) {
    const Handle h = m_pDataset->FindHandle(text);
    return h != 0 ? h : m_pDataset->CreateHandle(text);
  }
  CMatTable* Table(const wchar_t* name, std::uint32_t type, CMatTable* parent = nullptr,
                   std::initializer_list<std::uint32_t> fields = {}) {
    CMatTable* t = Store().CreateTable(parent, name, static_cast<int>(type), 1);
    if (fields.size() > 0) {
      std::vector<std::uint32_t> def{static_cast<std::uint32_t>(fields.size())};
      def.insert(def.end(), fields);
      Store().SetStrucDef(t, def.data());
    }
    return t;
  }
  void SetText(CMatTable* t, const wchar_t* row, const wchar_t* text, int index = 0,
               int field = 0) {
    Store().SetCellValue(t, H(row), index, field, CCellInput::Text(text));
  }
  void SetValue(CMatTable* t, const wchar_t* row, std::uint32_t value, int index = 0,
                int field = 0) {
    Store().SetCellValue(t, H(row), index, field, CCellInput::Value(value));
  }
  // ArtikelInfo2 with its seven fields.
  CMatTable* Info2() {
    if (m_pInfo2 == nullptr) {
      m_pInfo2 = Table(L"ArtikelInfo2", eTypeStruct, nullptr,
                       {eTypeHandle, eTypeHandle, eTypeString, eTypeHandle, eTypeHandle,
                        eTypeString, eTypeInteger});
    }
    return m_pInfo2;
  }
  // Creates an empty file under the temporary folder.
  CString Touch(const std::string& relative) {
    const std::filesystem::path p = std::filesystem::path(ToUtf8(Folder())) / relative;
    std::filesystem::create_directories(p.parent_path());
    std::ofstream(p).put('x');
    return FromUtf8(p.string());
  }

 private:
  CTempFolder m_Folder;
  CMatDatenSatz* m_pDataset = nullptr;
  CMatTable* m_pInfo2 = nullptr;
};
