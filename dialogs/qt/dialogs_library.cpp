// The provider that libOrvaMat.so calls for its dialogs, and the library's
// entry points.
#include "OrvaMat/qt_dialogs.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <cstdio>
#include <memory>

#include "OrvaMat/dialogs.h"
#include "dialogs/qt/dialog_look.h"
#include "dialogs/qt/fortran_deb_dlg.h"
#include "dialogs/qt/gbl_art_srch_dlg.h"
#include "dialogs/qt/konfig_page.h"
#include "dialogs/qt/qt_host_ui.h"
#include "dialogs/qt/vdi_prod_varianten.h"
#include "dialogs/qt/waren_search_dlg.h"

namespace {

void ReportScreenshotFailed() {
  const CString text =
      TranslateDialogText(L"Das Bild des Dialogs konnte nicht gespeichert werden:") + L"\n" +
      FromQt(ScreenshotPath());
  GetHostUI().MessageBox(text, L"OrvaMat", MB_OK | MB_ICONERROR);
}

class CQtDialogProvider : public CDialogProvider {
 public:
  const CRuntimeClass* GetKonfigPageClass() override { return CKonfigPage::RuntimeClass(); }
  void RunArticleChoice(CArticleChoiceModel& model) override {
    CWarenSearchDlg dialog(model, QApplication::activeWindow());
    RunModal(dialog);
  }
  int RunArticleSearch(CArticleSearchModel& model) override {
    CGblArtSrchDlg dialog(model, QApplication::activeWindow());
    return RunModal(dialog);
  }
  void RunDebugger(CFortranDebugModel& model) override {
    CFortranDebDlg dialog(model, QApplication::activeWindow());
    RunModal(dialog);
  }
  int RunVariants(CVdiVariantsModel& model) override {
    CVdiProdVarianten dialog(model, QApplication::activeWindow());
    return RunModal(dialog);
  }

 private:
  // A screenshot run never waits for a user: the dialog closes as cancelled
  // whether its picture could be saved or not (then the host hears why).
  // IDOK or IDCANCEL.
  static int RunModal(QDialog& dialog) {
    if (ScreenshotPath().isEmpty()) return dialog.exec() == QDialog::Accepted ? IDOK : IDCANCEL;
    if (!TakeScreenshot(dialog)) ReportScreenshotFailed();
    return IDCANCEL;
  }
};

// Ends the event loop of a window the host shows when the window closes.
class CCloseWatch : public QObject {
 public:
  CCloseWatch(QEventLoop& loop, QObject* pParent) : QObject(pParent), m_Loop(loop) {}
  bool eventFilter(QObject* pWatched, QEvent* pEvent) override {
    if (pEvent->type() == QEvent::Close) m_Loop.quit();
    return QObject::eventFilter(pWatched, pEvent);
  }

 private:
  QEventLoop& m_Loop;
};

struct CInstalled {
  std::unique_ptr<QApplication> pApplication;  // only when the host had none
  CQtDialogProvider provider;
  CQtHostUI ui;
  CHostUI* pHostUI = nullptr;  // the host's own, while ours is installed
};

// Puts the host's own UI back when ours is installed.
void RestoreHostUI(CInstalled& installed) {
  if (&GetHostUI() == &installed.ui) SetHostUI(installed.pHostUI);
}
// Made by the install, deleted by the uninstall only: a host that never
// uninstalls leaves Qt to the end of the process, since taking its
// application down among the static destructors (after Qt's own) crashes.
CInstalled* g_pInstalled = nullptr;

// Qt's own chatter (a missing runtime folder, what the offscreen platform
// can not do) is no message of ours; its errors still reach stderr.
void QuietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& text) {
  if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "%s\n", qPrintable(text));
}

// QApplication keeps argc and argv for its lifetime.
int g_nArgc = 1;
char g_szName[] = "orvamat";
char* g_aArgv[] = {g_szName, nullptr};

}  // namespace

bool OrvaMatDialogsInstall(const COrvaMatDialogsOptions* pOptions) {
  if (g_pInstalled == nullptr) {
    auto pInstalled = std::make_unique<CInstalled>();
    if (QApplication::instance() == nullptr) {
      // Without a display the dialogs still lay out and paint, off screen.
      if (qEnvironmentVariableIsEmpty("DISPLAY") &&
          qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
          qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
      qInstallMessageHandler(QuietQtMessages);
      pInstalled->pApplication = std::make_unique<QApplication>(g_nArgc, g_aArgv);
    }
    g_pInstalled = pInstalled.release();
  }
  ScreenshotPath() = pOptions != nullptr && pOptions->pScreenshot != nullptr
                         ? QString::fromUtf8(pOptions->pScreenshot)
                         : QString();
  SetDialogProvider(&g_pInstalled->provider);
  // A screenshot run answers nobody: the host's own UI keeps the messages,
  // and no message box waits for a click that never comes.
  if (ScreenshotPath().isEmpty() && &GetHostUI() != &g_pInstalled->ui) {
    g_pInstalled->pHostUI = &GetHostUI();
    SetHostUI(&g_pInstalled->ui);
  } else if (!ScreenshotPath().isEmpty()) {
    RestoreHostUI(*g_pInstalled);
  }
  return true;
}

void OrvaMatDialogsUninstall() {
  if (g_pInstalled == nullptr) return;
  if (GetDialogProvider() == &g_pInstalled->provider) SetDialogProvider(nullptr);
  RestoreHostUI(*g_pInstalled);
  delete g_pInstalled;
  g_pInstalled = nullptr;
}

bool OrvaMatDialogsScreenshot(void* pWidget) {
  return pWidget != nullptr && TakeScreenshot(*static_cast<QWidget*>(pWidget));
}

bool OrvaMatDialogsRunWindow(void* pWidget) {
  if (pWidget == nullptr) return false;
  auto& widget = *static_cast<QWidget*>(pWidget);
  if (!ScreenshotPath().isEmpty()) {
    if (TakeScreenshot(widget)) return true;
    ReportScreenshotFailed();
    return false;
  }
  QEventLoop loop;
  widget.setAttribute(Qt::WA_QuitOnClose, false);
  widget.installEventFilter(new CCloseWatch(loop, &widget));
  widget.show();
  loop.exec();
  return true;
}
