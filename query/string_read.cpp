#include "query/string_read.h"

#include "query/path_lookup.h"
#include "store/base/translation.h"
#include "store/mat_store.h"

std::uint32_t CellTypeOf(const CMatTable* pTable, int nField) {
  if (pTable == nullptr) return eTypeInteger;
  if (pTable->m_nType != eTypeStruct) return pTable->m_nType;
  if (nField < 0 || static_cast<std::uint32_t>(nField) >= pTable->GetFieldCount()) return eTypeVoid;
  return pTable->m_pStrucDef[nField + 1];
}

namespace {

bool IsTextType(std::uint32_t nType) { return nType == eTypeString || nType == eTypeUniString; }

// How a text cell is read: by the call's first table access, which looks
// whether another process changed the database file, or by a further one.
enum class eCellRead { kFirst, kFurther };

// The pool text of a text cell, null when the read failed or holds none.
[[gnu::always_inline]] inline CPoolText CellText(CMatStore& store, CMatTable* pTable, Handle hRow,
                                                 int nIndex, int nField, eCellRead nRead,
                                                 eMatManager& nResult) {
  CCell cell;
  nResult = nRead == eCellRead::kFirst
                ? store.GetCellValue(pTable, cell, hRow, nIndex, nField)
                : store.GetFurtherCellValue(pTable, cell, hRow, nIndex, nField);
  const CMatDatenSatz* pDataset = pTable->m_pDatenSatz;
  if (nResult != eMatOk || cell.m_nValue == 0 || pDataset == nullptr) return CPoolText();
  // Texts are packed without regard to cache lines, so most of them run into
  // a second line: both are asked for where the row says the text lies,
  // while the pool entry that tells for certain is still on its way.
  if (const auto* pHint = static_cast<const char*>(pDataset->HintedText(cell.m_nTextHint))) {
    __builtin_prefetch(pHint);
    __builtin_prefetch(pHint + 64);
  }
  const CPoolText text = pDataset->GetPoolText(cell.m_nValue);
  if (text && cell.m_nTextHint == 0)
    __builtin_prefetch(static_cast<const char*>(text.Address()) + 64);
  return text;
}

}  // namespace

eMatManager ReadStringValue(CMatStore& store, CString& out, CMatTable* pTable, Handle hRow,
                            int nIndex, int nField, bool bTranslate) {
  if (pTable == nullptr) return eMatNoTable;
  // The row of the table the text most likely comes from is asked for
  // before anything else, so that its cache miss overlaps all the checks
  // before the read. Under a language it is the child found last under this
  // table; that may be the wrong guess, which costs no more than the miss.
  const CMatTable* pLikely = nullptr;
  if (bTranslate && pTable->m_pDatenSatz != nullptr)
    pLikely = pTable->m_pDatenSatz->m_ChildIndexes.PeekRemembered(pTable);
  (pLikely != nullptr ? pLikely : pTable)->PrefetchRow(hRow);
  const std::uint32_t nType = CellTypeOf(pTable, nField);
  if (nType == eTypeStrLine) {
    if (pTable->m_pDatenSatz != nullptr) pTable->m_pDatenSatz->EnsureRowsLoaded(*pTable);
    if (nIndex > 0 || nField > 0) return eMatField;
    out = pTable->m_pData != nullptr ? static_cast<const wchar_t*>(pTable->m_pData) : L"";
    return eMatOk;
  }
  if (!IsTextType(nType)) return eMatWrongType;
  CTranslationManager& translation = CTranslationManager::GetInstance();
  if (bTranslate && translation.HasActualLanguage()) {
    // The child named after the language, as the path look-up finds it. A
    // plain name in a dataset without aliases needs no path parsing, and
    // most text tables have no children: a text read pays for neither. The
    // direct look-up has looked for changes of the file (for the parent,
    // in the child's own dataset), so the child's cell need not look again.
    const CString& language = translation.GetActualLanguage();
    CMatDatenSatz* pDataset = pTable->m_pDatenSatz;
    CMatTable* pChild = nullptr;
    eCellRead nRead = eCellRead::kFirst;
    if (pDataset == nullptr || !pDataset->m_Aliases.empty() ||
        !translation.IsActualLanguageOneName()) {
      if (FindTable(store, pChild, pTable, language) != eMatOk) pChild = nullptr;
    } else {
      ActivateDatasetOf(store, *pDataset);
      if (!pTable->m_Children.empty()) {
        pDataset->EnsureRowsLoaded(*pTable);
        pChild = FindVisibleChild(*pTable, language, translation.GetLanguageStamp());
        nRead = eCellRead::kFurther;
      }
    }
    eMatManager nChild = eMatNoTable;
    if (pChild != nullptr) {
      if (const CPoolText text = CellText(store, pChild, hRow, nIndex, nField, nRead, nChild)) {
        text.AssignTo(out);  // the caller's buffer keeps its room from call to call
        return eMatOk;
      }
    }
  }
  eMatManager nResult = eMatOk;
  const CPoolText text = CellText(store, pTable, hRow, nIndex, nField, eCellRead::kFirst, nResult);
  if (!text) return nResult;
  text.AssignTo(out);
  // Most hosts load no word book for the library: then the text is as read.
  const CTranslationModule& module = translation.GetLibraryModule();
  if (bTranslate && module.GetCount() != 0) out = module.TranslateText(std::wstring_view(out));
  return nResult;
}

eMatManager ReadSubString(CMatStore& store, CString& out, CMatTable* pTable, Handle hRow,
                          int nIndex, int nPart, wchar_t cSeparator) {
  out.clear();
  if (pTable == nullptr) return eMatNoTable;
  if (nPart < 0) return eMatIndex;
  if (nPart == 0) {
    const CString name = pTable->m_pDatenSatz != nullptr
                             ? pTable->m_pDatenSatz->GetName(pTable->m_hName).ToString()
                             : CString();
    const std::size_t nDash = name.find(L'-');
    if (nDash != std::wstring_view::npos) out = name.substr(nDash + 1);
    return eMatOk;
  }
  CString text;
  const eMatManager nResult = ReadStringValue(store, text, pTable, hRow, nIndex, 0, true);
  if (nResult != eMatOk) return nResult;
  std::size_t nStart = 0;
  for (int i = 1; i < nPart; ++i) {
    const std::size_t nNext = text.find(cSeparator, nStart);
    if (nNext == CString::npos) return eMatOk;  // fewer parts: ""
    nStart = nNext + 1;
  }
  const std::size_t nEnd = text.find(cSeparator, nStart);
  out = text.substr(nStart, nEnd == CString::npos ? CString::npos : nEnd - nStart);
  return eMatOk;
}

CString TablePathOf(const CMatTable* pTable) {
  if (pTable == nullptr) return {};
  const CMatDatenSatz* pDataset = pTable->m_pDatenSatz;
  CString path;
  if (pTable->m_pParent != nullptr)
    path = TablePathOf(pTable->m_pParent) + L".";
  else if (pDataset != nullptr)
    path = CString(pDataset->m_szHerstellerID) + L"\\";
  if (pDataset != nullptr) pDataset->GetName(pTable->m_hName).AppendTo(path);
  return path;
}

eMatManager ReadHerstellerName(CMatStore& store, CString& out, CMatDatenSatz& dataset,
                               bool bTranslate) {
  ActivateDatasetOf(store, dataset);
  CMatTable* pStrings = nullptr;
  FindTable(store, pStrings, nullptr, L"StringTable");
  const Handle hRow = dataset.FindHandle(L"HERSTELLERNAME");
  return ReadStringValue(store, out, pStrings, hRow, 0, 0, bTranslate);
}
