// A host's calls on one configured product of a sheet table: completing its
// tag, its article numbers, the cross references of a sheet and running one
// of its functions positioned on its records (OrvaMat/vdi.h).
#include <algorithm>
#include <string_view>
#include <vector>

#include "OrvaMat/vdi.h"
#include "formula/formula_context.h"
#include "formula/formula_runtime.h"
#include "query/string_read.h"
#include "store/base/guarded_call.h"
#include "store/mat_store.h"
#include "store/table_names.h"
#include "vdi/record_layout.h"
#include "vdi/tga_articles.h"
#include "vdi/tga_slots.h"
#include "vdi/tga_tables.h"
#include "vdi/vdi3805_man.h"

namespace {

// Every table below pTable (itself included) with its rows in memory: the
// walks of the slots and of the functions read child lists and texts that a
// database file holds back until they are asked for.
void LoadTree(CMatDatenSatz& dataset, CMatTable& root) {
  std::vector<CMatTable*> pending{&root};
  while (!pending.empty()) {
    CMatTable* pTable = pending.back();
    pending.pop_back();
    dataset.EnsureRowsLoaded(*pTable);
    for (const auto& pChild : pTable->m_Children) pending.push_back(pChild.get());
  }
}

// The sheet table of that name among the top-level tables of the prefix's
// dataset, its whole tree loaded, the dataset made current (the cross
// references enter names into it); null when there is none.
CMatTable* FindSheet(CMatStore& store, unsigned long prefix, const wchar_t* pSheet) {
  CMatDatenSatz* pDataset = store.GetDatasetOfHandle(Handle(prefix));
  if (pDataset == nullptr || pSheet == nullptr) return nullptr;
  pDataset->EnsureDatasetLoaded();
  CMatTable* pTable = FindTopLevelTable(*pDataset, pSheet, eHiddenTables::kSkip);
  if (pTable == nullptr || pTable->m_nType != eTypeStrLine) return nullptr;
  LoadTree(*pDataset, *pTable);
  store.SetCurrent(pDataset);
  return pTable;
}

CMatTable* FindRecord(CMatTable* pParent, std::wstring_view kind, std::int32_t nSlot) {
  if (pParent == nullptr || nSlot < 0) return nullptr;
  std::wstring name(kind);
  vdirecord::AppendRecordNumber(name, nSlot);
  return vdirecord::FindRecordTable(pParent, name);
}

// The product (110 table) that slots 0 and 1 of the tag name.
CMatTable* FindProduct(CMatTable* pSheet, const CTgaSlots& slots) {
  return FindRecord(FindRecord(pSheet, L"100", slots[0]), L"110", slots[1]);
}

bool StartsWith(std::wstring_view text, std::wstring_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// The rows of the sheet's "TGA-Nummer" table.
std::vector<CVdiReference> ReadReferences(CMatStore& store, CMatTable* pSheet) {
  std::vector<CVdiReference> references;
  CMatTable* pTable = FindChildTable(*pSheet, vditga::kNummer.pName, eHiddenTables::kSkip);
  if (pTable == nullptr || pTable->m_nType != eTypeStruct) return references;
  std::uint64_t word = 0;
  for (POSITION pos = store.GetFirstRowPosition(pTable); pos != nullptr;) {
    const Handle hRow = pTable->GetNextRow(pos, word);
    CVdiReference reference;
    CCell cell;
    if (store.GetCellValue(pTable, cell, hRow, 0, 0) == eMatOk)
      if (const wchar_t* pTag = store.HdlToString(cell.m_nValue)) reference.strTag = pTag;
    if (ReadStringValue(store, reference.strRecord, pTable, hRow, 0, 1, false) != eMatOk)
      reference.strRecord.clear();
    // The row is named by the article number made unique ("A|1" for the
    // second row of A); the 810 body opens with the article itself.
    reference.strArticle = vdirecord::Trimmed(vdirecord::RecordPiece(reference.strRecord, 0));
    if (reference.strArticle.empty())
      if (const wchar_t* pKey = store.HdlToString(hRow)) reference.strArticle = pKey;
    references.push_back(std::move(reference));
  }
  return references;
}

}  // namespace

bool CompleteVdiTag(unsigned long prefix, const wchar_t* pSheet, CString& tag) {
  return GuardedCall(false, [&] {
    return fillMissingTGAtags(FindSheet(CMatStore::Instance(), prefix, pSheet), tag);
  });
}

bool GetVdiArticles(unsigned long prefix, const wchar_t* pSheet, const wchar_t* pTag, CString& text,
                    std::vector<CVdiArticle>& articles) {
  return GuardedCall(false, [&] {
    articles.clear();
    const std::wstring_view tag = pTag != nullptr ? pTag : L"";
    CMatTable* pProduct =
        FindProduct(FindSheet(CMatStore::Instance(), prefix, pSheet), ParseTgaTag(tag));
    if (pProduct == nullptr) return false;
    std::vector<CTgaArticle> found;
    if (!CTgaArticles::Process().GetArtikelnummern(text, tag, pProduct, &found)) return false;
    for (CTgaArticle& article : found)
      articles.push_back({std::move(article.m_strNumber), article.m_nQuantity});
    return true;
  });
}

bool GetVdiDatanormNumber(unsigned long prefix, const wchar_t* pSheet, const wchar_t* pTag,
                          CString& number) {
  return GuardedCall(false, [&] {
    number.clear();
    const std::wstring_view tag = pTag != nullptr ? pTag : L"";
    CMatTable* pTable = FindSheet(CMatStore::Instance(), prefix, pSheet);
    CMatTable* pProduct = FindProduct(pTable, ParseTgaTag(tag));
    if (pProduct == nullptr) return false;
    const int nSheet = CVdiSheetManager::GetBlattNr(TableNameText(*pTable));
    return CVdiSheetManager::Process().GetNumber(number, tag, pProduct, nSheet, true) == 1 &&
           !number.empty();
  });
}

bool CreateVdiReferences(unsigned long prefix, const wchar_t* pSheet,
                         std::vector<CVdiReference>& references) {
  return GuardedCall(false, [&] {
    references.clear();
    CMatStore& store = CMatStore::Instance();
    CMatTable* pTable = FindSheet(store, prefix, pSheet);
    if (pTable == nullptr) return false;
    std::vector<CMatTable*> products;
    for (const auto& pSeries : pTable->m_Children) {
      if (!StartsWith(TableNameText(*pSeries), L"100-")) continue;
      for (const auto& pProduct : pSeries->m_Children)
        if (StartsWith(TableNameText(*pProduct), L"110-")) products.push_back(pProduct.get());
    }
    for (CMatTable* pProduct : products) CTgaArticles::Process().CreateTGAreferences(pProduct);
    references = ReadReferences(store, pTable);
    return true;
  });
}

CvdiFunction* FindVdiFunction(unsigned long prefix, const wchar_t* pSheet, const wchar_t* pTag,
                              const wchar_t* pName) {
  return GuardedCall<CvdiFunction*>(nullptr, [&]() -> CvdiFunction* {
    CMatTable* pProduct = FindProduct(FindSheet(CMatStore::Instance(), prefix, pSheet),
                                      ParseTgaTag(pTag != nullptr ? pTag : L""));
    if (pProduct == nullptr || pName == nullptr) return nullptr;
    return CTgaFunctions::Process().GetFunction(pProduct, pName);
  });
}

bool RunVdiFunction(unsigned long prefix, const wchar_t* pSheet, const wchar_t* pTag,
                    CvdiFunction& f, std::vector<CString>& debugLines) {
  return GuardedCall(false, [&] {
    CTgaSlots slots = ParseTgaTag(pTag != nullptr ? pTag : L"");
    // A level the tag leaves open is read from its first record, as the
    // completed tag of the product names it.
    if (!FillTgaSlots(FindSheet(CMatStore::Instance(), prefix, pSheet), slots)) return false;
    VdiRecordPosition pos;
    for (std::size_t i = 0; i < std::size(pos.m_nRecord); ++i)
      pos.m_nRecord[i] = std::max(slots[i], 0);
    CFormulaContext& context = CFormulaContext::Process();
    context.m_fnDebugOutput = [&](const CString& s) { debugLines.push_back(s); };
    bool bOk = false;
    try {
      bOk = CFormulaRuntime(context).Run(&f, &pos);
    } catch (...) {
      context.m_fnDebugOutput = nullptr;
      throw;
    }
    context.m_fnDebugOutput = nullptr;
    return bOk;
  });
}

CMatTable* FindVdiProduct(unsigned long prefix, const wchar_t* pSheet, const wchar_t* pTag) {
  return GuardedCall<CMatTable*>(nullptr, [&] {
    return FindProduct(FindSheet(CMatStore::Instance(), prefix, pSheet),
                       ParseTgaTag(pTag != nullptr ? pTag : L""));
  });
}

Cvdi3805Tag* GetVdiVariantTree(CMatTable* product) {
  return product != nullptr ? Cvdi3805Man::createVariantTree(nullptr, product) : nullptr;
}
