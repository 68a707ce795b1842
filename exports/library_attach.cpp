#include "exports/library_attach.h"

#include "dialogs/dialog_debug_hook.h"

#include "formula/formula_context.h"
#include "import/dn_tables.h"
#include "import/workbook_import.h"
#include "scriptfile/script_importers.h"
#include "vdi/record_access.h"
#include "vdi/vdi_import.h"

void OrvaMatAttach() {
  // New datasets get the DATANORM tables (CreateDataset lives in the store).
  RegisterDatanormTableSetup();
  // Product functions read their product's records (the formula layer
  // lies below the records' layer and is handed the access here).
  CFormulaContext::Process().m_pRecordAccess = &CVdiRecordAccess::Process();
  // Runs in debug mode step through the debugger of the dialogs layer.
  CFormulaContext::Process().m_pDebugHook = &DialogDebugHook();
  // "#importvdi" of script files reads VDI 3805 files.
  RegisterScriptImporter(eScriptImporter::eVdi, &ImportVdiForScript);
  // "#importxls" reads article workbooks.
  RegisterScriptImporter(eScriptImporter::eXls, &ImportArticleWorkbookForScript);
  // "#importdaemmung" reads insulation workbooks.
  RegisterScriptImporter(eScriptImporter::eDaemmung, &ImportInsulationWorkbookForScript);
}

namespace {

// The shared object's load: the process attach of the library.
__attribute__((constructor)) void OnLibraryLoad() { OrvaMatAttach(); }

}  // namespace
