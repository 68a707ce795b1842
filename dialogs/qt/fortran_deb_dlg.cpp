#include "dialogs/qt/fortran_deb_dlg.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QKeySequence>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include "dialogs/qt/dialog_look.h"
#include "dialogs/qt/qt_host_ui.h"

namespace {

// The view's colours: light text on black, the current line light blue on
// dark red-brown.
const QColor kBackground(0, 0, 0);
const QColor kText(0xBD, 0xB7, 0x6B);
const QColor kCurrentBackground(0x64, 0x14, 0x14);
const QColor kCurrentText(0xFF, 0xC8, 0x96);

// The name and value fields of watch k: 2021/2022 (the cell assigned last),
// 2024/2025, 2026/2027, 2028/2029, then 2030 + j / 2042 + j.
std::pair<int, int> WatchIds(int k) {
  if (k == 0) return {2021, 2022};
  if (k <= 3) return {2024 + 2 * (k - 1), 2025 + 2 * (k - 1)};
  return {2030 + (k - 4), 2042 + (k - 4)};
}

}  // namespace

CForDebSrcView::CForDebSrcView(CFortranDebugModel& model, QWidget* pParent)
    : QWidget(pParent), m_Model(model) {
  QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  font.setPointSize(8);
  setFont(font);
  setMinimumSize(420, 200);
}

int CForDebSrcView::VisibleLines() const {
  return std::max(1, height() / std::max(1, fontMetrics().height()));
}

void CForDebSrcView::resizeEvent(QResizeEvent* pEvent) {
  QWidget::resizeEvent(pEvent);
  m_Model.SetVisibleLines(VisibleLines());
}

void CForDebSrcView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const int nHeight = fontMetrics().height();
  const int nCurrent = m_Model.GetCurrentLine();
  for (int row = 0; row * nHeight < height(); ++row) {
    const int nLine = m_Model.GetTopLine() + row;
    const bool bCurrent = nLine == nCurrent;
    const QRect rect(0, row * nHeight, width(), nHeight);
    painter.fillRect(rect, bCurrent ? kCurrentBackground : kBackground);
    painter.setPen(bCurrent ? kCurrentText : kText);
    painter.drawText(rect, Qt::AlignLeft | Qt::AlignVCenter, ToQt(m_Model.GetSourceLine(nLine)));
  }
}

CFortranDebDlg::CFortranDebDlg(CFortranDebugModel& model, QWidget* pParent)
    : QDialog(pParent), m_Model(model) {
  setObjectName("2003");
  setWindowTitle(ToQt(m_Model.GetTitle()));
  m_pView = new CForDebSrcView(m_Model, this);
  SetControlId(m_pView, 2020, 0);
  m_pFunctions = new QComboBox(this);
  SetControlId(m_pFunctions, 2023, 0);
  for (const CString& name : m_Model.GetFunctionNames()) m_pFunctions->addItem(ToQt(name));
  m_pFunctions->setCurrentIndex(m_Model.GetShownFunction());
  auto* pStep = new QPushButton(ToQt(TranslateDialogText(L"step")), this);
  SetControlId(pStep, 2019, 0);
  QDialogButtonBox* pButtons = AddOkCancel(*this, 0).pBox;

  auto* pWatches = new QGridLayout();
  for (int k = 0; k < CFortranDebugModel::kWatches; ++k) {
    const auto [nName, nValue] = WatchIds(k);
    CWatch& watch = m_Watches[std::size_t(k)];
    watch.pName = new QLineEdit(this);
    watch.pValue = new QLineEdit(this);
    watch.pValue->setReadOnly(true);
    SetControlId(watch.pName, nName, 0);
    SetControlId(watch.pValue, nValue, 0);
    pWatches->addWidget(watch.pName, k % 8, (k / 8) * 2);
    pWatches->addWidget(watch.pValue, k % 8, (k / 8) * 2 + 1);
    connect(watch.pName, &QLineEdit::editingFinished, this,
            [this, &watch] { RefreshWatch(watch); });
  }
  auto* pTop = new QHBoxLayout();
  pTop->addWidget(m_pFunctions, 1);
  pTop->addWidget(pStep);
  auto* pLayout = new QVBoxLayout(this);
  pLayout->addLayout(pTop);
  pLayout->addWidget(m_pView, 1);
  pLayout->addLayout(pWatches);
  pLayout->addWidget(pButtons);
  resize(640, 560);

  connect(pStep, &QPushButton::clicked, this, &CFortranDebDlg::StepOnce);
  auto* pF10 = new QShortcut(QKeySequence(Qt::Key_F10), this);
  connect(pF10, &QShortcut::activated, this, &CFortranDebDlg::StepOnce);
  connect(m_pFunctions, &QComboBox::activated, this, [this](int i) {
    m_Model.ShowFunction(i);
    m_pView->update();
  });
}

void CFortranDebDlg::StepOnce() {
  switch (m_Model.Step()) {
    case CFortranDebugModel::eStep::kEnded:
      accept();
      return;
    case CFortranDebugModel::eStep::kError:
      reject();
      return;
    case CFortranDebugModel::eStep::kGoesOn:
      break;
  }
  if (!m_Model.GetLastAssigned().empty())
    m_Watches[0].pName->setText(ToQt(m_Model.GetLastAssigned()));
  if (m_pFunctions->currentIndex() != m_Model.GetShownFunction())
    m_pFunctions->setCurrentIndex(m_Model.GetShownFunction());
  m_pView->update();
  RefreshAll();
}

void CFortranDebDlg::RefreshWatch(CWatch& watch) {
  CString name, value;
  m_Model.Watch(FromQt(watch.pName->text()), name, value);
  if (!name.empty()) watch.pName->setText(ToQt(name));
  watch.pValue->setText(ToQt(value));
}

void CFortranDebDlg::RefreshAll() {
  for (CWatch& watch : m_Watches) RefreshWatch(watch);
}
