#include "vdi/tga_functions.h"

#include <string_view>

#include "formula/formula_runtime.h"
#include "formula/fortran_parser.h"
#include "query/string_read.h"
#include "store/base/message.h"
#include "store/mat_store.h"
#include "store/table_names.h"
#include "vdi/record_layout.h"

namespace {

std::uint64_t TreeStampOf(const CMatTable& table) {
  // A table without a dataset has no stamp: its entry is never trusted.
  return table.m_pDatenSatz != nullptr ? table.m_pDatenSatz->m_ChildIndexes.GetTreeStamp() : ~0ull;
}

bool StartsWith(std::wstring_view text, std::wstring_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

CTgaFunctions& CTgaFunctions::Process() {
  static CTgaFunctions functions;
  return functions;
}

CFormulaContext& CTgaFunctions::Context() const {
  return m_pContext != nullptr ? *m_pContext : CFormulaContext::Process();
}

CMatStore& CTgaFunctions::Store() const {
  return m_pStore != nullptr ? *m_pStore : CMatStore::Instance();
}

CString CTgaFunctions::RecordText(CMatTable* pTable) const {
  CString text;
  if (pTable == nullptr ||
      ReadStringValue(Store(), text, pTable, pTable->m_hName, 0, 0, false) != eMatOk)
    text.clear();
  return text;
}

std::unique_ptr<CvdiFunctionList> CTgaFunctions::CreateFunctionList(CMatTable* pProduct) {
  if (pProduct == nullptr) return nullptr;
  ++m_nBuilds;
  CFormulaContext& context = Context();
  context.m_bError = false;
  auto pList = std::make_unique<CvdiFunctionList>();
  CMatTable* pSeries = pProduct->m_pParent;
  CMatTable* pSheet = pSeries != nullptr ? pSeries->m_pParent : nullptr;
  pList->m_pTable = pProduct;
  pList->m_strLocation = CString(vdirecord::RecordPiece(RecordText(pSheet), 2)) + L" - " +
                         CString(vdirecord::RecordPiece(RecordText(pSeries), 1)) + L" - " +
                         CString(vdirecord::RecordPiece(RecordText(pProduct), 1));
  pList->m_strTableName = TableNameText(*pProduct);
  if (pSeries != nullptr) pList->m_strParentTableName = TableNameText(*pSeries);
  // The list is compiled from its product's children in stored order: a
  // helper function must be declared before a function that calls it.
  for (const auto& p600 : pProduct->m_Children) {
    if (!StartsWith(TableNameText(*p600), L"600")) continue;
    CFortranParser(context, *pList).Declarations(RecordText(p600.get()).c_str());
    if (context.m_bError) return nullptr;
    for (const auto& p610 : p600->m_Children) {
      CFortranParser(context, *pList).Bodies(RecordText(p610.get()).c_str());
      if (context.m_bError) return nullptr;
    }
  }
  return pList;
}

CvdiFunction* CTgaFunctions::GetFunction(CMatTable* pProduct, const wchar_t* pName) {
  if (pProduct == nullptr) return nullptr;
  const std::uint64_t nStamp = TreeStampOf(*pProduct);
  auto it = m_Lists.find(pProduct);
  if (it == m_Lists.end() || it->second.m_nTreeStamp != nStamp) {
    if (it == m_Lists.end() && m_Lists.size() >= kMaxEntries) m_Lists.clear();
    CEntry entry{nStamp, CreateFunctionList(pProduct)};
    it = m_Lists.insert_or_assign(pProduct, std::move(entry)).first;
  }
  CvdiFunctionList* pList = it->second.m_pList.get();
  return pList != nullptr ? pList->findFunction(pName) : nullptr;
}

bool CTgaFunctions::HasFailed(const CMatTable* pProduct) const {
  const auto it = m_Lists.find(pProduct);
  return it != m_Lists.end() && it->second.m_pList == nullptr &&
         it->second.m_nTreeStamp == TreeStampOf(*pProduct);
}

const CvdiFunction::CVdiVar* CTgaFunctions::Run(CvdiFunction& f,
                                                std::span<const std::int32_t> slots,
                                                const CString& digits) {
  if (f.m_listParameters.empty() || !f.m_listParameters[0]->SetText(digits)) {
    ShowMessage(MB_OK | MB_ICONERROR, L"Funktion <%s> hat keinen Textparameter für die TGA-Nummer",
                f.m_strName);
    return nullptr;
  }
  CvdiFunction::CVdiVar& result = *f.m_listParameters[f.m_listParameters.size() >= 2 ? 1 : 0];
  if (&result != f.m_listParameters[0].get()) result.clean();
  VdiRecordPosition pos;
  for (std::size_t i = 0; i < std::size(pos.m_nRecord) && i < slots.size(); ++i)
    pos.m_nRecord[i] = slots[i] > 0 ? slots[i] : 0;
  if (!CFormulaRuntime(Context()).Run(&f, &pos)) return nullptr;
  return &result;
}

CvdiFunctionList* createFunctionList(CMatTable* pProduct) {
  return CTgaFunctions::Process().CreateFunctionList(pProduct).release();
}

CvdiFunction* getTGAfunction(CMatTable* pProduct, const wchar_t* pName) {
  return CTgaFunctions::Process().GetFunction(pProduct, pName);
}
