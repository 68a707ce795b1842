// The decisions of the DATANORM import dialog: which dataset, the write check
// and the import of the file set; ImportDatanormDlg through the file chooser.
#include "import/dn_import.h"

#include <optional>

#include "import/dn_loader.h"
#include "platform/host_ui.h"
#include "query/article/table_lookup.h"
#include "store/base/message.h"
#include "store/base/reg_util.h"
#include "store/base/translation.h"
#include "store/mat_store.h"
#include "store/mmd/dataset_lists.h"

namespace {

// The manufacturer name the dataset list shows: "HERSTELLERNAME" of the
// dataset's "StringTable", or "Unbenannt".
CString DatasetDisplayName(CMatStore& store, CMatDatenSatz& dataset) {
  const Handle hKey = dataset.FindHandle(L"HERSTELLERNAME");
  CMatTable* pStrings = FindTopTableNamed(dataset, L"StringTable");
  CCell cell;
  if (hKey != 0 && pStrings != nullptr &&
      store.GetCellValue(pStrings, cell, hKey, 0, 0) == eMatOk && cell.m_nValue != 0) {
    if (const CPoolText name = dataset.GetPoolText(cell.m_nValue)) return name.ToString();
  }
  return L"Unbenannt";
}

// The datasets the dialog offers: the listed ones but "USER".
std::vector<CMatDatenSatz*> ListedImportTargets(CMatStore& store) {
  std::vector<CMatDatenSatz*> targets;
  for (std::size_t i = 0; i < store.GetDatasetCount(); ++i) {
    CMatDatenSatz* pDataset = store.GetDataset(i);
    if (pDataset != nullptr && pDataset->m_bListed &&
        std::wstring_view(pDataset->m_szHerstellerID) != L"USER")
      targets.push_back(pDataset);
  }
  return targets;
}

// The dataset the dialog preselects: the preset handle's, else the listed
// dataset named presetName, else the first listed one; "USER" is never offered.
CMatDatenSatz* ChooseDataset(CMatStore& store, Handle hPreset, const wchar_t* presetName) {
  if (hPreset != 0) return store.GetDatasetOfHandle(hPreset);
  const std::vector<CMatDatenSatz*> targets = ListedImportTargets(store);
  for (CMatDatenSatz* pDataset : targets)
    if (presetName != nullptr && DatasetDisplayName(store, *pDataset) == presetName)
      return pDataset;
  return targets.empty() ? nullptr : targets.front();
}

}  // namespace

unsigned GetDnPreviewCodePage() {
  const CString& language = GetCurrentLanguage();
  return language.empty() ? 1252u : CRegUtil::getLanguageCodepage(language);
}

bool CheckDnDatasetWritable() {
  CMatDatenSatz* pDataset = CMatStore::Instance().GetCurrent();
  // Asking never takes the lock: the dialog only looks.
  if (pDataset != nullptr && !pDataset->CheckWriteLock(false)) return true;
  ShowMessage(MB_OK | MB_ICONWARNING, L"Aktueller Datensatz ist schreibgeschützt");
  return false;
}

int ImportDatanormFiles(const std::vector<CString>& files, bool dosCharset) {
  CDnLoader loader;
  int nRead = 0;
  for (const CString& file : files) {
    if (loader.Load(file, dosCharset)) ++nRead;
  }
  return nRead;
}

void ImportDatanormDlg(int presetHandle, const wchar_t* presetName) {
  CMatStore& store = CMatStore::Instance();
  CMatDatenSatz* pDataset = ChooseDataset(store, static_cast<Handle>(presetHandle), presetName);
  if (pDataset == nullptr) return;
  CFileChooser request;
  request.strTitle = LibraryTranslation().TranslateText(L"DATANORM Datensatz einlesen");
  request.strFilter = LibraryTranslation().TranslateText(
      L"DATANORM Datei (*.001)|*.001|DATANORM (*.dn4)|*.dn4|Alle Dateien (*.*)|*.*||");
  request.strDefaultExt = L".001";
  // The manufacturer to import into: fixed when the caller named one.
  const std::vector<CMatDatenSatz*> targets = ListedImportTargets(store);
  request.strChoiceLabel = LibraryTranslation().TranslateText(L"Hersteller: ");
  for (CMatDatenSatz* p : targets) {
    if (p == pDataset) request.nChoice = static_cast<int>(request.listChoices.size());
    request.listChoices.push_back(DatasetDisplayName(store, *p));
  }
  request.bChoiceFixed = presetHandle != 0;
  request.listChecks = {{LibraryTranslation().TranslateText(L"DOS Zeichensatz"), true}};
  request.listPreviewLabels = {LibraryTranslation().TranslateText(L"Datum: "), CString()};
  request.fnPreview = [](const CString& file) {
    const CDnHeaderPreview preview = SniffDatanormHeader(file, GetDnPreviewCodePage());
    return std::vector<CString>{preview.strDate, preview.strText};
  };
  // A read-only dataset keeps the chooser open, after the message.
  auto chosen = [&]() -> CMatDatenSatz* {
    const int n = request.nChoice;
    return n >= 0 && n < static_cast<int>(targets.size()) ? targets[std::size_t(n)] : pDataset;
  };
  request.fnAccept = [&](const CString&) {
    store.SetCurrent(chosen());
    return CheckDnDatasetWritable();
  };
  CString path;
  if (!GetHostUI().ChooseOpenFile(request, path)) return;
  store.SetCurrent(chosen());
  if (!CheckDnDatasetWritable()) return;
  const bool bDos = request.listChecks.empty() || request.listChecks.front().second;
  ImportDatanormFiles(CollectDatanormFileSet(path), bDos);
}

bool ImportDatanormIntoFile(CMatStore& store, const CDnFileImport& request,
                            const CDnFileProgress& progress, CDnFileImportResult& result) {
  // One loader for all files, made on the target's dataset once it is current.
  std::optional<CDnLoader> loader;
  return ImportFilesIntoTarget(
      store, request.files, request.target,
      [&](std::size_t i, std::size_t& nLines) {
        if (!loader) loader.emplace(&store);
        if (progress)
          loader->SetProgress([&](std::size_t n, std::size_t total) { progress(i, n, total); });
        const bool bRead = loader->Load(request.files[i], request.bDosCharset);
        nLines += loader->GetLineCount();
        return bRead;
      },
      result);
}
