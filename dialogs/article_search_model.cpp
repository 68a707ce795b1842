// The article search's decisions: the catalogue, the group tabs, the
// articles of a group and the search through them, one bounded step at a
// time.
#include <cwctype>
#include <utility>

#include "OrvaMat/article.h"
#include "OrvaMat/dialogs.h"
#include "OrvaMat/host_ui.h"
#include "OrvaMat/mat_manager.h"
#include "OrvaMat/text.h"
#include "platform/text.h"
#include "query/article/article_read.h"
#include "query/article/table_lookup.h"
#include "query/path_lookup.h"
#include "query/string_read.h"
#include "store/mat_store.h"

namespace {

// The picture the article search loaded last, in any of its dialogs.
CString& LastLoadedPicture() {
  static CString path;
  return path;
}

// The picture file of the article, or "" when it is the one loaded last.
CString PictureToLoad(Handle hArticle) {
  CString path, info, resolved;
  CMatManager::GetArtikelBildDatei(path, info, hArticle);
  CMatManager::ResolveLibraryFile(resolved, path);
  if (resolved == LastLoadedPicture()) return {};
  LastLoadedPicture() = resolved;
  return resolved;
}

CMatDatenSatz* OpenDatasetOf(unsigned long prefix) {
  CMatDatenSatz* pDataset = CMatStore::Instance().GetDatasetOfHandle(Handle(prefix));
  return pDataset != nullptr && !pDataset->m_bClosed ? pDataset : nullptr;
}

// The main group an article was filed under: "ArtikelInfo2" field 1 holds
// the name handle of its group table.
constexpr int kInfo2MainGroup = 1;

bool IsWordChar(wchar_t c) { return std::iswalnum(static_cast<wint_t>(c)) != 0; }

}  // namespace

CArticleSearchOptions& ArticleSearchOptions() {
  static CArticleSearchOptions options;
  return options;
}

bool CArticleSearchModel::Matches(std::wstring_view candidate, std::wstring_view text,
                                  bool bWholeWord) {
  const std::size_t at = candidate.find(text);
  if (at == std::wstring_view::npos || text.empty()) return false;
  if (!bWholeWord) return true;
  // Only the first occurrence counts, as a word or not at all.
  const std::size_t end = at + text.size();
  return (at == 0 || !IsWordChar(candidate[at - 1])) &&
         (end == candidate.size() || !IsWordChar(candidate[end]));
}

CArticleSearchModel::CArticleSearchModel(Handle hArticle, CMatTable* pTable)
    : m_hSelected(hArticle) {
  CMatStore& store = CMatStore::Instance();
  unsigned long nPrefix = 0;
  const eMatManager rc = pTable != nullptr ? CMatManager::SelectDatasetOfTable(nPrefix, pTable)
                                           : CMatManager::SelectDatasetOfHandle(nPrefix, hArticle);
  if (rc == eMatOk && nPrefix != 0) {
    m_nPrefix = nPrefix;
    CMatTable* pInfo2 = nullptr;
    if (CMatDatenSatz* pDataset = OpenDatasetOf(nPrefix))
      pInfo2 = FindTopTableNamed(*pDataset, L"ArtikelInfo2");
    unsigned long hGroup = 0;
    if (CMatManager::GetValue(hGroup, pInfo2, hArticle, 0, kInfo2MainGroup) == eMatOk)
      m_hGroup = Handle(hGroup);
  } else {
    m_bCatalogues = true;
  }
  for (std::size_t i = 0; i < store.GetDatasetCount(); ++i) {
    CMatDatenSatz* pDataset = store.GetDataset(i);
    if (pDataset == nullptr || pDataset->m_bClosed) continue;
    CString name;
    if (ReadHerstellerName(store, name, *pDataset, true) != eMatOk || name.empty())
      name = L"Unbenannt";
    if (m_nPrefix == 0 && name.find(L"Benutzer") == CString::npos)
      m_nPrefix = pDataset->GetPrefix();
    if (m_nPrefix == pDataset->GetPrefix()) m_nCatalogue = static_cast<int>(m_Catalogues.size());
    m_Catalogues.push_back({pDataset->GetPrefix(), std::move(name)});
  }
  FillTabs();
}

void CArticleSearchModel::ChooseCatalogue(int i) {
  if (i < 0 || i >= static_cast<int>(m_Catalogues.size())) return;
  m_nCatalogue = i;
  m_nPrefix = m_Catalogues[std::size_t(i)].nPrefix;
  FillTabs();
}

void CArticleSearchModel::FillTabs() {
  const int nPrevious = m_nTab;
  m_Tabs.clear();
  m_nTab = -1;
  m_pKurzText = nullptr;
  m_Articles.clear();
  m_Items.clear();
  m_bTooMany = false;
  CMatDatenSatz* pDataset = OpenDatasetOf(m_nPrefix);
  if (pDataset == nullptr) return;
  CMatStore& store = CMatStore::Instance();
  ActivateDatasetOf(store, *pDataset);
  m_pKurzText = FindTopTableNamed(*pDataset, L"KurzText");
  CMatTable* pStrings = FindTopTableNamed(*pDataset, L"StringTable");
  CMatTable* pGroups = FindTopTableNamed(*pDataset, L"HauptWarenGruppen");
  if (pStrings == nullptr || pGroups == nullptr) return;
  int nSelect = -1;
  for (const auto& pChild : pGroups->m_Children) {
    CString text;
    if (ReadStringValue(store, text, pStrings, pChild->m_hName, 0, 0, true) != eMatOk) {
      const wchar_t* pName = CMatManager::HdlToString(pChild->m_hName);
      text = pName != nullptr ? pName : pChild->m_strName;
    }
    if (m_hGroup != 0 && pChild->m_hName == m_hGroup) nSelect = static_cast<int>(m_Tabs.size());
    m_Tabs.push_back({pChild.get(), std::move(text)});
  }
  if (m_Tabs.empty()) return;
  if (nSelect < 0)
    nSelect = nPrevious >= 0 && nPrevious < static_cast<int>(m_Tabs.size()) ? nPrevious : 0;
  SelectTab(nSelect);
}

void CArticleSearchModel::SelectTab(int i) {
  if (i < 0 || i >= static_cast<int>(m_Tabs.size())) return;
  m_nTab = i;
  m_Articles.clear();
  m_Items.clear();
  m_bItemsRead = false;
  m_bTooMany = false;
  CWaitCursor wait;
  CMatTable* pGroup = m_Tabs[std::size_t(i)].pGroup;
  if (CMatManager::GetItemCount(pGroup, false) > kMaxListed) {
    m_bTooMany = true;
    return;
  }
  bool bSelectedHere = false;
  for (POSITION pos = CMatManager::GetFirstRowPosition(pGroup); pos != nullptr;) {
    const Handle hArticle = Handle(CMatManager::GetNextRow(pGroup, pos));
    m_Articles.push_back(hArticle);
    bSelectedHere |= hArticle == m_hSelected && hArticle != 0;
  }
  // The selected article is listed when it has a short text.
  CString text;
  if (bSelectedHere && ReadShortText(m_hSelected, text)) m_bOkEnabled = true;
}

const std::vector<CArticleSearchModel::CItem>& CArticleSearchModel::GetItems() const {
  if (!m_bItemsRead) {
    m_bItemsRead = true;
    m_Items.clear();
    CString text;
    for (const Handle hArticle : m_Articles)
      if (ReadShortText(hArticle, text)) m_Items.push_back({hArticle, text});
  }
  return m_Items;
}

int CArticleSearchModel::GetSelectedItem() const {
  if (m_hSelected == 0) return -1;
  const std::vector<CItem>& items = GetItems();
  for (std::size_t i = 0; i < items.size(); ++i)
    if (items[i].hArticle == m_hSelected) return static_cast<int>(i);
  return -1;
}

bool CArticleSearchModel::SelectItem(std::size_t i, CString& picture) {
  picture.clear();
  if (i >= GetItems().size()) return false;
  m_hSelected = m_Items[i].hArticle;
  m_bOkEnabled = true;
  picture = PictureToLoad(m_hSelected);
  return true;
}

CArticleSearchModel::eSearch CArticleSearchModel::BeginSearch(const CString& text, bool bAsTyped) {
  if (text.empty()) return eSearch::kEmptyText;
  m_strSearch = ArticleSearchOptions().bMatchCase ? text : ToUpper(text);
  if (m_nTab < 0) return eSearch::kNotFound;
  m_nStartTab = m_nTab;
  m_nStartPos = -1;
  for (std::size_t i = 0; i < m_Articles.size(); ++i)
    if (m_Articles[i] == m_hSelected && m_hSelected != 0) m_nStartPos = static_cast<long long>(i);
  // Nothing selected: the search starts just outside the group, so that it
  // meets every article once (downwards the first first, upwards the last).
  if (m_nStartPos < 0 && !ArticleSearchOptions().bDownwards)
    m_nStartPos = static_cast<long long>(m_Articles.size());
  m_nPos = m_nStartPos;
  m_bStartIsCandidate =
      bAsTyped && m_nStartPos >= 0 && m_nStartPos < static_cast<long long>(m_Articles.size());
  return eSearch::kRunning;
}

bool CArticleSearchModel::Advance() {
  if (m_bStartIsCandidate) {
    m_bStartIsCandidate = false;
    return true;  // m_nPos stands on the start
  }
  const CArticleSearchOptions& options = ArticleSearchOptions();
  const bool bAcrossTabs = options.bAllGroups && m_Tabs.size() > 1;
  const int nTabs = static_cast<int>(m_Tabs.size());
  long long pos = m_nPos + (options.bDownwards ? 1 : -1);
  // Past an end: into the next or previous group, or around within this one.
  for (int nMoves = 0; pos < 0 || pos >= static_cast<long long>(m_Articles.size()); ++nMoves) {
    if (bAcrossTabs) SelectTab((m_nTab + (options.bDownwards ? 1 : nTabs - 1)) % nTabs);
    // A start outside its group is passed on entering that group again.
    const bool bStartOutside =
        m_nStartPos < 0 || m_nStartPos >= static_cast<long long>(m_Articles.size());
    if ((m_nTab == m_nStartTab && bStartOutside) || nMoves > nTabs) return false;
    pos = options.bDownwards ? 0 : static_cast<long long>(m_Articles.size()) - 1;
  }
  if (m_nTab == m_nStartTab && pos == m_nStartPos) return false;
  m_nPos = pos;
  return true;
}

bool CArticleSearchModel::ReadShortText(Handle hArticle, CString& out) const {
  out.clear();
  return m_pKurzText != nullptr && ReadTextPreferLanguage(CMatStore::Instance(), m_pKurzText,
                                                          hArticle, 0, 0, true, out) == eMatOk;
}

bool CArticleSearchModel::IsMatchText(std::wstring_view candidate) const {
  const CArticleSearchOptions& options = ArticleSearchOptions();
  if (options.bMatchCase) return Matches(candidate, m_strSearch, options.bWholeWord);
  // Upper-cased into one buffer: a search meets every article of a dataset.
  m_strCandidate.assign(candidate);
  for (wchar_t& c : m_strCandidate) {
    if (c >= L'a' && c <= L'z')
      c = static_cast<wchar_t>(c - (L'a' - L'A'));
    else if (c >= 0x80)
      c = ToUpperChar(c);
  }
  return Matches(m_strCandidate, m_strSearch, options.bWholeWord);
}

bool CArticleSearchModel::IsMatch(Handle hArticle) const {
  const wchar_t* pNumber = CMatManager::HdlToString(hArticle);
  if (pNumber != nullptr && IsMatchText(pNumber)) return true;
  return ReadShortText(hArticle, m_strShortText) && IsMatchText(m_strShortText);
}

CArticleSearchModel::eSearch CArticleSearchModel::Step(std::size_t nCandidates, CString& picture) {
  picture.clear();
  if (m_strSearch.empty() || m_nTab < 0) return eSearch::kNotFound;
  for (std::size_t n = 0; n < nCandidates; ++n) {
    if (!Advance()) {
      m_strSearch.clear();
      return eSearch::kNotFound;
    }
    const Handle hArticle = m_Articles[std::size_t(m_nPos)];
    if (!IsMatch(hArticle)) continue;
    m_strSearch.clear();
    m_hSelected = hArticle;
    m_bOkEnabled = true;
    picture = PictureToLoad(hArticle);
    return eSearch::kFound;
  }
  return eSearch::kRunning;
}
