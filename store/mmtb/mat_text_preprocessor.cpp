// The preprocessor lines of a body: "#include", "#define", "#undef",
// "#message", "#ifdef" / "#else" / "#endif".
#include "platform/host_ui.h"
#include "store/base/message.h"
#include "store/base/num_string.h"
#include "store/mat_store.h"
#include "store/mmtb/mat_text_messages.h"
#include "store/mmtb/mat_text_reader.h"

namespace {

bool IsLineEnd(wchar_t c) {
  return c == L'\r' || c == L'\n' || c == 0 || c == CMatTextReader::kEndMarker;
}

// Makes the included reader the store's reader in use while it reads.
class CCurrentReaderScope {
 public:
  CCurrentReaderScope(CMatStore* pStore, CMatTextReader* pReader) : m_pStore(pStore) {
    if (m_pStore) {
      m_pPrevious = m_pStore->m_pTextReader;
      m_pStore->m_pTextReader = pReader;
    }
  }
  ~CCurrentReaderScope() {
    if (m_pStore) m_pStore->m_pTextReader = m_pPrevious;
  }
  CCurrentReaderScope(const CCurrentReaderScope&) = delete;
  CCurrentReaderScope& operator=(const CCurrentReaderScope&) = delete;

 private:
  CMatStore* m_pStore;
  CMatTextReader* m_pPrevious = nullptr;
};

}  // namespace

// A word of a preprocessor line: a double-quoted text, or the characters up
// to the next blank.
void CMatTextReader::ReadWord(CString& out) {
  SkipBlanks();
  const wchar_t* p = m_pPos;
  if (*p == L'"') {
    const wchar_t* pStart = ++p;
    while (*p >= L' ' && *p != L'"') ++p;
    out.assign(pStart, p);
    m_pPos = *p == L'"' ? p + 1 : p;
    return;
  }
  const wchar_t* pStart = p;
  while (*p > L' ') ++p;
  out.assign(pStart, p);
  m_pPos = p;
}

bool CMatTextReader::ReadPreprocessorItem(CMatTable* pTable, const CString& keyword,
                                          bool& bHandled) {
  bHandled = true;
  CString name;
  if (keyword == L"#include") return ReadInclude(pTable);
  if (keyword == L"#ifdef") return ReadIfdefBlock(pTable, true);
  if (keyword == L"#define") {
    CString value;
    ReadWord(name);
    ReadWord(value);
    CNumString::DefineMacro(name, value);
  } else if (keyword == L"#undef") {
    ReadKeyword(name);
    CNumString::unDefineMacro(name);
  } else if (keyword == L"#message") {
    ReadKeyword(name);
    ShowMessage(MB_OK | MB_ICONINFORMATION, L"%s", name);
  } else if (keyword == L"#else") {
    // Outside a block an "#else" has nothing to switch; it must not take a
    // macro away either, or later blocks would read other lines.
    ShowMessage(MB_OK | MB_ICONWARNING, kMsgElseOutside, m_nZeile, m_strPath);
  } else if (keyword == L"#endif") {
    ShowMessage(MB_OK | MB_ICONWARNING, kMsgEndifOutside, m_nZeile, m_strPath);
  } else {
    bHandled = false;
  }
  return true;
}

bool CMatTextReader::ReadInclude(CMatTable* pTable) {
  CString path;
  ReadWord(path);
  if (m_nIncludeDepth >= kMaxIncludeDepth) {
    ShowMessage(MB_OK | MB_ICONERROR, kMsgIncludeTooDeep, m_strPath, m_nZeile, kMaxIncludeDepth,
                path);
    return false;
  }
  CMatTextReader included(m_pStore);
  if (!included.OpenText(path)) {
    ShowMessage(MB_OK | MB_ICONERROR, kMsgCannotOpen, path);
    return false;
  }
  included.m_pPrev = this;
  included.m_nIncludeDepth = m_nIncludeDepth + 1;
  included.m_nNesting = m_nNesting;
  CCurrentReaderScope scope(m_pStore, &included);
  return included.ReadTableBody(pTable);
}

bool CMatTextReader::ReadIfdefBlock(CMatTable* pTable, bool bActive) {
  if (m_nNesting >= kMaxNesting) return ReportNestingTooDeep();
  ++m_nNesting;
  const int nIfdefZeile = m_nZeile;
  CString keyword;
  ReadKeyword(keyword);
  NextZeile();
  bool bCondition = bActive && CNumString::knownMacro(keyword);
  int nElseZeile = -1;
  bool bResult = true;
  for (;;) {
    SkipBlanks();
    if (AtEnd()) {
      ShowMessage(MB_OK | MB_ICONERROR, kMsgNoEndif, nIfdefZeile, m_strPath);
      bResult = false;
      break;
    }
    if (IsLineEnd(*m_pPos) || *m_pPos == L';') {
      NextZeile();
      continue;
    }
    ReadKeyword(keyword);
    if (keyword == L"#endif") break;
    if (keyword == L"#ifdef") {
      bResult = ReadIfdefBlock(pTable, bCondition);
    } else if (keyword == L"#else") {
      if (nElseZeile >= 0) {
        ShowMessage(MB_OK | MB_ICONERROR, kMsgElseTwice, nElseZeile, m_strPath);
        bResult = false;
      }
      nElseZeile = m_nZeile;
      if (bActive) bCondition = !bCondition;
    } else if (keyword == L"[Ende]") {
      ShowMessage(MB_OK | MB_ICONERROR, kMsgNoEndif, nIfdefZeile, m_strPath);
      bResult = false;
    } else if (bCondition) {
      // A line that fails inside the block stops reading as it would outside:
      // going on would read the rest of the block, "#else" part included, as
      // ordinary lines.
      bResult = ReadBodyItem(pTable, keyword);
    }
    if (!bResult) break;
    NextZeile();
  }
  --m_nNesting;
  return bResult;
}
