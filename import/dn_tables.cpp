#include "import/dn_tables.h"

#include <cstdint>

#include "query/article/table_lookup.h"
#include "store/mat_store.h"
#include "store/mmd/dataset_registry.h"

namespace {

constexpr std::uint32_t kFlagDn = 1;

struct CDnTableSpec {
  const wchar_t* pName;
  std::uint32_t nType;
  int nValuesPerRow;
  bool bFlag1;
  const std::uint32_t* pStrucDef;
  const wchar_t* pBeschreibung;
};

constexpr std::uint32_t kDefD[] = {2, eTypeString, eTypeHandle};
constexpr std::uint32_t kDefInfo1[] = {8,           eTypeInteger, eTypeInteger, eTypeHandle,
                                       eTypeHandle, eTypeInteger, eTypeInteger, eTypeHandle,
                                       eTypeHandle};
constexpr std::uint32_t kDefInfo2[] = {7,           eTypeHandle, eTypeHandle, eTypeString,
                                       eTypeHandle, eTypeHandle, eTypeString, eTypeInteger};
constexpr std::uint32_t kDefRabatt[] = {3, eTypeInteger, eTypeFloat, eTypeString};
constexpr std::uint32_t kDefMontage[] = {2, eTypeFloat, eTypeHandle};
constexpr std::uint32_t kDefGrafik[] = {2, eTypeString, eTypeString};

constexpr const wchar_t* kInfo1Text =
    L"[0] Preiskennzeichen\r\n[1] Preiseinheit\r\n[2] Mengeneinheit\r\n[3] Rabattgruppe\r\n"
    L"[4] Kostenart\r\n[5] Verpackungsmenge\r\n[6] Suchbegriff\r\n[7] Kostengruppe\r\n";
constexpr const wchar_t* kInfo2Text =
    L"[0] MATCHCODE\r\n[1] HWGGruppe\r\n[2] EANNummer\r\n[3] Anbindungsnummer\r\n"
    L"[4] Warengruppe\r\n[5] Katalogseite\r\n[6] Textkennzeichen\r\n";
constexpr const wchar_t* kRabattText =
    L"[0] Rabatkennzeichen 1=Rabatsatz, 2=Multi\r\n[1] Rabat/Multi\r\n"
    L"[2] Rabatgruppenbezeichnung\r\n";
constexpr const wchar_t* kGrafikText = L"[0] Dateiname\r\n[1] Kurzbezeichnung";

// DATANORM unit code -> the unit shown to the user.
constexpr const wchar_t* kUnits[][2] = {
    {L"CMK", L"cm²"}, {L"CMQ", L"cm³"},  {L"CMT", L"cm"},  {L"GRM", L"g"},  {L"KGM", L"kg"},
    {L"KMT", L"km"},  {L"LTR", L"l"},    {L"MMT", L"mm"},  {L"MTK", L"m²"}, {L"MTQ", L"m³"},
    {L"MTR", L"m"},   {L"PCE", L"Stck"}, {L"SET", L"Set"}, {L"TNE", L"t"},  {L"STG", L"Stg"}};

// The table of that name under parent (null: top level), made when missing.
// created tells whether it was made now.
CMatTable* FindOrMake(CMatStore& store, CMatTable* parent, const CDnTableSpec& tableDef,
                      bool& created) {
  CMatDatenSatz& dataset = *store.GetCurrent();
  CMatTable* table = parent != nullptr ? FindChildNamed(*parent, tableDef.pName)
                                       : FindTopTableNamed(dataset, tableDef.pName);
  created = table == nullptr;
  if (created) {
    table = store.CreateTable(parent, tableDef.pName, static_cast<int>(tableDef.nType),
                              tableDef.nValuesPerRow);
    if (table == nullptr) return nullptr;
    if (tableDef.pStrucDef != nullptr) store.SetStrucDef(table, tableDef.pStrucDef);
    if (tableDef.pBeschreibung != nullptr) store.SetBeschreibung(table, tableDef.pBeschreibung);
  }
  if (tableDef.bFlag1) store.SetFlags(table, kFlagDn, 0);
  return table;
}

CMatTable* FindOrMake(CMatStore& store, CMatTable* parent, const CDnTableSpec& tableDef) {
  bool created = false;
  return FindOrMake(store, parent, tableDef, created);
}

void FillUnits(CMatStore& store, CMatTable* table) {
  CMatDatenSatz& dataset = *store.GetCurrent();
  for (const auto& unit : kUnits) {
    const Handle hCode = dataset.CreateHandle(unit[0]);
    const Handle hText = dataset.CreateHandle(unit[1]);
    store.SetCellValue(table, hCode, 0, 0, CCellInput::Value(hText));
  }
}

// The language sub-tables: a language other than German gets its own texts.
void PrepareLanguageTables(CMatStore& store, CDnTables& t) {
  const CString& language = GetCurrentLanguage();
  if (language.empty() || language == L"DEFAULT" || language == L"DE") return;
  const CDnTableSpec text{language.c_str(), eTypeString, 1, true, nullptr, nullptr};
  const CDnTableSpec lines{language.c_str(), eTypeStruct, 1, true, kDefD, nullptr};
  const CDnTableSpec strings{language.c_str(), eTypeString, 1, false, nullptr, nullptr};
  if (t.m_pDnT) t.m_pTextT = FindOrMake(store, t.m_pDnT, text);
  if (t.m_pDnE) t.m_pTextE = FindOrMake(store, t.m_pDnE, text);
  if (t.m_pDnD) t.m_pTextD = FindOrMake(store, t.m_pDnD, lines);
  if (t.m_pKurzText) t.m_pTextKurz = FindOrMake(store, t.m_pKurzText, text);
  if (t.m_pStringTable) t.m_pTextStrings = FindOrMake(store, t.m_pStringTable, strings);
}

void SetUpNewDataset(CMatStore& store) {
  CDnTables tables;
  PrepareDnTables(store, tables);
}

}  // namespace

void RegisterDatanormTableSetup() { SetDatanormTableSetup(&SetUpNewDataset); }

bool PrepareDnTables(CMatStore& store, CDnTables& t) {
  if (store.GetCurrent() == nullptr) return false;
  using S = CDnTableSpec;
  t.m_pDnT = FindOrMake(store, nullptr, S{L"DATANORM_T", eTypeString, 1, true, nullptr, nullptr});
  t.m_pDnE = FindOrMake(store, nullptr, S{L"DATANORM_E", eTypeString, 1, true, nullptr, nullptr});
  t.m_pDnD = FindOrMake(store, nullptr, S{L"DATANORM_D", eTypeStruct, 1, true, kDefD, nullptr});
  t.m_pGesammtText =
      FindOrMake(store, nullptr, S{L"GesammtText", eTypeString, 1, false, nullptr, nullptr});
  t.m_pKurzText =
      FindOrMake(store, nullptr, S{L"KurzText", eTypeString, 1, true, nullptr, nullptr});
  t.m_pLangText =
      FindOrMake(store, nullptr, S{L"LangText", eTypeHandle, 1, true, nullptr, nullptr});
  t.m_pPreis = FindOrMake(store, nullptr, S{L"Preis", eTypeFloat, 2, true, nullptr, nullptr});
  t.m_pArtikelInfo1 =
      FindOrMake(store, nullptr, S{L"ArtikelInfo1", eTypeStruct, 1, true, kDefInfo1, kInfo1Text});
  t.m_pArtikelInfo2 =
      FindOrMake(store, nullptr, S{L"ArtikelInfo2", eTypeStruct, 1, true, kDefInfo2, kInfo2Text});
  bool created = false;
  t.m_pRabattgruppen = FindOrMake(
      store, nullptr, S{L"Rabattgruppen", eTypeStruct, 1, true, kDefRabatt, kRabattText}, created);
  if (created && t.m_pRabattgruppen != nullptr) t.m_pRabattgruppen->SetListMode(true);
  t.m_pMontageZeit =
      FindOrMake(store, nullptr, S{L"MontageZeit", eTypeStruct, 1, true, kDefMontage, nullptr});
  t.m_pStringTable =
      FindOrMake(store, nullptr, S{L"StringTable", eTypeString, 1, false, nullptr, nullptr});
  t.m_pHauptWarenGruppen =
      FindOrMake(store, nullptr, S{L"HauptWarenGruppen", eTypeVoid, 1, true, nullptr, nullptr});
  t.m_pMatchcode =
      FindOrMake(store, nullptr, S{L"Matchcode", eTypeVoid, 1, true, nullptr, nullptr});
  t.m_pAlternativNr =
      FindOrMake(store, nullptr, S{L"AlternativNr", eTypeHandle, 1, true, nullptr, nullptr});
  t.m_pUebersetzungEinheiten =
      FindOrMake(store, nullptr,
                 S{L"UebersetzungEinheiten", eTypeHandle, 1, false, nullptr, nullptr}, created);
  if (created && t.m_pUebersetzungEinheiten != nullptr)
    FillUnits(store, t.m_pUebersetzungEinheiten);

  t.m_pTextT = t.m_pDnT;
  t.m_pTextE = t.m_pDnE;
  t.m_pTextD = t.m_pDnD;
  t.m_pTextKurz = t.m_pKurzText;
  t.m_pTextStrings = t.m_pStringTable;
  PrepareLanguageTables(store, t);
  CMatTable* const all[] = {t.m_pDnT,
                            t.m_pDnE,
                            t.m_pDnD,
                            t.m_pGesammtText,
                            t.m_pKurzText,
                            t.m_pLangText,
                            t.m_pPreis,
                            t.m_pArtikelInfo1,
                            t.m_pArtikelInfo2,
                            t.m_pRabattgruppen,
                            t.m_pMontageZeit,
                            t.m_pStringTable,
                            t.m_pHauptWarenGruppen,
                            t.m_pMatchcode,
                            t.m_pAlternativNr,
                            t.m_pUebersetzungEinheiten,
                            t.m_pTextT,
                            t.m_pTextE,
                            t.m_pTextD,
                            t.m_pTextKurz,
                            t.m_pTextStrings};
  for (const CMatTable* table : all) {
    if (table == nullptr) return false;
  }
  return true;
}

CMatTable* PrepareDnPictureTable(CMatStore& store, const CString& name) {
  if (store.GetCurrent() == nullptr) return nullptr;
  return FindOrMake(store, nullptr,
                    CDnTableSpec{name.c_str(), eTypeStruct, 1, true, kDefGrafik, kGrafikText});
}
