#include "dialogs/qt/konfig_page.h"

#include <QHeaderView>
#include <QPainter>
#include <QVBoxLayout>

#include "OrvaMat/dialogs.h"
#include "dialogs/qt/dialog_look.h"
#include "dialogs/qt/qt_host_ui.h"

namespace {

constexpr int kHelpBase = 0xC70000;

// The images of the list, 15 x 15, drawn here: an empty ring for an excluded
// dataset, a green disc for a listed one, and a green disc with a red bar for
// one whose file another user holds.
QIcon DatasetIcon(int nImage) {
  QPixmap pixmap(15, 15);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  if (nImage == kKonfigExcluded) {
    painter.setPen(QPen(QColor(128, 128, 128), 1.5));
    painter.drawEllipse(QRectF(2, 2, 11, 11));
  } else {
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(40, 150, 60));
    painter.drawEllipse(QRectF(1.5, 1.5, 12, 12));
    if (nImage == kKonfigLocked) {
      painter.setBrush(QColor(200, 30, 30));
      painter.drawRect(QRectF(3, 6, 9, 3));
    }
  }
  return QIcon(pixmap);
}

QTreeWidget* OneColumnList(QWidget* pParent, int nId, const wchar_t* pHead) {
  auto* pList = new QTreeWidget(pParent);
  pList->setRootIsDecorated(false);
  pList->setColumnCount(1);
  pList->setHeaderLabels({ToQt(TranslateDialogText(pHead))});
  pList->header()->setStretchLastSection(true);
  SetControlId(pList, nId, kHelpBase);
  return pList;
}

void* CreateKonfigPage() { return new CKonfigPage(); }

const CRuntimeClass kKonfigPageClass = {"CKonfigPage", &CreateKonfigPage};

}  // namespace

const CRuntimeClass* CKonfigPage::RuntimeClass() { return &kKonfigPageClass; }

CKonfigPage::CKonfigPage(QWidget* pParent) : QWidget(pParent) {
  setObjectName("199");
  setProperty("helpId", kHelpBase);
  const QString title = ToQt(CMatDialogCalls::GetKonfigPageTitle());
  setWindowTitle(title.isEmpty() ? ToQt(TranslateDialogText(L"Materialverwaltung")) : title);
  m_pDatasets = OneColumnList(this, 1084, L"Hersteller");
  m_pInfo = OneColumnList(this, 1042, L"Info/Module");
  m_pName = new QLabel(this);
  SetControlId(m_pName, 2018, kHelpBase);
  m_pActivate = new QPushButton(ToQt(TranslateDialogText(L"Aktiviere")), this);
  SetControlId(m_pActivate, 2019, kHelpBase);
  auto* pLayout = new QVBoxLayout(this);
  pLayout->addWidget(m_pDatasets, 3);
  pLayout->addWidget(m_pName);
  pLayout->addWidget(m_pInfo, 2);
  pLayout->addWidget(m_pActivate, 0, Qt::AlignRight);
  connect(m_pDatasets, &QTreeWidget::itemSelectionChanged, this, &CKonfigPage::OnSelectionChanged);
  connect(m_pActivate, &QPushButton::clicked, this, &CKonfigPage::OnActivate);
  resize(360, 420);
  FillDatasets();
}

void CKonfigPage::FillDatasets() {
  m_pDatasets->clear();
  for (const CKonfigPageItem& item : CKonfigPageModel::Fill()) {
    auto* pItem = new QTreeWidgetItem(m_pDatasets, {ToQt(item.strName)});
    pItem->setIcon(0, DatasetIcon(item.nImage));
    pItem->setData(0, Qt::UserRole, QVariant::fromValue<qulonglong>(item.nPrefix));
  }
}

unsigned long CKonfigPage::SelectedPrefix() const {
  const QList<QTreeWidgetItem*> selected = m_pDatasets->selectedItems();
  return selected.isEmpty() ? 0 : selected.front()->data(0, Qt::UserRole).toULongLong();
}

void CKonfigPage::OnSelectionChanged() {
  const unsigned long nPrefix = SelectedPrefix();
  if (nPrefix == 0) return;
  m_pName->setText(ToQt(CKonfigPageModel::GetName(nPrefix)));
  m_pInfo->clear();
  for (const CString& line : CKonfigPageModel::GetInfoLines(nPrefix))
    new QTreeWidgetItem(m_pInfo, {ToQt(line)});
}

void CKonfigPage::OnActivate() {
  const unsigned long nPrefix = SelectedPrefix();
  // Nothing selected, or a dataset closed meanwhile: nothing to switch.
  if (nPrefix == 0 || !CKonfigPageModel::Toggle(nPrefix)) return;
  FillDatasets();
  for (int i = 0; i < m_pDatasets->topLevelItemCount(); ++i) {
    QTreeWidgetItem* pItem = m_pDatasets->topLevelItem(i);
    if (pItem->data(0, Qt::UserRole).toULongLong() != nPrefix) continue;
    m_pDatasets->setCurrentItem(pItem);
    m_pDatasets->scrollToItem(pItem);
    break;
  }
}
