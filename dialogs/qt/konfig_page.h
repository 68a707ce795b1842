// CKonfigPage: the dataset page a host puts into its settings. It lists the
// datasets of the store, shows the facts of the selected one and switches it
// between listed and excluded; what it shows comes from CKonfigPageModel.
#pragma once

#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QWidget>

class CKonfigPage : public QWidget {
  Q_OBJECT

 public:
  // The caption and title are the text the host passed to GetKonfigPageClass.
  explicit CKonfigPage(QWidget* pParent = nullptr);
  // Refills the dataset list (on opening and after each switch).
  void FillDatasets();
  // The run-time class ordinal 184 hands to a host.
  static const struct CRuntimeClass* RuntimeClass();

 private:
  void OnSelectionChanged();
  void OnActivate();
  unsigned long SelectedPrefix() const;

  QTreeWidget* m_pDatasets;  // 1084
  QTreeWidget* m_pInfo;      // 1042
  QLabel* m_pName;           // 2018
  QPushButton* m_pActivate;  // 2019
};
