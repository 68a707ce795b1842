#include "dialogs/qt/dialog_look.h"

#include <QApplication>
#include <QPixmap>

#include "OrvaMat/dialogs.h"
#include "dialogs/qt/qt_host_ui.h"

void SetControlId(QWidget* pControl, int nId, int nHelpBase) {
  pControl->setObjectName(QString::number(nId));
  pControl->setProperty("helpId", nHelpBase + nId);
}

COkCancel AddOkCancel(QDialog& dialog, int nHelpBase) {
  auto* pBox = new QDialogButtonBox(&dialog);
  QPushButton* pOk =
      pBox->addButton(ToQt(TranslateDialogText(L"OK")), QDialogButtonBox::AcceptRole);
  QPushButton* pCancel =
      pBox->addButton(ToQt(TranslateDialogText(L"Abbrechen")), QDialogButtonBox::RejectRole);
  SetControlId(pOk, IDOK, nHelpBase);
  SetControlId(pCancel, IDCANCEL, nHelpBase);
  // Through the virtual calls, so that a dialog's own accept or reject runs.
  QObject::connect(pBox, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(pBox, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  return {pBox, pOk};
}

CPictureWindow::CPictureWindow(QWidget* pParent) : QLabel(pParent) {
  setAlignment(Qt::AlignCenter);
  setFrameShape(QFrame::Box);
  setMinimumSize(120, 120);
  setBackgroundRole(QPalette::Button);
  setAutoFillBackground(true);
}

void CPictureWindow::Load(const CString& path) {
  m_strPath = ToQt(path);
  ++m_nLoads;
  m_Picture = QPixmap();
  if (!m_strPath.isEmpty()) m_Picture.load(m_strPath);
  ShowScaled();
}

void CPictureWindow::resizeEvent(QResizeEvent* pEvent) {
  QLabel::resizeEvent(pEvent);
  ShowScaled();
}

void CPictureWindow::ShowScaled() {
  if (m_Picture.isNull()) {
    clear();
    return;
  }
  setPixmap(m_Picture.scaled(contentsRect().size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

QString& ScreenshotPath() {
  static QString path;
  return path;
}

bool TakeScreenshot(QWidget& widget) {
  if (ScreenshotPath().isEmpty()) return false;
  widget.show();
  // Two rounds: the first lays the widget out, the second paints it.
  QApplication::processEvents();
  QApplication::processEvents();
  const bool bSaved = widget.grab().save(ScreenshotPath(), "PNG");
  widget.hide();
  return bSaved;
}
