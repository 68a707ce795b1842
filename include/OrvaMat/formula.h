// The formula language of VDI 3805 product functions: token and p-code codes,
// value cells, compiled functions, function lists and the run entry.
//
// A host builds one CvdiFunctionList per product data set, feeds it every
// declarations text and every bodies text of the product's function records,
// then finds a function, writes its inputs into the parameter cells, runs it
// with CvdiFortran::runFunction and reads results from the result and
// parameter cells. Errors never come back as exceptions: they are shown in one
// error report (a message box through the host UI) and set the process-wide
// error flag (FormulaErrorFlag()); parse calls then leave the list as it is,
// runFunction returns false.
//
// The p-code layout is documented in docs/pcode.md. One thread at a time.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "OrvaMat/types.h"

class CMatTable;

// Token kinds of the lexer and operations of the p-code share one code space.
// Frozen: the numbers are stored in p-code. Codes 0x9000..0xF000 are written
// as the top four bits of a p-code word whose low 12 bits carry an operand.
enum enPCode : std::uint32_t {
  nNONE = 0,
  INTEGER = 1,
  REAL = 2,
  DOUBLE = 3,
  PRECISION = 4,
  LOGICAL = 5,
  CHARACTER = 6,
  IF = 7,
  IF2 = 8,
  THEN = 9,
  ELSE = 10,
  ELSEIF = 11,
  ENDIF = 12,
  DO = 13,
  WHILE = 14,
  ENDDO = 15,
  END = 16,
  GOTO = 17,
  FUNCTION = 18,
  VDICWERT = 19,
  VDIIWERT = 20,
  VDIRWERT = 21,
  VDIINDEX = 22,
  VDIAKTUELL = 23,
  VDIFOLGE = 24,
  VDIVORHER = 25,
  VDIERSTER = 26,
  VDILETZTER = 27,
  VDISTRING = 28,
  VDICSTRING = 29,
  VDIISTRING = 30,
  VDIRSTRING = 31,
  QELDEBUG = 32,
  VDIINDEXEXIST = 33,
  KLAMMAUF = 34,
  KLAMMZU = 35,
  KOMMA = 36,
  DOPPELPUNKT = 37,
  ARRAYSTART = 38,
  ARRAYEND = 39,
  CRLF = 40,
  SYMBOL = 41,
  MIN = 42,
  MAX = 43,
  PLUS = 44,
  MINUS = 45,
  MUL = 46,
  DIV = 47,
  POTENZ = 48,
  PI = 49,
  SIN = 50,
  COS = 51,
  TAN = 52,
  SQRT = 53,
  LOG10 = 54,
  LOG = 55,
  ABS = 56,
  ACOS = 57,
  ASIN = 58,
  ATAN = 59,
  COSH = 60,
  SINH = 61,
  EXP = 62,
  MOD = 63,
  CHAR = 64,
  ICHAR = 65,
  INT = 66,
  NINT = 67,
  EQ = 68,
  GE = 69,
  GT = 70,
  LE = 71,
  LT = 72,
  NQ = 73,
  AND = 74,
  OR = 75,
  EQV = 76,
  NEQV = 77,
  NOT = 78,
  TRUE = 79,
  FALSE = 80,
  SRCLINE = 81,
  ICONST = 82,
  RCONST = 83,
  CCONST = 0x9000,
  ASSIGN = 0xA000,
  CALL = 0xB000,
  ASSIGNAT = 0xC000,
  ASSIGNLIST = 0xD000,
  VARVAL = 0xE000,
  VARVALAT = 0xF000,
};

// The host's current record numbers, one 32-bit field per record type (byte
// offsets 0 = record 100, 4 = 110, ..., 60 = 700, 64 = 760, 68..92 = the
// 710.xx records of the sheet). Owned by the host, read during a run.
struct VdiRecordPosition {
  std::int32_t m_nRecord[24] = {};
};

class CvdiFunctionList;
class CDecodedCode;

// One compiled function: result, parameters, locals and p-code.
class ORVAMAT_API CvdiFunction {
 public:
  // A value cell: variable, parameter, function result or temporary.
  // Scalars of INTEGER and LOGICAL keep their value in m_nValue, REAL in
  // m_fValue, DOUBLE PRECISION in m_dValue. CHARACTER cells and arrays own
  // zero-filled storage (GetData()): count x 4 bytes (INTEGER, REAL, LOGICAL),
  // count x 8 bytes (DOUBLE PRECISION), or (count or 1) x (length+1)
  // characters (CHARACTER, NUL-terminated per element). Every access to the
  // storage is checked against what was allocated, so fields a host changes
  // by hand never make the cell read or write outside it.
  class ORVAMAT_API CVdiVar {
   public:
    CVdiVar();
    ~CVdiVar() {
      if (m_pData != nullptr) Free();
    }
    CVdiVar(const CVdiVar&) = delete;
    CVdiVar& operator=(const CVdiVar&) = delete;

    // Frees old storage, stores the four fields and allocates new zeroed
    // storage for CHARACTER cells and arrays. A numeric scalar keeps its value.
    // Returns false (cell left a scalar without storage) when the storage
    // would exceed kMaxStorageBytes.
    bool setType(enPCode eType, int nLength, int nCount, int nLower);
    // Stores src into this cell: a scalar whatever nIndex; an array element
    // (nIndex above 0: element nIndex - lower bound; 0: the first element);
    // the whole array for a negative nIndex. CHARACTER values lose every
    // backslash. Indexes outside the storage are ignored (returns false).
    bool setValue(CVdiVar& src, int nIndex);
    // Stores src into the element at nOffset (0-based) of an array, or into
    // the scalar (nOffset ignored). False when nOffset is outside the storage.
    bool SetElement(const CVdiVar& src, std::size_t nOffset);
    // Zeroes the value (every element); type, sizes and storage stay.
    void clean();

    // Storage access (null / 0 when the cell owns none).
    void* GetData() const { return m_pData; }
    std::size_t GetDataBytes() const { return m_nDataBytes; }
    // Characters per CHARACTER element including its NUL (0 if not CHARACTER).
    std::size_t GetStride() const { return m_nStride; }
    // Number of elements the storage holds.
    std::size_t GetElementCount() const;
    // The CHARACTER text of element nOffset (0-based); empty if none.
    std::wstring_view GetText(std::size_t nOffset = 0) const;
    // Writes text into a CHARACTER scalar, lengthening the cell when needed
    // (no backslash removal: this is the host's raw input). False if not
    // CHARACTER or too long.
    bool SetText(std::wstring_view text);

    static constexpr std::size_t kMaxStorageBytes = 16u << 20;

    CString m_strDeclName;       // name in the declarations text
    CString m_strName;           // name in the body (upper case)
    std::uint32_t m_nId = 0;     // registry id within the list; 0 for temporaries
    std::uint32_t m_nRefId = 0;  // not 0: stands for the cell with this id
    enPCode m_eType = nNONE;     // INTEGER, REAL, DOUBLE, LOGICAL, CHARACTER; FUNCTION = pending
    std::int32_t m_nLength = 0;  // CHARACTER: declared number of characters
    std::int32_t m_nCount = 0;   // elements; 0 for a scalar
    std::int32_t m_nLower = 0;   // index of the first element
    union {
      std::int32_t m_nValue;
      float m_fValue;
      double m_dValue;
    };

   private:
    bool Allocate(std::size_t nBytes, std::size_t nStride);
    bool StoreScalar(const CVdiVar& src);
    void Free();

    void* m_pData = nullptr;
    std::size_t m_nDataBytes = 0;
    std::size_t m_nStride = 0;
  };

  CvdiFunction();
  ~CvdiFunction();
  CvdiFunction(const CvdiFunction&) = delete;
  CvdiFunction& operator=(const CvdiFunction&) = delete;

  // Parameter or local (in that order) of this name (upper case); null if none.
  CVdiVar* FindParameter(std::wstring_view name) const;
  CVdiVar* FindLocal(std::wstring_view name) const;
  // True once the body was parsed to its END FUNCTION without an error.
  bool IsComplete() const { return m_bComplete; }
  // The p-code words (empty until a body was parsed).
  const std::vector<std::uint16_t>& GetCode() const { return m_code; }

  CString m_strName;
  CVdiVar m_result;
  std::vector<std::unique_ptr<CVdiVar>> m_listParameters;
  std::vector<std::unique_ptr<CVdiVar>> m_listLocals;
  CvdiFunctionList* m_pList = nullptr;
  std::vector<std::uint16_t> m_code;
  bool m_bComplete = false;

  // The runtime's decoded form of m_code, built at the first run and built
  // again when m_code changes; null before. The runtime's own.
  const CDecodedCode* GetDecoded() const { return m_pDecoded.get(); }

 private:
  friend class CDecodedCode;
  std::unique_ptr<CDecodedCode> m_pDecoded;
};

// The functions of one product data set. Owns its functions and the registry
// that maps the 12-bit ids of its p-code to cells: ids are given per list
// (1 to 4095), so any number of lists can live in one process.
class ORVAMAT_API CvdiFunctionList {
 public:
  CvdiFunctionList();
  ~CvdiFunctionList();
  CvdiFunctionList(const CvdiFunctionList&) = delete;
  CvdiFunctionList& operator=(const CvdiFunctionList&) = delete;

  // Parse one declarations text / one bodies text (NUL-terminated). Errors
  // are reported and set the error flag; nothing is thrown.
  void scanAndParseFunctionDeclarations(const wchar_t* text);
  void scanAndParseFunctions(const wchar_t* text);
  // First function whose name equals name ignoring case; null if none.
  CvdiFunction* findFunction(const wchar_t* name);

  // Registry (used by the parser and the runtime). RegisterVar gives the next
  // id, or 0 when the list has used all 4095.
  std::uint32_t RegisterVar(CvdiFunction::CVdiVar* pVar);
  void UnregisterVar(std::uint32_t nId);
  // The cell of nId, following its reference id one step; null if none.
  CvdiFunction::CVdiVar* FindVar(std::uint32_t nId) const {
    CvdiFunction::CVdiVar* p = FindVarDirect(nId);
    return p != nullptr && p->m_nRefId != 0 ? FindVarDirect(p->m_nRefId) : p;
  }
  CvdiFunction::CVdiVar* FindVarDirect(std::uint32_t nId) const {
    return nId < m_listVars.size() ? m_listVars[nId] : nullptr;
  }

  static constexpr std::uint32_t kMaxVarId = 0x0FFF;

  CMatTable* m_pTable = nullptr;  // the function record's table (set by the host)
  CString m_strLocation;          // "Dataset" line of the error report
  // Names of the function record's table (record 110) and of its parent
  // (record 100), set by the host with m_pTable; the report shows the part
  // after the first '-'.
  CString m_strTableName;
  CString m_strParentTableName;
  std::vector<std::unique_ptr<CvdiFunction>> m_listFunctions;

 private:
  std::vector<CvdiFunction::CVdiVar*> m_listVars;  // index = id
};

// The run entry.
class ORVAMAT_API CvdiFortran {
 public:
  // Runs f to its END with the host's record position (may be null). True
  // when no error was reported. f must belong to a live list.
  static bool runFunction(CvdiFunction* f, VdiRecordPosition* pos);
  // When on, the next runs go through the debugger instead of straight through.
  static void setDebugMode(bool on);
  // 166 (by name): runs f of list under the debugger, whatever the debug
  // mode; returns when the debugger is closed or the run ends.
  static void showDebuger(CvdiFunctionList* list, CvdiFunction* f);
};

// The process-wide error flag: set by every error report, cleared by the run
// entry; a host clears it before it builds a list.
ORVAMAT_API bool FormulaErrorFlag();
ORVAMAT_API void ClearFormulaErrorFlag();
