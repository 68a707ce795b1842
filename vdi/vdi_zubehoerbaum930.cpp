// CVDIZubehoerbaum930: the accessory tree of a configured product
// (OrvaMat/vdi_accessories.h, docs/accessories.md).
#include <algorithm>
#include <string>
#include <unordered_set>

#include "OrvaMat/vdi_accessories.h"
#include "store/base/guarded_call.h"
#include "store/base/message.h"
#include "store/base/translation.h"
#include "store/mat_store.h"
#include "store/table_names.h"
#include "vdi/accessory_conditions.h"
#include "vdi/record_layout.h"

using vdiaccessory::Field;
using vdiaccessory::NameBegins;
using vdirecord::ReadInteger;

namespace {

constexpr int kGroupImage = 1;
constexpr int kArticleImage = 2;
// Groups nested deeper than this are not followed: every group on a path is
// another one, so only a file of thousands of groups naming each other in a
// chain gets here, and the walk must not run off the stack.
constexpr std::size_t kMaxDepth = 64;

// The part after the last "-" of a table's name: the record's index.
std::wstring_view IndexOf(const CMatTable& table) {
  const std::wstring_view name = TableNameText(table);
  const std::size_t nDash = name.rfind(L'-');
  return nDash == std::wstring_view::npos ? std::wstring_view() : name.substr(nDash + 1);
}

}  // namespace

// The state of one build.
struct CVDIZubehoerbaum930::CBuild {
  CMatStore& m_Store;
  vdiaccessory::CArticleContext m_Articles;
  std::vector<std::int32_t> m_TagGroups;
  std::vector<std::int32_t> m_Path;  // the group numbers on the way down
  std::wstring m_strKey;
  std::size_t m_nItems = 0;
  bool m_bCut = false;  // items were left out
};

CVDIZubehoerbaum930::CVDIZubehoerbaum930(CTreeCtrl* tree, const bool& all, CMatTable* product,
                                         CString tgaTag, std::vector<double>& quantities,
                                         CStringList& selection)
    : m_bAll(all),
      m_pProduct(product),
      m_strTgaTag(std::move(tgaTag)),
      m_Quantities(quantities),
      m_pTree(tree),
      m_Selection(selection) {}

HTREEITEM CVDIZubehoerbaum930::Insert(CBuild& build, const CString& text, int nImage,
                                      HTREEITEM parent) {
  if (build.m_nItems >= kMaxItems) {
    build.m_bCut = true;
    return nullptr;
  }
  const HTREEITEM item = m_pTree->InsertItem(text, nImage, nImage, parent);
  if (item != nullptr) ++build.m_nItems;
  return item;
}

void CVDIZubehoerbaum930::RebuildZubehoerbaum() {
  GuardedCall(0, [&] {
    if (m_pTree == nullptr) return 0;
    m_pTree->DeleteAllItems();
    m_ArticleItems.clear();
    m_KeyOfItem.clear();
    if (!m_bImagesGiven) {
      m_pTree->SetImageList(CTreeImageList{372, 16, 0xFFFFFF});
      m_bImagesGiven = true;
    }
    m_pTree->AddStyle(TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT);
    if (m_pProduct == nullptr) return 0;
    if (!m_bAll && (m_strTgaTag.empty() || m_Quantities.empty())) return 0;
    m_ItemKeys.clear();
    m_pSheet = m_pProduct->m_pParent != nullptr ? m_pProduct->m_pParent->m_pParent : nullptr;

    CMatStore& store = CMatStore::Instance();
    CBuild build{store,
                 {store, m_pProduct, ParseTgaTag(m_strTgaTag), m_Quantities, m_bAll},
                 vdiaccessory::EntryTagGroups(m_strTgaTag),
                 {},
                 {}};
    HTREEITEM root = nullptr;
    for (const auto& p830 : m_pProduct->m_Children) {
      if (!NameBegins(*p830, L"830-")) continue;
      if (root == nullptr) {
        root = Insert(build, LibraryTranslation().TranslateText(L"Zubehör-Auswahl"), 0, nullptr);
        if (root == nullptr) break;
        m_pTree->SetCheckBox(root, false);
        m_pTree->SetItemData(root, m_pProduct);
      }
      build.m_strKey = IndexOf(*p830);
      const CString text = vdiaccessory::RecordText(store, p830.get());
      AddGroup(build, ReadInteger(Field(text, 1)), root);
      m_pTree->Expand(root);
    }
    MarkSelection();
    if (build.m_bCut)
      ShowMessage(MB_OK | MB_ICONWARNING,
                  L"Der Zubehörbaum ist zu groß. Es werden nur die ersten %d Einträge gezeigt.",
                  static_cast<int>(kMaxItems));
    return 0;
  });
}

void CVDIZubehoerbaum930::AddGroup(CBuild& build, std::int32_t nGroup, HTREEITEM parent) {
  CMatTable* pGroup = vdiaccessory::FindNumbered(m_pSheet, L"930", nGroup);
  if (pGroup == nullptr) return;
  // A group already on the way down would repeat itself for ever.
  if (std::find(build.m_Path.begin(), build.m_Path.end(), nGroup) != build.m_Path.end()) return;
  if (build.m_Path.size() >= kMaxDepth) {
    build.m_bCut = true;
    return;
  }
  const HTREEITEM groupItem =
      Insert(build, CString(Field(vdiaccessory::RecordText(build.m_Store, pGroup), 1)), kGroupImage,
             parent);
  if (groupItem == nullptr) return;
  const std::size_t nGroupKey = build.m_strKey.size();
  build.m_strKey += L'-';
  build.m_strKey += std::to_wstring(nGroup);
  build.m_Path.push_back(nGroup);
  for (const auto& pEntry : pGroup->m_Children) {
    if (!NameBegins(*pEntry, L"930_01") ||
        !vdiaccessory::PassesEntryCondition(build.m_Store, pEntry.get(), build.m_TagGroups))
      continue;
    const std::size_t nEntryKey = build.m_strKey.size();
    build.m_strKey += L'-';
    build.m_strKey += IndexOf(*pEntry);
    const CString text = vdiaccessory::RecordText(build.m_Store, pEntry.get());
    if (const std::int32_t nNext = ReadInteger(Field(text, 2)); nNext == 0) {
      const HTREEITEM entryItem = Insert(build, CString(Field(text, 1)), kGroupImage, groupItem);
      if (entryItem != nullptr) {
        const std::size_t nBefore = m_ItemKeys.size();
        AddArticles(build, pEntry.get(), entryItem);
        if (m_ItemKeys.size() == nBefore) m_pTree->DeleteItem(entryItem);
      }
    } else {
      AddGroup(build, nNext, groupItem);
      m_pTree->Expand(groupItem);
    }
    build.m_strKey.resize(nEntryKey);
  }
  build.m_Path.pop_back();
  build.m_strKey.resize(nGroupKey);
}

void CVDIZubehoerbaum930::AddArticles(CBuild& build, CMatTable* pEntry, HTREEITEM entryItem) {
  for (const auto& pArticle : pEntry->m_Children) {
    if (!NameBegins(*pArticle, L"930_03") ||
        !vdiaccessory::PassesArticleCondition(build.m_Articles, pArticle.get()))
      continue;
    const CString text = vdiaccessory::RecordText(build.m_Store, pArticle.get());
    const std::int32_t n900 = ReadInteger(Field(text, 1));
    CMatTable* p900 = vdiaccessory::FindNumbered(m_pSheet, L"900", n900);
    if (p900 == nullptr) continue;
    const CString itemText = CString(Field(vdiaccessory::RecordText(build.m_Store, p900), 6)) +
                             L", Anzahl: " + std::to_wstring(ReadInteger(Field(text, 2))) + L" " +
                             CString(Field(text, 4));
    const HTREEITEM item = Insert(build, itemText, kArticleImage, entryItem);
    if (item == nullptr) return;
    m_pTree->SetItemData(item, p900);
    m_KeyOfItem.emplace(item, m_ItemKeys.size());
    m_ArticleItems.push_back(item);
    m_ItemKeys.push_back(build.m_strKey + L'-' + CString(IndexOf(*pArticle)) + L'-' +
                         std::to_wstring(n900));
    m_pTree->Expand(entryItem);
  }
}

CString CVDIZubehoerbaum930::GetItemKey(HTREEITEM item) const {
  const auto it = m_KeyOfItem.find(item);
  return it != m_KeyOfItem.end() ? m_ItemKeys[it->second] : CString();
}

void CVDIZubehoerbaum930::Choose(const CString& key, bool bChecked) {
  const auto it = std::find(m_Selection.begin(), m_Selection.end(), key);
  if (bChecked) {
    if (it == m_Selection.end()) m_Selection.push_back(key);
  } else {
    m_Selection.erase(std::remove(m_Selection.begin(), m_Selection.end(), key), m_Selection.end());
  }
}

void CVDIZubehoerbaum930::SetAncestors(HTREEITEM item, bool bChecked) {
  for (HTREEITEM p = m_pTree->GetParentItem(item); p != nullptr; p = m_pTree->GetParentItem(p))
    m_pTree->SetCheck(p, bChecked);
}

void CVDIZubehoerbaum930::SetSubtree(HTREEITEM item, bool bChecked) {
  // Depth first in item order, without recursion.
  std::vector<HTREEITEM> pending{item};
  std::vector<HTREEITEM> children;
  while (!pending.empty()) {
    const HTREEITEM current = pending.back();
    pending.pop_back();
    if (current != item) {
      m_pTree->SetCheck(current, bChecked);
      if (const auto it = m_KeyOfItem.find(current); it != m_KeyOfItem.end()) {
        m_Changes.push_back(m_ItemKeys[it->second]);
        Choose(m_ItemKeys[it->second], bChecked);
      }
    }
    children.clear();
    for (HTREEITEM c = m_pTree->GetChildItem(current); c != nullptr;
         c = m_pTree->GetNextSiblingItem(c))
      children.push_back(c);
    pending.insert(pending.end(), children.rbegin(), children.rend());
  }
}

void CVDIZubehoerbaum930::MarkSelection() {
  for (HTREEITEM item : m_ArticleItems) m_pTree->SetCheck(item, false);
  const std::unordered_set<CString> chosen(m_Selection.begin(), m_Selection.end());
  for (std::size_t i = 0; i < m_ArticleItems.size(); ++i) {
    if (!chosen.contains(m_ItemKeys[i])) continue;
    m_pTree->SetCheck(m_ArticleItems[i], true);
    SetAncestors(m_ArticleItems[i], true);
  }
}

bool CVDIZubehoerbaum930::setItemStates(HTREEITEM item) {
  return GuardedCall(false, [&] {
    if (m_pTree == nullptr || item == nullptr) return false;
    // Only items of this build: the top item above the clicked one is the
    // root this tree inserted.
    HTREEITEM top = item;
    for (HTREEITEM p = m_pTree->GetParentItem(top); p != nullptr; p = m_pTree->GetParentItem(p))
      top = p;
    if (top != m_pTree->GetRootItem() || m_pTree->GetItemData(top) != m_pProduct) return false;

    const bool bChecked = !m_pTree->GetCheck(item);
    m_Changes.clear();
    if (const auto it = m_KeyOfItem.find(item); it != m_KeyOfItem.end()) {
      m_Changes.push_back(m_ItemKeys[it->second]);
      Choose(m_ItemKeys[it->second], bChecked);
    } else {
      SetSubtree(item, bChecked);
    }
    SetAncestors(item, bChecked);
    if (bChecked) return true;
    MarkSelection();
    m_pTree->SetCheck(item, true);
    return false;
  });
}

void CVDIZubehoerbaum930::getAuswahlAenderungen(CStringList& out) { out = m_Changes; }
