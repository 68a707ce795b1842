#include "dialogs/qt/vdi_prod_varianten.h"

#include <QDialogButtonBox>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialogs/qt/dialog_look.h"
#include "dialogs/qt/qt_host_ui.h"

namespace {

constexpr int kHelpBase = 0x670000;
constexpr bool kAllEntries = true;  // every entry condition passes: no TGA tag

// A variant's image, drawn here: a hollow square, or a filled one for the
// default of its kind.
QIcon VariantIcon(bool bDefault) {
  QPixmap pixmap(12, 12);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setPen(QColor(60, 60, 60));
  painter.setBrush(bDefault ? QColor(40, 120, 200) : QColor(Qt::transparent));
  painter.drawRect(QRectF(1.5, 1.5, 9, 9));
  return QIcon(pixmap);
}

QTreeWidgetItem* VariantItem(const CVdiVariantItem& variant, QTreeWidgetItem* pParent) {
  auto* pItem = new QTreeWidgetItem(pParent, {ToQt(variant.strText)});
  pItem->setIcon(0, VariantIcon(variant.bDefault));
  pItem->setData(0, Qt::UserRole, QVariant::fromValue(reinterpret_cast<quintptr>(variant.pTag)));
  for (const CVdiVariantItem& sub : variant.children) VariantItem(sub, pItem);
  pItem->setExpanded(variant.bDefault);
  return pItem;
}

}  // namespace

CVdiProdVarianten::CVdiProdVarianten(CVdiVariantsModel& model, QWidget* pParent)
    : QDialog(pParent), m_Model(model) {
  setObjectName("103");
  setProperty("helpId", kHelpBase);
  setWindowTitle(ToQt(TranslateDialogText(L"Produkt Varianten und Zubehör")));
  setSizeGripEnabled(true);
  m_pVariants = new QTreeWidget(this);
  m_pVariants->setHeaderHidden(true);
  SetControlId(m_pVariants, 1006, kHelpBase);
  m_pOptions = new QListWidget(this);
  SetControlId(m_pOptions, 1051, kHelpBase);
  m_pAccessories = new QTreeWidget(this);
  SetControlId(m_pAccessories, 1007, kHelpBase);
  QDialogButtonBox* pButtons = AddOkCancel(*this, kHelpBase).pBox;
  auto* pLayout = new QVBoxLayout(this);
  pLayout->addWidget(m_pVariants, 1);
  pLayout->addWidget(m_pOptions, 1);
  pLayout->addWidget(m_pAccessories, 1);
  pLayout->addWidget(pButtons);
  resize(520, 560);
  int x = 0, y = 0, nWidth = 0, nHeight = 0;
  if (CVdiVariantsModel::LoadPlacement(x, y, nWidth, nHeight)) setGeometry(x, y, nWidth, nHeight);

  FillVariants();
  connect(m_pVariants, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* pItem) {
    if (m_bFilling || pItem == nullptr) return;
    auto* pTag = reinterpret_cast<Cvdi3805Tag*>(pItem->data(0, Qt::UserRole).value<quintptr>());
    if (m_Model.SelectVariant(pTag)) FillVariants();
  });

  m_pOptions->setVisible(!m_Model.IsAccessoryMode());
  m_pAccessories->setVisible(m_Model.IsAccessoryMode());
  if (!m_Model.IsAccessoryMode()) {
    for (const CVdiOption& option : m_Model.GetOptions()) {
      auto* pItem = new QListWidgetItem(ToQt(option.strText), m_pOptions);
      pItem->setFlags(pItem->flags() | Qt::ItemIsUserCheckable);
      pItem->setCheckState(option.bChecked ? Qt::Checked : Qt::Unchecked);
    }
    return;
  }
  m_pTreeCtrl = std::make_unique<CQtTreeCtrl>(*m_pAccessories);
  m_pAccessoryTree = std::make_unique<CVDIZubehoerbaum930>(
      m_pTreeCtrl.get(), kAllEntries, m_Model.GetProductTable(), CString(), m_Model.GetQuantities(),
      m_Model.GetSelection());
  m_pAccessoryTree->RebuildZubehoerbaum();
  m_pAccessories->expandAll();
  m_pTreeCtrl->SetCheckClickHandler([this](HTREEITEM item) {
    const bool bChecked = m_pAccessoryTree->setItemStates(item);
    m_Model.GetSelection() = m_pAccessoryTree->GetSelection();
    return bChecked;
  });
  // The root stands for the product: its first child is selected instead.
  connect(m_pAccessories, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* pItem) {
    if (pItem != nullptr && pItem->parent() == nullptr && pItem->childCount() > 0)
      m_pAccessories->setCurrentItem(pItem->child(0));
  });
}

CVdiProdVarianten::~CVdiProdVarianten() {
  const QRect place = geometry();
  CVdiVariantsModel::SavePlacement(place.x(), place.y(), place.width(), place.height());
}

void CVdiProdVarianten::FillVariants() {
  m_bFilling = true;
  m_pVariants->clear();
  for (const CVdiVariantGroup& group : m_Model.GetGroups()) {
    auto* pGroup = new QTreeWidgetItem(m_pVariants, {ToQt(group.strText)});
    for (const CVdiVariantItem& variant : group.items) VariantItem(variant, pGroup);
    pGroup->setExpanded(pGroup->childCount() > 0);
  }
  m_bFilling = false;
}

void CVdiProdVarianten::accept() {
  if (!m_Model.IsAccessoryMode()) {
    std::vector<CVdiOption>& options = m_Model.GetOptions();
    for (int i = 0; i < m_pOptions->count() && std::size_t(i) < options.size(); ++i)
      options[std::size_t(i)].bChecked = m_pOptions->item(i)->checkState() == Qt::Checked;
    m_Model.ApplyOptions();
  }
  QDialog::accept();
}
