#include "exports/library_attach.h"

#include "import/dn_tables.h"

void OrvaMatAttach() {
  // New datasets get the DATANORM tables (CreateDataset lives in the store).
  RegisterDatanormTableSetup();
}

namespace {

// The shared object's load: the process attach of the library.
__attribute__((constructor)) void OnLibraryLoad() { OrvaMatAttach(); }

}  // namespace
