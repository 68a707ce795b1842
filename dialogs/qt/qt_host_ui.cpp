#include "dialogs/qt/qt_host_ui.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

QString ToQt(const CString& text) { return QString::fromStdWString(text); }
CString FromQt(const QString& text) { return text.toStdWString(); }

QString QtFilter(const CString& filter) {
  // Pairs of display text and pattern; only the display texts, which name
  // their patterns in brackets, go to Qt.
  const QStringList parts = ToQt(filter).split(u'|');
  QStringList shown;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
    if (!parts[i].isEmpty())
      shown << parts[i] + (parts[i].contains(u'(') ? "" : " (" + parts[i + 1] + ")");
  return shown.join(";;");
}

namespace {

struct CButton {
  int nAnswer;
  QMessageBox::StandardButton eButton;
};

std::vector<CButton> ButtonsOf(unsigned style) {
  switch (style & MB_TYPEMASK) {
    case MB_OKCANCEL:
      return {{IDOK, QMessageBox::Ok}, {IDCANCEL, QMessageBox::Cancel}};
    case MB_ABORTRETRYIGNORE:
      return {{IDABORT, QMessageBox::Abort},
              {IDRETRY, QMessageBox::Retry},
              {IDIGNORE, QMessageBox::Ignore}};
    case MB_YESNOCANCEL:
      return {{IDYES, QMessageBox::Yes}, {IDNO, QMessageBox::No}, {IDCANCEL, QMessageBox::Cancel}};
    case MB_YESNO:
      return {{IDYES, QMessageBox::Yes}, {IDNO, QMessageBox::No}};
    case MB_RETRYCANCEL:
      return {{IDRETRY, QMessageBox::Retry}, {IDCANCEL, QMessageBox::Cancel}};
    default:
      return {{IDOK, QMessageBox::Ok}};
  }
}

QMessageBox::Icon IconOf(unsigned style) {
  switch (style & MB_ICONMASK) {
    case MB_ICONERROR:
      return QMessageBox::Critical;
    case MB_ICONQUESTION:
      return QMessageBox::Question;
    case MB_ICONWARNING:
      return QMessageBox::Warning;
    case MB_ICONINFORMATION:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

}  // namespace

int CQtHostUI::MessageBox(const CString& text, const CString& title, unsigned style) {
  QMessageBox box(IconOf(style), ToQt(title), ToQt(text), QMessageBox::NoButton,
                  QApplication::activeWindow());
  const std::vector<CButton> buttons = ButtonsOf(style);
  for (const CButton& b : buttons) box.addButton(b.eButton);
  const std::size_t nDefault = (style & MB_DEFBUTTON2) != 0 && buttons.size() > 1 ? 1 : 0;
  box.setDefaultButton(buttons[nDefault].eButton);
  const auto answer = static_cast<QMessageBox::StandardButton>(box.exec());
  for (const CButton& b : buttons)
    if (b.eButton == answer) return b.nAnswer;
  // Closed by the window's frame: what nobody answering would have chosen.
  return DefaultAnswer(style);
}

bool CQtHostUI::ChooseOpenFile(const CFileChooser& request, CString& path) {
  QFileDialog dialog(QApplication::activeWindow(), ToQt(request.strTitle),
                     ToQt(request.strInitialPath), QtFilter(request.strFilter));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  if (!request.strOkText.empty()) dialog.setLabelText(QFileDialog::Accept, ToQt(request.strOkText));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  path = FromQt(dialog.selectedFiles().front());
  return true;
}

bool CQtHostUI::ChooseSaveFile(const CFileChooser& request, CString& path) {
  QFileDialog dialog(QApplication::activeWindow(), ToQt(request.strTitle),
                     ToQt(request.strInitialPath), QtFilter(request.strFilter));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(ToQt(request.strDefaultExt));
  if (!request.strOkText.empty()) dialog.setLabelText(QFileDialog::Accept, ToQt(request.strOkText));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  path = FromQt(dialog.selectedFiles().front());
  return true;
}

void CQtHostUI::BeginWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
void CQtHostUI::EndWaitCursor() { QApplication::restoreOverrideCursor(); }

bool CQtHostUI::OpenWithViewer(const CString& path) {
  return QDesktopServices::openUrl(QUrl::fromLocalFile(ToQt(path)));
}

void CQtHostUI::ConsoleWrite(const CString& text) {
  if (m_pConsole == nullptr) {
    m_pConsole = new QPlainTextEdit();
    m_pConsole->setAttribute(Qt::WA_DeleteOnClose);
    m_pConsole->setReadOnly(true);
    m_pConsole->setWindowTitle(QStringLiteral("VDI-Konsole"));
    m_pConsole->resize(600, 300);
  }
  m_pConsole->moveCursor(QTextCursor::End);
  m_pConsole->insertPlainText(ToQt(text));
  m_pConsole->show();
}
