// CTgaArticles: from a TGA number to article numbers, and the cross
// references of every configuration of a product.
//
// A product's TGA function ("TGA_810" unless its 820 record names another)
// takes a configuration as a digit string and answers with 810 record
// lines: "810;" index ";" article number ";" DATANORM number ";" ... with
// the quantity in the next-to-last field. Where a product has no such
// function, the sheet's cross-reference table "TGA-Nummer" (article number
// -> TGA tag and 810 body, filled from the file's 800/810 records or by
// CreateTGAreferences) answers instead.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "OrvaMat/types.h"
#include "vdi/tga_functions.h"

class CMatStore;
class CMatTable;

// The two cross-reference tables below a sheet table.
struct CTgaReferenceTables {
  CMatTable* m_pNummer = nullptr;    // "TGA-Nummer"
  CMatTable* m_p800to810 = nullptr;  // "TGA-800to810"
};

// A row of a sheet's cross references: the tag of a configuration and its
// 810 record (the line after the index field: article number, DATANORM
// number, ...).
struct CTgaReference {
  CString m_strTag;
  CString m_strRecord;
  Handle m_hRow = 0;  // the row: an article number, or the tag in "TGA-800to810"
};

// How a run of a product's TGA function went.
enum class eTgaRun {
  eNoFunction,  // the product has no such function (or its list failed)
  eNoFit,       // a slot is too large for its digit group: nothing ran
  eFailed,      // the run failed (its error was shown)
  eRan,
};

// One article of a configuration.
struct CTgaArticle {
  CString m_strNumber;
  std::int32_t m_nQuantity = 1;
};

class CTgaArticles {
 public:
  // Uses those function lists, on that store (null: the process-wide store
  // of each call).
  explicit CTgaArticles(CTgaFunctions& functions, CMatStore* pStore = nullptr)
      : m_Functions(functions), m_pStore(pStore) {}

  // The one behind the exported entry points.
  static CTgaArticles& Process();

  // The sheet's cross-reference tables, made as the file reader makes them
  // when missing (Struct tables of two fields with their descriptions).
  // Null members when the sheet is null or a table can not be made there
  // (the dataset is locked, or a table of that name is no Struct table of
  // two fields; shown once).
  CTgaReferenceTables FindOrCreateTables(CMatTable* pSheet);

  // getArtikelnummern: the articles of the configuration tag of the
  // product. The text lists them joined by ";", each as its number, or as
  // quantity "|" number when the quantity is not 1 ("X;3|Y"). True when
  // the function ran (out set, perhaps to an empty text) or a row of
  // "TGA-Nummer" matched (its article with quantity 1); false leaves out
  // unchanged. A row matches when every slot of its tag equals the tag's
  // or either is below 1. pArticles (may be null) receives the list.
  bool GetArtikelnummern(CString& out, std::wstring_view tag, CMatTable* pProduct,
                         std::vector<CTgaArticle>* pArticles = nullptr);

  // createTGAreferences: runs the product's TGA function for every
  // combination of its variants (each 200, 300, 400, 500 record with their
  // sub-records, each 700 record with each of its 710.01 records and its
  // first 760 record) and enters each article number the function names
  // into "TGA-Nummer": the tag of 18 slots and the 810 body (the line after
  // its index field, as the reader keeps an 810 record). A level 300 to
  // 700 without records gives no combination. Returns the number of
  // entries made. A run that fails ends the walk (its error was reported):
  // a broken function would otherwise report at every combination. A
  // product of more than kMaxCombinations combinations is refused.
  std::size_t CreateTGAreferences(CMatTable* pProduct);

  // Runs the product's function of that name for the slots, written as a
  // digit string of that layout, and gives the 810 lines it counts (its
  // value, when it returns an integer, never more than the result holds;
  // else the one result). The lines point into the function's result and
  // hold until the function runs again. Shows nothing itself.
  eTgaRun RunTgaFunction(CMatTable* pProduct, const wchar_t* pName, const CTgaSlots& slots,
                         CTgaDigitLayout layout, std::vector<std::wstring_view>& lines);

  // The first row of the sheet's cross references whose tag matches the
  // slots: every slot equal, or either below 1. With b800to810 the rows of
  // "TGA-800to810" are searched when that table exists (tag: the row's
  // name; record: sub-row 0), else those of "TGA-Nummer" (tag: field 0;
  // record: field 1). False when no row matches.
  bool FindReference(CMatTable* pSheet, const CTgaSlots& slots, bool b800to810, CTgaReference& out);

  // Entries made by CreateTGAreferences over the object's life.
  std::uint64_t GetGeneratedCount() const { return m_nGenerated; }

  static constexpr std::uint64_t kMaxCombinations = 1'000'000;

 private:
  CMatStore& Store() const;
  bool SearchReferences(CString& out, const CTgaSlots& slots, CMatTable* pProduct,
                        std::vector<CTgaArticle>* pArticles);

  CTgaFunctions& m_Functions;
  CMatStore* m_pStore;
  std::uint64_t m_nGenerated = 0;
};

// The exported forms on the process-wide objects.
void getArtikelnummern(CString& out, const wchar_t* pTag, CMatTable* pProduct);
void createTGAreferences(CMatTable* pProduct);
