#include "vdi/tga_articles.h"

#include <algorithm>
#include <array>

#include "query/string_read.h"
#include "store/base/message.h"
#include "store/mat_store.h"
#include "store/table_names.h"
#include "vdi/record_layout.h"
#include "vdi/tga_tables.h"

using namespace vdirecord;

namespace {

constexpr const wchar_t* kDefaultFunction = L"TGA_810";
// The tag of a cross reference names the fixed levels, the 760 record and
// the 710.01 record.
constexpr int kReferenceSlots = 18;

bool StartsWith(std::wstring_view text, std::wstring_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// The number after a record name's kind ("200-3" after 4 characters: 3).
std::int32_t NumberAfter(const CMatTable& table, std::size_t nKind) {
  const std::wstring_view name = TableNameText(table);
  return nKind < name.size() ? ReadInteger(name.substr(nKind)) : 0;
}

// An 810 line of a function: "810;" index ";" body, the body opening with
// the article number.
std::wstring_view BodyOf810(std::wstring_view line) {
  if (line.size() < 4) return {};
  line.remove_prefix(4);
  const std::size_t nSemicolon = line.find(L';');
  return nSemicolon == std::wstring_view::npos ? std::wstring_view() : line.substr(nSemicolon + 1);
}

std::wstring_view ArticleOf810(std::wstring_view line) {
  return Trimmed(RecordPiece(BodyOf810(line), 0));
}

void AppendArticle(CString& out, const CTgaArticle& article) {
  if (!out.empty()) out.push_back(L';');
  if (article.m_nQuantity != 1) out += std::to_wstring(article.m_nQuantity) + L"|";
  out += article.m_strNumber;
}

CMatTable* SheetOf(CMatTable* pProduct) {
  CMatTable* pSeries = pProduct != nullptr ? pProduct->m_pParent : nullptr;
  return pSeries != nullptr ? pSeries->m_pParent : nullptr;
}

// One choice of a variant level: up to three slots it sets.
struct CChoice {
  std::int32_t m_nMain = 0;
  std::int32_t m_nFirst = 0;
  std::int32_t m_nSecond = 0;
};

// The choices of a variant group (200 with its 250 and 260 records, ...):
// every pair of sub-records where both kinds are there, each of one kind
// with the other slot 0, or the main record alone.
std::vector<CChoice> GroupChoices(const std::vector<CMatTable*>& mains, std::wstring_view first,
                                  std::wstring_view second) {
  std::vector<CChoice> choices;
  for (CMatTable* pMain : mains) {
    std::vector<std::int32_t> firsts, seconds;
    for (const auto& pChild : pMain->m_Children) {
      const std::wstring_view name = TableNameText(*pChild);
      if (StartsWith(name, first)) firsts.push_back(NumberAfter(*pChild, 4));
      if (StartsWith(name, second)) seconds.push_back(NumberAfter(*pChild, 4));
    }
    if (firsts.empty()) firsts.push_back(0);
    if (seconds.empty()) seconds.push_back(0);
    const std::int32_t nMain = NumberAfter(*pMain, 4);
    for (const std::int32_t a : firsts)
      for (const std::int32_t b : seconds) choices.push_back({nMain, a, b});
  }
  return choices;
}

}  // namespace

CTgaArticles& CTgaArticles::Process() {
  static CTgaArticles articles(CTgaFunctions::Process());
  return articles;
}

CMatStore& CTgaArticles::Store() const {
  return m_pStore != nullptr ? *m_pStore : CMatStore::Instance();
}

CTgaReferenceTables CTgaArticles::FindOrCreateTables(CMatTable* pSheet) {
  if (pSheet == nullptr) return {};
  CMatStore& store = Store();
  store.ActivateDataset(pSheet->m_hName);
  auto table = [&](const vditga::CTableDef& def) -> CMatTable* {
    const wchar_t* const pName = def.pName;
    CMatTable* pTable = FindChildTable(*pSheet, pName, eHiddenTables::kSkip);
    if (pTable == nullptr) {
      pTable = store.CreateTable(pSheet, pName, eTypeStruct, 1);
      if (pTable != nullptr && store.SetStrucDef(pTable, def.pStrucDef) != eMatOk) pTable = nullptr;
      if (pTable != nullptr) store.SetBeschreibung(pTable, def.pText);
    }
    if (pTable == nullptr || pTable->m_nType != eTypeStruct) {
      ShowMessage(MB_OK | MB_ICONERROR, L"Die Tabelle <%s> kann unter <%s> nicht angelegt werden",
                  pName, CString(TableNameText(*pSheet)));
      return nullptr;
    }
    return pTable;
  };
  CTgaReferenceTables tables;
  tables.m_pNummer = table(vditga::kNummer);
  if (tables.m_pNummer != nullptr) tables.m_p800to810 = table(vditga::k800to810);
  return tables;
}

bool CTgaArticles::FindReference(CMatTable* pSheet, const CTgaSlots& slots, bool b800to810,
                                 CTgaReference& out) {
  if (pSheet == nullptr) return false;
  CMatTable* pTable =
      b800to810 ? FindChildTable(*pSheet, vditga::k800to810.pName, eHiddenTables::kSkip) : nullptr;
  // An existing "TGA-800to810" answers alone, even when it is empty: the
  // file's own 800/810 records then name no article for this tag.
  const bool bBy800 = pTable != nullptr;
  if (!bBy800) pTable = FindChildTable(*pSheet, vditga::kNummer.pName, eHiddenTables::kSkip);
  if (pTable == nullptr || pTable->m_nType != eTypeStruct) return false;
  CMatStore& store = Store();
  std::uint64_t word = 0;
  for (POSITION pos = store.GetFirstRowPosition(pTable); pos != nullptr;) {
    const Handle hRow = pTable->GetNextRow(pos, word);
    const wchar_t* pTag = nullptr;
    if (bBy800) {
      pTag = store.HdlToString(hRow);
    } else if (CCell cell; store.GetCellValue(pTable, cell, hRow, 0, 0) == eMatOk) {
      pTag = store.HdlToString(cell.m_nValue);
    }
    if (pTag == nullptr) continue;
    const CTgaSlots row = ParseTgaTag(pTag);
    bool bMatch = true;
    for (std::size_t i = 0; i < slots.size() && bMatch; ++i)
      bMatch = slots[i] == row[i] || slots[i] < 1 || row[i] < 1;
    if (!bMatch) continue;
    out.m_strTag = pTag;
    out.m_hRow = hRow;
    if (ReadStringValue(store, out.m_strRecord, pTable, hRow, 0, bBy800 ? 0 : 1, false) != eMatOk)
      out.m_strRecord.clear();
    return true;
  }
  return false;
}

bool CTgaArticles::SearchReferences(CString& out, const CTgaSlots& slots, CMatTable* pProduct,
                                    std::vector<CTgaArticle>* pArticles) {
  CTgaReference reference;
  if (!FindReference(SheetOf(pProduct), slots, false, reference)) return false;
  // The row is keyed by the article number made unique ("A|1" for the
  // second row of A); the article itself opens the 810 body.
  CTgaArticle article{CString(Trimmed(RecordPiece(reference.m_strRecord, 0))), 1};
  if (article.m_strNumber.empty()) {
    const wchar_t* pKey = Store().HdlToString(reference.m_hRow);
    article.m_strNumber = pKey != nullptr ? pKey : L"";
  }
  out = article.m_strNumber;
  if (pArticles != nullptr) pArticles->assign(1, article);
  return true;
}

eTgaRun CTgaArticles::RunTgaFunction(CMatTable* pProduct, const wchar_t* pName,
                                     const CTgaSlots& slots, CTgaDigitLayout layout,
                                     std::vector<std::wstring_view>& lines) {
  lines.clear();
  CvdiFunction* f = m_Functions.GetFunction(pProduct, pName);
  if (f == nullptr) return eTgaRun::eNoFunction;
  CString digits;
  if (!FormatTgaDigits(slots, layout, digits)) return eTgaRun::eNoFit;
  const CvdiFunction::CVdiVar* pResult = m_Functions.Run(*f, slots, digits);
  if (pResult == nullptr) return eTgaRun::eFailed;
  // The function's value counts the 810 lines it wrote; never more than
  // the result holds.
  const std::size_t nHeld = pResult->GetElementCount();
  std::size_t nLines = 1;
  if (f->m_result.m_eType == INTEGER)
    nLines = static_cast<std::size_t>(
        std::clamp<std::int64_t>(f->m_result.m_nValue, 0, static_cast<std::int64_t>(nHeld)));
  nLines = std::min(nLines, nHeld);
  for (std::size_t i = 0; i < nLines; ++i) lines.push_back(pResult->GetText(i));
  return eTgaRun::eRan;
}

bool CTgaArticles::GetArtikelnummern(CString& out, std::wstring_view tag, CMatTable* pProduct,
                                     std::vector<CTgaArticle>* pArticles) {
  if (pArticles != nullptr) pArticles->clear();
  const CTgaSlots slots = ParseTgaTag(tag);
  std::vector<std::wstring_view> lines;
  switch (RunTgaFunction(pProduct, kDefaultFunction, slots, TgaReferenceLayout(), lines)) {
    case eTgaRun::eNoFunction:
      return SearchReferences(out, slots, pProduct, pArticles);
    case eTgaRun::eNoFit:
      ShowMessage(MB_OK | MB_ICONERROR, L"Die TGA-Nummer <%s> passt nicht in die Stellen der %s",
                  CString(tag), CString(kDefaultFunction));
      return false;
    case eTgaRun::eFailed:
      return false;
    case eTgaRun::eRan:
      break;
  }
  CString text;
  std::vector<CTgaArticle> articles;
  for (const std::wstring_view line : lines) {
    CTgaArticle article{CString(ArticleOf810(line)), 1};
    if (article.m_strNumber.empty()) continue;
    const std::size_t nPieces = std::count(line.begin(), line.end(), L';') + 1;
    if (nPieces >= 2)
      article.m_nQuantity = std::max<std::int32_t>(1, ReadInteger(RecordPiece(line, nPieces - 2)));
    AppendArticle(text, article);
    articles.push_back(std::move(article));
  }
  out = text;
  if (pArticles != nullptr) *pArticles = std::move(articles);
  return true;
}

std::size_t CTgaArticles::CreateTGAreferences(CMatTable* pProduct) {
  CMatTable* pSheet = SheetOf(pProduct);
  if (pSheet == nullptr) return 0;
  const CTgaReferenceTables tables = FindOrCreateTables(pSheet);
  const std::wstring_view productName = TableNameText(*pProduct);
  if (!StartsWith(productName, L"110-") || tables.m_pNummer == nullptr) return 0;

  CTgaSlots slots{};
  slots[0] = NumberAfter(*pProduct->m_pParent, 4);
  slots[1] = NumberAfter(*pProduct, 4);
  std::array<std::vector<CMatTable*>, 5> mains;  // 200, 300, 400, 500, 700
  const wchar_t* const kMainKinds[] = {L"200-", L"300-", L"400-", L"500-", L"700-"};
  CMatTable* p820 = nullptr;
  for (const auto& pChild : pProduct->m_Children) {
    const std::wstring_view name = TableNameText(*pChild);
    for (std::size_t i = 0; i < mains.size(); ++i)
      if (StartsWith(name, kMainKinds[i])) mains[i].push_back(pChild.get());
    if (StartsWith(name, L"820-")) p820 = pChild.get();
  }
  CString function = kDefaultFunction;
  if (p820 != nullptr) {
    CString text;
    if (ReadStringValue(Store(), text, p820, p820->m_hName, 0, 0, false) == eMatOk &&
        !Trimmed(RecordPiece(text, 0)).empty())
      function = Trimmed(RecordPiece(text, 0));
  }
  CvdiFunction* f = m_Functions.GetFunction(pProduct, function.c_str());
  if (f == nullptr) {
    ShowMessage(MB_OK | MB_ICONERROR, L"Funktion <%s> kann nicht gefunden werden", function);
    return 0;
  }

  // The choices of each level, and their count before anything runs.
  std::array<std::vector<CChoice>, 5> levels;
  levels[0] = GroupChoices(mains[0], L"250-", L"260-");
  if (levels[0].empty()) levels[0].push_back({});
  levels[1] = GroupChoices(mains[1], L"350-", L"360-");
  levels[2] = GroupChoices(mains[2], L"450-", L"460-");
  levels[3] = GroupChoices(mains[3], L"550-", L"560-");
  for (CMatTable* p700 : mains[4]) {
    std::int32_t n760 = 0;
    for (const auto& pChild : p700->m_Children) {
      if (StartsWith(TableNameText(*pChild), L"760-")) {
        n760 = NumberAfter(*pChild, 4);
        break;
      }
    }
    for (const auto& pChild : p700->m_Children)
      if (StartsWith(TableNameText(*pChild), L"710_01-"))
        levels[4].push_back({NumberAfter(*p700, 4), n760, NumberAfter(*pChild, 7)});
  }
  std::uint64_t nCombinations = 1;
  for (const auto& level : levels)
    nCombinations = std::min<std::uint64_t>(nCombinations * level.size(), kMaxCombinations + 1);
  if (nCombinations == 0) return 0;
  if (nCombinations > kMaxCombinations) {
    ShowMessage(MB_OK | MB_ICONERROR,
                L"Das Produkt <%s> hat mehr als %d Kombinationen; die TGA-Nummern werden nicht "
                L"berechnet",
                CString(productName), static_cast<int>(kMaxCombinations));
    return 0;
  }

  CMatStore& store = Store();
  std::array<std::size_t, 5> at{};
  std::size_t nMade = 0, nSkipped = 0;
  CString digits;
  for (std::uint64_t nRun = 0; nRun < nCombinations; ++nRun) {
    for (std::size_t i = 0; i < levels.size(); ++i) {
      const CChoice& c = levels[i][at[i]];
      const std::size_t nSlot = 3 + 3 * i;
      slots[nSlot] = c.m_nMain;
      slots[nSlot + 1] = c.m_nFirst;
      slots[nSlot + 2] = c.m_nSecond;
    }
    // The next combination: the 700 level turns fastest.
    for (std::size_t i = levels.size(); i-- > 0;) {
      if (++at[i] < levels[i].size()) break;
      at[i] = 0;
    }
    if (!FormatTgaDigits(slots, TgaReferenceLayout(), digits)) {
      ++nSkipped;
      continue;
    }
    const CvdiFunction::CVdiVar* pResult = m_Functions.Run(*f, slots, digits);
    if (pResult == nullptr) {
      ShowMessage(MB_OK | MB_ICONERROR,
                  L"Funktion <%s> ist bei der TGA-Nummer %s fehlgeschlagen; die übrigen "
                  L"Kombinationen werden nicht berechnet",
                  function, FormatTgaTag(slots, kReferenceSlots));
      break;
    }
    const std::wstring_view line = pResult->GetText(0);
    const CString article(ArticleOf810(line));
    if (article.empty()) continue;
    const CString body(BodyOf810(line));
    store.ActivateDataset(pSheet->m_hName);
    const Handle hArticle = store.GetOrCreateHandle(article.c_str());
    const Handle hTag = store.GetOrCreateHandle(FormatTgaTag(slots, kReferenceSlots).c_str());
    const CFieldInput fields[] = {{0, CCellInput::Value(hTag)},
                                  {1, CCellInput::Text(body.c_str())}};
    if (hArticle != 0 && hTag != 0 &&
        store.SetStructFields(tables.m_pNummer, hArticle, fields, std::size(fields)) == eMatOk) {
      ++nMade;
      ++m_nGenerated;
    }
  }
  if (nSkipped != 0)
    ShowMessage(MB_OK | MB_ICONWARNING,
                L"%d Kombinationen des Produkts <%s> haben Nummern, die nicht in die TGA-Nummer "
                L"passen; sie wurden übergangen",
                static_cast<int>(nSkipped), CString(productName));
  return nMade;
}

void getArtikelnummern(CString& out, const wchar_t* pTag, CMatTable* pProduct) {
  CTgaArticles::Process().GetArtikelnummern(out, pTag != nullptr ? pTag : L"", pProduct);
}

void createTGAreferences(CMatTable* pProduct) {
  CTgaArticles::Process().CreateTGAreferences(pProduct);
}
