// How the reader is started: by a host (with the file chooser), by the tool
// into a database file, by a script; and what a dataset's sheets hold.
#include "vdi/vdi_import.h"

#include <optional>

#include "platform/host_ui.h"
#include "query/article/table_lookup.h"
#include "store/base/guarded_call.h"
#include "store/base/message.h"
#include "store/base/translation.h"
#include "store/mat_store.h"
#include "store/mmd/import_target.h"
#include "vdi/vdi_reader.h"

namespace {

// The text of a StrLine table, empty when it has none.
std::wstring_view TableText(const CMatTable& table) {
  if (table.m_nType != eTypeStrLine || table.m_pData == nullptr) return {};
  return static_cast<const wchar_t*>(table.m_pData);
}

std::wstring_view FirstField(std::wstring_view text) {
  return text.substr(0, std::min(text.find(L';'), text.size()));
}

CString NameOf(const CMatTable& table) {
  return table.m_pDatenSatz->GetName(table.m_hName).ToString();
}

bool HasPrefix(std::wstring_view name, std::wstring_view prefix) {
  return name.substr(0, prefix.size()) == prefix;
}

}  // namespace

bool ImportVdiForScript(CMatStore& store, const CString& path) {
  CVdiReader reader(&store);
  return reader.Read(path);
}

void ImportVdiFile(CMatStore& store, const wchar_t* pPath) {
  CMatDatenSatz* pDataset = store.GetCurrent();
  // Refused before the user is asked for a file that could not be read in.
  if (pDataset == nullptr || pDataset->CheckWriteLock(true)) {
    ShowMessage(MB_OK | MB_ICONWARNING, L"Aktuelle MMD ist schreibgeschützt");
    return;
  }
  CString path;
  if (pPath != nullptr) {
    path = pPath;
  } else {
    CFileChooser request;
    request.strFilter = LibraryTranslation().TranslateText(L"VDI Datensatz (*.vdi)|*.VDI||");
    request.strDefaultExt = L"*.VDI";
    if (!GetHostUI().ChooseOpenFile(request, path)) return;
  }
  CVdiReader reader(&store);
  reader.Read(path);
}

void ImportVdiFile(const wchar_t* path) {
  GuardedCall(0, [&] {
    ImportVdiFile(CMatStore::Instance(), path);
    return 0;
  });
}

bool ImportVdiIntoFile(CMatStore& store, const CVdiFileImport& request,
                       const CVdiFileProgress& progress, CVdiFileImportResult& result) {
  // One reader for all files, made on the target's dataset once it is current.
  std::optional<CVdiReader> reader;
  return ImportFilesIntoTarget(
      store, request.files, request.target,
      [&](std::size_t i, std::size_t& nLines) {
        if (!reader) reader.emplace(&store);
        if (progress)
          reader->SetProgress([&](std::size_t n, std::size_t total) { progress(i, n, total); });
        const bool bRead = reader->Read(request.files[i]);
        nLines += reader->GetLineCount();
        return bRead;
      },
      result);
}

bool ImportVdiIntoFile(const CVdiFileImport& request, const CVdiFileProgress& progress,
                       CVdiFileImportResult& result) {
  return GuardedCall(
      false, [&] { return ImportVdiIntoFile(CMatStore::Instance(), request, progress, result); });
}

std::vector<CVdiSheet> ListVdiSheets(CMatDatenSatz& dataset) {
  std::vector<CVdiSheet> sheets;
  dataset.EnsureDatasetLoaded();
  for (const auto& pTop : dataset.m_Tables) {
    const CString sheetName = NameOf(*pTop);
    if (pTop->m_nType != eTypeStrLine || !IsVdiSheetTableName(sheetName)) continue;
    dataset.EnsureRowsLoaded(*pTop);
    CVdiSheet sheet;
    sheet.strName = sheetName;
    sheet.nNumber = VdiSheetNumberOf(TableText(*pTop));
    for (const auto& pGroup : pTop->m_Children) {
      const CString groupName = NameOf(*pGroup);
      if (!HasPrefix(groupName, L"100-")) continue;
      dataset.EnsureRowsLoaded(*pGroup);
      for (const auto& pProduct : pGroup->m_Children) {
        const CString productName = NameOf(*pProduct);
        if (!HasPrefix(productName, L"110-")) continue;
        dataset.EnsureRowsLoaded(*pProduct);
        sheet.products.push_back({sheetName + L"." + groupName + L"." + productName,
                                  CString(FirstField(TableText(*pProduct)))});
      }
    }
    sheets.push_back(std::move(sheet));
  }
  return sheets;
}

std::vector<CVdiSheet> ListVdiSheets(unsigned long prefix) {
  return GuardedCall(std::vector<CVdiSheet>(), [&] {
    CMatDatenSatz* pDataset = CMatStore::Instance().GetDatasetOfHandle(Handle(prefix));
    return pDataset != nullptr ? ListVdiSheets(*pDataset) : std::vector<CVdiSheet>();
  });
}
