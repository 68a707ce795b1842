#include "dialogs_loader.h"

#include <dlfcn.h>

#include "OrvaMat/host_ui.h"
#include "run_report.h"

namespace {

template <typename F>
F Symbol(void* pLibrary, const char* pName) {
  return reinterpret_cast<F>(dlsym(pLibrary, pName));
}

// The dialogs library beside the libOrvaMat.so this tool runs with (found by
// the address of one of its functions: a sanitizer's dlopen does not search
// the tool's run path); its bare name when that can not be told.
std::string DialogsLibraryPath() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&GetHostUI), &info) == 0 || info.dli_fname == nullptr)
    return ORVAMAT_DIALOGS_LIBRARY;
  const std::string library = info.dli_fname;
  const std::size_t slash = library.rfind('/');
  return slash == std::string::npos ? ORVAMAT_DIALOGS_LIBRARY
                                    : library.substr(0, slash + 1) + ORVAMAT_DIALOGS_LIBRARY;
}

}  // namespace

bool LoadDialogs(const std::string& screenshot, CDialogsLibrary& out) {
  void* pLibrary = dlopen(DialogsLibraryPath().c_str(), RTLD_NOW | RTLD_LOCAL);
  if (pLibrary != nullptr) {
    out.pInstall = Symbol<decltype(out.pInstall)>(pLibrary, "OrvaMatDialogsInstall");
    out.pRunWindow = Symbol<decltype(out.pRunWindow)>(pLibrary, "OrvaMatDialogsRunWindow");
    out.pUninstall = Symbol<decltype(out.pUninstall)>(pLibrary, "OrvaMatDialogsUninstall");
  }
  if (out.pInstall == nullptr || out.pRunWindow == nullptr || out.pUninstall == nullptr) {
    out.pUninstall = nullptr;
    const char* pWhy = dlerror();
    ReportError(std::string("the dialogs library ") + ORVAMAT_DIALOGS_LIBRARY +
                " can not be loaded" + (pWhy != nullptr ? std::string(": ") + pWhy : ""));
    return false;
  }
  COrvaMatDialogsOptions options;
  options.pScreenshot = screenshot.empty() ? nullptr : screenshot.c_str();
  if (!out.pInstall(&options)) {
    ReportError("the dialogs library could not start Qt");
    return false;
  }
  return true;
}
