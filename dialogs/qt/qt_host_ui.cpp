#include "dialogs/qt/qt_host_ui.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
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

namespace {

// The file chooser of an import: Qt's own, with what the import shows and
// asks beside the file (CFileChooser), and its last check before it closes.
class CImportFileDialog : public QFileDialog {
 public:
  CImportFileDialog(const CFileChooser& request, QWidget* pParent)
      : QFileDialog(pParent, ToQt(request.strTitle), ToQt(request.strInitialPath),
                    QtFilter(request.strFilter)),
        m_Request(request) {
    setObjectName("fileChooser");
    setOption(QFileDialog::DontUseNativeDialog, true);
    setAcceptMode(QFileDialog::AcceptOpen);
    setFileMode(QFileDialog::ExistingFile);
    if (!request.strOkText.empty()) setLabelText(QFileDialog::Accept, ToQt(request.strOkText));
    auto* pGrid = qobject_cast<QGridLayout*>(layout());
    if (pGrid == nullptr) return;
    int nRow = pGrid->rowCount();
    if (!request.listChoices.empty()) {
      m_pChoice = new QComboBox(this);
      m_pChoice->setObjectName("choice");
      for (const CString& choice : request.listChoices) m_pChoice->addItem(ToQt(choice));
      m_pChoice->setCurrentIndex(request.nChoice);
      m_pChoice->setEnabled(!request.bChoiceFixed);
      pGrid->addWidget(new QLabel(ToQt(request.strChoiceLabel), this), nRow, 0);
      pGrid->addWidget(m_pChoice, nRow++, 1);
    }
    for (std::size_t i = 0; i < request.listPreviewLabels.size(); ++i) {
      auto* pText = new QLineEdit(this);
      pText->setReadOnly(true);
      pText->setObjectName(QString("preview%1").arg(i));
      pGrid->addWidget(new QLabel(ToQt(request.listPreviewLabels[i]), this), nRow, 0);
      pGrid->addWidget(pText, nRow++, 1);
      m_Previews.push_back(pText);
    }
    for (std::size_t i = 0; i < request.listChecks.size(); ++i) {
      auto* pCheck = new QCheckBox(ToQt(request.listChecks[i].first), this);
      pCheck->setObjectName(QString("check%1").arg(i));
      pCheck->setChecked(request.listChecks[i].second);
      pGrid->addWidget(pCheck, nRow++, 1);
      m_Checks.push_back(pCheck);
    }
    if (!request.fnPreview) return;
    connect(this, &QFileDialog::currentChanged, this,
            [this](const QString& file) { Preview(file); });
    // A name typed (or set) in the name field is previewed as well.
    if (auto* pName = findChild<QLineEdit*>("fileNameEdit")) {
      connect(pName, &QLineEdit::textChanged, this, [this](const QString& name) {
        Preview(QFileInfo(name).isAbsolute() ? name : directory().filePath(name));
      });
    }
  }

  void Preview(const QString& file) {
    if (!m_Request.fnPreview || !QFileInfo(file).isFile()) return;
    const std::vector<CString> texts = m_Request.fnPreview(FromQt(file));
    for (std::size_t i = 0; i < m_Previews.size(); ++i)
      m_Previews[i]->setText(i < texts.size() ? ToQt(texts[i]) : QString());
  }

  void accept() override {
    // The choice and the boxes go back first: the last check reads them.
    if (m_pChoice != nullptr) m_Request.nChoice = m_pChoice->currentIndex();
    for (std::size_t i = 0; i < m_Checks.size(); ++i)
      m_Request.listChecks[i].second = m_Checks[i]->isChecked();
    const QStringList files = selectedFiles();
    if (m_Request.fnAccept && !files.isEmpty() && QFileInfo(files.front()).isFile() &&
        !m_Request.fnAccept(FromQt(files.front())))
      return;
    QFileDialog::accept();
  }

 private:
  const CFileChooser& m_Request;
  QComboBox* m_pChoice = nullptr;
  std::vector<QLineEdit*> m_Previews;
  std::vector<QCheckBox*> m_Checks;
};

}  // namespace

bool CQtHostUI::ChooseOpenFile(const CFileChooser& request, CString& path) {
  CImportFileDialog dialog(request, QApplication::activeWindow());
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
