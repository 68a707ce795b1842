#include "vdi/record_access.h"

#include "formula/fortran_parser.h"
#include "vdi/record_test_support.h"

namespace {

// A radiator sheet (6) with two series; the product is the first type of
// the first series. Its 700 record 1 has 710.01 records 1, 5 and 3 in that
// stored order, and 710.01 record 5 a 710.11 record (sheet 6 hangs 710.11
// below 710.01). The sheet's text has a 2 in its second field: the name,
// not that field, says which sheet it is.
class RecordFunctions : public CRecordTest {
 protected:
  RecordFunctions() {
    m_pSheet = Record(nullptr, L"VDI-Heizkoerper-2", L"6;2;Hersteller GmbH");
    m_pSeries = Record(m_pSheet, L"100-1", L"Reihe A;Flachheizkoerper");
    m_pProduct = Record(m_pSeries, L"110-1", L"Typ 10;Kompakt");
    Record(m_pProduct, L"200-3", L"Anschluss rechts;3");
    Record(m_pProduct, L"200-1", L"Anschluss links;1");
    Record(m_pProduct, L"700-2", L"Bauhoehe 300;300");
    m_p700 = Record(m_pProduct, L"700-1", L"Bauhoehe 600;600;0.5;  42abc");
    Record(m_p700, L"710_01-1", L"400;1;5.098039E-02");
    m_p710 = Record(m_p700, L"710_01-5", L"1000;5;0.25");
    Record(m_p700, L"710_01-3", L"600;3;-7");
    Record(m_p710, L"710_11-2", L"2;rot");
    Record(Record(m_pSeries, L"110-2", L"Typ 20;Doppel"), L"700-1", L"Bauhoehe 900");
    Record(Record(m_pSheet, L"100-2", L"Reihe B;Bad"), L"110-1", L"Typ 30;Bad");
    m_pos.m_nRecord[0] = 1;   // 100
    m_pos.m_nRecord[1] = 1;   // 110
    m_pos.m_nRecord[15] = 1;  // 700
    m_pos.m_nRecord[17] = 5;  // 710.01 of sheet 6
  }
  CMatTable* m_pSheet = nullptr;
  CMatTable* m_pSeries = nullptr;
  CMatTable* m_p700 = nullptr;
  CMatTable* m_p710 = nullptr;
};

TEST_F(RecordFunctions, FieldsAlongRecordPaths) {
  struct CCase {
    const wchar_t* szExpr;
    const wchar_t* szText;
  };
  const CCase cases[] = {
      {L"VDICWERT('710.01', 0, 2)", L"1000"},
      {L"VDICWERT('710.01', 0, 4)", L"0.25"},
      // Not below the product: below the current record of its parent type.
      {L"VDICWERT('710_01', 3, 2)", L"600"},
      {L"VDICWERT('710.11', 2, 3)", L"rot"},
      {L"VDICWERT('700', 2, '200', 3, 2)", L"Anschluss rechts"},
      {L"VDICWERT('700', 1, '710.01', 1, 4)", L"5.098039E-02"},
      {L"VDICWERT('710.01', 5, '710.11', 2, 3)", L"rot"},
      {L"VDICWERT('700', 0, 3)", L"600"},
      {L"VDICWERT(2)", L"Typ 10"},
      {L"VDICWERT('110', 0, 3)", L"Kompakt"},
      {L"VDICWERT('100', 0, 3)", L"Flachheizkoerper"},
      // A 100 record is the product's series or one beside it, never the
      // product itself.
      {L"VDICWERT('100', 1, 2)", L"Reihe A"},
      {L"VDICWERT('100', 2, '110', 1, 3)", L"Bad"},
      // Fields beyond the last and records not bound are empty.
      {L"VDICWERT('710.01', 0, 9)", L""},
      {L"VDICWERT('710.02', 0, 2)", L""},
      {L"VDICWERT('200', 0, 2)", L""},
  };
  for (const CCase& c : cases) {
    SCOPED_TRACE(ToUtf8(c.szExpr));
    EXPECT_EQ(Text(CString(L"F = ") + c.szExpr + L"\r\n"), c.szText);
  }
  EXPECT_EQ(m_access.GetSheet(), 6);
}

TEST_F(RecordFunctions, FieldsAsNumbers) {
  struct CCase {
    const wchar_t* szExpr;
    std::int32_t nInt;
  };
  const CCase ints[] = {
      {L"VDIIWERT('700', 0, 5)", 42},  // "  42abc"
      {L"VDIIWERT('710.01', 3, 4)", -7},
      {L"VDIIWERT('710.01', 1, 4)", 5},  // "5.098039E-02"
      {L"VDIIWERT('700', 0, 2)", 0},
      {L"VDIIWERT('710.02', 0, 2)", 0},
      {L"VDIIWERT('710.01', 0, 2147483647)", 0},
  };
  for (const CCase& c : ints) {
    SCOPED_TRACE(ToUtf8(c.szExpr));
    EXPECT_EQ(Int(CString(L"F = ") + c.szExpr + L"\r\n"), c.nInt);
  }
  EXPECT_FLOAT_EQ(Real(L"F = VDIRWERT('710.01', 1, 4)\r\n"), 0.05098039f);
  EXPECT_FLOAT_EQ(Real(L"F = VDIRWERT('700', 0, 4)\r\n"), 0.5f);
  EXPECT_FLOAT_EQ(Real(L"F = VDIRWERT('700', 0, 5)\r\n"), 42.0f);
  EXPECT_FLOAT_EQ(Real(L"F = VDIRWERT('700', 0, 2)\r\n"), 0.0f);
}

TEST_F(RecordFunctions, TextLengthGoesToAVariable) {
  EXPECT_EQ(Int(L"CHARACTER (20) S\r\nINTEGER N\r\nS = VDICWERT('710.01', 0, 2, N)\r\nF = N\r\n"),
            4);
  EXPECT_FLOAT_EQ(Real(L"CHARACTER (20) S\r\nREAL X\r\nS = VDICWERT('700', 0, 2, X)\r\nF = X\r\n"),
                  12.0f);
  EXPECT_EQ(Int(L"CHARACTER (20) S\r\nS = VDICWERT('700', 0, 2, 1 + 2)\r\nF = 1\r\n"), 1);
  EXPECT_EQ(Failure(L"CHARACTER (20) S\r\nS = VDICWERT('700', 0, 2, S)\r\nF = 1\r\n"),
            L"INTEGER Vaue missing");
  EXPECT_EQ(Failure(L"CHARACTER (20) S\r\nS = VDICWERT('700', 0, 2, 'x')\r\nF = 1\r\n"),
            L"INTEGER Vaue missing");
}

TEST_F(RecordFunctions, MissingRecordsAndWrongArguments) {
  struct CCase {
    const wchar_t* szBody;
    const wchar_t* szMessage;
  };
  const CCase cases[] = {
      {L"F = VDIIWERT('710.01', 9, 2)", L"VDIIWERT: Record not found <700-1.710_01-9>"},
      {L"F = VDIRWERT('710.01', 9, 2)", L"VDIRWERT: Record not found <710_01-9>"},
      {L"F = VDIIWERT('100', 7, 2)", L"VDIIWERT: Record not found <VDI-Heizkoerper-2.100-7>"},
      {L"F = VDIIWERT('710.01', 0, 1)", L"VDIIWERT: Field 1 is not a field of a record"},
      {L"F = VDIIWERT('710.01', -2147483647 - 1, 2)",
       L"VDIIWERT: Record not found <700-1.710_01--2147483648>"},
      {L"F = VDIIWERT('710.01', 0, 2.0)", L"INTEGER Vaue missing"},
      {L"F = VDIIWERT('710.01', 'x', 2)", L"INTEGER Vaue missing"},
      {L"F = VDIIWERT('710.01', 0)", L"Missing function parameter"},
      {L"IF (VDIAKTUELL(200, 3)) F = 1", L"VDIAKTUELL...CHARACTER Parameter missing"},
      {L"IF (VDIAKTUELL('200', 'x')) F = 1", L"INTEGER Vaue missing"},
      {L"F = VDIERSTER(710)", L"VDIFOLGE...CHARACTER Parameter missing"},
      {L"F = VDIFOLGE('710.01', 5, 11, 1)", L"VDIFOLGE...CHARACTER Parameter missing"},
      {L"F = VDIFOLGE('710.01', 9, '710.11', 1)", L"VDIFOLGE: Record <710_01-9> not found"},
      {L"F = VDIINDEX(700)", L"VDIINDEX: Parameter not CHAR()"},
  };
  for (const CCase& c : cases) {
    SCOPED_TRACE(ToUtf8(c.szBody));
    EXPECT_EQ(Failure(CString(c.szBody) + L"\r\n"), c.szMessage);
  }
  CvdiFunction* f = Compile(L"CHARACTER (20)", L"F = VDICWERT('700', 1, '710.01', 9, 2)\r\n");
  EXPECT_FALSE(Run(f));
  EXPECT_EQ(LastMessage(),
            L"VDICWERT: Record not found <710_01-9> in Table\r\nHsID\\"
            L"VDI-Heizkoerper-2.100-1.110-1.700-1");
}

// The 710.01 records are stored 1, 5, 3: sequencing follows that order.
TEST_F(RecordFunctions, SequencingFollowsStoredOrder) {
  struct CCase {
    const wchar_t* szExpr;
    std::int32_t nValue;
  };
  const CCase cases[] = {
      {L"VDIERSTER('710.01')", 1},
      {L"VDILETZTER('710.01')", 3},
      {L"VDIFOLGE('710.01', 1)", 5},
      {L"VDIFOLGE('710.01', 3)", 0},
      {L"VDIVORHER('710.01', 3)", 5},
      {L"VDIVORHER('710.01', 1)", 0},
      {L"VDIFOLGE('710.01', 0)", 0},
      {L"VDIFOLGE('710.01', 4)", 0},
      {L"VDIERSTER('710.02')", 0},
      {L"VDIERSTER('200')", 3},
      {L"VDILETZTER('700')", 1},
      {L"VDIERSTER('710.01', 5, '710.11')", 2},
      {L"VDIERSTER('710.01', 3, '710.11')", 0},
  };
  for (const CCase& c : cases) {
    SCOPED_TRACE(ToUtf8(c.szExpr));
    EXPECT_EQ(Int(CString(L"F = ") + c.szExpr + L"\r\n"), c.nValue);
  }
  EXPECT_FALSE(Logical(L"F = VDIINDEXEXIST('710.01', 2)\r\n"));
  EXPECT_TRUE(Logical(L"F = VDIINDEXEXIST('710.01', 5)\r\n"));
  EXPECT_FALSE(Logical(L"F = VDIINDEXEXIST('710.01', 0)\r\n"));
  // A loop over every record reads each once and ends.
  EXPECT_EQ(Int(L"INTEGER N, K\r\nN = VDIERSTER('710.01')\r\nDO WHILE (N > 0)\r\n"
                L"K = K * 10 + VDIIWERT('710.01', N, 3)\r\nN = VDIFOLGE('710.01', N)\r\nENDDO\r\n"
                L"F = K\r\n"),
            153);
}

// Two records of one number (the reader keeps "400-01" and "400-1" apart):
// the first counts, and sequencing never runs in a circle.
TEST_F(RecordFunctions, RepeatedNumbersEndTheSequence) {
  Record(m_pProduct, L"400-01", L"a");
  Record(m_pProduct, L"400-2", L"b");
  Record(m_pProduct, L"400-1", L"c");
  EXPECT_EQ(Int(L"INTEGER N, K\r\nN = VDIERSTER('400')\r\nDO WHILE (N > 0 .AND. K < 10)\r\n"
                L"K = K + 1\r\nN = VDIFOLGE('400', N)\r\nENDDO\r\nF = K\r\n"),
            2);
  EXPECT_EQ(Int(L"F = VDIVORHER('400', 1)\r\n"), 0);
}

TEST_F(RecordFunctions, AktuellMakesARecordCurrent) {
  EXPECT_EQ(Text(L"IF (VDIAKTUELL('200', 3)) F = VDICWERT('200', 0, 2)\r\n"), L"Anschluss rechts");
  EXPECT_EQ(Text(L"IF (VDIAKTUELL('710.01', 3)) F = VDICWERT('710.01', 0, 3)\r\n"), L"3");
  // A record that is not there changes nothing.
  EXPECT_EQ(Text(L"IF (.NOT. VDIAKTUELL('710.01', 9)) F = VDICWERT('710.01', 0, 3)\r\n"), L"5");
  // A called function binds the host's records for itself; when it returns,
  // its caller reads what it had made current.
  CvdiFunction* pCaller = Compile(L"CHARACTER (20)",
                                  L"CHARACTER (20) S\r\nIF (VDIAKTUELL('710.01', 3)) S = G()\r\n"
                                  L"F = VDISTRING('&&', S, VDICWERT('710.01', 0, 3))\r\n");
  CFortranParser(m_context, *m_pList)
      .Bodies(L"CHARACTER (20) FUNCTION G()\r\nG = VDICWERT('710.01', 0, 3)\r\nEND FUNCTION G\r\n");
  ASSERT_TRUE(Run(pCaller)) << ToUtf8(LastMessage());
  EXPECT_EQ(pCaller->m_result.GetText(), L"53");
  // The next function entry binds the host's records again.
  CvdiFunction* f = Compile(L"INTEGER", L"IF (VDIAKTUELL('710.01', 3)) F = 1\r\n");
  ASSERT_TRUE(Run(f));
  EXPECT_EQ(Text(L"F = VDICWERT('710.01', 0, 3)\r\n"), L"5");
}

TEST_F(RecordFunctions, IndexAnswersTheHostsRecordNumbers) {
  m_pos.m_nRecord[9] = 4;  // 400
  EXPECT_EQ(Int(L"F = VDIINDEX('700')\r\n"), 1);
  EXPECT_EQ(Int(L"F = VDIINDEX('400')\r\n"), 4);
  EXPECT_EQ(Int(L"F = VDIINDEX('710.01')\r\n"), 5);
  EXPECT_EQ(Int(L"F = VDIINDEX('710.02')\r\n"), 0);
  EXPECT_EQ(Int(L"F = VDIINDEX('999')\r\n"), 0);
  CvdiFunction* f = Compile(L"INTEGER", L"F = VDIINDEX('700') + 7\r\n");
  ASSERT_TRUE(f != nullptr && m_runtime.Run(f, nullptr));
  EXPECT_EQ(f->m_result.m_nValue, 7) << "no position, no numbers";
}

// The sheet decides where the host's 710.xx records are found.
TEST_F(RecordFunctions, SheetsBindTheirRecords) {
  struct CCase {
    const wchar_t* szSheetName;
    const wchar_t* szSheetText;
    int nSheet;
  };
  // The reader's names; else the second field of the text, else the text.
  const CCase cases[] = {
      {L"VDI-Rohre und Formstuecke", L"29;1", 29},
      {L"VDI-Waermeerzeuger-2", L"3", 3},
      {L"Blatt", L"0;8;x", 8},
      {L"Blatt", L"VDI-Brenner", 8},
      {L"Blatt", L"x;y", 0},
  };
  for (const CCase& c : cases) {
    SCOPED_TRACE(ToUtf8(c.szSheetName));
    CMatTable* pSheet = Record(nullptr, c.szSheetName, c.szSheetText);
    m_pProduct = Record(Record(pSheet, L"100-1", L""), L"110-1", L"");
    CMatTable* p700 = Record(m_pProduct, L"700-1", L"");
    Record(Record(p700, L"710_01-5", L"a"), L"710_11-2", L"b");
    Record(p700, L"710_03-5", L"c");
    m_pos.m_nRecord[18] = 2;
    const CString bound = Text(
        L"F = VDISTRING('&&&', VDICWERT('710.01', 0, 2), VDICWERT('710.11', 0, 2), "
        L"VDICWERT('710.03', 0, 2))\r\n");
    EXPECT_EQ(m_access.GetSheet(), c.nSheet);
    // Sheet 29 finds 710.11 below 710.01 as it binds; sheet 3 lists 710.11
    // beside 710.01 but its reader hangs it below; sheet 8 binds 710.03.
    const wchar_t* szBound = c.nSheet == 29 || c.nSheet == 3 ? L"ab" : c.nSheet == 8 ? L"c" : L"";
    EXPECT_EQ(bound, szBound);
    Store().RemoveTable(pSheet);
  }
}

// Lists are built once and built again after any change of the tree.
TEST_F(RecordFunctions, ListsFollowChangesOfTheTree) {
  const CString last = L"F = VDILETZTER('710.01')\r\n";
  EXPECT_EQ(Int(last), 3);
  EXPECT_EQ(Int(L"F = VDIFOLGE('710.01', 5)\r\n"), 3);
  const std::uint64_t nBuilds = m_access.GetCache().GetBuildCount();
  EXPECT_EQ(Int(last), 3);
  EXPECT_EQ(m_access.GetCache().GetBuildCount(), nBuilds) << "unchanged tree, no build";

  CMatTable* p8 = Record(m_p700, L"710_01-8", L"x");
  EXPECT_EQ(Int(last), 8);
  ASSERT_EQ(Store().RenameTable(p8, L"710_01-9"), eMatOk);
  EXPECT_EQ(Int(last), 9);
  ASSERT_EQ(Store().RemoveTable(p8), eMatOk);
  EXPECT_EQ(Int(last), 3);
  // Renaming a name text renames every table of that name.
  ASSERT_TRUE(m_pDataset->RenameHandle(m_p710->m_hName, L"710_01-7"));
  EXPECT_EQ(Int(L"F = VDIFOLGE('710.01', 1)\r\n"), 7);
  m_p700->DeleteContents();
  EXPECT_EQ(Int(L"F = VDIERSTER('710.01')\r\n"), 0);
}

}  // namespace
