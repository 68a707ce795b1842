#include "dialogs/qt/waren_search_dlg.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialogs/qt/qt_host_ui.h"

namespace {
constexpr int kHelpBase = 0x83E0000;
}  // namespace

CWarenSearchDlg::CWarenSearchDlg(CArticleChoiceModel& model, QWidget* pParent)
    : QDialog(pParent), m_Model(model) {
  setObjectName("2110");
  setProperty("helpId", kHelpBase);
  setWindowTitle(ToQt(TranslateDialogText(L"Artikelauswahl")));
  m_pPicture = new CPictureWindow(this);
  SetControlId(m_pPicture, 2009, kHelpBase);
  m_pList = new QListWidget(this);
  SetControlId(m_pList, 2004, kHelpBase);
  m_Buttons = AddOkCancel(*this, kHelpBase);
  m_Buttons.pOk->setEnabled(false);

  auto* pRow = new QHBoxLayout();
  pRow->addWidget(m_pList, 2);
  pRow->addWidget(m_pPicture, 1);
  auto* pLayout = new QVBoxLayout(this);
  pLayout->addLayout(pRow);
  pLayout->addWidget(m_Buttons.pBox);
  resize(560, 320);

  m_pPicture->Load(CArticleChoiceModel::GetInitialPicture());
  for (const CArticleChoiceItem& item : m_Model.GetItems()) {
    auto* pItem = new QListWidgetItem(ToQt(item.strText), m_pList);
    pItem->setData(Qt::UserRole, QVariant::fromValue<qulonglong>(item.hArticle));
  }
  connect(m_pList, &QListWidget::itemSelectionChanged, this, &CWarenSearchDlg::OnSelectionChanged);
}

void CWarenSearchDlg::OnSelectionChanged() {
  const int nRow = m_pList->currentRow();
  CString picture;
  if (nRow < 0 || !m_Model.Select(static_cast<std::size_t>(nRow), picture)) return;
  if (!picture.empty()) m_pPicture->Load(picture);
  m_Buttons.pOk->setEnabled(m_Model.IsOkEnabled());
}
