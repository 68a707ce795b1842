// The slot of the dialogs library and the exported dialog calls that go
// through it.
#include "OrvaMat/dialogs.h"

#include "dialogs/dialog_debug_hook.h"
#include "formula/formula_runtime.h"
#include "store/base/guarded_call.h"
#include "store/base/message.h"
#include "store/base/translation.h"

namespace {

CDialogProvider* g_pProvider = nullptr;
// The title's address, as the host passed it: the page copies the text when
// it is made.
const wchar_t* g_pKonfigTitle = nullptr;

// The dialog calls are made by hosts that expect a window; without the
// dialogs library they get a reason instead of nothing.
CDialogProvider* ProviderOrMessage() {
  if (g_pProvider == nullptr) {
    ShowMessage(MB_OK | MB_ICONERROR,
                L"Die Dialoge der Materialverwaltung sind nicht verfügbar: die Bibliothek "
                L"libOrvaMatDialogs ist nicht geladen.");
  }
  return g_pProvider;
}

}  // namespace

CDialogProvider::~CDialogProvider() = default;

CDialogProvider* GetDialogProvider() { return g_pProvider; }
void SetDialogProvider(CDialogProvider* provider) { g_pProvider = provider; }

CString TranslateDialogText(const wchar_t* text) {
  return LibraryTranslation().TranslateText(text != nullptr ? text : L"");
}

const CRuntimeClass* CMatDialogCalls::GetKonfigPageClass(const wchar_t* title) {
  g_pKonfigTitle = title;
  return GuardedCall(static_cast<const CRuntimeClass*>(nullptr), [] {
    CDialogProvider* pProvider = ProviderOrMessage();
    return pProvider != nullptr ? pProvider->GetKonfigPageClass() : nullptr;
  });
}

const wchar_t* CMatDialogCalls::GetKonfigPageTitle() {
  return g_pKonfigTitle != nullptr ? g_pKonfigTitle : L"";
}

// The dialog calls are a host's whole task: nothing that escapes a dialog
// (memory ran out) reaches the host; it is shown, and the call cancels.

unsigned long CMatDialogCalls::chooseArtikelDlg(CMatTable* /*table*/, const CPtrList& handles) {
  return GuardedCall(0ul, [&] {
    CDialogProvider* pProvider = ProviderOrMessage();
    if (pProvider == nullptr) return 0ul;
    CArticleChoiceModel model(handles);
    pProvider->RunArticleChoice(model);
    return static_cast<unsigned long>(model.GetChosen());
  });
}

int CMatDialogCalls::showProdVarianten(Cvdi3805Tag* product, CStringList& selection) {
  return GuardedCall(int(IDCANCEL), [&] {
    CDialogProvider* pProvider = ProviderOrMessage();
    if (pProvider == nullptr || product == nullptr) return int(IDCANCEL);
    CVdiVariantsModel model(product, selection);
    const int rc = pProvider->RunVariants(model);
    // Cancel leaves the product's variants as they were, not only the list.
    if (rc == IDOK)
      selection = model.GetSelection();
    else
      model.RestoreDefaults();
    return rc;
  });
}

int CMatDialogCalls::SearchArtikelDlg(unsigned long& handle, const wchar_t* /*text*/,
                                      CMatTable* table) {
  return GuardedCall(int(IDCANCEL), [&] {
    CDialogProvider* pProvider = ProviderOrMessage();
    if (pProvider == nullptr) return int(IDCANCEL);
    CArticleSearchModel model(Handle(handle), table);
    const int rc = pProvider->RunArticleSearch(model);
    handle = model.GetSelected();
    return rc;
  });
}

namespace {

// The formula runtime's debugger: the provider's window when there is one;
// without one the run goes straight through, after the message.
class CDialogDebugHook : public CFormulaDebugHook {
 public:
  void ShowDebugger(CFormulaRuntime& runtime, CvdiFunctionList* list, CvdiFunction* f) override {
    CDialogProvider* pProvider = ProviderOrMessage();
    if (pProvider == nullptr) {
      runtime.RunToEnd();
      return;
    }
    CFortranDebugModel model(runtime, list, f);
    pProvider->RunDebugger(model);
  }
};

}  // namespace

CFormulaDebugHook& DialogDebugHook() {
  static CDialogDebugHook hook;
  return hook;
}
