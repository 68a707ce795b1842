// The remaining records: "C" assembly time, "G" picture, "R" discount group
// and "S" product group names.
#include <bit>

#include "import/dn_loader.h"
#include "store/mat_store.h"

namespace {

CCellInput FloatCell(double value) {
  return CCellInput::Value(std::bit_cast<std::uint32_t>(static_cast<float>(value)));
}

}  // namespace

// C;N;Art;Artikelnummer;Zeitart;Einheit;Zeit[;Text]
void CDnLoader::ReadAssemblyTime() {
  const CString kind = m_Reader.ReadText(10);
  const bool accepted =
      m_nVersion == 4 ? kind == L"ARBEIT-1" : (kind == L"ARBS" || kind == L"ARBA");
  if (!accepted) return;
  const Handle hArticle = GetDnHandle(m_Reader.ReadText(20));
  if (m_Reader.ReadNumber(1) != 2 || hArticle == 0) return;
  const std::int64_t unit = m_Reader.ReadNumber(1);
  const auto t = static_cast<double>(m_Reader.ReadNumber(8));
  // Unit 1: tenths of an hour in minutes; 3: thousandths of an hour.
  const double minutes = unit == 1 ? t / 10 * 0.6 : unit == 3 ? t / 1000 * 60 : t / 10;
  const CString text = m_nVersion == 5 ? m_Reader.ReadText(40) : CString();
  Stored(m_Store.SetCellValue(m_Tables.m_pMontageZeit, hArticle, 0, 0, FloatCell(minutes)),
         hArticle);
  SetHandle(m_Tables.m_pMontageZeit, hArticle, 1, GetDnHandle(text));
}

// G;N;Artikelnummer;(skipped);Bildart;Dateiname;Erweiterung;Kurzbezeichnung
void CDnLoader::ReadPicture() {
  const Handle hArticle = GetDnHandle(m_Reader.ReadText(260));
  m_Reader.ReadNumber(2);
  const CString kind = m_Reader.ReadText(80);
  CString file = m_Reader.ReadText(80);
  const CString extension = m_Reader.ReadText(80);
  const CString shortName = m_Reader.ReadText(80);
  if (hArticle == 0) return;
  const bool hasExtension =
      file.size() >= extension.size() &&
      file.compare(file.size() - extension.size(), extension.size(), extension) == 0;
  if (!hasExtension) file += L"." + extension;
  CMatTable* pTable = PrepareDnPictureTable(m_Store, kind.empty() ? L"GRAFIK1A" : L"GRAFIK" + kind);
  SetText(pTable, hArticle, 0, file);
  SetText(pTable, hArticle, 1, shortName);
}

// R;[N;]Rabattgruppe;Kennzeichen;Wert;Bezeichnung
void CDnLoader::ReadDiscountGroup() {
  const Handle hGroup = GetDnHandle(m_Reader.ReadText(15));
  const std::int64_t mark = m_Reader.ReadNumber(1);
  const auto value = static_cast<double>(m_Reader.ReadNumber(4));
  const CString name = m_Reader.ReadText(120);
  if (hGroup == 0) return;
  CMatTable* pTable = m_Tables.m_pRabattgruppen;
  SetInt(pTable, hGroup, 0, mark);
  // Mark 1: a discount in hundredths of a percent becomes a price factor;
  // otherwise a multiplier with three decimals.
  Stored(m_Store.SetCellValue(pTable, hGroup, 0, 1,
                              FloatCell(mark == 1 ? 1 - value / 10000 : value / 1000)),
         hGroup);
  if (!name.empty()) SetText(pTable, hGroup, 2, name);
}

// Version 4: S;N;Hauptgruppe;Name;Warengruppe;Name
// Version 5: S;Hauptgruppe;Warengruppe;Name
void CDnLoader::ReadProductGroup() {
  const CString mainGroup = m_Reader.ReadText(15);
  CString mainName, group, groupName;
  if (m_nVersion == 4) {
    mainName = m_Reader.ReadText(40);
    group = m_Reader.ReadText(15);
    groupName = m_Reader.ReadText(40);
  } else {
    group = m_Reader.ReadText(15);
    (group.empty() ? mainName : groupName) = m_Reader.ReadText(40);
  }
  // The main group table is made whenever a record names the main group, so
  // that a product group never lands outside its main group, and a record
  // that carries both names keeps both.
  const std::uint32_t nMain = FindOrMakeGroup(0, kMainGroupPrefix, mainGroup, eTypeString);
  if (!mainName.empty())
    SetText(m_Tables.m_pTextStrings, GetDnHandle(CString(kMainGroupPrefix) + mainGroup), 0,
            mainName);
  if (groupName.empty() || nMain == 0) return;
  FindOrMakeGroup(nMain, kProductGroupPrefix, group, eTypeVoid);
  SetText(m_Tables.m_pTextStrings, GetDnHandle(CString(kProductGroupPrefix) + group), 0, groupName);
}
