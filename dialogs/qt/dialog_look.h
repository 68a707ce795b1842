// What every dialog of the library shares: control ids as object names (so
// that tests and hosts find controls by the ids the dialogs are known by),
// context-help ids, the picture window, and the screenshot run that lays a
// dialog out, saves its picture and closes it.
#pragma once

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QString>
#include <QWidget>

#include "OrvaMat/types.h"

// Names the control by its id and gives it the help id base + id.
void SetControlId(QWidget* pControl, int nId, int nHelpBase);

// The OK and Abbrechen buttons of a dialog, in the current language, with
// the control ids IDOK and IDCANCEL; they accept and reject the dialog.
struct COkCancel {
  QDialogButtonBox* pBox;
  QPushButton* pOk;
};
COkCancel AddOkCancel(QDialog& dialog, int nHelpBase);

// The picture window of the article dialogs: the picture scaled into the
// window, keeping its proportions, on the frame colour of the window.
class CPictureWindow : public QLabel {
 public:
  explicit CPictureWindow(QWidget* pParent);
  // Loads the file; an empty or unreadable file shows an empty window.
  void Load(const CString& path);
  const QString& GetLoadedPath() const { return m_strPath; }
  // How many files were loaded (the dialogs load a shared picture once).
  int GetLoadCount() const { return m_nLoads; }

 protected:
  void resizeEvent(QResizeEvent* pEvent) override;

 private:
  void ShowScaled();
  QPixmap m_Picture;
  QString m_strPath;
  int m_nLoads = 0;
};

// The screenshot file of this process's dialogs; empty for none.
QString& ScreenshotPath();
// With a screenshot path: shows the widget, lets it lay itself out, saves its
// picture and hides it again; true when saved. Without one: false.
bool TakeScreenshot(QWidget& widget);
