#include "import/workbook.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "import/workbook_zip.h"
#include "platform/text.h"

namespace {

constexpr unsigned char kZipMagic[] = {'P', 'K', 3, 4};
constexpr unsigned char kOle2Magic[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};

constexpr wchar_t kNoWorkbook[] =
    L"Die Datei ist keine Arbeitsmappe (gelesen werden .xlsx, .xlsm, .ods und .xls).";

// Reads the first bytes; false, with the system's reason, when the file can
// not be opened or is no regular file.
bool ReadHead(const std::string& path, unsigned char* pHead, std::size_t& n, CString& why) {
  errno = 0;
  std::FILE* pFile = std::fopen(path.c_str(), "rb");
  if (pFile == nullptr) {
    why = FromUtf8(std::strerror(errno != 0 ? errno : ENOENT));
    return false;
  }
  n = std::fread(pHead, 1, n, pFile);
  const bool bError = std::ferror(pFile) != 0;
  std::fclose(pFile);
  if (bError) {
    why = FromUtf8(std::strerror(EISDIR));
    return false;
  }
  return true;
}

}  // namespace

CWorkbook::CWorkbook() = default;
CWorkbook::~CWorkbook() = default;

eWorkbookFormat CWorkbook::SniffBytes(const unsigned char* p, std::size_t n) {
  if (n >= sizeof kZipMagic && std::memcmp(p, kZipMagic, sizeof kZipMagic) == 0)
    return eWorkbookFormat::eXlsx;
  if (n >= sizeof kOle2Magic && std::memcmp(p, kOle2Magic, sizeof kOle2Magic) == 0)
    return eWorkbookFormat::eXls;
  return eWorkbookFormat::eNone;
}

bool CWorkbook::Open(const CString& path, CString& why, const CWorkbookLimits& limits) {
  m_Budget = CWorkbookBudget{limits};
  m_Sheets.clear();
  m_pSource.reset();
  m_eFormat = eWorkbookFormat::eNone;
  const std::string utf8Path = ToUtf8(path);
  unsigned char head[8] = {};
  std::size_t n = sizeof head;
  if (!ReadHead(utf8Path, head, n, why)) return false;
  switch (SniffBytes(head, n)) {
    case eWorkbookFormat::eXls:
      m_pSource = OpenXlsSource(utf8Path, m_Texts, m_Budget, why);
      m_eFormat = eWorkbookFormat::eXls;
      break;
    case eWorkbookFormat::eXlsx: {
      // An OpenDocument package names its kind in its part "mimetype".
      CWorkbookZip package;
      if (!package.Open(utf8Path, why)) return false;
      if (package.Has("mimetype")) {
        std::string mime;
        if (!package.ReadAll("mimetype", 256, mime, why)) return false;
        if (mime.rfind("application/vnd.oasis.opendocument.spreadsheet", 0) != 0) {
          why = kNoWorkbook;
          return false;
        }
        m_pSource = OpenOdsSource(utf8Path, m_Texts, m_Budget, why);
        m_eFormat = eWorkbookFormat::eOds;
      } else if (package.Has("xl/workbook.xml")) {
        m_pSource = OpenXlsxSource(utf8Path, m_Texts, m_Budget, why);
        m_eFormat = eWorkbookFormat::eXlsx;
      } else if (package.Has("xl/workbook.bin")) {
        why =
            L"Arbeitsmappen im Binärformat .xlsb werden nicht gelesen; bitte als .xlsx speichern.";
        return false;
      } else {
        why = kNoWorkbook;
        return false;
      }
      break;
    }
    case eWorkbookFormat::eOds:
    case eWorkbookFormat::eNone:
      why = kNoWorkbook;
      return false;
  }
  if (m_pSource == nullptr) {
    m_eFormat = eWorkbookFormat::eNone;
    return false;
  }
  if (m_pSource->GetSheetCount() > m_Budget.m_Limits.m_nMaxSheets) {
    why = L"Die Arbeitsmappe hat zu viele Tabellenblätter (" +
          std::to_wstring(m_pSource->GetSheetCount()) + L").";
    m_pSource.reset();
    m_eFormat = eWorkbookFormat::eNone;
    return false;
  }
  m_Sheets.resize(m_pSource->GetSheetCount());
  return true;
}

int CWorkbook::GetSheetCount() const { return static_cast<int>(m_Sheets.size()); }

CWorksheet* CWorkbook::GetItem(int n, CString& why) {
  if (m_pSource == nullptr || n < 1 || static_cast<std::size_t>(n) > m_Sheets.size()) {
    why = L"Tabellenblatt " + std::to_wstring(n) + L" gibt es nicht.";
    return nullptr;
  }
  const std::size_t nIndex = static_cast<std::size_t>(n) - 1;
  if (m_Sheets[nIndex] == nullptr) {
    auto pSheet = std::make_unique<CWorksheet>(m_pSource->GetSheetName(nIndex), &m_Texts);
    if (!m_pSource->LoadSheet(nIndex, *pSheet, why)) return nullptr;
    pSheet->FinishCells();
    m_Sheets[nIndex] = std::move(pSheet);
  }
  return m_Sheets[nIndex].get();
}

bool DateTextToSerial(std::string_view text, double& serial) {
  auto number = [&](std::size_t at, std::size_t n, int& out) {
    if (at + n > text.size()) return false;
    out = 0;
    for (std::size_t i = at; i < at + n; ++i) {
      if (text[i] < '0' || text[i] > '9') return false;
      out = out * 10 + (text[i] - '0');
    }
    return true;
  };
  auto timeOf = [&](std::size_t at, double& fraction) {
    int h = 0, m = 0, s = 0;
    if (!number(at, 2, h) || text.size() < at + 8 || text[at + 2] != ':' || !number(at + 3, 2, m) ||
        text[at + 5] != ':' || !number(at + 6, 2, s) || h > 23 || m > 59 || s > 60) {
      return false;
    }
    fraction = (h * 3600.0 + m * 60.0 + s) / 86400.0;
    return true;
  };
  if (text.size() >= 8 && text[2] == ':') return timeOf(0, serial);
  int y = 0, mo = 0, d = 0;
  if (!number(0, 4, y) || text.size() < 10 || text[4] != '-' || !number(5, 2, mo) ||
      text[7] != '-' || !number(8, 2, d) || mo < 1 || mo > 12 || d < 1 || d > 31) {
    return false;
  }
  // Days from the civil date (proleptic Gregorian), counted from 1899-12-30.
  const int yy = y - (mo <= 2 ? 1 : 0);
  const int era = yy / 400;
  const int yoe = yy - era * 400;
  const int doy = (153 * (mo + (mo > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  const long days = static_cast<long>(era) * 146097 + doe - 719468;  // since 1970-01-01
  serial = static_cast<double>(days + 25569);
  // The files count a 29 February 1900 that never was: earlier dates are one less.
  if (serial < 61) serial -= 1;
  if (text.size() >= 19 && (text[10] == ' ' || text[10] == 'T')) {
    double fraction = 0;
    if (timeOf(11, fraction)) serial += fraction;
  }
  return true;
}
