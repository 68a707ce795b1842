// CVdiProdVarianten: the variants of one VDI product (tree 1006) and either
// its options (check list 1051) or its accessories (tree 1007, filled by the
// accessory tree through CQtTreeCtrl). What it shows and keeps comes from
// CVdiVariantsModel.
#pragma once

#include <QDialog>
#include <QListWidget>
#include <QTreeWidget>
#include <memory>

#include "OrvaMat/dialogs.h"
#include "OrvaMat/vdi_accessories.h"
#include "dialogs/qt/qt_tree_ctrl.h"

class CVdiProdVarianten : public QDialog {
 public:
  CVdiProdVarianten(CVdiVariantsModel& model, QWidget* pParent = nullptr);
  ~CVdiProdVarianten() override;

  void accept() override;

 private:
  void FillVariants();

  CVdiVariantsModel& m_Model;
  QTreeWidget* m_pVariants;     // 1006
  QListWidget* m_pOptions;      // 1051
  QTreeWidget* m_pAccessories;  // 1007
  std::unique_ptr<CQtTreeCtrl> m_pTreeCtrl;
  std::unique_ptr<CVDIZubehoerbaum930> m_pAccessoryTree;
  bool m_bFilling = false;
};
