#include "dialogs/qt/gbl_art_srch_dlg.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialogs/qt/qt_host_ui.h"

namespace {

constexpr int kHelpBase = 0x83F0000;

QString Tr(const wchar_t* text) { return ToQt(TranslateDialogText(text)); }

// The search button's picture, drawn here: a magnifying glass, or a stop
// square while a search runs.
QIcon SearchIcon(bool bRunning) {
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  const QColor ink = QApplication::palette().color(QPalette::ButtonText);
  if (bRunning) {
    painter.fillRect(QRectF(4, 4, 8, 8), QColor(190, 40, 40));
  } else {
    painter.setPen(QPen(ink, 1.8));
    painter.drawEllipse(QRectF(2, 2, 8, 8));
    painter.drawLine(QPointF(9.5, 9.5), QPointF(14, 14));
  }
  return QIcon(pixmap);
}

template <typename T, typename... Text>
T* Control(QWidget* pParent, int nId, const Text&... text) {
  T* pControl = new T(text..., pParent);
  SetControlId(pControl, nId, kHelpBase);
  return pControl;
}

}  // namespace

CGblArtSrchDlg::CGblArtSrchDlg(CArticleSearchModel& model, QWidget* pParent)
    : QDialog(pParent), m_Model(model) {
  setObjectName("2111");
  setProperty("helpId", kHelpBase);
  setWindowTitle(Tr(L"Artikelauswahl"));
  m_pCatalogueLabel = Control<QLabel>(this, 2012, Tr(L"Katalog:"));
  m_pCatalogue = Control<QComboBox>(this, 2000);
  m_pTabs = Control<QTabBar>(this, 2006);
  m_pTabs->setExpanding(false);
  m_pTabs->setUsesScrollButtons(true);
  m_pList = Control<QListWidget>(this, 2004);
  // Every item is two lines high: a group of ten thousand is laid out
  // without measuring each.
  m_pList->setUniformItemSizes(true);
  m_pPicture = Control<CPictureWindow>(this, 2009);
  m_pSearch = Control<QToolButton>(this, 2013);
  m_pSearch->setIcon(SearchIcon(false));
  m_pAllGroups = Control<QCheckBox>(this, 2014, Tr(L"In allen Warengruppen suchen"));
  m_pText = Control<QLineEdit>(this, 2030);
  m_pWholeWord = Control<QCheckBox>(this, 2027, Tr(L"Nur ganzes Wort suchen"));
  m_pMatchCase = Control<QCheckBox>(this, 2031, Tr(L"Groß-/Kleinschreibung"));
  m_pUp = Control<QRadioButton>(this, 2028, Tr(L"Suchrichung: nach oben"));
  m_pDown = Control<QRadioButton>(this, 2029, Tr(L"Suchrichung: nach unten"));
  m_Buttons = AddOkCancel(*this, kHelpBase);

  auto* pCatalogueRow = new QHBoxLayout();
  pCatalogueRow->addWidget(m_pCatalogueLabel);
  pCatalogueRow->addWidget(m_pCatalogue, 1);
  auto* pArticles = new QHBoxLayout();
  pArticles->addWidget(m_pList, 3);
  pArticles->addWidget(m_pPicture, 2);
  auto* pSearchRow = new QHBoxLayout();
  pSearchRow->addWidget(m_pText, 1);
  pSearchRow->addWidget(m_pSearch);
  auto* pOptions = new QGridLayout();
  pOptions->addWidget(m_pAllGroups, 0, 0);
  pOptions->addWidget(m_pUp, 0, 1);
  pOptions->addWidget(m_pWholeWord, 1, 0);
  pOptions->addWidget(m_pDown, 1, 1);
  pOptions->addWidget(m_pMatchCase, 2, 0);
  auto* pLayout = new QVBoxLayout(this);
  pLayout->addLayout(pCatalogueRow);
  pLayout->addWidget(m_pTabs);
  pLayout->addLayout(pArticles, 1);
  pLayout->addLayout(pSearchRow);
  pLayout->addLayout(pOptions);
  pLayout->addWidget(m_Buttons.pBox);
  resize(640, 460);

  const CArticleSearchOptions& options = ArticleSearchOptions();
  m_pAllGroups->setChecked(options.bAllGroups);
  m_pWholeWord->setChecked(options.bWholeWord);
  m_pMatchCase->setChecked(options.bMatchCase);
  (options.bDownwards ? m_pDown : m_pUp)->setChecked(true);
  for (const CArticleSearchCatalogue& c : m_Model.GetCatalogues())
    m_pCatalogue->addItem(ToQt(c.strName));
  m_pCatalogue->setCurrentIndex(m_Model.GetCatalogue());
  m_pCatalogue->setVisible(m_Model.ShowsCatalogues());
  m_pCatalogueLabel->setVisible(m_Model.ShowsCatalogues());
  ShowTabs();

  m_Timer.setInterval(0);
  connect(&m_Timer, &QTimer::timeout, this, &CGblArtSrchDlg::OnStep);
  m_IndexTimer.setInterval(0);
  connect(&m_IndexTimer, &QTimer::timeout, this, [this] {
    if (m_Model.IndexNextGroup()) return;
    m_IndexTimer.stop();
    setProperty("indexed", true);
  });
  StartIndexing();
  connect(m_pCatalogue, &QComboBox::activated, this, [this](int i) {
    StopSearch();
    m_Model.ChooseCatalogue(i);
    ShowTabs();
    StartIndexing();
  });
  connect(m_pTabs, &QTabBar::currentChanged, this, [this](int i) {
    if (m_bFilling || i < 0) return;
    StopSearch();
    m_Model.SelectTab(i);
    ShowArticles();
  });
  connect(m_pList, &QListWidget::currentRowChanged, this, [this](int nRow) {
    CString picture;
    if (m_bFilling || nRow < 0 || !m_Model.SelectItem(std::size_t(nRow), picture)) return;
    ShowSelection(picture);
  });
  connect(m_pSearch, &QToolButton::clicked, this, [this] {
    if (IsSearching())
      StopSearch();
    else
      StartSearch(false);
  });
  connect(m_pText, &QLineEdit::returnPressed, this, [this] { StartSearch(false); });
  connect(m_pText, &QLineEdit::textEdited, this, [this] {
    if (!m_pText->text().isEmpty()) StartSearch(true);
  });
  for (QAbstractButton* pOption : std::initializer_list<QAbstractButton*>{
           m_pAllGroups, m_pWholeWord, m_pMatchCase, m_pUp, m_pDown})
    connect(pOption, &QAbstractButton::toggled, this, &CGblArtSrchDlg::SaveOptions);
}

void CGblArtSrchDlg::StartIndexing() {
  setProperty("indexed", false);
  m_IndexTimer.start();
}

void CGblArtSrchDlg::ShowTabs() {
  m_bFilling = true;
  while (m_pTabs->count() > 0) m_pTabs->removeTab(0);
  for (const CArticleSearchTab& tab : m_Model.GetTabs()) m_pTabs->addTab(ToQt(tab.strText));
  m_pTabs->setCurrentIndex(m_Model.GetTab());
  m_bFilling = false;
  ShowArticles();
}

void CGblArtSrchDlg::ShowArticles() {
  m_bFilling = true;
  m_nShownTab = m_Model.GetTab();
  if (m_pTabs->currentIndex() != m_Model.GetTab()) m_pTabs->setCurrentIndex(m_Model.GetTab());
  m_pList->clear();
  m_pList->setEnabled(!m_Model.IsTooMany());
  if (m_Model.IsTooMany()) {
    m_pList->addItem(Tr(L"Zu viele Einzelartikel in Warengruppe"));
  } else {
    QStringList texts;
    texts.reserve(static_cast<qsizetype>(m_Model.GetItems().size()));
    for (const CArticleSearchModel::CItem& item : m_Model.GetItems()) texts << ToQt(item.strText);
    m_pList->addItems(texts);
    m_pList->setCurrentRow(m_Model.GetSelectedItem());
  }
  m_bFilling = false;
  m_Buttons.pOk->setEnabled(m_Model.IsOkEnabled());
}

void CGblArtSrchDlg::ShowSelection(const CString& picture) {
  if (!picture.empty()) m_pPicture->Load(picture);
  m_Buttons.pOk->setEnabled(m_Model.IsOkEnabled());
}

void CGblArtSrchDlg::SaveOptions() {
  CArticleSearchOptions& options = ArticleSearchOptions();
  options.bAllGroups = m_pAllGroups->isChecked();
  options.bWholeWord = m_pWholeWord->isChecked();
  options.bMatchCase = m_pMatchCase->isChecked();
  options.bDownwards = m_pDown->isChecked();
}

void CGblArtSrchDlg::StartSearch(bool bAsTyped) {
  StopSearch();
  SaveOptions();
  if (m_Model.BeginSearch(FromQt(m_pText->text()), bAsTyped) ==
      CArticleSearchModel::eSearch::kEmptyText) {
    QApplication::beep();
    return;
  }
  m_pSearch->setIcon(SearchIcon(true));
  setProperty("searching", true);
  OnStep();
}

void CGblArtSrchDlg::StopSearch() {
  if (!m_Timer.isActive()) return;
  m_Timer.stop();
  m_pSearch->setIcon(SearchIcon(false));
  setProperty("searching", false);
  // A stopped search may stand in another group than the one shown.
  if (m_nShownTab != m_Model.GetTab()) ShowArticles();
}

void CGblArtSrchDlg::OnStep() {
  CString picture;
  const CArticleSearchModel::eSearch result = m_Model.Step(kStep, picture);
  // The groups a search passes through are not shown: only where it ends.
  if (result == CArticleSearchModel::eSearch::kRunning) {
    m_Timer.start();
    return;
  }
  m_Timer.stop();
  m_pSearch->setIcon(SearchIcon(false));
  setProperty("searching", false);
  if (m_nShownTab != m_Model.GetTab()) ShowArticles();
  if (result == CArticleSearchModel::eSearch::kFound) {
    m_bFilling = true;
    m_pList->setCurrentRow(m_Model.GetSelectedItem());
    m_bFilling = false;
    ShowSelection(picture);
  } else {
    QApplication::beep();
  }
}

void CGblArtSrchDlg::reject() {
  // Escape during a search stops the search, not the dialog.
  if (IsSearching()) {
    StopSearch();
    return;
  }
  QDialog::reject();
}
