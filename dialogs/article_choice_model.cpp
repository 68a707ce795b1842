// The article choice's decisions: the items of the list, the chosen article
// and the picture to load.
#include "OrvaMat/article.h"
#include "OrvaMat/dialogs.h"
#include "OrvaMat/mat_manager.h"
#include "platform/format.h"
#include "store/base/translation.h"

namespace {

// The picture the article choice loaded last, in any of its dialogs of this
// process: a second article of the same picture does not load it again.
CString& LastLoadedPicture() {
  static CString path;
  return path;
}

CString PictureOf(Handle hArticle) {
  CString path, info;
  CMatManager::GetArtikelBildDatei(path, info, hArticle);
  CString resolved;
  CMatManager::ResolveLibraryFile(resolved, path);
  return resolved;
}

}  // namespace

CArticleChoiceModel::CArticleChoiceModel(const CPtrList& handles) {
  const CString label = LibraryTranslation().TranslateText(L"Art-Nr.");
  for (void* entry : handles) {
    const auto hArticle = static_cast<Handle>(reinterpret_cast<std::uintptr_t>(entry));
    CString shortText;
    if (CMatManager::GetKurzText(shortText, hArticle) != eMatOk) continue;
    const wchar_t* pNumber = CMatManager::HdlToString(hArticle);
    m_Items.push_back({hArticle, Format(L"%s %s\n%s", label, pNumber, shortText)});
  }
}

CString CArticleChoiceModel::GetInitialPicture() { return PictureOf(0); }

bool CArticleChoiceModel::Select(std::size_t i, CString& picture) {
  picture.clear();
  if (i >= m_Items.size()) return false;
  m_hChosen = m_Items[i].hArticle;
  m_bOkEnabled = true;
  CString path = PictureOf(m_hChosen);
  if (path != LastLoadedPicture()) {
    LastLoadedPicture() = path;
    picture = std::move(path);
  }
  return true;
}
