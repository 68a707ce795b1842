// CGblArtSrchDlg: the article search. The user browses the articles of a
// dataset by main product group, searches them by number or short text, and
// picks one. What it shows and finds comes from CArticleSearchModel; a
// search runs in steps from the event loop, so that the window answers and a
// second click on the search button (or Escape) stops it. Its property
// "searching" tells whether a search runs. While the window waits for the
// user it indexes the groups for searching, a group a step; its property
// "indexed" tells when every group is.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QTabBar>
#include <QTimer>
#include <QToolButton>

#include "OrvaMat/dialogs.h"
#include "dialogs/qt/dialog_look.h"

class CGblArtSrchDlg : public QDialog {
  Q_OBJECT

 public:
  // Candidates examined per step of a search.
  static constexpr std::size_t kStep = 2000;

  CGblArtSrchDlg(CArticleSearchModel& model, QWidget* pParent = nullptr);
  bool IsSearching() const { return m_Timer.isActive(); }

 protected:
  void reject() override;

 private:
  void ShowTabs();
  void ShowArticles();
  void ShowSelection(const CString& picture);
  void SaveOptions();
  void StartSearch(bool bAsTyped);
  void StopSearch();
  void OnStep();
  void StartIndexing();

  CArticleSearchModel& m_Model;
  QComboBox* m_pCatalogue;     // 2000
  QLabel* m_pCatalogueLabel;   // 2012
  QTabBar* m_pTabs;            // 2006
  QListWidget* m_pList;        // 2004
  CPictureWindow* m_pPicture;  // 2009
  QToolButton* m_pSearch;      // 2013
  QCheckBox* m_pAllGroups;     // 2014
  QLineEdit* m_pText;          // 2030
  QCheckBox* m_pWholeWord;     // 2027
  QCheckBox* m_pMatchCase;     // 2031
  QRadioButton* m_pUp;         // 2028
  QRadioButton* m_pDown;       // 2029
  COkCancel m_Buttons;
  QTimer m_Timer;
  QTimer m_IndexTimer;
  bool m_bFilling = false;  // the list is being filled: no selection events
  int m_nShownTab = -1;     // the group the list shows
};
