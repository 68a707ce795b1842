// The record functions themselves: reading fields along a record path
// (VDICWERT, VDIIWERT, VDIRWERT), making a record current (VDIAKTUELL),
// sequencing through the records of a type (VDIERSTER, VDILETZTER, VDIFOLGE,
// VDIVORHER, VDIINDEXEXIST) and the host's record numbers (VDIINDEX).
#include <algorithm>

#include "formula/value_ops.h"
#include "platform/format.h"
#include "platform/text.h"
#include "query/string_read.h"
#include "store/table_names.h"
#include "vdi/record_access.h"

using namespace vdirecord;
using namespace formula;
using CVdiVar = CvdiFunction::CVdiVar;

namespace {

// A record's type as its name begins ("710_01": "_" for "."), and its name:
// that, "-" and its number.
void FormRecordPrefix(CString& name, std::wstring_view type) {
  name.assign(type);
  for (wchar_t& c : name)
    if (c == L'.') c = L'_';
}
void FormRecordName(CString& name, std::wstring_view type, std::int32_t n) {
  FormRecordPrefix(name, type);
  AppendRecordNumber(name, n);
}

std::int32_t NextInteger(CFormulaArgs& args) {
  CVdiVar v;
  args.Next(v);
  if (v.m_eType != INTEGER) args.GetRuntime().Error(L"INTEGER Vaue missing");
  return v.m_nValue;
}

}  // namespace

void CVdiRecordAccess::Evaluate(enPCode eOp, CFormulaArgs& args, CVdiVar& result) {
  switch (eOp) {
    case VDICWERT:
    case VDIIWERT:
    case VDIRWERT:
      EvaluateField(eOp, args, result);
      return;
    case VDIAKTUELL:
      EvaluateAktuell(args, result);
      return;
    case VDIERSTER:
    case VDILETZTER:
    case VDIFOLGE:
    case VDIVORHER:
    case VDIINDEXEXIST:
      EvaluateSequence(eOp, args, result);
      return;
    case VDIINDEX:
      EvaluateIndex(args, result);
      return;
    default:
      args.GetRuntime().Error(L"Syntax");
  }
}

// Pairs of a type and a number lead from the product's record to the record
// read; the first argument that is no text is the field number.
void CVdiRecordAccess::EvaluateField(enPCode eOp, CFormulaArgs& args, CVdiVar& result) {
  CFormulaRuntime& runtime = args.GetRuntime();
  CMatTable* pCur = Bound().m_pFunctionTable;
  std::int32_t nField = 0;
  for (;;) {
    CVdiVar arg;
    args.Next(arg);
    if (arg.m_eType != CHARACTER) {
      if (arg.m_eType != INTEGER) runtime.Error(L"INTEGER Vaue missing");
      nField = arg.m_nValue;
      break;
    }
    const std::wstring_view type = arg.GetText();
    const RecordType t = ParseRecordType(type);
    const std::int32_t n = NextInteger(args);
    pCur = n == 0 ? GetCurrentRecord(t) : FindOnPath(args, eOp, type, t, n, pCur);
  }
  // Field 2 is the first piece of the text: a smaller number names no field
  // and is a mistake of the function, not a short record.
  if (nField < 2) {
    runtime.Error(Format(L"%s: Field %d is not a field of a record",
                         eOp == VDICWERT   ? L"VDICWERT"
                         : eOp == VDIIWERT ? L"VDIIWERT"
                                           : L"VDIRWERT",
                         nField));
  }
  // A field beyond the record's last is empty: records often carry fewer
  // fields than their layout lists.
  const std::wstring_view piece =
      RecordPiece(RecordText(pCur), static_cast<std::size_t>(nField) - 2);
  if (eOp == VDICWERT) {
    SetText(result, piece);
    StoreLength(args, piece.size());
  } else if (eOp == VDIIWERT) {
    SetInteger(result, ReadInteger(piece));
  } else {
    SetReal(result, static_cast<float>(ReadReal(piece)));
  }
  args.Finish();
}

CMatTable* CVdiRecordAccess::FindOnPath(CFormulaArgs& args, enPCode eOp, std::wstring_view type,
                                        RecordType t, std::int32_t n, CMatTable* pCur) {
  FormRecordName(m_strName, type, n);
  CMatTable* pSearched = pCur;
  CMatTable* pFound = nullptr;
  if (t == kRecord100) {
    // A 100 record is no child of the product: it is the product's own
    // parent or another one beside it below the sheet table.
    CMatTable* p100 = GetCurrentRecord(kRecord100);
    if (p100 != nullptr && EqualsNoCase(TableNameText(*p100), m_strName)) return p100;
    pSearched = p100 != nullptr ? p100->m_pParent : nullptr;
    pFound = FindChild(pSearched, m_strName);
  } else {
    pFound = FindChild(pCur, m_strName);
    if (pFound == nullptr) {
      if (CMatTable* pOther = GetCurrentRecord(ParentTypeOf(t, Bound().m_nSheet))) {
        pSearched = pOther;
        pFound = FindChild(pOther, m_strName);
      }
    }
  }
  if (pFound != nullptr) return pFound;
  CFormulaRuntime& runtime = args.GetRuntime();
  if (eOp == VDICWERT) {
    runtime.Error(Format(L"VDICWERT: Record not found <%s> in Table\r\n%s", m_strName,
                         TablePathOf(pSearched)));
  }
  if (eOp == VDIIWERT) {
    const std::wstring_view searched =
        pSearched != nullptr ? TableNameText(*pSearched) : std::wstring_view();
    runtime.Error(Format(L"VDIIWERT: Record not found <%s.%s>", searched, m_strName));
  }
  runtime.Error(Format(L"VDIRWERT: Record not found <%s>", m_strName));
}

// The length of VDICWERT's text goes to a variable given after the field
// number; any other expression there must be INTEGER and is not used.
void CVdiRecordAccess::StoreLength(CFormulaArgs& args, std::size_t nLength) {
  if (args.AtEnd()) return;
  CFormulaRuntime& runtime = args.GetRuntime();
  const std::uint32_t nId = args.NextVariableId();
  if (nId == 0) {
    NextInteger(args);
    return;
  }
  const auto& frames = runtime.GetContext().m_listFrames;
  const CvdiFunctionList* pList = !frames.empty() ? frames.back().m_pFunction->m_pList : nullptr;
  CVdiVar* pVar = pList != nullptr ? pList->FindVar(nId) : nullptr;
  if (pVar == nullptr) runtime.Error(L"Syntax");
  // The variable keeps its type: a number variable gets the length as its
  // number, anything else can not hold it.
  const auto n = static_cast<std::int32_t>(std::min<std::size_t>(nLength, 2147483647));
  if (pVar->m_nCount != 0) runtime.Error(L"INTEGER Vaue missing");
  switch (pVar->m_eType) {
    case INTEGER:
      pVar->m_nValue = n;
      return;
    case REAL:
      pVar->m_fValue = static_cast<float>(n);
      return;
    case DOUBLE:
      pVar->m_dValue = n;
      return;
    default:
      runtime.Error(L"INTEGER Vaue missing");
  }
}

void CVdiRecordAccess::EvaluateAktuell(CFormulaArgs& args, CVdiVar& result) {
  CVdiVar type;
  args.Next(type);
  if (type.m_eType != CHARACTER)
    args.GetRuntime().Error(L"VDIAKTUELL...CHARACTER Parameter missing");
  const std::int32_t n = NextInteger(args);
  args.Finish();
  FormRecordName(m_strName, type.GetText(), n);
  CMatTable* pFound = FindChild(ParentRecord(ParseRecordType(type.GetText())), m_strName);
  BindByName(pFound);
  SetLogical(result, pFound != nullptr);
}

// The arguments are a type, then optionally a number, a type, a number and
// so on: each number above 0 that another type follows descends to that
// record. The last type and number ask the lists of the record reached.
void CVdiRecordAccess::EvaluateSequence(enPCode eOp, CFormulaArgs& args, CVdiVar& result) {
  CFormulaRuntime& runtime = args.GetRuntime();
  CVdiVar type;
  args.Next(type);
  if (type.m_eType != CHARACTER) runtime.Error(L"VDIFOLGE...CHARACTER Parameter missing");
  CMatTable* pParent = ParentRecord(ParseRecordType(type.GetText()));
  std::int32_t n = 0;
  while (!args.AtEnd()) {
    n = NextInteger(args);
    if (args.AtEnd()) break;
    if (n > 0) {
      FormRecordName(m_strName, type.GetText(), n);
      pParent = FindChild(pParent, m_strName);
      if (pParent == nullptr) runtime.Error(Format(L"VDIFOLGE: Record <%s> not found", m_strName));
    }
    args.Next(type);
    if (type.m_eType != CHARACTER) runtime.Error(L"VDIFOLGE...CHARACTER Parameter missing");
  }
  args.Finish();
  // The lists are keyed by the part of a record name before its "-".
  FormRecordPrefix(m_strName, type.GetText());
  const CFortranVdiCacheTable* pList =
      pParent != nullptr ? m_Cache.Find(*pParent, m_strName) : nullptr;
  if (eOp == VDIINDEXEXIST) {
    SetLogical(result, pList != nullptr && pList->Exists(n));
    return;
  }
  std::int32_t nAnswer = 0;
  if (pList != nullptr) {
    switch (eOp) {
      case VDIERSTER:
        nAnswer = pList->GetFirst();
        break;
      case VDILETZTER:
        nAnswer = pList->GetLast();
        break;
      case VDIFOLGE:
        nAnswer = pList->GetNext(n);
        break;
      default:
        nAnswer = pList->GetPrevious(n);
        break;
    }
  }
  SetInteger(result, nAnswer);
}

void CVdiRecordAccess::EvaluateIndex(CFormulaArgs& args, CVdiVar& result) {
  CVdiVar type;
  args.Next(type);
  if (type.m_eType != CHARACTER) args.GetRuntime().Error(L"VDIINDEX: Parameter not CHAR()");
  args.Finish();
  const int nField = PositionFieldOf(ParseRecordType(type.GetText()), Bound().m_nSheet);
  SetInteger(result, nField >= 0 && m_pPosition != nullptr
                         ? m_pPosition->m_nRecord[static_cast<std::size_t>(nField)]
                         : 0);
}
