#include "scriptfile/script_runner.h"

#include <cwchar>
#include <string_view>

#include "platform/host_ui.h"
#include "scriptfile/script_commands.h"
#include "scriptfile/script_messages.h"
#include "store/base/message.h"
#include "store/base/num_string.h"
#include "store/mat_store.h"
#include "store/mmtb/mat_text_messages.h"
#include "store/mmtb/mat_text_reader.h"

namespace {

using CStep = bool (*)(CMatStore&, CMatTextReader&);

struct CCommand {
  std::wstring_view m_strWord;
  CStep m_pStep;
};

bool ReadTable(CMatStore&, CMatTextReader& reader) { return reader.ReadTopLevelBlock(); }

bool DefineMacro(CMatStore&, CMatTextReader& reader) {
  CString name, value;
  reader.ReadKeyword(name);
  reader.ReadKeyword(value);
  CNumString::DefineMacro(name, value);
  return true;
}

bool UndefineMacro(CMatStore&, CMatTextReader& reader) {
  CString name;
  reader.ReadKeyword(name);
  CNumString::unDefineMacro(name);
  return true;
}

bool ShowText(CMatStore&, CMatTextReader& reader) {
  CString text;
  reader.ReadKeyword(text);
  ShowMessage(MB_OK | MB_ICONINFORMATION, L"%s", text);
  return true;
}

bool StartIfdef(CMatStore& store, CMatTextReader&) { return ProcessIfdefBlock(store, true); }

bool Nothing(CMatStore&, CMatTextReader&) { return true; }

// The commands after the write check, in the order they are compared.
constexpr CCommand kCommands[] = {
    {L"HerstellerID=", CheckHerstellerID},
    {L"[MMTB]", ReadTable},
    {L"#delalltabs", DeleteAllTables},
    {L"#deltabelle", DeleteTable},
    {L"#importxls", ImportXls},
    {L"#importvdi", ImportVdi},
    {L"#importdn", ImportDn},
    {L"#importdaemmung", ImportDaemmung},
    {L"#include", IncludeScript},
    {L"#define", DefineMacro},
    {L"#message", ShowText},
    {L"#ifdef", StartIfdef},
    {L"#undef", UndefineMacro},
    {L"[Ende]", Nothing},
};

// An unknown word is reported and passed over. When the text ends right
// after it, the file was most likely cut off in the middle of a command:
// the run stops rather than report a script it did not read whole.
bool ReportUnknown(CMatTextReader& reader, const CString& word) {
  ShowMessage(MB_OK | MB_ICONWARNING, kMsgUnknownCommand, word, reader.GetZeile());
  reader.SkipBlanks();
  return !reader.AtEnd();
}

bool IsLineSkipped(wchar_t c) { return c == L'\r' || c == L'\n' || c == L';'; }

bool ProcessIfdef(CMatStore& store, CMatTextReader& reader, bool bActive, int nDepth) {
  if (nDepth >= CMatTextReader::kMaxNesting) {
    ShowMessage(MB_OK | MB_ICONERROR, kMsgNestingTooDeep, reader.GetPath(), reader.GetZeile(),
                CMatTextReader::kMaxNesting);
    return false;
  }
  const int nIfdefZeile = reader.GetZeile();
  CString word;
  reader.ReadKeyword(word);
  bool bCondition = bActive && CNumString::knownMacro(word);
  int nElseZeile = -1;
  for (;;) {
    reader.NextZeile();
    reader.SkipBlanks();
    if (reader.AtEnd()) break;
    if (IsLineSkipped(*reader.GetPos())) continue;
    reader.ReadKeyword(word);
    if (word == L"#endif") return true;
    if (word == L"[Ende]") break;
    if (word == L"#ifdef") {
      if (!ProcessIfdef(store, reader, bCondition, nDepth + 1)) return false;
    } else if (word == L"#else") {
      if (nElseZeile >= 0) {
        ShowMessage(MB_OK | MB_ICONERROR, kMsgScriptElseTwice, nElseZeile, reader.GetPath());
        return false;
      }
      nElseZeile = reader.GetZeile();
      if (bActive) bCondition = !bCondition;
    } else if (bCondition && !word.empty() && !RunScriptStep(store, word)) {
      return false;
    }
  }
  ShowMessage(MB_OK | MB_ICONERROR, kMsgScriptNoEndif, nIfdefZeile, reader.GetPath());
  return false;
}

}  // namespace

bool ScriptRunner(CMatStore& store) {
  CMatTextReader* pReader = store.m_pTextReader;
  if (pReader == nullptr || EnsureActiveDataset(store) == nullptr) return false;
  if (pReader->IsUnicode()) MarkUnicode(store);
  if (std::wcsncmp(pReader->GetPos(), L"[MMD1]", 6) != 0) {
    ShowMessage(MB_OK | MB_ICONERROR, kMsgScriptNoHead, pReader->GetPath());
    return false;
  }
  CString word;
  for (;;) {
    pReader->NextZeile();
    if (pReader->AtEnd()) break;
    if (IsLineSkipped(*pReader->GetPos())) continue;
    pReader->ReadKeyword(word);
    if (word.empty()) continue;
    if (!RunScriptStep(store, word)) return false;
  }
  WriteLastUpdate(store);
  return true;
}

bool RunScriptStep(CMatStore& store, const CString& word) {
  CMatTextReader* pReader = store.m_pTextReader;
  if (pReader == nullptr) return false;
  if (word == L"#activateMMD") return ActivateMmd(store, *pReader);
  if (word == L"#saveMMD") return SaveMmd(store, *pReader);
  if (!CheckScriptWritable(store)) return false;
  for (const CCommand& command : kCommands) {
    if (command.m_strWord == word) return command.m_pStep(store, *pReader);
  }
  return ReportUnknown(*pReader, word);
}

bool ProcessIfdefBlock(CMatStore& store, bool active) {
  CMatTextReader* pReader = store.m_pTextReader;
  return pReader != nullptr && ProcessIfdef(store, *pReader, active, 0);
}
