// How a BDH-2 import is started: from the host's dialog (ImportBdhDlg and
// what the dialog shows of a chosen file) or by the tool into a database
// file.
#include <algorithm>
#include <string>

#include "import/bdh_dialog.h"

#include "import/bdh_fields.h"
#include "import/bdh_import.h"
#include "platform/file.h"
#include "platform/host_ui.h"
#include "store/base/guarded_call.h"
#include "store/base/message.h"
#include "store/base/translation.h"
#include "store/mat_store.h"
#include "store/mmd/import_target.h"
#include "store/mmtb/mat_text_reader.h"

namespace {

// The dialog looks at no more of a file than this.
constexpr std::size_t kPreviewBytes = 260;

// Characters a manufacturer name may not carry into the folder and file
// names made from it.
constexpr std::wstring_view kNotInNames = L"!\"%&*./?@\\";

// The first line of bytes, decoded as the import decodes the file.
CString FirstLine(std::string_view bytes) {
  CMatTextReader reader;
  reader.OpenBytes(bytes, L"");
  const wchar_t* p = reader.GetPos();
  CString line;
  while (*p != L'\r' && *p != L'\n' && *p != 0 && *p != CMatTextReader::kEndMarker) line += *p++;
  return line;
}

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

bool CheckDatasetWritable(CMatStore& store) {
  CMatDatenSatz* pDataset = store.GetCurrent();
  if (pDataset != nullptr && !pDataset->CheckWriteLock(true)) return true;
  ShowMessage(MB_OK | MB_ICONWARNING, L"Aktuelle MMD ist schreibgeschützt");
  return false;
}

}  // namespace

CString CleanBdhManufacturer(std::wstring_view name) {
  CString clean(name);
  for (wchar_t& c : clean)
    if (kNotInNames.find(c) != std::wstring_view::npos) c = L'_';
  return clean;
}

CString FormatBdhMonth(std::wstring_view date) {
  // "dd.mm.yy": anything else is no date the dialog can show.
  const std::vector<std::wstring_view> parts = [&] {
    std::vector<std::wstring_view> p;
    std::size_t nStart = 0;
    for (std::size_t nDot; (nDot = date.find(L'.', nStart)) != std::wstring_view::npos;
         nStart = nDot + 1)
      p.push_back(date.substr(nStart, nDot - nStart));
    p.push_back(date.substr(nStart));
    return p;
  }();
  if (parts.size() != 3 || parts[1].empty() || parts[2].size() != 2) return {};
  for (const std::wstring_view part : parts)
    if (!std::all_of(part.begin(), part.end(), IsDigit)) return {};
  const CString century = parts[2][0] == L'9' ? L"19" : L"20";
  return CString(parts[1]) + L"-" + century + CString(parts[2]);
}

CBdhFilePreview PreviewBdhFile(const CString& path) {
  return GuardedCall(CBdhFilePreview{}, [&] {
    CBdhFilePreview preview;
    CFile file;
    if (!file.Open(path, CFile::eRead)) return preview;
    std::string bytes(kPreviewBytes, '\0');
    const std::int64_t nRead = file.Read(bytes.data(), bytes.size());
    if (nRead <= 0) return preview;
    bytes.resize(static_cast<std::size_t>(nRead));
    const CString line = FirstLine(bytes);
    const std::vector<std::wstring_view> fields = SplitBdhFields(line);
    if (fields.size() > 1) preview.strManufacturer = CleanBdhManufacturer(fields[1]);
    if (fields.size() > 2) preview.strMonth = FormatBdhMonth(fields[2]);
    return preview;
  });
}

void ImportBdhDlg(CMatStore& store) {
  if (!CheckDatasetWritable(store)) return;
  CFileChooser request;
  request.strTitle = LibraryTranslation().TranslateText(L"BDH-2 Datensatz einlesen");
  request.strFilter = LibraryTranslation().TranslateText(L"BDH 2 Datensatz|HK.DAT||");
  request.strDefaultExt = L"*.DAT";
  request.strInitialPath = L"HK.DAT";
  request.strOkText = LibraryTranslation().TranslateText(L"Einlesen");
  // The chooser shows whose catalogue, of which month, the user points at.
  request.listPreviewLabels = {LibraryTranslation().TranslateText(L"Hersteller: "),
                               LibraryTranslation().TranslateText(L"Stand: ")};
  request.fnPreview = [](const CString& file) {
    const CBdhFilePreview preview = PreviewBdhFile(file);
    return std::vector<CString>{preview.strManufacturer, preview.strMonth};
  };
  CString path;
  if (!GetHostUI().ChooseOpenFile(request, path)) return;
  CBdhImporter importer(store);
  importer.Import(path);
}

void ImportBdhDlg() {
  GuardedCall(0, [] {
    ImportBdhDlg(CMatStore::Instance());
    return 0;
  });
}

bool ImportBdhIntoFile(CMatStore& store, const CBdhFileImport& request,
                       const CFileImportProgress& progress, CBdhFileImportResult& result) {
  CBdhImportCounts total;
  const bool bDone = ImportFilesIntoTarget(
      store, request.files, request.target,
      [&](std::size_t i, std::size_t& nLines) {
        if (!CheckDatasetWritable(store)) return false;
        CBdhImporter importer(store);
        const bool bRead = importer.Import(request.files[i]);
        const CBdhImportCounts& counts = importer.GetCounts();
        nLines += counts.nLines;
        total.nLines += counts.nLines;
        total.nStored += counts.nStored;
        total.nSkipped += counts.nSkipped;
        total.nModels += counts.nModels;
        total.nElements += counts.nElements;
        if (total.nFirstSkipped < 0) total.nFirstSkipped = counts.nFirstSkipped;
        if (progress) progress(i, counts.nLines, counts.nLines);
        if (!bRead) {
          ShowMessage(MB_OK | MB_ICONERROR, L"Datei <%s> kann nicht geöffnet werden.",
                      request.files[i]);
          return false;
        }
        if (counts.nStored == 0) {
          // Nothing of it could be placed: no BDH-2 file, and nothing to save.
          ShowMessage(MB_OK | MB_ICONERROR,
                      L"Die Datei %s enthält keinen BDH-2-Satz, der gespeichert werden "
                      L"konnte; %d Zeilen wurden übersprungen.",
                      request.files[i], static_cast<int>(counts.nSkipped));
          return false;
        }
        return true;
      },
      result);
  result.counts = total;
  return bDone;
}

bool ImportBdhIntoFile(const CBdhFileImport& request, const CFileImportProgress& progress,
                       CBdhFileImportResult& result) {
  return GuardedCall(
      false, [&] { return ImportBdhIntoFile(CMatStore::Instance(), request, progress, result); });
}
