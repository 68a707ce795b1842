// CWarenSearchDlg: the article choice. The user picks one of the articles a
// host passed; the picture of the selected one is shown beside the list.
// What it lists and chooses comes from CArticleChoiceModel.
#pragma once

#include <QDialog>
#include <QDialogButtonBox>
#include <QListWidget>

#include "OrvaMat/dialogs.h"
#include "dialogs/qt/dialog_look.h"

class CWarenSearchDlg : public QDialog {
  Q_OBJECT

 public:
  CWarenSearchDlg(CArticleChoiceModel& model, QWidget* pParent = nullptr);
  QListWidget* List() const { return m_pList; }
  CPictureWindow* Picture() const { return m_pPicture; }

 private:
  void OnSelectionChanged();

  CArticleChoiceModel& m_Model;
  CPictureWindow* m_pPicture;  // 2009
  QListWidget* m_pList;        // 2004
  COkCancel m_Buttons;
};
