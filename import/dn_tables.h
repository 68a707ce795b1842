// The standard tables of a dataset that holds DATANORM data: articles, short
// and long texts, prices, discount groups, product groups, assembly times and
// the file's header values. PrepareDnTables makes the missing ones in the
// current dataset (type, structure, flags, description, list mode, the unit
// rows) and, when a user-interface language other than German is set, the
// language sub-tables that the five kinds of text are written to instead.
//
// The table pointers belong to the dataset and stay valid while it is open
// and the tables are not removed.
#pragma once

#include <string_view>

#include "OrvaMat/mat_table.h"

class CMatStore;

// Group table names: the prefix and the group's name as the catalogue spells
// it, a main group's table under "HauptWarenGruppen" and a product group's
// under its main group. The names of the groups in "StringTable" take the
// same prefixes.
inline constexpr std::wstring_view kMainGroupPrefix = L"HWG_";
inline constexpr std::wstring_view kProductGroupPrefix = L"WG_";

struct CDnTables {
  CMatTable* m_pDnT = nullptr;            // "DATANORM_T": long text blocks (T)
  CMatTable* m_pDnE = nullptr;            // "DATANORM_E": text blocks (version 4 E)
  CMatTable* m_pDnD = nullptr;            // "DATANORM_D": text lines (D)
  CMatTable* m_pGesammtText = nullptr;    // "GesammtText": ready complete texts
  CMatTable* m_pKurzText = nullptr;       // "KurzText"
  CMatTable* m_pLangText = nullptr;       // "LangText": long text key
  CMatTable* m_pPreis = nullptr;          // "Preis": two floats per row
  CMatTable* m_pArtikelInfo1 = nullptr;   // "ArtikelInfo1"
  CMatTable* m_pArtikelInfo2 = nullptr;   // "ArtikelInfo2"
  CMatTable* m_pRabattgruppen = nullptr;  // "Rabattgruppen" (list mode)
  CMatTable* m_pMontageZeit = nullptr;    // "MontageZeit"
  CMatTable* m_pStringTable = nullptr;    // "StringTable": header values
  CMatTable* m_pHauptWarenGruppen = nullptr;
  CMatTable* m_pMatchcode = nullptr;
  CMatTable* m_pAlternativNr = nullptr;
  CMatTable* m_pUebersetzungEinheiten = nullptr;

  // Where the texts go: the language sub-table, else the table itself.
  CMatTable* m_pTextT = nullptr;
  CMatTable* m_pTextE = nullptr;
  CMatTable* m_pTextD = nullptr;
  CMatTable* m_pTextKurz = nullptr;
  CMatTable* m_pTextStrings = nullptr;
};

// Field numbers of the two article info tables.
enum eDnInfo1 {
  eInfo1Preiskennzeichen = 0,
  eInfo1Preiseinheit = 1,
  eInfo1Mengeneinheit = 2,
  eInfo1Rabattgruppe = 3,
  eInfo1Kostenart = 4,
  eInfo1Verpackungsmenge = 5,
  eInfo1Suchbegriff = 6,
  eInfo1Kostengruppe = 7,
};
enum eDnInfo2 {
  eInfo2Matchcode = 0,
  eInfo2HwgGruppe = 1,
  eInfo2EanNummer = 2,
  eInfo2Anbindungsnummer = 3,
  eInfo2Warengruppe = 4,
  eInfo2Katalogseite = 5,
  eInfo2Textkennzeichen = 6,
};

// Makes the tables in the store's current dataset. False when there is no
// current dataset or a table could not be made (dataset locked by another
// user); the pointers found so far are set.
bool PrepareDnTables(CMatStore& store, CDnTables& tables);

// The structure of the picture tables ("GRAFIK" and a kind): file name and
// short name. Makes the table when missing.
CMatTable* PrepareDnPictureTable(CMatStore& store, const CString& name);

// Gives every dataset that CreateDataset makes the DATANORM tables from the
// start. The store can not call the import layer: the library registers this
// when a process loads it (exports/library_attach.cpp); a program linked from
// the subsystem libraries calls it itself.
void RegisterDatanormTableSetup();
