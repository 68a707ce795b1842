// The article search's decisions: the catalogue, the group tabs, the
// articles of a group and the search through them, one bounded step at a
// time.
#include <algorithm>
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

// The upper case of text as the search compares it, into out.
void UpperInto(std::wstring_view text, CString& out) {
  out.assign(text);
  for (wchar_t& c : out) {
    if (c >= L'a' && c <= L'z')
      c = static_cast<wchar_t>(c - (L'a' - L'A'));
    else if (c >= 0x80)
      c = ToUpperChar(c);
  }
}

// Whether every character of text is one code point in UTF-8 as well, so
// that a match in the UTF-8 form is a match in the wide form and the same
// characters stand around it.
bool IsOneToOneInUtf8(std::wstring_view text) {
  for (const wchar_t c : text) {
    const auto cp = static_cast<char32_t>(c);
    if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) return false;
  }
  return true;
}

// The code point whose UTF-8 sequence starts at bytes[i] (valid UTF-8, as
// AppendToUtf8 writes it).
char32_t CodePointAt(std::string_view bytes, std::size_t i) {
  const auto lead = static_cast<unsigned char>(bytes[i]);
  if (lead < 0x80) return lead;
  const int nMore = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : 1;
  char32_t cp = lead & (0x3F >> nMore);
  for (int k = 1; k <= nMore && i + std::size_t(k) < bytes.size(); ++k)
    cp = (cp << 6) | (static_cast<unsigned char>(bytes[i + std::size_t(k)]) & 0x3F);
  return cp;
}

bool IsWordByte(std::string_view bytes, std::size_t i) {
  return IsWordChar(static_cast<wchar_t>(CodePointAt(bytes, i)));
}

// Matches on the UTF-8 forms: the first occurrence only, as for the wide
// form.
bool MatchesUtf8(std::string_view candidate, std::string_view text, bool bWholeWord) {
  const std::size_t at = candidate.find(text);
  if (at == std::string_view::npos) return false;
  if (!bWholeWord) return true;
  std::size_t before = at;
  while (before > 0 && (static_cast<unsigned char>(candidate[--before]) & 0xC0) == 0x80) {
  }
  const std::size_t end = at + text.size();
  return (at == 0 || !IsWordByte(candidate, before)) &&
         (end == candidate.size() || !IsWordByte(candidate, end));
}

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
  m_Index.clear();
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
  m_Index.resize(m_Tabs.size());
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
  if (CMatManager::GetItemCount(m_Tabs[std::size_t(i)].pGroup, false) > kMaxListed) {
    m_bTooMany = true;
    return;
  }
  const CGroupIndex& index = m_Index[std::size_t(i)];
  if (index.bBuilt)
    m_Articles = index.articles;
  else
    ListArticles(std::size_t(i), m_Articles);
  // The selected article is listed when it has a short text.
  CString text;
  if (m_hSelected != 0 &&
      std::find(m_Articles.begin(), m_Articles.end(), m_hSelected) != m_Articles.end() &&
      ReadShortText(m_hSelected, text))
    m_bOkEnabled = true;
}

void CArticleSearchModel::ListArticles(std::size_t nTab, std::vector<Handle>& articles) const {
  articles.clear();
  CMatTable* pGroup = m_Tabs[nTab].pGroup;
  if (CMatManager::GetItemCount(pGroup, false) > kMaxListed) return;
  articles.reserve(std::size_t(CMatManager::GetItemCount(pGroup, false)));
  for (POSITION pos = CMatManager::GetFirstRowPosition(pGroup); pos != nullptr;)
    articles.push_back(Handle(CMatManager::GetNextRow(pGroup, pos)));
}

bool CArticleSearchModel::IndexNextGroup() {
  // Groups are indexed in the order a search downwards meets them; true
  // while one is left after this one.
  const std::size_t nTabs = m_bIndexing ? m_Index.size() : 0;
  const std::size_t nFirst = std::size_t(std::max(m_nTab, 0));
  bool bBuiltOne = false;
  for (std::size_t n = 0; n < nTabs; ++n) {
    const std::size_t nTab = (nFirst + n) % nTabs;
    if (m_Index[nTab].bBuilt) continue;
    if (bBuiltOne) return true;
    BuildIndex(nTab);
    bBuiltOne = true;
  }
  return false;
}

void CArticleSearchModel::BuildIndex(std::size_t nTab) {
  CGroupIndex index;
  ListArticles(nTab, index.articles);
  const std::size_t n = index.articles.size();
  index.upperEnds.reserve(2 * n);
  index.exactEnds.reserve(2 * n);
  index.bSlow.assign(n, false);
  CString text, upper;
  auto append = [&index, &upper](std::wstring_view candidate) {
    AppendToUtf8(candidate, index.exact);
    UpperInto(candidate, upper);
    AppendToUtf8(upper, index.upper);
    index.exactEnds.push_back(static_cast<std::uint32_t>(index.exact.size()));
    index.upperEnds.push_back(static_cast<std::uint32_t>(index.upper.size()));
  };
  for (std::size_t i = 0; i < n; ++i) {
    const wchar_t* pNumber = CMatManager::HdlToString(index.articles[i]);
    const std::wstring_view number = pNumber != nullptr ? pNumber : L"";
    if (!ReadShortText(index.articles[i], text)) text.clear();
    index.bSlow[i] = !IsOneToOneInUtf8(number) || !IsOneToOneInUtf8(text);
    append(index.bSlow[i] ? L"" : number);
    append(index.bSlow[i] ? L"" : std::wstring_view(text));
    // Offsets are 32-bit: a group past that is searched through its tables.
    if (index.upper.size() > 0xFFFFFFF0u || index.exact.size() > 0xFFFFFFF0u) {
      index.upper.clear();
      index.exact.clear();
      index.bSlow.assign(n, true);
      break;
    }
  }
  index.bBuilt = true;
  m_Index[nTab] = std::move(index);
}

bool CArticleSearchModel::IsIndexedMatch(const CGroupIndex& index, std::size_t i) const {
  const CArticleSearchOptions& options = ArticleSearchOptions();
  const std::string& bytes = options.bMatchCase ? index.exact : index.upper;
  const std::vector<std::uint32_t>& ends = options.bMatchCase ? index.exactEnds : index.upperEnds;
  const std::size_t begin = i == 0 ? 0 : ends[2 * i - 1];
  const std::string_view number(bytes.data() + begin, ends[2 * i] - begin);
  const std::string_view text(bytes.data() + ends[2 * i], ends[2 * i + 1] - ends[2 * i]);
  return MatchesUtf8(number, m_strSearchUtf8, options.bWholeWord) ||
         MatchesUtf8(text, m_strSearchUtf8, options.bWholeWord);
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
  m_strSearchUtf8.clear();
  if (IsOneToOneInUtf8(m_strSearch)) AppendToUtf8(m_strSearch, m_strSearchUtf8);
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
  UpperInto(candidate, m_strCandidate);
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
    const auto i = std::size_t(m_nPos);
    const Handle hArticle = m_Articles[i];
    // A group the search enters before the window indexed it is indexed
    // now: that reads each article's texts once, as comparing them would,
    // and the next keystroke finds them in memory.
    if (m_bIndexing && !m_strSearchUtf8.empty() && !m_Index[std::size_t(m_nTab)].bBuilt) {
      BuildIndex(std::size_t(m_nTab));
      n += m_Index[std::size_t(m_nTab)].articles.size();
    }
    const CGroupIndex& index = m_Index[std::size_t(m_nTab)];
    const bool bIndexed = index.bBuilt && !m_strSearchUtf8.empty() &&
                          index.articles.size() == m_Articles.size() && !index.bSlow[i];
    if (!(bIndexed ? IsIndexedMatch(index, i) : IsMatch(hArticle))) continue;
    m_strSearch.clear();
    m_hSelected = hArticle;
    m_bOkEnabled = true;
    picture = PictureToLoad(hArticle);
    return eSearch::kFound;
  }
  return eSearch::kRunning;
}
