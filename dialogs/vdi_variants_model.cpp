// The product variants dialog's decisions: the variants tree by kind, the
// default of each kind, and the options of a product without accessories.
#include <algorithm>
#include <cwchar>
#include <optional>

#include "OrvaMat/dialogs.h"
#include "platform/format.h"
#include "platform/registry.h"
#include "query/string_read.h"
#include "store/base/translation.h"
#include "store/mat_store.h"
#include "store/table_names.h"
#include "vdi/record_layout.h"
#include "vdi/vdi3805_tag.h"

namespace {

struct CKind {
  unsigned nKind;
  const wchar_t* pGroup;
};
constexpr CKind kKinds[] = {{0x200, L"Druckstufen"},
                            {0x300, L"Oberflächen"},
                            {0x400, L"Anschlussarten"},
                            {0x500, L"Verfügbarkeiten"}};

unsigned KindOf(const Cvdi3805Tag& tag) { return tag.m_nRecordId >> 16; }

// Where the dialog keeps its window: the company's and application's
// settings key, value "CVDIoptionenDlg" ("x,y,width,height").
constexpr const wchar_t* kPlacementKey = L"Software\\Teskar GmbH\\OrvaMat\\Settings\\";
constexpr const wchar_t* kPlacementValue = L"CVDIoptionenDlg";

// A table's name without the dataset prefix ("ID\" before the first
// backslash).
std::wstring_view NameWithoutPrefix(const CMatTable& table) {
  std::wstring_view name = TableNameText(table);
  const std::size_t slash = name.find(L'\\');
  return slash == std::wstring_view::npos ? name : name.substr(slash + 1);
}

CVdiVariantItem ItemOf(Cvdi3805Tag& tag) { return {&tag, tag.m_strText, tag.m_bDefault, {}}; }

}  // namespace

CVdiVariantsModel::CVdiVariantsModel(Cvdi3805Tag* product, const CStringList& selection)
    : m_pProduct(product), m_Selection(selection) {
  CMatTable* pProduct = GetProductTable();
  if (pProduct == nullptr) return;
  for (const auto& pNode : m_pProduct->m_Children) {
    m_Defaults.emplace_back(pNode.get(), pNode->m_bDefault);
    for (const auto& pSub : pNode->m_Children)
      m_Defaults.emplace_back(pSub.get(), pSub->m_bDefault);
  }
  // Accessories when the product's sheet (an ancestor) has 930 records.
  for (const CMatTable* p = pProduct; p != nullptr && !m_bAccessories; p = p->m_pParent)
    for (const auto& pChild : p->m_Children)
      if (NameWithoutPrefix(*pChild).starts_with(L"930")) m_bAccessories = true;
  if (m_bAccessories) return;
  CMatStore& store = CMatStore::Instance();
  for (const auto& pChild : pProduct->m_Children) {
    const std::wstring_view name = NameWithoutPrefix(*pChild);
    if (!name.starts_with(L"160")) continue;
    CVdiOption option;
    option.strKey = CString(name.size() > 4 ? name.substr(4) : std::wstring_view());
    CString text;
    if (ReadStringValue(store, text, pChild.get(), pChild->m_hName, 0, 0, false) == eMatOk)
      option.strText = CString(vdirecord::RecordPiece(text, 0));
    option.bChecked =
        std::find(m_Selection.begin(), m_Selection.end(), option.strKey) != m_Selection.end();
    m_Options.push_back(std::move(option));
  }
}

CMatTable* CVdiVariantsModel::GetProductTable() const {
  return m_pProduct != nullptr ? m_pProduct->m_pTable : nullptr;
}

std::vector<CVdiVariantGroup> CVdiVariantsModel::GetGroups() const {
  std::vector<CVdiVariantGroup> groups;
  for (const CKind& kind : kKinds)
    groups.push_back({LibraryTranslation().TranslateText(kind.pGroup), {}});
  if (m_pProduct == nullptr) return groups;
  for (const auto& pNode : m_pProduct->m_Children) {
    for (std::size_t g = 0; g < std::size(kKinds); ++g) {
      if (KindOf(*pNode) != kKinds[g].nKind) continue;
      CVdiVariantItem item = ItemOf(*pNode);
      if (pNode->m_bDefault) {
        for (const auto& pSub : pNode->m_Children)
          if (KindOf(*pSub) == kKinds[g].nKind + 0x50 || KindOf(*pSub) == kKinds[g].nKind + 0x60)
            item.children.push_back(ItemOf(*pSub));
      }
      groups[g].items.push_back(std::move(item));
    }
  }
  return groups;
}

bool CVdiVariantsModel::SelectVariant(Cvdi3805Tag* tag) {
  // Only a variant of this product (or a sub-kind of one) can be chosen.
  if (tag == nullptr || tag->m_bDefault || m_pProduct == nullptr) return false;
  Cvdi3805Tag* pParent = tag->m_pParent;
  if (pParent != m_pProduct && (pParent == nullptr || pParent->m_pParent != m_pProduct))
    return false;
  for (const auto& pSibling : pParent->m_Children)
    if (KindOf(*pSibling) == KindOf(*tag)) pSibling->m_bDefault = false;
  tag->m_bDefault = true;
  return true;
}

void CVdiVariantsModel::ApplyOptions() {
  for (const CVdiOption& option : m_Options) {
    const auto at = std::find(m_Selection.begin(), m_Selection.end(), option.strKey);
    if (option.bChecked && at == m_Selection.end()) m_Selection.push_back(option.strKey);
    if (!option.bChecked && at != m_Selection.end()) m_Selection.erase(at);
  }
}

void CVdiVariantsModel::RestoreDefaults() {
  for (const auto& [pTag, bDefault] : m_Defaults) pTag->m_bDefault = bDefault;
}

bool CVdiVariantsModel::LoadPlacement(int& x, int& y, int& width, int& height) {
  const std::optional<CString> text = CRegistryFile().GetString(kPlacementKey, kPlacementValue);
  if (!text.has_value()) return false;
  // A settings file is the user's to edit: anything but four numbers and a
  // real size is no placement.
  long long v[4] = {};
  std::size_t n = 0;
  for (std::size_t i = 0; i <= text->size(); ++n) {
    std::size_t end = text->find(L',', i);
    if (end == CString::npos) end = text->size();
    const CString part = text->substr(i, end - i);
    wchar_t* pEnd = nullptr;
    const long long value = std::wcstoll(part.c_str(), &pEnd, 10);
    if (n >= 4 || part.empty() || pEnd == nullptr || *pEnd != 0 || value < -100000 ||
        value > 100000)
      return false;
    v[n] = value;
    i = end + 1;
  }
  if (n != 4 || v[2] < 1 || v[3] < 1) return false;
  x = int(v[0]);
  y = int(v[1]);
  width = int(v[2]);
  height = int(v[3]);
  return true;
}

void CVdiVariantsModel::SavePlacement(int x, int y, int width, int height) {
  CRegistryFile().SetString(kPlacementKey, kPlacementValue,
                            Format(L"%d,%d,%d,%d", x, y, width, height));
}
