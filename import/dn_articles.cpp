// Article records: "A" in both versions, "B" (version 4) and the product
// group tables every article is put into.
#include <algorithm>
#include <string_view>

#include "import/dn_loader.h"
#include "platform/text.h"
#include "query/article/table_lookup.h"
#include "store/mat_store.h"

namespace {

// Price unit code of version 4: 1 per 10, 2 per 100, 3 per 1000, else per 1.
int PriceUnitOfCode(std::int64_t code) {
  switch (code) {
    case 1:
      return 10;
    case 2:
      return 100;
    case 3:
      return 1000;
    default:
      return 1;
  }
}

bool EndsWithNoCase(std::wstring_view text, std::wstring_view tail) {
  return text.size() >= tail.size() && EqualsNoCase(text.substr(text.size() - tail.size()), tail);
}

}  // namespace

void CDnLoader::PrefetchArticleRows(Handle hArticle) const {
  // The article's rows lie at random places of tables of a few megabytes;
  // asking for all of them while its fields are read overlaps the waits
  // that the writes would otherwise take one after the other. No handle
  // (a line without an article number) has no rows to ask for.
  if (hArticle == 0) return;
  for (const CMatTable* pTable : {m_Tables.m_pTextKurz, m_Tables.m_pArtikelInfo1,
                                  m_Tables.m_pArtikelInfo2, m_Tables.m_pPreis}) {
    if (pTable != nullptr) pTable->PrefetchRow(hArticle);
  }
}

Handle CDnLoader::TranslateUnit(std::wstring_view unit) {
  if (m_hLastUnit != 0 && unit == m_strLastUnit) return m_hLastUnit;
  const Handle hUnit = GetDnHandle(unit);
  if (hUnit == 0) return 0;
  CCell cell;
  const bool bTranslated =
      m_Store.GetCellValue(m_Tables.m_pUebersetzungEinheiten, cell, hUnit, 0, 0) == eMatOk &&
      cell.m_nValue != 0;
  m_strLastUnit.assign(unit);
  m_hLastUnit = bTranslated ? cell.m_nValue : hUnit;
  return m_hLastUnit;
}

void CDnLoader::SetShortText(Handle hArticle, std::wstring_view line1, std::wstring_view line2) {
  if (line2.empty()) return SetText(m_Tables.m_pTextKurz, hArticle, 0, line1);
  m_strShortText.assign(line1).append(L"\r\n").append(line2);
  SetText(m_Tables.m_pTextKurz, hArticle, 0, m_strShortText);
}

void CDnLoader::SetLongTextKey(Handle hArticle, std::wstring_view key) {
  if (!key.empty() && key[0] > L' ') SetHandle(m_Tables.m_pLangText, hArticle, 0, GetDnHandle(key));
}

void CDnLoader::SetMatchcode(Handle hArticle, std::wstring_view matchcode) {
  const Handle hMatch = GetDnHandle(matchcode);
  if (hMatch == 0) return;
  SetHandle(m_Tables.m_pArtikelInfo2, hArticle, eInfo2Matchcode, hMatch);
  m_Store.AddRow(m_Tables.m_pMatchcode, hMatch);
  SetHandle(m_Tables.m_pArtikelInfo1, hArticle, eInfo1Suchbegriff, hMatch);
}

// A;N;Artikelnummer;Textkennzeichen;Kurztext1;Kurztext2;Preiskennzeichen;
// Preiseinheit;Mengeneinheit;Preis;Rabattgruppe;Hauptwarengruppe;Langtextschluessel
void CDnLoader::ReadArticle4() {
  const Handle hArticle = GetDnHandle(m_Reader.ReadTrimmedView(15));
  PrefetchArticleRows(hArticle);
  const std::int64_t textMark = m_Reader.ReadNumber(2);
  const std::wstring_view line1 = m_Reader.ReadView(128);
  const std::wstring_view line2 = m_Reader.ReadView(128);
  const std::int64_t priceMark = m_Reader.ReadNumber(1);
  const std::int64_t priceUnit = m_Reader.ReadNumber(4);
  const std::wstring_view unit = m_Reader.ReadView(32);
  const std::int64_t price = m_Reader.ReadNumber(8);
  const std::wstring_view discount = m_Reader.ReadView(32);
  std::wstring_view mainGroup = m_Reader.ReadView(13);
  const std::wstring_view longKey = m_Reader.ReadView(32);
  if (hArticle == 0) return;
  ++m_nArticles;
  if (mainGroup.empty()) mainGroup = discount;

  SetInt(m_Tables.m_pArtikelInfo2, hArticle, eInfo2Textkennzeichen, textMark);
  SetShortText(hArticle, line1, line2);
  SetInt(m_Tables.m_pArtikelInfo1, hArticle, eInfo1Preiskennzeichen, priceMark);
  SetInt(m_Tables.m_pArtikelInfo1, hArticle, eInfo1Preiseinheit, PriceUnitOfCode(priceUnit));
  SetHandle(m_Tables.m_pArtikelInfo1, hArticle, eInfo1Mengeneinheit, TranslateUnit(unit));
  SetPrice(hArticle, price);
  SetHandle(m_Tables.m_pArtikelInfo1, hArticle, eInfo1Rabattgruppe, GetDnHandle(discount));
  m_strLastMainGroup = mainGroup;
  if (CMatTable* pMain = AddToProductGroup(hArticle, mainGroup, nullptr, {})) {
    SetHandle(m_Tables.m_pArtikelInfo2, hArticle, eInfo2HwgGruppe, pMain->m_hName);
  }
  SetLongTextKey(hArticle, longKey);
  ForgetCompleteText(hArticle);
}

void CDnLoader::ReadArticle5() {
  const Handle hArticle = GetDnHandle(m_Reader.ReadTrimmedView(15));
  PrefetchArticleRows(hArticle);
  const std::wstring_view line1 = m_Reader.ReadView(128);
  const std::wstring_view line2 = m_Reader.ReadView(128);
  const std::wstring_view unit = m_Reader.ReadView(4);
  const std::int64_t priceMark = m_Reader.ReadNumber(1);
  const std::int64_t priceUnit = m_Reader.ReadNumber(6);
  const std::int64_t price = m_Reader.ReadNumber(10);
  const std::wstring_view discount = m_Reader.ReadView(4);
  const std::wstring_view mainGroup = m_Reader.ReadView(3);
  const std::wstring_view productGroup = m_Reader.ReadView(23);
  const std::wstring_view matchcode = m_Reader.ReadTrimmedView(15);
  // A matchcode is, in most catalogues, a new name at a random place of the
  // name map: asked for now, it is there when the article's writes reach it.
  if (!matchcode.empty()) m_pDataset->PrefetchName(matchcode);
  m_Reader.SkipField();
  const std::wstring_view alternative = m_Reader.ReadTrimmedView(40);
  m_Reader.SkipField();
  m_Reader.SkipField();
  m_Reader.SkipField();
  const std::wstring_view ean = m_Reader.ReadView(18);
  const std::wstring_view connection = m_Reader.ReadTrimmedView(15);
  const std::int64_t packing = m_Reader.ReadNumber(5);
  const std::wstring_view page = m_Reader.ReadView(31);
  const std::int64_t textMark = m_Reader.ReadNumber(1);
  const std::wstring_view longKey = m_Reader.ReadView(32);
  const std::int64_t costType = m_Reader.ReadNumber(2);
  if (hArticle == 0) return;
  ++m_nArticles;

  CMatTable* pInfo1 = m_Tables.m_pArtikelInfo1;
  CMatTable* pInfo2 = m_Tables.m_pArtikelInfo2;
  SetShortText(hArticle, line1, line2);
  SetHandle(pInfo1, hArticle, eInfo1Mengeneinheit, TranslateUnit(unit));
  SetInt(pInfo1, hArticle, eInfo1Preiskennzeichen, priceMark);
  SetInt(pInfo1, hArticle, eInfo1Preiseinheit, priceUnit);
  SetPrice(hArticle, price);
  SetHandle(pInfo1, hArticle, eInfo1Rabattgruppe, GetDnHandle(discount));
  SetMatchcode(hArticle, matchcode);
  if (const Handle hAlternative = GetDnHandle(alternative)) {
    SetHandle(m_Tables.m_pAlternativNr, hAlternative, 0, hArticle);
  }
  if (!ean.empty()) SetText(pInfo2, hArticle, eInfo2EanNummer, ean);
  if (const Handle hConnection = GetDnHandle(connection)) {
    SetHandle(pInfo2, hArticle, eInfo2Anbindungsnummer, hConnection);
  }
  SetInt(pInfo1, hArticle, eInfo1Verpackungsmenge, packing < 1 ? 1 : packing);
  if (!page.empty()) SetText(pInfo2, hArticle, eInfo2Katalogseite, page);
  if (CMatTable* pMain = AddToProductGroup(hArticle, mainGroup, &productGroup, page)) {
    SetHandle(pInfo2, hArticle, eInfo2HwgGruppe, pMain->m_hName);
  }
  SetInt(pInfo2, hArticle, eInfo2Textkennzeichen, textMark);
  SetLongTextKey(hArticle, longKey);
  SetInt(pInfo1, hArticle, eInfo1Kostenart, costType);
  ForgetCompleteText(hArticle);
}

// B;N;Artikelnummer;Matchcode;Alternativnummer;Katalogseite;(3 skipped);EAN;
// Anbindungsnummer;Warengruppe;Kostenart;Verpackungsmenge;(2 skipped)
void CDnLoader::ReadArticleAddition() {
  const std::wstring_view number = m_Reader.ReadTrimmedView(132);
  const Handle hArticle = number.empty() ? 0 : m_pDataset->FindHandle(number);
  PrefetchArticleRows(hArticle);
  const std::wstring_view matchcode = m_Reader.ReadView(132);
  const std::wstring_view alternative = m_Reader.ReadView(140);
  const std::wstring_view page = m_Reader.ReadView(8);
  m_Reader.ReadChar();
  m_Reader.ReadNumber(3);
  m_Reader.ReadNumber(6);
  const std::wstring_view ean = m_Reader.ReadView(15);
  std::wstring_view connection = m_Reader.ReadView(32);
  const std::wstring_view productGroup = m_Reader.ReadView(10);
  const std::int64_t costType = m_Reader.ReadNumber(2);
  const std::int64_t packing = m_Reader.ReadNumber(5);
  // An addition to an article this dataset does not know has nowhere to go.
  if (hArticle == 0) return;

  CMatTable* pInfo1 = m_Tables.m_pArtikelInfo1;
  CMatTable* pInfo2 = m_Tables.m_pArtikelInfo2;
  SetMatchcode(hArticle, Trim(matchcode));
  if (const Handle hAlternative = GetDnHandle(alternative)) {
    SetHandle(m_Tables.m_pAlternativNr, hAlternative, 0, hArticle);
    SetHandle(m_Tables.m_pAlternativNr, hArticle, 0, hAlternative);
  }
  if (!page.empty()) SetText(pInfo2, hArticle, eInfo2Katalogseite, page);
  if (!ean.empty()) SetText(pInfo2, hArticle, eInfo2EanNummer, ean);
  if (!connection.empty()) {
    if (EndsWithNoCase(connection, L".TIF")) connection.remove_suffix(4);
    SetHandle(pInfo2, hArticle, eInfo2Anbindungsnummer, GetDnHandle(connection));
  }
  if (!productGroup.empty()) {
    AddToProductGroup(hArticle, m_strLastMainGroup, &productGroup, {});
    SetHandle(pInfo2, hArticle, eInfo2Warengruppe, GetDnHandle(productGroup));
  }
  if (costType > 0) SetInt(pInfo1, hArticle, eInfo1Kostenart, costType);
  SetInt(pInfo1, hArticle, eInfo1Verpackungsmenge, packing < 1 ? 1 : packing);
}

std::uint64_t CDnLoader::CGroupIndex::Hash(std::uint32_t nParent, std::wstring_view name) {
  // FNV-1a over the characters, seeded by the parent entry: group names are
  // a few characters long.
  std::uint64_t h = 0xCBF29CE484222325ull ^ (std::uint64_t{nParent} << 32);
  for (const wchar_t c : name) h = (h ^ static_cast<std::uint32_t>(c)) * 0x100000001B3ull;
  return h ^ (h >> 32);
}

std::uint32_t CDnLoader::CGroupIndex::Find(std::uint32_t nParent, std::wstring_view name) const {
  if (m_Slots.empty()) return 0;
  const std::uint64_t h = Hash(nParent, name);
  const std::size_t nMask = m_Slots.size() - 1;
  // At most half of the slots are taken: the walk ends at a free one.
  for (std::size_t i = h & nMask;; i = (i + 1) & nMask) {
    const std::uint32_t n = m_Slots[i];
    if (n == 0) return 0;
    const CEntry& entry = m_Entries[n - 1];
    if (entry.nHash != h || entry.nParent != nParent || entry.strName.size() != name.size())
      continue;
    // Names of a few characters: a loop costs less than a call to compare them.
    std::size_t k = 0;
    while (k < name.size() && entry.strName[k] == name[k]) ++k;
    if (k == name.size()) return n;
  }
}

void CDnLoader::CGroupIndex::Place(std::uint32_t nEntry) {
  const std::size_t nMask = m_Slots.size() - 1;
  std::size_t i = m_Entries[nEntry - 1].nHash & nMask;
  while (m_Slots[i] != 0) i = (i + 1) & nMask;
  m_Slots[i] = nEntry;
}

std::uint32_t CDnLoader::CGroupIndex::Add(std::uint32_t nParent, std::wstring_view name,
                                          CMatTable* pTable) {
  m_Entries.push_back({Hash(nParent, name), nParent, CString(name), pTable, {}});
  const auto nEntry = static_cast<std::uint32_t>(m_Entries.size());
  if (2 * std::size_t{nEntry} > m_Slots.size()) {
    m_Slots.assign(std::max<std::size_t>(16, 2 * m_Slots.size()), 0);
    for (std::uint32_t n = 1; n < nEntry; ++n) Place(n);
  }
  Place(nEntry);
  return nEntry;
}

std::uint32_t CDnLoader::FindOrMakeGroup(std::uint32_t nParent, std::wstring_view prefix,
                                         std::wstring_view name, std::uint32_t nType) {
  if (const std::uint32_t n = m_Groups.Find(nParent, name)) return n;
  CMatTable* pParent = nParent != 0 ? m_Groups.Table(nParent) : m_Tables.m_pHauptWarenGruppen;
  CString fullName(prefix);
  fullName += name;
  CMatTable* pTable = pParent != nullptr ? FindChildNamed(*pParent, fullName)
                                         : FindTopTableNamed(*m_pDataset, fullName);
  if (pTable == nullptr) pTable = m_Store.CreateTable(pParent, fullName.c_str(), nType, 1);
  return pTable != nullptr ? m_Groups.Add(nParent, name, pTable) : 0;
}

void CDnLoader::QueueMainGroupText(std::uint32_t nMain, Handle hArticle, std::wstring_view text) {
  CMatTable* pMain = m_Groups.Table(nMain);
  CGroupQueue& queue = m_Groups.Queue(nMain);
  if (!CPoolText::FitsNarrow(text)) {
    if (!queue.rows.empty()) WriteGroupQueue(pMain, queue);
    queue = CGroupQueue();
    SetText(pMain, hArticle, 0, text);
    return;
  }
  // The same text again for the same row (an article's "A" and "B" records)
  // changes nothing.
  const std::size_t nStart = queue.textEnds.empty() ? 0 : queue.textEnds.back();
  if (!queue.rows.empty() && queue.rows.back() == hArticle &&
      queue.texts.size() - nStart == text.size() &&
      std::equal(text.begin(), text.end(), queue.texts.begin() + std::ptrdiff_t(nStart),
                 [](wchar_t c, char b) { return c == wchar_t(static_cast<unsigned char>(b)); }))
    return;
  queue.rows.push_back(hArticle);
  const std::size_t nAt = queue.texts.size();
  queue.texts.resize(nAt + text.size());
  CPoolText::CopyNarrow(text.data(), text.size(), queue.texts.data() + nAt);
  queue.textEnds.push_back(static_cast<std::uint32_t>(queue.texts.size()));
}

void CDnLoader::WriteGroupQueue(CMatTable* pTable, const CGroupQueue& queue) {
  if (queue.textEnds.empty()) {
    Stored(m_Store.AddRows(pTable, queue.rows.data(), queue.rows.size()), queue.rows.front());
    return;
  }
  m_Store.ReserveRows(*pTable, queue.rows.size());
  std::size_t nStart = 0;
  for (std::size_t i = 0; i < queue.rows.size() && m_eStop == eStop::kNone; ++i) {
    m_strGroupText.clear();
    for (std::size_t k = nStart; k < queue.textEnds[i]; ++k)
      m_strGroupText.push_back(wchar_t(static_cast<unsigned char>(queue.texts[k])));
    nStart = queue.textEnds[i];
    SetText(pTable, queue.rows[i], 0, m_strGroupText);
  }
}

void CDnLoader::WriteGroupQueues() {
  // The writes come from records already read: a refusal among them stops
  // the file at the last line read, with all its articles.
  const std::size_t nLine = m_nLine;
  if (m_nLine > 0 && !m_Lines.Has(m_nLine)) --m_nLine;
  m_nRecordArticles = m_nArticles;
  m_Groups.TakeQueues(
      [this](CMatTable* pTable, const CGroupQueue& queue) { WriteGroupQueue(pTable, queue); });
  m_nLine = nLine;
}

CMatTable* CDnLoader::AddToProductGroup(Handle hArticle, std::wstring_view mainGroup,
                                        const std::wstring_view* pProductGroup,
                                        std::wstring_view text) {
  if (!m_bReady) return nullptr;
  const std::uint32_t nMain = FindOrMakeGroup(0, kMainGroupPrefix, mainGroup, eTypeString);
  if (nMain == 0) return nullptr;
  if (pProductGroup != nullptr) {
    const std::uint32_t nGroup =
        FindOrMakeGroup(nMain, kProductGroupPrefix, *pProductGroup, eTypeVoid);
    if (nGroup != 0) m_Groups.Queue(nGroup).rows.push_back(hArticle);
  }
  QueueMainGroupText(nMain, hArticle, text);
  return m_Groups.Table(nMain);
}
