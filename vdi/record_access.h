// CVdiRecordAccess: the record functions of product functions (VDICWERT,
// VDIIWERT, VDIRWERT, VDIAKTUELL, VDIERSTER, VDILETZTER, VDIFOLGE,
// VDIVORHER, VDIINDEXEXIST, VDIINDEX) on the records of the store.
//
// A product is a tree of record tables made by the VDI file reader: record
// type T number N is the table named T with "_" for ".", "-" and N
// ("710_01-3", "100-7"), below its parent record (710.xx below 700, 700
// below 110, 110 below 100, 100 below the sheet table). A record's fields
// are the ";"-separated pieces of its text; field k (k from 2) is the piece
// at position k - 2.
//
// At every function entry (nested calls too) the function's product is
// bound: T is the table of the function's list (the 110 record), P its
// parent (100) and the sheet table above that gives the sheet number. T
// and P, the 700 record of the host's record position and the sheet's
// 710.xx records of the position become the current records of their
// types; VDIAKTUELL makes another record current for the rest of that
// entry. Each entry keeps its own binding: when a called function returns,
// its caller reads the records it had bound and made current, not those
// of the callee.
//
// Errors go through the formula's error report and end the run. A record a
// function answers with 0 or .FALSE. for (VDIAKTUELL, the sequencing
// functions, a current record not bound) is no error.
//
// The formula context reaches it through m_pRecordAccess; the library
// installs the process-wide one where it is put together
// (exports/library_attach.cpp), tests make their own.
#pragma once

#include <array>
#include <string_view>
#include <vector>

#include "formula/formula_runtime.h"
#include "vdi/record_cache.h"
#include "vdi/record_layout.h"

class CMatStore;

class CVdiRecordAccess : public CFormulaRecordAccess {
 public:
  // Installed in that formula context (null: the process-wide one), whose
  // frames tell the function entries apart; works on that store (null: the
  // process-wide store of each call, CMatStore::Instance()).
  explicit CVdiRecordAccess(CFormulaContext* pContext = nullptr, CMatStore* pStore = nullptr)
      : m_pContext(pContext), m_pStore(pStore) {}

  // The one behind the exported entry points.
  static CVdiRecordAccess& Process();

  void BindRecordPosition(const CvdiFunction& f, const VdiRecordPosition* pos) override;
  void Evaluate(enPCode eOp, CFormulaArgs& args, CvdiFunction::CVdiVar& result) override;

  // The bound state, for tests and the debugger.
  int GetSheet() { return Bound().m_nSheet; }
  CMatTable* GetCurrentRecord(vdirecord::RecordType t);
  CFortranVdiCache& GetCache() { return m_Cache; }

 private:
  // Binding (record_access.cpp).
  int SheetOf(CMatTable* pSheetTable);
  void BindByName(CMatTable* pTable);
  void BindPositionRecords(const VdiRecordPosition& pos);
  CMatTable* ParentRecord(vdirecord::RecordType t);
  CMatTable* FindChild(CMatTable* pParent, std::wstring_view name) const;
  // The record text of a table (empty for null or when it has none).
  std::wstring_view RecordText(CMatTable* pTable);
  CMatStore& Store() const;

  // What one function entry has bound.
  struct CBinding {
    CMatTable* m_pFunctionTable = nullptr;  // T
    int m_nSheet = 0;
    std::array<CMatTable*, vdirecord::kSlotCount> m_Slots{};
  };
  // The binding of the entry running now (the context's top frame).
  CBinding& Bound();

  // The functions (record_functions.cpp).
  void EvaluateField(enPCode eOp, CFormulaArgs& args, CvdiFunction::CVdiVar& result);
  CMatTable* FindOnPath(CFormulaArgs& args, enPCode eOp, std::wstring_view type,
                        vdirecord::RecordType t, std::int32_t n, CMatTable* pCur);
  void StoreLength(CFormulaArgs& args, std::size_t nLength);
  void EvaluateAktuell(CFormulaArgs& args, CvdiFunction::CVdiVar& result);
  void EvaluateSequence(enPCode eOp, CFormulaArgs& args, CvdiFunction::CVdiVar& result);
  void EvaluateIndex(CFormulaArgs& args, CvdiFunction::CVdiVar& result);

  CFormulaContext* m_pContext;
  CMatStore* m_pStore;
  const VdiRecordPosition* m_pPosition = nullptr;  // the host's, for the run
  std::vector<CBinding> m_Bindings;                // by frame, the outermost first
  CFortranVdiCache m_Cache;
  CString m_strText;  // the record text read last
  CString m_strName;  // the record name formed last
};
