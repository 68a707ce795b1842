// CVdiZubehoer930: the accessory positions a designer keeps
// (OrvaMat/vdi_accessories.h, docs/accessories.md).
#include <algorithm>

#include "OrvaMat/vdi_accessories.h"
#include "store/base/guarded_call.h"
#include "store/mat_store.h"
#include "vdi/accessory_conditions.h"
#include "vdi/record_layout.h"

using vdiaccessory::Field;

namespace {

bool IsNumber(std::wstring_view group) {
  return !group.empty() && group.find_first_not_of(L"0123456789") == std::wstring_view::npos;
}

// The groups of a key that address an article: the 930 number, the 930.01
// and the 930.03 index (fourth, third and second from the end). False when
// the key has fewer than four groups or one of these is no number: a key a
// host hands back may be anything.
bool AddressOf(std::wstring_view key, std::wstring_view (&address)[3]) {
  std::vector<std::wstring_view> groups;
  for (std::size_t nStart = 0;;) {
    const std::size_t nDash = key.find(L'-', nStart);
    groups.push_back(key.substr(nStart, nDash - nStart));
    if (nDash == std::wstring_view::npos) break;
    nStart = nDash + 1;
  }
  if (groups.size() < 4) return false;
  for (std::size_t i = 0; i < 3; ++i) {
    address[i] = groups[groups.size() - 4 + i];
    if (!IsNumber(address[i])) return false;
  }
  return true;
}

CMatTable* Below(CMatTable* pParent, std::wstring_view kind, std::wstring_view number) {
  std::wstring name(kind);
  name += L'-';
  name += number;
  return vdirecord::FindRecordTable(pParent, name);
}

}  // namespace

void CVdiZubehoer930::setPosition(const double& quantity, const bool& flag1, const CString& text1,
                                  const CString& text2, const CString& text3, const int& number,
                                  const CString& key, const bool& flag2, const CString& text4) {
  GuardedCall(0, [&] {
    m_Positions.push_back(
        stlPosition{quantity, text1, text2, text3, number, key, flag1, flag2, text4});
    return 0;
  });
}

void CVdiZubehoer930::setPosition(CMatTable* sheet, const CString& key) {
  GuardedCall(0, [&] {
    std::wstring_view address[3];
    if (sheet == nullptr || !AddressOf(key, address)) return 0;
    CMatTable* pArticle = Below(Below(Below(sheet, L"930", address[0]), L"930_01", address[1]),
                                L"930_03", address[2]);
    if (pArticle == nullptr) return 0;
    CMatStore& store = CMatStore::Instance();
    const CString article = vdiaccessory::RecordText(store, pArticle);
    CMatTable* p900 =
        vdiaccessory::FindNumbered(sheet, L"900", vdirecord::ReadInteger(Field(article, 1)));
    if (p900 == nullptr) return 0;
    const CString record900 = vdiaccessory::RecordText(store, p900);
    stlPosition position;
    position.m_dQuantity = vdirecord::ReadReal(Field(article, 2));
    position.m_strText1 = Field(record900, 6);
    position.m_strText2 = Field(record900, 9);
    position.m_strText3 = Field(article, 4);
    position.m_strKey = key;
    position.m_bFlag1 = Field(article, 3) != L"0";
    position.m_bFlag2 = Field(article, 6) != L"0";
    position.m_strText4 = Field(article, 5);
    m_Positions.push_back(std::move(position));
    return 0;
  });
}

void CVdiZubehoer930::copyFrom(CVdiZubehoer930* other) {
  if (other == nullptr || other == this) return;
  GuardedCall(0, [&] {
    std::vector<stlPosition> positions(other->m_Positions.size());
    for (std::size_t i = 0; i < positions.size(); ++i)
      copyPosition(other->m_Positions[i], positions[i]);
    m_Positions = std::move(positions);
    return 0;
  });
}

void CVdiZubehoer930::copyPosition(const stlPosition& from, stlPosition& to) {
  GuardedCall(0, [&] {
    to = from;
    return 0;
  });
}

int CVdiZubehoer930::getArtikelPosition(const CString& key) {
  const auto it = std::find_if(m_Positions.begin(), m_Positions.end(),
                               [&](const stlPosition& p) { return p.m_strKey == key; });
  return it != m_Positions.end() ? static_cast<int>(it - m_Positions.begin()) : -1;
}

void CVdiZubehoer930::removePosition(const int& index) {
  if (index < 0 || static_cast<std::size_t>(index) >= m_Positions.size()) return;
  m_Positions.erase(m_Positions.begin() + index);
}

void CVdiZubehoer930::removePosition(const CString& key) {
  const int index = getArtikelPosition(key);
  if (index >= 0) removePosition(index);
}

void CVdiZubehoer930::removeAll() { m_Positions.clear(); }
