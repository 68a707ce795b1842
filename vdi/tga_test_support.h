// The surroundings of the TGA tests: a radiator sheet (6) with one product,
// 110-2 below 100-1, whose function records the tests write, and the
// function lists and article look-ups working on the test's store and
// formula context.
#pragma once

#include "store/mat_store.h"
#include "store/table_names.h"
#include "vdi/record_test_support.h"
#include "vdi/tga_articles.h"
#include "vdi/tga_functions.h"

class CTgaTest : public CRecordTest {
 protected:
  CTgaTest() {
    m_pSheet = Record(nullptr, L"VDI-Heizkoerper-2", L"6;2;Hersteller GmbH");
    m_pSeries = Record(m_pSheet, L"100-1", L"Reihe A;Flachheizkoerper");
    m_pProduct = Record(m_pSeries, L"110-2", L"Typ 10;Kompakt");
  }

  // A 600 record with its 610 record below the product.
  CMatTable* Functions(const wchar_t* pName, const CString& declarations, const CString& bodies) {
    CMatTable* p600 = Record(m_pProduct, pName, declarations.c_str());
    Record(p600, L"610", bodies.c_str());
    return p600;
  }
  // INTEGER FUNCTION <name>(T, R) with CHARACTER*58 T and five 810 lines
  // R(5) of 100 characters, and that body.
  void TgaFunction(const CString& body, const CString& name = L"TGA_810",
                   const wchar_t* p600 = L"600-1") {
    const CString head = L"INTEGER FUNCTION " + name + L"(T, R)\r\n";
    const CString decl = L"CHARACTER (58) T\r\nCHARACTER (100) R(5)\r\n";
    Functions(p600, decl + head, head + decl + body + L"END FUNCTION " + name + L"\r\n");
  }
  // Removes the product's 600-1 record, so that TgaFunction can write another.
  eMatManager RemoveTgaFunction() {
    return Store().RemoveTable(FindChildTable(*m_pProduct, L"600-1", eHiddenTables::kSkip));
  }
  // A row of "TGA-Nummer" as the file reader enters an 810 record; makes
  // "TGA-800to810" too, empty.
  void Reference(const wchar_t* pArticle, const wchar_t* pTag, const wchar_t* pBody) {
    const CTgaReferenceTables tables = m_articles.FindOrCreateTables(m_pSheet);
    ASSERT_NE(tables.m_pNummer, nullptr);
    const CFieldInput fields[] = {{0, CCellInput::Value(Store().GetOrCreateHandle(pTag))},
                                  {1, CCellInput::Text(pBody)}};
    ASSERT_EQ(
        Store().SetStructFields(tables.m_pNummer, Store().GetOrCreateHandle(pArticle), fields, 2),
        eMatOk);
  }

  CMatTable* m_pSheet = nullptr;
  CMatTable* m_pSeries = nullptr;
  CTgaFunctions m_functions{&m_context, &Store()};
  CTgaArticles m_articles{m_functions, &Store()};
};
