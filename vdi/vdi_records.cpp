// The records of a VDI 3805 file: sheet, main records, sub-record groups,
// function texts and the TGA numbers of records 800 and 810.
#include <algorithm>

#include "platform/format.h"
#include "platform/host_ui.h"
#include "platform/text.h"
#include "query/article/table_lookup.h"
#include "store/base/message.h"
#include "store/base/translation.h"
#include "store/mat_store.h"
#include "store/mmtb/mat_text_number.h"
#include "store/table_names.h"
#include "vdi/tga_tables.h"
#include "vdi/vdi_reader.h"

namespace {

constexpr std::uint32_t kFlagDefaultVariant = 4;
// An 810 record that names no article.
constexpr std::wstring_view kNoArticle = L"$DGN";

std::wstring_view FirstField(std::wstring_view body) {
  return body.substr(0, std::min(body.find(L';'), body.size()));
}

// The next key of an article number already used: A -> A|1 -> A|2. A number
// after '|' too long to count on gets "|1" appended, so that every step gives
// a key not tried before.
CString NextArticleKey(const CString& key) {
  const auto bar = key.rfind(L'|');
  if (bar != CString::npos) {
    const std::wstring_view digits = std::wstring_view(key).substr(bar + 1);
    if (!digits.empty() && digits.size() <= 9 &&
        digits.find_first_not_of(L"0123456789") == std::wstring_view::npos) {
      return key.substr(0, bar) + L"|" + std::to_wstring(std::stol(CString(digits)) + 1);
    }
  }
  return key + L"|1";
}

}  // namespace

Handle CVdiReader::GetHandle(std::wstring_view text) {
  // A name is made without its leading blanks: looked up with them, it
  // would never be found again, and every line would make another.
  const std::size_t first = text.find_first_not_of(L' ');
  if (first == std::wstring_view::npos) return 0;
  text.remove_prefix(first);
  if (const Handle h = m_pDataset->FindHandle(text); h != 0) return h;
  // A file larger than the dataset's names stops at the first name that does
  // not fit, with one message, instead of one for every name after it.
  if (!m_pDataset->HasFreeNames()) {
    if (!m_bNamesExhausted) m_nExhaustedLine = m_Lines.GetLineNumber();
    m_bNamesExhausted = true;
    return 0;
  }
  return m_pDataset->CreateHandle(text);
}

namespace {

// The key of a child name: a hash of its letters folded as the store
// compares names. Two names may share a key; a hit is checked against the
// table found.
std::uint64_t ChildKey(std::wstring_view name) {
  std::uint64_t h = 14695981039346656037ull;
  for (const wchar_t c : name)
    h = (h ^ static_cast<std::uint64_t>(ToLowerChar(c))) * 1099511628211ull;
  return h;
}

// Group records numbered beyond this are rare: their name keys are found
// each time rather than kept.
constexpr int kKeptGroupNumbers = 4096;

std::uint64_t TableKey(const CMatTable* pTable) { return reinterpret_cast<std::uintptr_t>(pTable); }

}  // namespace

void CVdiReader::ForgetMadeTables() {
  m_GroupNames.clear();
  m_ChildCounts.clear();
  m_MadeParents.Clear();
  m_ChildMaps.clear();
  m_pLastParent = nullptr;
  m_pLastChildren = nullptr;
}

CVdiReader::CChildMap* CVdiReader::MadeChildren(const CMatTable* pParent) {
  // Records come in runs under one parent: the map is asked once a run.
  if (pParent != m_pLastParent) {
    if (m_pLastParent != nullptr && m_pLastChildren != nullptr) {
      std::size_t& nCount = m_ChildCounts[m_pLastParent->m_hName];
      nCount = std::max(nCount, m_pLastChildren->GetCount());
    }
    m_pLastParent = pParent;
    m_pLastChildren = m_MadeParents.Find(TableKey(pParent));
  }
  return m_pLastChildren;
}

CVdiReader::CNameKey CVdiReader::NameKeyOf(std::wstring_view name) {
  return {GetHandle(name), ChildKey(name)};
}

CVdiReader::CGroupName CVdiReader::GroupName(const wchar_t* pGroup, int nNumber) {
  CGroupName name;
  name.strName = pGroup;
  name.strName += L'-';
  AppendIntText(name.strName, nNumber);
  name.key = NameKeyOf(name.strName);
  return name;
}

CMatTable* CVdiReader::FindOrMake(CMatTable* pParent, const CString& name, int nType,
                                  bool bMayParent) {
  return FindOrMake(pParent, name, NameKeyOf(name), nType, bMayParent);
}

CMatTable* CVdiReader::FindOrMake(CMatTable* pParent, const CString& name, CNameKey nameKey,
                                  int nType, bool bMayParent) {
  const Handle hName = nameKey.hName;
  if (hName == 0) return nullptr;
  // Under a table this read made, the reader knows every child: it looks
  // them up in its own map. The store's look-up would index the parent's
  // children again after every child added, and a variant has hundreds.
  CChildMap* pChildren = pParent != nullptr ? MadeChildren(pParent) : nullptr;
  const std::uint64_t key = nameKey.nKey;
  CMatTable* pTable = nullptr;
  if (pChildren != nullptr) {
    pTable = pChildren->Find(key);
    // Another name of the same key: the store's look-up decides.
    if (pTable != nullptr && !EqualsNoCase(TableNameText(*pTable), name))
      pTable = FindChildNamed(*pParent, name);
  } else {
    pTable =
        pParent != nullptr ? FindChildNamed(*pParent, name) : FindTopTableNamed(*m_pDataset, name);
  }
  if (pTable != nullptr) return pTable;
  pTable = m_Store.CreateTable(pParent, hName, name, nType, 1);
  if (pTable == nullptr) return nullptr;
  if (pChildren != nullptr) pChildren->Insert(key, pTable);
  if (bMayParent) {
    m_ChildMaps.push_back(std::make_unique<CChildMap>());
    if (const auto it = m_ChildCounts.find(hName); it != m_ChildCounts.end())
      m_ChildMaps.back()->Reserve(it->second);
    m_MadeParents.Insert(TableKey(pTable), m_ChildMaps.back().get());
    if (pTable == m_pLastParent) {  // an address used again
      m_pLastParent = nullptr;
      m_pLastChildren = nullptr;
    }
  }
  return pTable;
}

std::wstring_view CVdiReader::Fit(std::wstring_view text) {
  if (text.size() <= kMaxTextLength) return text;
  ShowMessage(MB_OK | MB_ICONWARNING,
              L"Zeile %zu: Der Text ist länger als %zu Zeichen und wurde gekürzt.",
              m_Lines.GetLineNumber(), kMaxTextLength);
  return text.substr(0, kMaxTextLength);
}

void CVdiReader::SetText(CMatTable* pTable, std::wstring_view text) {
  if (pTable == nullptr) return;
  m_Store.SetCellValue(pTable, pTable->m_hName, 0, 0, CCellInput::Text(Fit(text)));
}

void CVdiReader::ReadSheet() {
  m_nSheet = VdiIndexValue(m_Record.index);
  const CString name = VdiSheetTableName(m_nSheet);
  // Reading a sheet again replaces it. The tables of the sheet before are
  // gone with it (or belong to another sheet): no record after this one may
  // land under them.
  if (CMatTable* pOld = FindTopTableNamed(*m_pDataset, name)) {
    m_Store.RemoveTable(pOld);
    // Tables made later may take the addresses of those removed.
    ForgetMadeTables();
  }
  ResetSlots();
  m_810PerKey.clear();
  m_UsedArticles.clear();
  m_LastArticleKey.clear();
  m_strTgaKey.clear();
  m_pTgaNummer = m_pTga800to810 = nullptr;
  CMatTable* pSheet = FindOrMake(nullptr, name, eTypeStrLine, true);
  if (pSheet == nullptr) return;
  m_Slots[eSheet] = pSheet;
  const std::wstring_view line = m_Lines.Get();
  SetText(pSheet, line.substr(std::min(line.find(L';'), line.size() - 1) + 1));
  MakeTgaTables();
}

void CVdiReader::MakeTgaTables() {
  CMatTable* pSheet = m_Slots[eSheet];
  auto table = [&](const vditga::CTableDef& def) {
    CMatTable* pTable = FindOrMake(pSheet, CString(def.pName), eTypeStruct);
    if (pTable != nullptr) {
      m_Store.SetStrucDef(pTable, def.pStrucDef);
      m_Store.SetBeschreibung(pTable, def.pText);
    }
    return pTable;
  };
  m_pTgaNummer = table(vditga::kNummer);
  m_pTga800to810 = table(vditga::k800to810);
}

void CVdiReader::ReadMain(const CDispatch& dispatch) {
  // A record whose parent kind was not read yet goes under the last table of
  // that kind, or to the top level when there was none.
  CMatTable* pParent = dispatch.parent != eNone ? m_Slots[dispatch.parent] : nullptr;
  m_strName = m_Record.strIdText;
  m_strName += L'-';
  m_strName.append(m_Record.index);
  const bool bString = dispatch.action == eAction::eMainString;
  CMatTable* pTable =
      FindOrMake(pParent, m_strName, bString ? eTypeString : eTypeStrLine, dispatch.kept != eNone);
  if (dispatch.kept != eNone) m_Slots[dispatch.kept] = pTable;
  if (dispatch.nId == MakeVdiRecordId(0x110)) m_Slots[e160] = nullptr;
  if (dispatch.nId == MakeVdiRecordId(0x700)) m_Slots[e710_01] = nullptr;
  if (pTable == nullptr) return;
  if (bString) {
    m_Store.SetCellValue(pTable, pTable->m_hName, 0, 0, CCellInput::Text(Fit(m_Record.body)));
  } else {
    SetText(pTable, m_Record.body);
  }
  if (dispatch.action == eAction::eMainFlag && VdiIndexValue(m_Record.index) == 1)
    m_Store.SetFlags(pTable, kFlagDefaultVariant, 0);
}

void CVdiReader::ReadGroup(const CDispatch& dispatch, bool bSilent) {
  CMatTable* pParent = m_Slots[dispatch.parent];
  if (pParent == nullptr) {
    if (bSilent) {
      m_Lines.Advance();
      return;
    }
    GetHostUI().ConsoleWrite(
        FormatV(LibraryTranslation().TranslateText(
                    L"FEHLER: Folgende Zeile ist nicht an erwarteter Stelle bzw. eine bestimmte "
                    L"andere Zeile müsste ihr voraus gehen: %s\r\n"),
                {CFormatArg(m_Lines.Get())}));
  }
  const CString prefix = CString(dispatch.pGroup) + L";";
  std::vector<CGroupName>& known = m_GroupNames[dispatch.pGroup];
  CMatTable* pLast = nullptr;
  for (bool bFirst = true; m_Lines.HasLine() && !m_bNamesExhausted; bFirst = false) {
    CString& line = m_Lines.Get();
    if (const auto dot = line.find(L'.'); dot != CString::npos && dot > 0 && dot < prefix.size())
      line[dot] = L'_';
    std::wstring_view rest;
    if (line.compare(0, prefix.size(), prefix) == 0) {
      rest = std::wstring_view(line).substr(prefix.size());
    } else if (bFirst) {
      // The line was dispatched here by its number, written another way
      // (710.1, 0710.01): it belongs to the group all the same.
      const auto semicolon = line.find(L';');
      rest = semicolon == CString::npos ? std::wstring_view()
                                        : std::wstring_view(line).substr(semicolon + 1);
    } else {
      break;
    }
    const std::wstring_view index = FirstField(rest);
    const std::wstring_view text =
        index.size() < rest.size() ? rest.substr(index.size() + 1) : std::wstring_view();
    const int nNumber = VdiIndexValue(index);
    CGroupName unkept;  // numbered beyond those kept
    const CGroupName* pName = &unkept;
    if (nNumber >= 0 && nNumber < kKeptGroupNumbers) {
      const auto n = static_cast<std::size_t>(nNumber);
      if (known.size() <= n) known.resize(n + 1);
      if (known[n].key.hName == 0) known[n] = GroupName(dispatch.pGroup, nNumber);
      pName = &known[n];
    } else {
      unkept = GroupName(dispatch.pGroup, nNumber);
    }
    if (CMatTable* pTable =
            FindOrMake(pParent, pName->strName, pName->key, eTypeStrLine, dispatch.kept != eNone)) {
      SetText(pTable, text);
      pLast = pTable;
    }
    m_Lines.Advance();
  }
  if (dispatch.kept != eNone) m_Slots[dispatch.kept] = pLast;
}

void CVdiReader::ReadFunction(const CDispatch& dispatch) {
  CMatTable* pParent = m_Slots[dispatch.parent];
  if (dispatch.pGroup != nullptr) {
    m_strName = dispatch.pGroup;
  } else {
    m_strName = m_Record.strIdText + L"-";
    m_strName.append(m_Record.index);
  }
  CString text(m_Record.body);
  const CString lead = m_strName.substr(0, 3);
  bool bCut = false;
  while (m_Lines.Advance()) {
    const CString& line = m_Lines.Get();
    if (line.size() < lead.size() || line.compare(0, lead.size(), lead) != 0) break;
    // "600;2;text": the text after the number and its ';'.
    std::size_t pos = std::min<std::size_t>(4, line.size());
    while (pos < line.size() && line[pos] >= L'0' && line[pos] <= L'9') ++pos;
    if (pos < line.size() && line[pos] == L';') ++pos;
    if (text.size() > kMaxTextLength) {
      bCut = true;
      continue;  // the lines still belong to the function
    }
    text += L"\r\n";
    text.append(line, pos);
  }
  CMatTable* pTable = FindOrMake(pParent, m_strName, eTypeStrLine, dispatch.kept != eNone);
  if (dispatch.kept != eNone) m_Slots[dispatch.kept] = pTable;
  if (pTable == nullptr) return;
  if (bCut || text.size() > kMaxTextLength) {
    ShowMessage(MB_OK | MB_ICONWARNING,
                L"Die Funktion %s vor Zeile %zu ist länger als %zu Zeichen und wurde gekürzt.",
                m_strName, m_Lines.GetLineNumber(), kMaxTextLength);
    text.resize(std::min(text.size(), kMaxTextLength));
  }
  m_Store.SetCellValue(pTable, pTable->m_hName, 0, 0, CCellInput::Text(text));
}

void CVdiReader::Read800() { m_strTgaKey = NormaliseTgaField(FirstField(m_Record.body)); }

void CVdiReader::Read810() {
  if (m_pTgaNummer == nullptr || m_pTga800to810 == nullptr) return;  // no sheet read yet
  const std::wstring_view body = Fit(m_Record.body);
  CString article(FirstField(body));
  article.erase(0, std::min(article.find_first_not_of(L' '), article.size()));
  m_strText.assign(body);
  const Handle hTag = m_strTgaKey.empty() ? 0 : GetHandle(m_strTgaKey);
  if (hTag != 0) {
    std::size_t& nSeen = m_810PerKey[m_strTgaKey];
    if (nSeen < kMax810PerTga) {
      const int k = static_cast<int>(nSeen++);
      m_Store.SetCellValue(m_pTga800to810, hTag, k, 0, CCellInput::Text(m_strText));
      m_Store.SetCellValue(m_pTga800to810, hTag, k, 1, CCellInput::Text(article));
    } else if (!m_bWarned810) {
      m_bWarned810 = true;
      ShowMessage(MB_OK | MB_ICONWARNING,
                  L"Zeile %zu: Zur TGA-Nummer %s gibt es mehr als %zu Datensätze 810; die "
                  L"weiteren werden nicht zugeordnet.",
                  m_Lines.GetLineNumber(), m_strTgaKey, kMax810PerTga);
    }
  }
  if (article.empty() || article == kNoArticle) return;
  // The same article number under several TGA numbers: each gets a key of
  // its own (A, A|1, A|2, ...).
  CString& last = m_LastArticleKey[article];
  CString key = last.empty() ? article : last;
  while (m_UsedArticles.count(key) != 0) key = NextArticleKey(key);
  last = key;
  const Handle hArticle = GetHandle(key);
  if (hArticle == 0) return;
  m_UsedArticles.insert(key);
  if (hTag != 0) m_Store.SetCellValue(m_pTgaNummer, hArticle, 0, 0, CCellInput::Value(hTag));
  m_Store.SetCellValue(m_pTgaNummer, hArticle, 0, 1, CCellInput::Text(m_strText));
}
