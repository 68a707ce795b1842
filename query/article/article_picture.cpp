// Picture files of articles: the picture name from "GRAFIK1A" and the search
// for the file in the "BMP" folder beside the dataset's folder.
#include <array>

#include "OrvaMat/article.h"
#include "OrvaMat/mat_manager.h"
#include "query/article/article_read.h"
#include "query/article/library_files.h"
#include "query/article/table_lookup.h"
#include "store/base/file_path.h"
#include "store/mat_store.h"

namespace {

constexpr std::array<const wchar_t*, 4> kExtensions = {L".bmp", L".pcx", L".jpg", L".png"};
constexpr const wchar_t* kDefault = L"default";

// The folder the dataset's picture and data folders lie in: the parent of
// the database file's folder.
CString DatasetBase(const CMatDatenSatz& dataset) {
  return CFilePath(CFilePath(dataset.m_strPath).GetFolder()).GetFolder();
}

// The first of name + each extension that exists in folder, or empty.
CString FindWithExtensions(const CFileFinder& folder, const CString& name) {
  if (name.empty()) return {};
  CString file = name;
  for (const wchar_t* ext : kExtensions) {
    file.resize(name.size());
    file += ext;
    CString path = folder.Find(file);
    if (!path.empty()) return path;
  }
  return {};
}

CString NameOfHandle(const CArticleContext& context, std::uint32_t h) {
  return context.Dataset()->GetName(h).ToString();
}

}  // namespace

eMatManager CMatArticleCalls::GetArtikelGrafik(CString& file, CString& info,
                                               unsigned long article) {
  file.clear();
  Handle hArticle = static_cast<Handle>(article);
  CArticleContext context(CMatStore::Instance(), hArticle);
  CMatTable* pInfo2 = context.Table(L"ArtikelInfo2");
  if (pInfo2 == nullptr) return eMatNoTable;
  std::uint32_t hGraphic = 0;
  if (ReadCell(context.Store(), pInfo2, hArticle, 0, 3, hGraphic) != eMatOk) hGraphic = hArticle;
  eMatManager rc = eMatOk;
  if (hGraphic != 0) {
    CMatTable* pGrafik = context.Table(L"GRAFIK1A");
    rc = ReadTextPreferLanguage(context.Store(), pGrafik, hGraphic, 0, 0, true, file);
    if (pGrafik != nullptr) {
      ReadTextPreferLanguage(context.Store(), pGrafik, hGraphic, 0, 1, false, info);
    }
    if (rc != eMatOk) hArticle = hGraphic;
  }
  if (hArticle == 0) {
    file = L"default.bmp";
  } else if (file.empty()) {
    const CString name = NameOfHandle(context, hArticle);
    file = name.substr(0, name.find(L'.')) + L".BMP";
  }
  return rc;
}

eMatManager CMatArticleCalls::GetArtikelBildDatei(CString& path, CString& info,
                                                  unsigned long article) {
  CString name;
  if (!path.empty()) {
    name = std::move(path);
    path.clear();
  } else if (article != 0) {
    CMatManager::GetArtikelGrafik(name, info, article);
  } else {
    name = kDefault;
  }
  if (name.size() >= 4 && name[name.size() - 4] == L'.') name.resize(name.size() - 4);
  const auto hArticle = static_cast<Handle>(article);
  CArticleContext context(CMatStore::Instance(), hArticle);
  if (context.Dataset() == nullptr) return eMatNoTable;
  const CString base = DatasetBase(*context.Dataset());
  const CFileFinder pictures(CFilePath(base) ^ CFilePath(L"BMP"));
  const CString& language = GetCurrentLanguage();
  const CFileFinder languagePictures(
      language.empty() ? CString()
                       : CString(CFilePath(pictures.GetFolder()) ^ CFilePath(language)));
  CMatTable* pInfo2 = context.Table(L"ArtikelInfo2");
  CMatTable* pLang = context.Table(L"LangText");
  for (int pass = 0; pass < 2; ++pass, name = kDefault) {
    if (!language.empty()) {
      path = FindWithExtensions(languagePictures, name);
      if (!path.empty()) return eMatOk;
    }
    path = FindWithExtensions(pictures, name);
    if (!path.empty()) return eMatOk;
    std::uint32_t hKey = 0;
    const eMatManager rc = ReadCell(context.Store(), pInfo2, hArticle, 0, 0, hKey);
    if (hKey == 0) {
      path = FindExistingFile(base, L"default.jpg");
      if (!path.empty()) return rc;
    }
    CString key = NameOfHandle(context, hKey);
    for (wchar_t& c : key) c = c == L'.' ? L'-' : c;
    path = FindWithExtensions(pictures, key);
    if (!path.empty()) return eMatOk;
    std::uint32_t hLangKey = 0;
    if (ReadCell(context.Store(), pLang, hArticle, 0, 0, hLangKey) == eMatOk) {
      path = FindWithExtensions(pictures, NameOfHandle(context, hLangKey));
      if (!path.empty()) return eMatOk;
    }
  }
  path = CFilePath(pictures.GetFolder()) ^ CFilePath(L"default.bmp");
  return eMatNoRow;
}

eMatManager CMatArticleCalls::FindDatasetFile(CString& name, const wchar_t* folder,
                                              const wchar_t* ext) {
  CMatDatenSatz* pDataset = CMatStore::Instance().GetCurrent();
  if (pDataset == nullptr) return eMatNoTable;
  const CString dir =
      CFilePath(DatasetBase(*pDataset)) ^ CFilePath(folder != nullptr ? folder : L"");
  const CString file = name + (ext != nullptr ? ext : L"");
  const CString& language = GetCurrentLanguage();
  CString found;
  if (!language.empty()) found = FindExistingFile(CFilePath(dir) ^ CFilePath(language), file);
  if (found.empty()) found = FindExistingFile(dir, file);
  if (found.empty()) return eMatNoItem;
  name = found;
  return eMatOk;
}
