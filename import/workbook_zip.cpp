#include "import/workbook_zip.h"

#include <zip.h>

#include <string>

#include "platform/text.h"

namespace {

CString PartName(std::string_view name) { return FromUtf8(name); }

}  // namespace

CWorkbookZip::~CWorkbookZip() {
  if (m_pZip != nullptr) zip_discard(m_pZip);
}

bool CWorkbookZip::Open(const std::string& utf8Path, CString& why) {
  int nError = 0;
  m_pZip = zip_open(utf8Path.c_str(), ZIP_RDONLY, &nError);
  if (m_pZip != nullptr) return true;
  zip_error_t error;
  zip_error_init_with_code(&error, nError);
  why = L"Das Zip-Archiv der Arbeitsmappe ist beschädigt (" + FromUtf8(zip_error_strerror(&error)) +
        L").";
  zip_error_fini(&error);
  return false;
}

bool CWorkbookZip::Has(std::string_view name) const {
  return m_pZip != nullptr &&
         zip_name_locate(m_pZip, std::string(name).c_str(), ZIP_FL_NOCASE) >= 0;
}

bool CWorkbookZip::Read(std::string_view name, std::uint64_t nMaxBytes, const CSink& sink,
                        CString& why) const {
  const zip_int64_t nIndex =
      m_pZip != nullptr ? zip_name_locate(m_pZip, std::string(name).c_str(), ZIP_FL_NOCASE) : -1;
  if (nIndex < 0) {
    why = L"Der Teil " + PartName(name) + L" fehlt in der Arbeitsmappe.";
    return false;
  }
  zip_stat_t stat;
  zip_stat_init(&stat);
  if (zip_stat_index(m_pZip, static_cast<zip_uint64_t>(nIndex), 0, &stat) == 0 &&
      (stat.valid & ZIP_STAT_SIZE) != 0 && stat.size > nMaxBytes) {
    why = L"Der Teil " + PartName(name) + L" der Arbeitsmappe ist zu groß (" +
          std::to_wstring(stat.size) + L" Bytes, höchstens " + std::to_wstring(nMaxBytes) + L").";
    return false;
  }
  zip_file_t* pFile = zip_fopen_index(m_pZip, static_cast<zip_uint64_t>(nIndex), 0);
  if (pFile == nullptr) {
    why = L"Der Teil " + PartName(name) + L" der Arbeitsmappe kann nicht gelesen werden (" +
          FromUtf8(zip_strerror(m_pZip)) + L").";
    return false;
  }
  char buffer[1 << 16];
  std::uint64_t nTotal = 0;
  bool bOk = true;
  for (;;) {
    const zip_int64_t n = zip_fread(pFile, buffer, sizeof buffer);
    if (n < 0) {
      why = L"Der Teil " + PartName(name) + L" der Arbeitsmappe ist beschädigt (" +
            FromUtf8(zip_file_strerror(pFile)) + L").";
      bOk = false;
      break;
    }
    if (n == 0) break;
    nTotal += static_cast<std::uint64_t>(n);
    if (nTotal > nMaxBytes) {
      why = L"Der Teil " + PartName(name) + L" der Arbeitsmappe ist zu groß (mehr als " +
            std::to_wstring(nMaxBytes) + L" Bytes).";
      bOk = false;
      break;
    }
    if (!sink(buffer, static_cast<std::size_t>(n))) {
      bOk = false;
      break;
    }
  }
  zip_fclose(pFile);
  return bOk;
}

bool CWorkbookZip::ReadAll(std::string_view name, std::uint64_t nMaxBytes, std::string& out,
                           CString& why) const {
  out.clear();
  return Read(
      name, nMaxBytes,
      [&](const char* p, std::size_t n) {
        out.append(p, n);
        return true;
      },
      why);
}
