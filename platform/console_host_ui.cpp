#include "platform/console_host_ui.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <iostream>
#include <istream>
#include <string>

#include "platform/text.h"

extern char** environ;

namespace {

// The buttons of a box type: what the user types and what it answers.
struct CButton {
  wchar_t m_cKey;
  const wchar_t* m_szName;
  int m_nAnswer;
};

std::vector<CButton> ButtonsOf(unsigned style) {
  switch (style & MB_TYPEMASK) {
    case MB_OKCANCEL:
      return {{L'o', L"OK", IDOK}, {L'c', L"Cancel", IDCANCEL}};
    case MB_ABORTRETRYIGNORE:
      return {{L'a', L"Abort", IDABORT}, {L'r', L"Retry", IDRETRY}, {L'i', L"Ignore", IDIGNORE}};
    case MB_YESNOCANCEL:
      return {{L'y', L"Yes", IDYES}, {L'n', L"No", IDNO}, {L'c', L"Cancel", IDCANCEL}};
    case MB_YESNO:
      return {{L'y', L"Yes", IDYES}, {L'n', L"No", IDNO}};
    case MB_RETRYCANCEL:
      return {{L'r', L"Retry", IDRETRY}, {L'c', L"Cancel", IDCANCEL}};
    default:
      return {{L'o', L"OK", IDOK}};
  }
}

const wchar_t* IconName(unsigned style) {
  switch (style & MB_ICONMASK) {
    case MB_ICONERROR:
      return L"error";
    case MB_ICONQUESTION:
      return L"question";
    case MB_ICONWARNING:
      return L"warning";
    case MB_ICONINFORMATION:
      return L"information";
    default:
      return nullptr;
  }
}

const wchar_t* NameOf(int answer) {
  static const wchar_t* const kNames[] = {L"?",     L"OK",     L"Cancel", L"Abort",
                                          L"Retry", L"Ignore", L"Yes",    L"No"};
  return (answer >= IDOK && answer <= IDNO) ? kNames[answer] : kNames[0];
}

// Reads one line of at most a few hundred bytes; false at the end of input.
bool ReadLine(std::istream& in, CString& line) {
  constexpr size_t kMaxLine = 4096;
  std::string bytes;
  int c = 0;
  while ((c = in.get()) != std::char_traits<char>::eof() && c != '\n') {
    if (bytes.size() < kMaxLine) bytes += static_cast<char>(c);
  }
  if (bytes.empty() && c == std::char_traits<char>::eof()) return false;
  line = Trim(FromUtf8(bytes));
  return true;
}

}  // namespace

CConsoleHostUI::CConsoleHostUI() : m_pOutput(&std::cerr) {}

CConsoleHostUI::CConsoleHostUI(std::ostream& out) : m_pOutput(&out) {}

void CConsoleHostUI::Write(const CString& text) {
  *m_pOutput << ToUtf8(text);
  m_pOutput->flush();
}

CConsoleHostUI::~CConsoleHostUI() { FlushRepeats(); }

bool CConsoleHostUI::ShowRepeat(const CString& kind, const CString& text) {
  if (m_nRepeatLimit == 0) return true;
  // Shorter starts ("12 Artikel", "Zeile 3") would put unlike texts together.
  constexpr std::size_t kMinStart = 8;
  const std::size_t digit = text.find_first_of(L"0123456789");
  const CString start = digit != CString::npos && digit >= kMinStart ? text.substr(0, digit) : text;
  CRepeat& repeat = m_mapRepeats[kind + L'\n' + start];
  if (repeat.nShown < m_nRepeatLimit) {
    ++repeat.nShown;
    return true;
  }
  if (repeat.nHidden++ == 0) repeat.strStart = start;
  return false;
}

void CConsoleHostUI::FlushRepeats() {
  for (auto& [kind, repeat] : m_mapRepeats) {
    if (repeat.nHidden == 0) continue;
    Write(L"(" + std::to_wstring(repeat.nHidden) + L" more like this: " +
          TrimRight(repeat.strStart) + L"...)\n");
    repeat.nHidden = 0;
  }
}

int CConsoleHostUI::MessageBox(const CString& text, const CString& title, unsigned style) {
  if ((style & MB_ICONMASK) == MB_ICONERROR) m_listErrors.push_back(text);
  // Only warnings and errors nobody is asked about may go unwritten: their
  // answer is OK, and what a script says (information) is always written.
  const unsigned icon = style & MB_ICONMASK;
  if ((style & MB_TYPEMASK) == MB_OK && !m_pInput &&
      (icon == MB_ICONWARNING || icon == MB_ICONERROR) &&
      !ShowRepeat(title + L'\n' + std::to_wstring(style), text))
    return NonInteractiveAnswer(style);
  CString head = L"--- " + title;
  if (const wchar_t* icon = IconName(style)) head += CString(L" (") + icon + L")";
  Write(head + L" ---\n" + text + L"\n");
  if ((style & MB_TYPEMASK) == MB_OK && !m_pInput) return NonInteractiveAnswer(style);
  const int answer = m_pInput ? AskAnswer(style) : NonInteractiveAnswer(style);
  Write(CString(L"-> ") + NameOf(answer) + L"\n");
  return answer;
}

int CConsoleHostUI::NonInteractiveAnswer(unsigned style) const {
  const auto found = m_mapAnswers.find(style & MB_TYPEMASK);
  return found != m_mapAnswers.end() ? found->second : DefaultAnswer(style);
}

int CConsoleHostUI::AskAnswer(unsigned style) {
  const auto buttons = ButtonsOf(style);
  CString prompt;
  for (const auto& button : buttons) {
    prompt +=
        (prompt.empty() ? L"" : L" / ") + CString(L"[") + button.m_cKey + L"] " + button.m_szName;
  }
  // A few tries, so that a stream of wrong answers cannot keep us here.
  for (int attempt = 0; attempt < 3; ++attempt) {
    Write(prompt + L"? ");
    CString line;
    if (!ReadLine(*m_pInput, line) || line.empty()) break;
    for (const auto& button : buttons) {
      if (ToLowerChar(line[0]) == button.m_cKey) return button.m_nAnswer;
    }
  }
  return NonInteractiveAnswer(style);
}

bool CConsoleHostUI::ChooseFile(const CFileChooser& request, std::deque<CString>& preset,
                                CString& path) {
  CString line;
  if (!preset.empty()) {
    line = preset.front();
    preset.pop_front();
  } else {
    if (!m_pInput) return false;
    Write(request.strTitle + L" (" + request.strFilter + L"): ");
    if (!ReadLine(*m_pInput, line) || line.empty()) return false;
  }
  // A file the caller's check refuses ends the choice as cancelled: a
  // console that answers from a list can not choose again.
  if (request.fnAccept && !request.fnAccept(line)) return false;
  path = line;
  return true;
}

bool CConsoleHostUI::ChooseOpenFile(const CFileChooser& request, CString& path) {
  return ChooseFile(request, m_listOpenPaths, path);
}

bool CConsoleHostUI::ChooseSaveFile(const CFileChooser& request, CString& path) {
  return ChooseFile(request, m_listSavePaths, path);
}

bool CConsoleHostUI::OpenWithViewer(const CString& path) {
  if (!m_bViewerEnabled) {
    Write(L"File: " + path + L"\n");
    return true;
  }
  std::string file = ToUtf8(path);
  char program[] = "xdg-open";
  char* argv[] = {program, file.data(), nullptr};
  pid_t pid = 0;
  if (posix_spawnp(&pid, program, nullptr, nullptr, argv, environ) != 0) return false;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return false;
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void CConsoleHostUI::ConsoleWrite(const CString& text) {
  if (ShowRepeat(L"console", text)) Write(text);
}
