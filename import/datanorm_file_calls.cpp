// The DATANORM import a host starts on files (OrvaMat/import.h), on the
// process's datasets.
#include "OrvaMat/import.h"
#include "import/dn_import.h"
#include "store/base/guarded_call.h"
#include "store/mat_store.h"

bool ImportDatanormIntoFile(const CDnFileImport& request, const CDnFileProgress& progress,
                            CDnFileImportResult& result) {
  return GuardedCall(false, [&] {
    return ImportDatanormIntoFile(CMatStore::Instance(), request, progress, result);
  });
}
