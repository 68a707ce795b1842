// A host of the library: builds a small manufacturer dataset through the
// exported interface, calls every table and value query by its name, checks
// the answers and, given a path, saves the dataset there.
//   orvamat_host [FILE.mmd]
// Exit status 0 when every answer was as expected.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

#include "OrvaMat/OrvaMat.h"
#include "OrvaMat/article.h"

namespace {

int g_nFailures = 0;

void Check(bool bOk, const char* pWhat) {
  if (!bOk) {
    std::fprintf(stderr, "FAILED: %s\n", pWhat);
    ++g_nFailures;
  }
}
#define CHECK(x) Check((x), #x)

using M = CMatManager;

struct CDataset {
  CMatTable* pArtikel = nullptr;
  CMatTable* pKurzText = nullptr;
  CMatTable* pEnglish = nullptr;
  CMatTable* pPreise = nullptr;
  CMatTable* pGruppe = nullptr;
  CMatTable* pAnschluss = nullptr;
  CMatTable* pHinweis = nullptr;
  unsigned long hKH15 = 0;
  unsigned long hKH20 = 0;
};

CDataset Build(const wchar_t* pPath) {
  CDataset d;
  M::CreateDataset(L"MUST", L"Muster Armaturen GmbH", pPath);
  d.pArtikel = M::CreateTable(nullptr, L"Artikel", 6, 1);
  d.pKurzText = M::CreateTable(d.pArtikel, L"KurzText", 1, 1);
  d.pEnglish = M::CreateTable(d.pKurzText, L"ENGLISH", 1, 1);
  d.pPreise = M::CreateTable(d.pArtikel, L"Preise", 3, 2);
  d.pGruppe = M::CreateTable(d.pArtikel, L"Gruppe", 0, 1);
  d.pAnschluss = M::CreateTable(d.pArtikel, L"Anschluss", 4, 1);
  d.pHinweis = M::CreateTable(nullptr, L"Hinweis", 9, 1);
  const std::uint32_t def[] = {3, 2, 3, 1};
  CHECK(M::SetStrucDef(d.pAnschluss, def) == eMatOk);
  d.hKH15 = M::CreateHandle(L"KH-15");
  d.hKH20 = M::GetOrCreateHandle(L"KH-20");
  CHECK(M::AddRow(d.pArtikel, d.hKH15) == eMatOk);
  CHECK(M::AddRow(d.pArtikel, d.hKH20) == eMatOk);
  CHECK(M::SetStringValueW(L"Kugelhahn;DN 15;PN 40", d.pKurzText, d.hKH15, 0, 0) == eMatOk);
  CHECK(M::SetStringValue(d.pKurzText, d.hKH20, 0, 0, L"Kugelhahn;DN 20"));
  CHECK(M::SetStringValueW(L"Ball valve DN 15", d.pEnglish, d.hKH15, 0, 0) == eMatOk);
  CHECK(M::SetFloatValue(12.5, d.pPreise, d.hKH15, 0, 0) == eMatOk);
  CHECK(M::SetFloatValueF(10.9f, d.pPreise, d.hKH15, 1, 0) == eMatOk);
  CHECK(M::SetHandleValue(M::CreateHandle(L"Kugelhaehne"), d.pGruppe, d.hKH15, 0, 0) == eMatOk);
  CHECK(M::SetIntValue(15, d.pAnschluss, d.hKH15, 1, 0) == eMatOk);
  CHECK(M::SetStringValueW(L"Rp 1/2", d.pAnschluss, d.hKH15, 1, 2) == eMatOk);
  CHECK(M::SetStringValueW(L"Preise ohne Mehrwertsteuer.", d.pHinweis, 0, 0, 0) == eMatOk);
  M::SetBeschreibung(d.pPreise, L"Listenpreis und Nettopreis");
  M::AddAlias(L"Preis", L"Artikel.Preise");
  return d;
}

void Lookups(const CDataset& d) {
  CMatTable* pFound = nullptr;
  CHECK(M::FindTable(&pFound, nullptr, L"MUST\\artikel.PREISE") == eMatOk && pFound == d.pPreise);
  CHECK(M::FindTable(&pFound, nullptr, L"Preis") == eMatOk && pFound == d.pPreise);
  CHECK(M::FindTable(&pFound, nullptr, L"XXXX\\Artikel") == eMatNoDataset && pFound == nullptr);
  CHECK(M::TablePointer(d.pArtikel) == d.pArtikel);
  POSITION pos = M::GetFirstTablePosition(d.pArtikel);
  CHECK(M::GetNextTable(d.pArtikel, pos) == d.pKurzText);
  pos = M::GetFirstTablePositionEx(nullptr);
  int nTop = 0;
  while (pos != nullptr && nTop < 100) nTop += M::GetNextTable(nullptr, pos) != nullptr;
  CHECK(nTop >= 2);
  CHECK(M::GetParentTable(d.pPreise) == d.pArtikel);
  CHECK(M::GetTableHandle(d.pPreise) == M::FindHandle(L"Preise"));
  CHECK(std::wstring(M::GetGivenTableName(d.pPreise)) == L"Preise");
  CHECK(M::IsFlag2Clear(d.pPreise));
  CHECK(std::wstring(M::GetTableName(d.pPreise)) == L"Preise");
  CString path;
  CHECK(M::GetTablePath(path, d.pPreise) == eMatOk && path == L"MUST\\Artikel.Preise");
  CHECK(M::GetTableType(d.pPreise) == 3 && M::GetTableType(nullptr) == 2);
  CHECK(M::GetCellType(d.pAnschluss, 2) == 1 && M::GetStrucFieldType(d.pAnschluss, 1) == 3);
  CHECK(M::GetStrucDef(d.pAnschluss)[0] == 3 && M::IsStructTable(d.pAnschluss));
  CHECK(M::GetValuesPerRow(d.pPreise) == 2 && M::GetValuesPerRow(nullptr) == 0);
  CHECK(M::GetItemCount(d.pArtikel, true) == 4 && M::GetItemCount(d.pArtikel, false) == 2);
  CString s1, s2, s3;
  void* pState = nullptr;
  CHECK(M::GetRegStr(s1, s2, s3, d.pPreise, &pState) == eMatOk && pState != nullptr);
  unsigned long hItem = 0;
  CHECK(M::GetDefaultItem(hItem, d.pArtikel) == eMatNoItem);
  CHECK(M::GetDefaultChild(&pFound, d.pArtikel) == eMatNoRow && pFound == d.pKurzText);
}

void Values(const CDataset& d) {
  POSITION pos = M::GetFirstRowPosition(d.pArtikel);
  int nRows = 0;
  while (pos != nullptr && nRows < 100) nRows += M::GetNextRow(d.pArtikel, pos) != 0;
  CHECK(nRows == 2);
  CHECK(M::RowExistsEx(d.pArtikel, d.hKH15) == eMatOk);
  unsigned long nCell = 0;
  CHECK(M::GetValue(nCell, d.pAnschluss, d.hKH15, 1, 0) == eMatOk && nCell == 15);
  float f = 0;
  CHECK(M::GetFloatValue(f, d.pPreise, d.hKH15, 1, 0) == eMatOk && f == 10.9f);
  double dValue = 0;
  CHECK(M::GetRoundedValue(dValue, d.pPreise, d.hKH15, 1, 0) == eMatOk &&
        std::fabs(dValue - 10.8999996) < 1e-9);
  CString text;
  CHECK(M::GetStringValue(text, d.pKurzText, d.hKH20, 0, 0) == eMatOk &&
        text == L"Kugelhahn;DN 20");
  CHECK(M::GetStringValueEx(text, d.pKurzText, d.hKH15, 0, 0, 0) == eMatOk &&
        text == L"Kugelhahn;DN 15;PN 40");
  const wchar_t* pText = nullptr;
  CHECK(M::GetStringPtr(pText, d.pHinweis, 0, 0, 0) == eMatOk &&
        std::wstring(pText) == L"Preise ohne Mehrwertsteuer.");
  double dPart = 0;
  int nPart = 0;
  CHECK(M::GetSubStringText(text, d.pKurzText, d.hKH20, 0, 2, ';') == eMatOk && text == L"DN 20");
  CHECK(M::GetSubString(dPart, d.pKurzText, d.hKH20, 0, 1, ';') == eMatOk && dPart == 0);
  CHECK(M::GetSubStringInt(nPart, d.pKurzText, d.hKH20, 0, 3, ';') == eMatOk && nPart == 0);
  CHECK(M::GetStructRowCount(d.pAnschluss, d.hKH15) == 2);
  CHECK(M::GetStructRowCountEx(d.pAnschluss, d.hKH20) == 0);
  const unsigned long hTemp = M::CreateHandle(L"Temp");
  CHECK(M::AddRow(d.pArtikel, hTemp) == eMatOk && M::RemoveRow(d.pArtikel, hTemp) == eMatOk);
}

void Names(const CDataset& d) {
  const unsigned long hTemp = M::CreateHandle(L"Alt");
  M::RenameHandle(hTemp, L"Neu");
  CHECK(std::wstring(M::HdlToString(hTemp)) == L"Neu");
  CHECK(M::RemoveHandle(hTemp) == eMatOk && M::FindHandle(L"Neu") == 0);
  CString out;
  M::HdlToHKKey(out, d.hKH15);
  CHECK(out == L"MUST\\KH-15");
  CHECK(M::HerstellerNameEx(out, d.pPreise, 0) == eMatOk && out == L"Muster Armaturen GmbH");
  CHECK(M::HerstellerName(out, d.pPreise) == eMatOk);
  CHECK(M::HerstellerNameOfHandle(out, d.hKH15) == eMatOk);
  CHECK(M::GetStringTableText(out, M::FindHandle(L"HERSTELLERNAME")) == eMatOk);
  CHECK(!CMatManager::HasKurzText(d.hKH15));  // no "KurzText" row for it
  CHECK(std::wstring(M::GetKostenartText(95)) == L"Gerätekosten");
  M::ShowMatError(eMatNoTable, 0);
  M::SetReadFlag();
  reinterpret_cast<void (*)()>(OrvaMatProcByOrdinal(2))();
}

void Changes(const CDataset& d) {
  CMatTable* pTemp = M::CreateTable(d.pArtikel, L"Temp", 2, 1);
  CHECK(M::RenameTable(pTemp, L"Temp2") == eMatOk);
  pTemp->DeleteContents();
  CHECK(M::RemoveTable(pTemp) == eMatOk);
  CMatTable* pFound = nullptr;
  CHECK(M::FindTable(&pFound, d.pArtikel, L"Temp2") == eMatNoTable);
}

}  // namespace

int main(int argc, char** argv) {
  std::wstring path;
  if (argc > 1) path.assign(argv[1], argv[1] + std::char_traits<char>::length(argv[1]));
  const CDataset d = Build(path.empty() ? nullptr : path.c_str());
  Lookups(d);
  Values(d);
  Names(d);
  Changes(d);
  if (!path.empty()) M::SaveModified(1);
  std::printf("%s: %d failure(s)\n", g_nFailures == 0 ? "ok" : "FAILED", g_nFailures);
  return g_nFailures == 0 ? 0 : 1;
}
