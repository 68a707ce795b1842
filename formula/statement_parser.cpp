// Statements: function and DO WHILE blocks, declarations in bodies, IF, DO
// WHILE, assignments and calls.
#include "formula/fortran_parser.h"
#include "formula/pcode.h"
#include "platform/format.h"

using CVdiVar = CvdiFunction::CVdiVar;

void CFortranParser::NewLine() {
  m_Scanner.SetLine(m_Scanner.GetLine() + 1);
  EmitSourceLine(m_Scanner.scanPosition());
}

void CFortranParser::ConsumeLineEnds() {
  while (Tok() == CRLF) {
    NewLine();
    Next();
  }
}

// block = [ "(" name {"," name} ")" ] { CRLF | declaration | if | do | assignment
//         | call | QEL_DEBUG args } terminator
// terminator = END FUNCTION name (eTerminator FUNCTION) | ENDDO | END DO (DO)
void CFortranParser::ParseBlock(enPCode eTerminator) {
  CNesting nesting(*this);
  if (eTerminator == FUNCTION && Tok() == KLAMMAUF) ParseParameterNames();
  for (;;) {
    switch (Tok()) {
      case CRLF:
        NewLine();
        Next();
        break;
      case INTEGER:
      case REAL:
      case DOUBLE:
      case LOGICAL:
      case CHARACTER:
        ParseBodyDeclaration();
        break;
      case IF:
        ParseIf();
        break;
      case DO:
        ParseDoWhile();
        break;
      case SYMBOL:
        ParseAssignOrCall();
        break;
      case QELDEBUG:
        Next();
        Emit(QELDEBUG);
        ParseArgList();
        break;
      case END:
        if (Next() == DO) {
          if (eTerminator != DO) Error(L"ENDDO without DO WITH");
          m_Scanner.SetCurrentToken(ENDDO);
          return;
        }
        Emit(END);
        if (Tok() != FUNCTION) Error(L"missing <FUNCTION>");
        if (Next() != SYMBOL || Text() != m_pFunction->m_strName) {
          Error(L"<END FUNCTION> another name of Function...");
        }
        if (Next() == CRLF) m_Scanner.SetLine(m_Scanner.GetLine() + 1);
        return;
      case ENDDO:
        if (eTerminator != DO) Error(L"ENDDO without DO WITH");
        return;
      case ELSE:
        Error(L"ELSE without IF");
      case ELSEIF:
        Error(L"ELSEIF without IF");
      case ENDIF:
        Error(L"ENDIF without IF");
      case nNONE:
        if (*m_Scanner.scanPosition() != 0) Error(L"Unknown character...");
        Error(eTerminator == DO ? L"DO WHILE ... missing ENDDO" : L"Text ends before END FUNCTION");
      default:
        Next();
        break;
    }
  }
}

// The header's parameter names: the k-th name renames the k-th parameter
// known from the declarations text; further names become new parameters.
void CFortranParser::ParseParameterNames() {
  if (Next() != KLAMMZU) {
    std::size_t k = 0;
    for (;;) {
      if (Tok() != SYMBOL) Error(L"Syntax....");
      auto& params = m_pFunction->m_listParameters;
      if (k >= params.size()) {
        params.push_back(std::make_unique<CVdiVar>());
        Register(*params.back());
      }
      params[k++]->m_strName = Text();
      if (Next() == KOMMA) {
        Next();
      } else if (Tok() == KLAMMZU) {
        break;
      } else {
        Error(L"Syntax....");
      }
    }
  }
  Next();
}

// declaration = type ["(" length ")"] [dimension] name [dimension] {"," name [dimension]}
void CFortranParser::ParseBodyDeclaration() {
  const enPCode eType = Tok();
  std::int32_t nLength = 0;
  if (eType == DOUBLE && Next() != PRECISION) Error(L"Missing <PRECISION>...");
  Next();
  if (eType == CHARACTER && Tok() == KLAMMAUF) {
    if (Next() != ICONST) Error(L"missing dimension");
    nLength = LengthValue(Text());
    if (Next() != KLAMMZU) Error(L"missing ')'");
    Next();
  }
  CDimension lead;
  if (Tok() == KLAMMAUF) {
    lead = ReadDimension();
    Next();
  }
  const std::int32_t nLeadLower = lead.m_bRange ? lead.m_nFirst : 1;
  while (Tok() == SYMBOL) {
    const CString name = Text();
    std::int32_t nCount = DimensionCount(lead, nLeadLower);
    std::int32_t nLower = nLeadLower;
    if (Next() == KLAMMAUF) {
      const CDimension own = ReadDimension();
      nLower = own.m_bRange ? own.m_nFirst : nLeadLower;
      nCount = DimensionCount(own, nLower);
      Next();
    }
    DeclareVar(name, eType, nLength, nCount, nLower);
    if (Tok() != KOMMA) break;
    Next();
  }
}

void CFortranParser::DeclareVar(const CString& name, enPCode eType, std::int32_t nLength,
                                std::int32_t nCount, std::int32_t nLower) {
  CVdiVar* var = m_pFunction->FindParameter(name);
  if (var == nullptr) {
    if (CVdiVar* local = m_pFunction->FindLocal(name)) {
      Error(Format(local->m_eType == eType ? L"Variable '%s' declared allready"
                                           : L"Variable '%s' declared allready with different type",
                   name));
    }
    auto& locals = m_pFunction->m_listLocals;
    locals.push_back(std::make_unique<CVdiVar>());
    var = locals.back().get();
    var->m_strName = name;
    Register(*var);
  }
  if (!var->setType(eType, nLength, nCount, nLower)) Error(Format(L"Variable '%s' too big", name));
}

// Statements of an IF branch: assignment, call, IF or DO WHILE, each followed
// by its line ends.
void CFortranParser::ParseStatement() {
  switch (Tok()) {
    case SYMBOL:
      ParseAssignOrCall();
      break;
    case IF:
      ParseIf();
      break;
    case DO:
      ParseDoWhile();
      break;
    case nNONE:
      if (*m_Scanner.scanPosition() != 0) Error(L"Unknown character...");
      Error(L"Text ends inside an IF statement");
    default:
      Error(Format(L"Statement not allowed inside IF: %s", CFortranScanner::tokenName(Tok())));
  }
  ConsumeLineEnds();
}

// Statements up to ELSE, ELSEIF, ENDIF or END; returns that token.
enPCode CFortranParser::ParseBranch(int nIfLine) {
  for (;;) {
    const enPCode t = Tok();
    if (t == ELSE || t == ELSEIF || t == ENDIF || t == END) return t;
    if (t == nNONE && *m_Scanner.scanPosition() == 0) {
      Error(Format(L"IF in Zeile:%d, missing ENDIF...", nIfLine));
    }
    ParseStatement();
  }
}

// if = IF "(" condition ")" statement
//    | IF "(" condition ")" THEN branch { ELSEIF ... } [ELSE branch] ENDIF
void CFortranParser::ParseIf() {
  CNesting nesting(*this);
  const int nIfLine = m_Scanner.GetLine();
  const enPCode t = Next();
  const std::size_t nIf = Here();
  Emit(IF);
  Emit(0);
  if (t != KLAMMAUF) Error(L"Missing '('...");
  Next();
  ParseExpression();
  if (Tok() != KLAMMZU) Error(L"missing ')'...");
  if (Next() != THEN) {
    ParseStatement();
    PatchTarget(nIf + 1, Here());
    return;
  }
  Next();
  ConsumeLineEnds();
  enPCode eEnd = ParseBranch(nIfLine);
  if (eEnd == END) Error(Format(L"IF in Zeile:%d, missing ENDIF...", nIfLine));
  if (eEnd == ENDIF) {
    PatchTarget(nIf + 1, Here());
    Next();
    ConsumeLineEnds();
    return;
  }
  const std::size_t nGoto = Here();
  Emit(GOTO);
  Emit(0);
  PatchTarget(nIf + 1, Here());
  if (eEnd == ELSEIF) {
    ParseIf();
    PatchTarget(nGoto + 1, Here());
    return;
  }
  Next();
  ConsumeLineEnds();
  eEnd = ParseBranch(nIfLine);
  PatchTarget(nGoto + 1, Here());
  if (eEnd == END) Error(Format(L"IF in Zeile:%d, missing ENDIF...", nIfLine));
  if (eEnd == ELSE) Error(L"ELSE without IF");
  if (eEnd == ELSEIF) Error(L"ELSEIF without IF");
  Next();
  ConsumeLineEnds();
}

// do = DO WHILE "(" condition ")" block ENDDO
void CFortranParser::ParseDoWhile() {
  CNesting nesting(*this);
  if (Next() != WHILE) Error(L"DO... WHILE is missing");
  if (Next() != KLAMMAUF) Error(L"Missing '('...");
  const std::size_t nStart = Here();
  Emit(IF);
  Emit(0);
  Next();
  ParseExpression();
  if (Tok() != KLAMMZU) Error(L"missing ')'...");
  Next();
  ParseBlock(DO);
  if (Tok() != ENDDO) Error(L"DO WHILE ... missing ENDDO");
  Next();
  Emit(GOTO);
  Emit(0);
  PatchTarget(Here() - 1, nStart);
  PatchTarget(nStart + 1, Here());
}

// assignment = name ["(" index [":" index] ")"] "=" expression
// call = function-name "(" args ")"
void CFortranParser::ParseAssignOrCall() {
  const CString name = Text();
  if (Next() == KLAMMAUF && m_List.findFunction(name.c_str()) != nullptr) {
    EmitText(CALL, name);
    ParseArgList();
    return;
  }
  const std::size_t nStart = Here();
  std::uint32_t nOp = ASSIGN;
  if (Tok() == KLAMMAUF) {
    Next();
    ParseExpression();
    nOp = ASSIGNAT;
    if (Tok() == DOPPELPUNKT) {
      Next();
      ParseExpression();
      nOp = ASSIGNLIST;
    }
    if (Tok() != KLAMMZU) Error(L"Missing ')'...");
    Next();
  }
  if (Tok() != ASSIGN) return;
  const CVdiVar* target = nullptr;
  if (name == m_pFunction->m_strName) {
    target = &m_pFunction->m_result;
  } else if ((target = m_pFunction->FindParameter(name)) == nullptr) {
    target = m_pFunction->FindLocal(name);
  }
  if (target == nullptr) Error(Format(L"Unknown Symbol %s", name));
  Insert(nStart, nOp + target->m_nId);
  Next();
  ParseExpression();
}

// args = "(" [expression {"," expression}] ")"
void CFortranParser::ParseArgList() {
  Emit(KLAMMAUF);
  do {
    Next();
    ParseExpression();
  } while (Tok() == KOMMA);
  if (Tok() != KLAMMZU) {
    Error(Format(L"Expected a parameter but found: %s", CFortranScanner::tokenName(Tok())));
  }
  Next();
  Emit(KLAMMZU);
}
