// The error report and the process-wide context.
#include "formula/formula_context.h"

#include <chrono>

#include "platform/format.h"
#include "platform/host_ui.h"
#include "store/base/translation.h"

namespace {

std::uint64_t SteadyTicks() {
  using namespace std::chrono;
  return static_cast<std::uint64_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

// The record number in a record table's name: the part after the first '-'.
CString RecordNumber(const CString& name) {
  const auto n = name.find(L'-');
  return n == CString::npos ? CString() : name.substr(n + 1);
}

constexpr std::uint64_t kSuppressMs = 750;

}  // namespace

CString CFortranDebugStack::Describe() const {
  CString text;
  for (const DebugInfo& info : m_list) text += Format(L"%s (%i) -> ", info.m_strName, info.m_nLine);
  while (!text.empty() && (text.back() == L' ' || text.back() == L'-' || text.back() == L'>')) {
    text.pop_back();
  }
  return text;
}

CFormulaContext::CFormulaContext() : m_fnTicks(SteadyTicks) {}
CFormulaContext::~CFormulaContext() = default;

CFormulaContext& CFormulaContext::Process() {
  static CFormulaContext context;
  return context;
}

void CFormulaContext::SetReportSource(const CvdiFunctionList& list) {
  m_strReportDataset = list.m_strLocation;
  m_strReportIndex110 = RecordNumber(list.m_strTableName);
  m_strReportIndex100 = RecordNumber(list.m_strParentTableName);
}

CString CFormulaContext::BuildReport(const CString& message) const {
  CString text;
  text += Format(L"  Dataset:            %s\r\n", m_strReportDataset);
  text += Format(L"  Index 100:          %s\r\n", m_strReportIndex100);
  text += Format(L"  Index 110:          %s\r\n", m_strReportIndex110);
  text += Format(L"  Function Location:  %s\r\n", m_debugStack.Describe());
  text += Format(L"  Line nbr:           %i\r\n", m_scanner.GetLine());
  text += Format(L"  Message:            %s\r\n", message);
  text += Format(L"  Token:              %s\r\n", m_scanner.tokenText());
  for (auto n = text.find(L"  "); n != CString::npos; n = text.find(L"  ", n)) {
    text.erase(n, 1);
  }
  return text;
}

void CFormulaContext::ReportError(const CString& message) {
  const CString report = BuildReport(message);
  auto it = m_mapShownReports.find(report);
  if (it == m_mapShownReports.end() || m_fnTicks() - it->second >= kSuppressMs) {
    const CString head =
        LibraryTranslation().TranslateText(L"Der Datensatz dieses Produkts ist fehlerhaft.");
    GetHostUI().MessageBox(Format(head + L"\r\n\r\n%s", report), L"OrvaMat", MB_OK | MB_ICONERROR);
    const std::uint64_t nNow = m_fnTicks();
    // Forget boxes closed long ago, so that a long-running host does not
    // collect every report it ever showed.
    if (m_mapShownReports.size() > 64) {
      std::erase_if(m_mapShownReports,
                    [&](const auto& entry) { return nNow - entry.second >= kSuppressMs; });
    }
    m_mapShownReports[report] = nNow;
  }
  m_bError = true;
  throw CFortranError{};
}
