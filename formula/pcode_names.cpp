// Display names of the codes and the keyword table. The names are the
// debugger's and the messages' ("Expected a parameter but found: %s") and are
// frozen with the codes (docs/pcode.md).
#include <string>
#include <unordered_map>

#include "formula/fortran_scanner.h"

namespace {

// Index = code 0..83. Keep in step with enPCode (checked below).
const wchar_t* const kNames[] = {L"nNONE",      L"INTEGER",
                                 L"REAL",       L"DOUBLE",
                                 L"PRECISION",  L"LOGICAL",
                                 L"CHARACTER",  L"IF",
                                 L"IF2",        L"THEN",
                                 L"ELSE",       L"ELSEIF",
                                 L"ENDIF",      L"DO",
                                 L"WHILE",      L"ENDDO",
                                 L"END",        L"GOTO",
                                 L"FUNCTION",   L"VDICWERT",
                                 L"VDIIWERT",   L"VDIRWERT",
                                 L"VDIINDEX",   L"VDIAKTUELL",
                                 L"VDIFOLGE",   L"VDIVORHER",
                                 L"VDIERSTER",  L"VDILETZTER",
                                 L"VDISTRING",  L"VDICSTRING",
                                 L"VDIISTRING", L"VDIRSTRING",
                                 L"QELDEBUG",   L"VDIINDEXEXIST",
                                 L"KLAMMAUF",   L"KLAMMZU",
                                 L"KOMMA",      L"DOPPELPUNKT",
                                 L"ARRAYSTART", L"ARRAYEND",
                                 L"CRLF",       L"SYMBOL",
                                 L"MIN",        L"MAX",
                                 L"PLUS",       L"MINUS",
                                 L"MUL",        L"DIV",
                                 L"POTENZ",     L"PI",
                                 L"SIN",        L"COS",
                                 L"TAN",        L"SQRT",
                                 L"LOG10",      L"LOG",
                                 L"ABS",        L"ACOS",
                                 L"ASIN",       L"ATAN",
                                 L"COSH",       L"SINH",
                                 L"EXP",        L"MOD",
                                 L"CHAR",       L"ICHAR",
                                 L"INT",        L"NINT",
                                 L"EQ",         L"GE",
                                 L"GT",         L"LE",
                                 L"LT",         L"NQ",
                                 L"AND",        L"OR",
                                 L"EQV",        L"NEQV",
                                 L"NOT",        L"TRUE",
                                 L"FALSE",      L"SRCLINE",
                                 L"ICONST",     L"RCONST"};
static_assert(sizeof(kNames) / sizeof(kNames[0]) == RCONST + 1, "one name per plain code");

const wchar_t* const kHighNames[] = {L"CCONST",     L"ASSIGN", L"CALL",    L"ASSIGNAT",
                                     L"ASSIGNLIST", L"VARVAL", L"VARVALAT"};

using CKeywordTable = std::unordered_map<std::wstring, enPCode>;

const CKeywordTable& KeywordTable() {
  static const CKeywordTable table = [] {
    CKeywordTable t;
    for (std::uint32_t code : {INTEGER, REAL, DOUBLE, PRECISION, LOGICAL, CHARACTER, FUNCTION, IF,
                               THEN, ELSE, ELSEIF, ENDIF, DO, WHILE, ENDDO, END, MIN, MAX, PI}) {
      t.emplace(kNames[code], static_cast<enPCode>(code));
    }
    for (std::uint32_t code = VDICWERT; code <= VDIRSTRING; ++code) {
      t.emplace(kNames[code], static_cast<enPCode>(code));
    }
    t.emplace(L"VDIINDEXEXIST", VDIINDEXEXIST);
    t.emplace(L"QEL_DEBUG", QELDEBUG);
    for (std::uint32_t code = SIN; code <= NINT; ++code) {
      t.emplace(kNames[code], static_cast<enPCode>(code));
    }
    t.emplace(L".AND.", AND);
    t.emplace(L".OR.", OR);
    t.emplace(L".EQV.", EQV);
    t.emplace(L".NEQV.", NEQV);
    t.emplace(L".NOT.", NOT);
    t.emplace(L".TRUE.", TRUE);
    t.emplace(L".FALSE.", FALSE);
    return t;
  }();
  return table;
}

}  // namespace

const wchar_t* CFortranScanner::tokenName(std::uint32_t nCode) {
  if (nCode <= RCONST) return kNames[nCode];
  const std::uint32_t high = nCode >> 12;
  if (nCode <= 0xFFFF && high >= 9 && high <= 15) return kHighNames[high - 9];
  return L"UNDEFINED";
}

enPCode CFortranScanner::LookupKeyword(std::wstring_view word) {
  const CKeywordTable& table = KeywordTable();
  auto it = table.find(std::wstring(word));
  return it == table.end() ? SYMBOL : it->second;
}

void CFortranScanner::InitKeywordTable() { (void)KeywordTable(); }
