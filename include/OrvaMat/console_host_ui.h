// CConsoleHostUI: the host UI of a terminal or a batch run (the orvamat tool,
// and the process-wide default until a host installs its own).
//
// Messages go to an output stream (stderr unless told otherwise) as UTF-8: a
// title line, the text, and for boxes with a choice the answer taken.
// Answers: by default non-interactive, DefaultAnswer(style) unless an answer
// was set for the box type with SetAnswer. With SetInput the answers are read
// from a stream instead (an interactive command line); an empty or unreadable
// answer takes the non-interactive one. File choosers answer with the paths
// queued by AddOpenPath/AddSavePath, else ask on the input stream, else
// cancel. OpenWithViewer runs "xdg-open" only when enabled; otherwise it
// prints the path and returns true.
//
// Every error box (MB_ICONERROR) it showed is counted and its text kept: a
// host may end its run on a success of the call it made while the library
// reported an error on the way (a database that loaded damaged, a settings
// file that could not be written). The orvamat tool exits non-zero when an
// error was shown, whatever the command thought, and lists the texts in the
// "errors" of its JSON failure document.
#pragma once

#include <cstdio>
#include <deque>
#include <iosfwd>
#include <map>
#include <vector>

#include "OrvaMat/host_ui.h"

class ORVAMAT_API CConsoleHostUI : public CHostUI {
 public:
  // The stream must outlive this object.
  CConsoleHostUI();
  explicit CConsoleHostUI(std::ostream& out);

  int MessageBox(const CString& text, const CString& title, unsigned style) override;
  bool ChooseOpenFile(const CFileChooser& request, CString& path) override;
  bool ChooseSaveFile(const CFileChooser& request, CString& path) override;
  bool OpenWithViewer(const CString& path) override;
  void ConsoleWrite(const CString& text) override;

  // Answer for boxes of one type (style & MB_TYPEMASK) when nobody is asked.
  void SetAnswer(unsigned type, int answer) { m_mapAnswers[type & MB_TYPEMASK] = answer; }
  // Reads answers from in (not owned; null turns asking off again).
  void SetInput(std::istream* in) { m_pInput = in; }
  void AddOpenPath(const CString& path) { m_listOpenPaths.push_back(path); }
  void AddSavePath(const CString& path) { m_listSavePaths.push_back(path); }
  void SetViewerEnabled(bool enabled) { m_bViewerEnabled = enabled; }

  // The texts of the error boxes shown so far, oldest first.
  const std::vector<CString>& GetErrors() const { return m_listErrors; }

  // A file with thousands of lines of one fault would print thousands of
  // boxes: with a limit n (0, the default, shows all), only the first n OK
  // boxes of a warning or an error of one kind are written, and the first n
  // console texts of one kind; the others are counted, and FlushRepeats (and
  // the destructor) writes each count as one line "(N more like this: <start
  // of the text>...)". A kind is the title, the style and the text up to its
  // first digit (the whole text when that start is only a few characters):
  // "Unbekannte ID [7100015]" and "Unbekannte ID [1230000]" are one kind.
  // Boxes that ask and information boxes are always written, and GetErrors
  // keeps every error text, written or counted.
  void SetRepeatLimit(std::size_t n) { m_nRepeatLimit = n; }
  void FlushRepeats();
  ~CConsoleHostUI() override;

 private:
  // Whether the text of that kind is to be written (else it is counted).
  bool ShowRepeat(const CString& kind, const CString& text);
  int NonInteractiveAnswer(unsigned style) const;
  int AskAnswer(unsigned style);
  bool ChooseFile(const CFileChooser& request, std::deque<CString>& preset, CString& path);
  void Write(const CString& text);

  std::ostream* m_pOutput;
  std::istream* m_pInput = nullptr;
  std::map<unsigned, int> m_mapAnswers;
  std::deque<CString> m_listOpenPaths;
  std::deque<CString> m_listSavePaths;
  bool m_bViewerEnabled = false;
  std::vector<CString> m_listErrors;
  struct CRepeat {
    std::size_t nShown = 0;
    std::size_t nHidden = 0;
    CString strStart;  // the kind's text as far as it is shown in the count
  };
  std::size_t m_nRepeatLimit = 0;
  std::map<CString, CRepeat> m_mapRepeats;
};

// CLineHostUI: every message as one line "<kind>: <text>" on a C stream
// (kind "error", "warning" or "info" by the box's icon), answered like a
// batch run (DefaultAnswer); choosers cancel, the viewer opens nothing and
// console text is written as it is. For a check whose messages are its
// result (a file checked line by line).
class ORVAMAT_API CLineHostUI : public CHostUI {
 public:
  // The stream must outlive this object.
  explicit CLineHostUI(std::FILE* pOut) : m_pOut(pOut) {}

  int MessageBox(const CString& text, const CString& title, unsigned style) override;
  bool ChooseOpenFile(const CFileChooser& request, CString& path) override;
  bool ChooseSaveFile(const CFileChooser& request, CString& path) override;
  bool OpenWithViewer(const CString& path) override;
  void ConsoleWrite(const CString& text) override;

 private:
  std::FILE* m_pOut;
};
