#include "vdi/vdi_record.h"

#include <algorithm>
#include <array>
#include <climits>

#include "platform/format.h"

namespace {

// Hexadecimal digits of the characters of text up to the first stop
// character (or its end); pos moves past what was read.
std::uint32_t ReadNibbles(std::wstring_view text, std::size_t& pos, std::wstring_view stops) {
  std::uint32_t n = 0;
  for (; pos < text.size() && stops.find(text[pos]) == std::wstring_view::npos; ++pos)
    n = (n << 4) | ((static_cast<std::uint32_t>(text[pos]) - L'0') & 0xFu);
  return n;
}

struct CSheetName {
  int nSheet;
  const wchar_t* pName;
};

// The sheet tables by sheet number; 1098 is an older number of sheet 2.
constexpr std::array<CSheetName, 25> kSheetNames{{
    {2, L"VDI-Heizungsarmaturen"},
    {3, L"VDI-Waermeerzeuger-2"},
    {4, L"VDI-Pumpen"},
    {5, L"VDI-Luftdurchlaesse"},
    {6, L"VDI-Heizkoerper-2"},
    {7, L"VDI-Ventilatoren"},
    {8, L"VDI-Brenner"},
    {9, L"VDI-Modullueftungsgeraete"},
    {10, L"VDI-Luftfilter"},
    {11, L"VDI-Waermetauscher Fluid_Wasserdampf-Luft"},
    {14, L"VDI-RLT-Schalldaempfer (passiv)"},
    {16, L"VDI-Brandschutzklappe"},
    {17, L"VDI-Armaturen fuer die Trinkwasserinstallation"},
    {18, L"VDI-Flaechenheizung_-kuehlung"},
    {19, L"VDI-Sonnenkollektoren"},
    {20, L"VDI-Speicher und Durchlauferhitzer"},
    {22, L"VDI-Wärmepumpen"},
    {23, L"VDI-Wohnungslueftungsgeraete"},
    {24, L"VDI-Stellantriebe für TGA-Komponenten"},
    {29, L"VDI-Rohre und Formstuecke"},
    {32, L"VDI-Verteiler_Sammler"},
    {35, L"VDI-Klappen Blenden und Volumenstromregler"},
    {98, L"VDI-Allgemeine Komponenten98"},
    {99, L"VDI-Allgemeine Komponenten99"},
    {1098, L"VDI-Heizungsarmaturen"},
}};

constexpr std::wstring_view kOtherSheetPrefix = L"VDI_Blatt";

// Decimal digits from pos on, held to the range of int.
int ReadDecimal(std::wstring_view text, std::size_t pos, bool bNegative) {
  long long n = 0;
  for (; pos < text.size() && text[pos] >= L'0' && text[pos] <= L'9'; ++pos) {
    n = n * 10 + (text[pos] - L'0');
    if (n > INT_MAX) return bNegative ? INT_MIN : INT_MAX;
  }
  return static_cast<int>(bNegative ? -n : n);
}

}  // namespace

void SplitVdiRecordLine(std::wstring_view line, CVdiRecordLine& out) {
  std::size_t pos = 0;
  const std::uint32_t nMain = ReadNibbles(line, pos, L";._");
  std::uint32_t nSub = 0;
  if (pos < line.size() && (line[pos] == L'.' || line[pos] == L'_')) {
    ++pos;
    nSub = ReadNibbles(line, pos, L";");
  }
  out.nId = (nMain << 16) | (nSub & 0xFFFFu);
  const std::size_t idEnd = std::min(line.find(L';'), line.size());
  out.strIdText.assign(line.substr(0, idEnd));
  if (const auto dot = out.strIdText.find(L'.'); dot != CString::npos && dot > 0)
    out.strIdText[dot] = L'_';
  out.index = {};
  out.body = {};
  if (idEnd >= line.size()) return;
  const std::wstring_view rest = line.substr(idEnd + 1);
  const std::size_t indexEnd = std::min(rest.find(L';'), rest.size());
  out.index = rest.substr(0, indexEnd);
  if (indexEnd < rest.size()) out.body = rest.substr(indexEnd + 1);
}

int VdiIndexValue(std::wstring_view index) {
  std::size_t pos = 0;
  while (pos < index.size() && (index[pos] == L' ' || index[pos] == L'\t')) ++pos;
  bool bNegative = false;
  if (pos < index.size() && (index[pos] == L'-' || index[pos] == L'+')) {
    bNegative = index[pos] == L'-';
    ++pos;
  }
  return ReadDecimal(index, pos, bNegative);
}

int VdiSheetNumberOf(std::wstring_view body) {
  return VdiIndexValue(body.substr(0, std::min(body.find(L';'), body.size())));
}

CString VdiSheetTableName(int nSheet) {
  for (const CSheetName& sheet : kSheetNames) {
    if (sheet.nSheet == nSheet) return sheet.pName;
  }
  return Format(L"VDI_Blatt%d", nSheet);
}

int VdiSheetOfTableName(std::wstring_view name) {
  for (const CSheetName& sheet : kSheetNames) {
    if (name == sheet.pName) return sheet.nSheet;
  }
  return 0;
}

bool IsVdiSheetTableName(std::wstring_view name) {
  if (VdiSheetOfTableName(name) != 0) return true;
  if (name.substr(0, kOtherSheetPrefix.size()) != kOtherSheetPrefix) return false;
  const std::wstring_view digits = name.substr(kOtherSheetPrefix.size());
  return !digits.empty() && digits.find_first_not_of(L"0123456789") == std::wstring_view::npos;
}

CString NormaliseTgaField(std::wstring_view field) {
  static constexpr std::array<std::size_t, 24> kWidths{3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3,
                                                       3, 3, 3, 5, 3, 5, 5, 5, 5, 5, 5, 5};
  field = field.substr(0, std::min(field.size(), kTgaFieldMax));
  CString text;
  std::size_t pos = 0;
  for (std::size_t i = 0; i < kWidths.size(); ++i) {
    const std::size_t end = std::min(pos + kWidths[i], field.size());
    while (end - pos > 1 && (field[pos] == L'0' || field[pos] == L'?')) ++pos;
    text.append(field.substr(pos, end - pos));
    pos = end;
    // What follows the last group is no part of the number: no '-' for it.
    if (pos >= field.size() || i + 1 == kWidths.size()) break;
    text += L'-';
  }
  return text;
}
