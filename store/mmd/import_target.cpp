#include "store/mmd/import_target.h"

#include <cwchar>

#include "OrvaMat/datasets.h"
#include "platform/file.h"
#include "store/base/guarded_call.h"
#include "store/base/message.h"
#include "store/mat_daten_satz.h"
#include "store/mat_store.h"
#include "store/mmd/dataset_lists.h"
#include "store/mmd/dataset_registry.h"
#include "store/mmd/mmd_file.h"
#include "store/mmd/mmd_format.h"

namespace {

bool IsValidID(const CString& id) {
  if (id.size() != 4) return false;
  for (const wchar_t c : id)
    if (c <= L' ' || c > 0xFF) return false;  // stored as four 8-bit characters
  return true;
}

bool Refuse(const wchar_t* pGermanFormat, const CString& a, const CString& b = {}) {
  ShowMessage(MB_OK | MB_ICONERROR, pGermanFormat, a, b);
  return false;
}

CMatDatenSatz* OpenExisting(CMatStore& store, CImportTarget& target) {
  CMatDatenSatz* pDataset = NewDataset(store);
  if (pDataset == nullptr) {
    Refuse(L"Es sind schon zu viele Datensätze geöffnet; %s kann nicht geöffnet werden.",
           target.strPath);
    return nullptr;
  }
  AttachFile(*pDataset, target.strPath);
  if (!LoadDataset(*pDataset)) {
    pDataset->m_bClosed = true;
    return nullptr;
  }
  if (IsDatasetDamaged(*pDataset)) {
    if (!target.bSalvage) {
      target.bRefusedDamaged = true;
      Refuse(
          L"Die Materialmanagement-Datei %s ist beschädigt; der Import wird nicht "
          L"gespeichert, damit nichts von dem verloren geht, was die Datei noch enthält.",
          target.strPath);
      pDataset->m_bClosed = true;
      return nullptr;
    }
    SalvageDataset(*pDataset);
  }
  if (!target.strID.empty() && !HasID(*pDataset, target.strID.c_str())) {
    Refuse(
        L"Die Materialmanagement-Datei %s hat die Herstellerkennung %s, nicht die "
        L"angegebene.",
        target.strPath, pDataset->m_szHerstellerID);
    pDataset->m_bClosed = true;
    return nullptr;
  }
  MakeCurrent(store, *pDataset);
  return pDataset;
}

CString WhyUnreadable(const CString& path) {
  if (FolderExists(path)) return path + L": ist ein Ordner, keine Datei";
  if (!FileExists(path)) return path + L": Datei nicht gefunden";
  CFile file;
  if (!file.Open(path, CFile::eRead)) return file.GetError();
  const auto nLength = file.GetLength();
  if (!nLength) return file.GetError();
  // A device or a file of the process table claims no length: one byte read
  // tells whether anything is there at all (none: empty; an error: that).
  char c = 0;
  if (*nLength == 0) {
    const std::int64_t nGot = file.Read(&c, 1);
    if (nGot < 0) return file.GetError();
    if (nGot == 0) return path + L": die Datei ist leer";
  }
  return {};
}

}  // namespace

CMatDatenSatz* OpenImportTarget(CMatStore& store, CImportTarget& target) {
  if (target.strID.empty() && !FileExists(target.strPath)) target.strID = target.strNewID;
  if (!target.strID.empty() && !IsValidID(target.strID)) {
    Refuse(L"Die Herstellerkennung \"%s\" hat nicht genau 4 Zeichen.", target.strID);
    return nullptr;
  }
  if (const CString why = WhyDatabasePathRefused(target.strPath); !why.empty()) {
    Refuse(L"%s", why);
    return nullptr;
  }
  CMatDatenSatz* pDataset = nullptr;
  if (FileExists(target.strPath)) {
    pDataset = OpenExisting(store, target);
  } else if (target.strID.empty()) {
    Refuse(L"Für die neue Materialmanagement-Datei %s fehlt die Herstellerkennung.",
           target.strPath);
  } else {
    // Made without a path, so that it is registered only when asked for.
    const CString name = target.strName.empty() ? target.strID : target.strName;
    if (CMatDatasetCalls::CreateDataset(target.strID.c_str(), name.c_str(), nullptr) >= 0)
      pDataset = store.GetCurrent();
    if (pDataset != nullptr) pDataset->m_strPath = ResolveDatabasePath(target.strPath);
  }
  return pDataset;
}

bool FinishImport(CMatDatenSatz& dataset, const CImportTarget& target, bool bAllRead) {
  bool bSaved = false;
  if (bAllRead) {
    bSaved = SaveDataset(dataset);
  } else {
    ShowMessage(MB_OK | MB_ICONERROR,
                L"Der Import ist fehlgeschlagen; die Materialmanagement-Datei %s wurde nicht "
                L"gespeichert.",
                dataset.m_strPath);
  }
  ReleaseWriteLock(dataset);
  return bSaved && (!target.bRegister || RegisterDatasetPath(AbsolutePath(dataset.m_strPath)));
}

unsigned long OpenImportFile(CImportTarget& target) {
  return GuardedCall(0ul, [&]() -> unsigned long {
    const CMatDatenSatz* pDataset = OpenImportTarget(CMatStore::Instance(), target);
    return pDataset != nullptr ? pDataset->GetPrefix() : 0;
  });
}

bool FinishImportFile(unsigned long prefix, const CImportTarget& target, bool bAllRead) {
  return GuardedCall(false, [&] {
    CMatDatenSatz* pDataset = CMatStore::Instance().GetDatasetOfHandle(Handle(prefix));
    return pDataset != nullptr && FinishImport(*pDataset, target, bAllRead);
  });
}

CString WhyInputUnreadable(const CString& path) {
  // An exception on the way (shown) leaves the file unread: not "readable".
  return GuardedCall(path + L": kann nicht gelesen werden", [&] { return WhyUnreadable(path); });
}

bool ImportFilesIntoTarget(CMatStore& store, const std::vector<CString>& files,
                           const CImportTarget& request, const CReadImportFile& readFile,
                           CFileImportResult& result) {
  result = {};
  bool bInputsReadable = true;
  for (const CString& file : files) {
    if (const CString why = WhyInputUnreadable(file); !why.empty()) {
      ShowMessage(MB_OK | MB_ICONERROR, L"%s", why);
      bInputsReadable = false;
    }
  }
  if (!bInputsReadable || files.empty()) return false;
  CImportTarget target = request;
  CMatDatenSatz* pDataset = OpenImportTarget(store, target);
  result.bRefusedDamaged = target.bRefusedDamaged;
  if (pDataset == nullptr) return false;
  bool bAllRead = true;
  for (std::size_t i = 0; i < files.size() && bAllRead; ++i) {
    bAllRead = readFile(i, result.nLines);
    if (bAllRead) ++result.nFilesRead;
  }
  result.bSaved = FinishImport(*pDataset, target, bAllRead);
  return result.bSaved;
}
