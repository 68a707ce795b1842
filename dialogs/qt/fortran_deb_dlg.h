// CFortranDebDlg: the formula debugger. A developer of product data steps a
// function one statement at a time (the step button or F10), sees its source
// with the current line marked, and watches variables; what it shows comes
// from CFortranDebugModel.
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QWidget>
#include <array>

#include "OrvaMat/dialogs.h"

// The source view: the lines of the shown function from the top line down,
// the current line marked.
class CForDebSrcView : public QWidget {
 public:
  CForDebSrcView(CFortranDebugModel& model, QWidget* pParent);
  int VisibleLines() const;

 protected:
  void paintEvent(QPaintEvent* pEvent) override;
  void resizeEvent(QResizeEvent* pEvent) override;

 private:
  CFortranDebugModel& m_Model;
};

class CFortranDebDlg : public QDialog {
 public:
  CFortranDebDlg(CFortranDebugModel& model, QWidget* pParent = nullptr);
  void StepOnce();

 private:
  struct CWatch {
    QLineEdit* pName;
    QLineEdit* pValue;
  };
  void RefreshWatch(CWatch& watch);
  void RefreshAll();

  CFortranDebugModel& m_Model;
  CForDebSrcView* m_pView;                                     // 2020
  QComboBox* m_pFunctions;                                     // 2023
  std::array<CWatch, CFortranDebugModel::kWatches> m_Watches;  // 2021/2022 the cell assigned last
};
