// The workbook imports a host starts on files (OrvaMat/import.h) and the
// script command "#importxls".
#include "OrvaMat/import.h"
#include "import/workbook_import.h"
#include "store/base/guarded_call.h"
#include "store/mat_store.h"
#include "store/mmd/import_target.h"

bool ImportWorkbookIntoFile(CMatStore& store, const CWorkbookFileImport& request,
                            const CFileImportProgress& progress, CFileImportResult& result) {
  return ImportFilesIntoTarget(
      store, {request.strWorkbook}, request.target,
      [&](std::size_t nFile, std::size_t& nLines) {
        CWorkbookProgress rows;
        if (progress) rows = [&](std::size_t n, std::size_t total) { progress(nFile, n, total); };
        switch (request.eLayout) {
          case eWorkbookLayout::eArticles:
            return ImportArticleWorkbook(store, request.strWorkbook, &nLines, &rows);
          case eWorkbookLayout::eInsulation:
            return ImportInsulationWorkbook(store, request.strWorkbook, &nLines, &rows);
          case eWorkbookLayout::eTables:
            break;
        }
        return ImportExcelTables(store, request.strWorkbook, &nLines, &rows);
      },
      result);
}

bool ImportWorkbookIntoFile(const CWorkbookFileImport& request, const CFileImportProgress& progress,
                            CFileImportResult& result) {
  return GuardedCall(false, [&] {
    return ImportWorkbookIntoFile(CMatStore::Instance(), request, progress, result);
  });
}

bool ImportArticleWorkbookForScript(CMatStore& store, const CString& path) {
  return ImportArticleWorkbook(store, path);
}

bool ImportInsulationWorkbookForScript(CMatStore& store, const CString& path) {
  return ImportInsulationWorkbook(store, path);
}
