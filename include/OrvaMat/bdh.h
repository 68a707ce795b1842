// BDH-2 radiator catalogues ("HK.DAT"): reading one into a dataset, and the
// radiator models, their elements and size variants a dataset holds
// afterwards, with order numbers and heat outputs (docs/bdh2.md has the
// record ids, the table tree, the order-number rules and the heat output).
//
// Every message goes through the host UI (OrvaMat/host_ui.h). No exception
// leaves these calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "OrvaMat/import.h"
#include "OrvaMat/mat_table.h"
#include "OrvaMat/types.h"

// ---- The import

// What reading one HK.DAT file found. A line is skipped when its record id
// is unknown or missing, or when what it carries had no place to go: a
// record 20 to 50 before any record 10, a 60 before any 10, a 75 to 97
// before any 60, a sequence number outside 1 to kBdhMaxEntry.
struct CBdhImportCounts {
  std::size_t nLines = 0;    // lines read
  std::size_t nStored = 0;   // lines whose values went into a table
  std::size_t nSkipped = 0;  // lines skipped
  int nFirstSkipped = -1;    // number (from 1) of the first line skipped; -1 none
  int nModels = 0;           // records 10 read
  int nElements = 0;         // records 60 read
};

// The highest sequence number of records 20 to 97 (entry n - 1 of a row).
constexpr int kBdhMaxEntry = 1000;

// One import of a BDH-2 file into a database file, as a user starts it on
// files: the input is checked first, the target is opened or made, the file
// is read, and the dataset is saved only when the file was read and at least
// one of its lines was stored; a file that brought nothing (not a BDH-2
// file) is reported and saves nothing.
struct CBdhFileImport {
  std::vector<CString> files;  // read in this order
  CImportTarget target;        // the database file and how to treat it
};

struct CBdhFileImportResult : CFileImportResult {
  CBdhImportCounts counts;  // over all files
};

ORVAMAT_API bool ImportBdhIntoFile(const CBdhFileImport& request,
                                   const CFileImportProgress& progress,
                                   CBdhFileImportResult& result);

// The import dialog without a display (exported by ordinal 110): asks for
// the file through the host UI's file chooser ("BDH-2 Datensatz einlesen",
// "HK.DAT" proposed, OK button "Einlesen") and reads it into the current
// dataset, which is not saved. A dataset that may not be written is refused
// ("Aktuelle MMD ist schreibgeschützt") before anything is asked.
ORVAMAT_API void ImportBdhDlg();

// What the dialog shows of a chosen file, from its first 260 bytes: the
// manufacturer (the second "|" field of the first line, the characters
// ! " % & * . / ? @ \ made "_") and the month of its creation date
// ("dd.mm.yy" shown "mm-yyyy": 19yy when yy starts with 9, else 20yy; empty
// when the field is no such date). Both empty when the file can not be read.
struct CBdhFilePreview {
  CString strManufacturer;
  CString strMonth;
};
ORVAMAT_API CBdhFilePreview PreviewBdhFile(const CString& path);

// ---- Models, elements and size variants

// An element: the columns 0 to 14 of one entry of an element table's row.
struct CBdhElement {
  int m_nCol0 = 0;
  int m_nCol1 = 0;
  int m_nWidth = 0;    // column 2: element width W (mm)
  CString m_strName;   // column 3
  float m_fCol[6]{};   // columns 4 to 9 (4: nominal output q in W, 5: exponent n)
  int m_nPartial = 0;  // column 10: partial length a (mm)
  int m_nReduced = 0;  // column 11: reduction b of the partial length's share (%)
  int m_nExtra = 0;    // column 12: extra length X (mm)
  CString m_strBase;   // column 13: the order number's base text
  CString m_strCol14;
};

// One size of a model: a length of one element, its order number and its
// heat output at 70/55/20 degrees Celsius.
struct CBdhVariant {
  CString m_strModel;  // the model's name
  int m_nLength = 0;   // L (mm)
  int m_nWidth = 0;    // W
  float m_fOutput = 0;
  float m_fExponent = 0;
  int m_nPartial = 0;
  int m_nReduced = 0;
  int m_nExtra = 0;
  int m_nCol0 = 0;
  int m_nCol1 = 0;
  CString m_strName;  // column 3
  float m_fCol6 = 0;
  float m_fCol7 = 0;
  float m_fCol8 = 0;
  wchar_t m_cKind = 0;  // the model's output kind: E, M, S or another
  // The order number; empty when a rule of the model points outside the
  // text or can not be applied (m_bOrderNumber false then).
  CString m_strOrderNumber;
  bool m_bOrderNumber = false;
  Handle m_hArticle = 0;   // the order number's handle, when the dataset has it
  int m_nReturnTemp = 55;  // t (degrees Celsius): 55, or 0 for kind E
  int m_nHeatOutput = 0;   // Q (W)
  double m_dMassFlow = 0;  // m (kg/h)
};

// A radiator model: as listed (its series and model table and the values of
// its "DA-HK-10" row) and, once loaded, its lengths, order-number rules,
// elements and size variants. The table pointers belong to the dataset and
// hold while it is open and the tables are not removed.
struct CBdhModel {
  CString m_strSeries;
  CString m_strName;
  CMatTable* m_pSeriesTable = nullptr;
  CMatTable* m_pModelTable = nullptr;
  int m_nKey1 = 0;  // column 0: character code of key character 1
  int m_nKey2 = 0;  // column 1: the output kind (E, M, S)
  float m_fValues[4]{};
  CString m_strTexts[8];
  std::vector<std::uint16_t> m_Lengths;
  bool m_bTriples = false;  // m_Lengths holds (from, to, step) triples
  std::vector<CString> m_Bestellg1t1;
  std::vector<CString> m_Bestellg1t2;
  std::vector<CString> m_Bestellg2;
  std::vector<CBdhElement> m_Elements;
  std::vector<CBdhVariant> m_Variants;
  // More variants than kBdhMaxVariants would have come: the rest is left out.
  bool m_bVariantsCut = false;
};

// The most size variants one model gets. A real model has some hundreds of
// sizes; the bound keeps a hostile catalogue of a few lines from making a
// model that takes seconds to load.
constexpr std::size_t kBdhMaxVariants = 10000;

// The host object that ListBdhModels fills.
struct CBdhModelList {
  std::vector<CBdhModel> m_Models;
};

// 140: makes the dataset of the handle current and fills list with one model
// per model table of every series table under "BDH2" (series and models in
// the order they were made). Nothing when the dataset has no such table.
ORVAMAT_API void ListBdhModels(CBdhModelList* list, unsigned long dataset);
// 141: loads the model of the model table into model (lengths, rules,
// elements, size variants in their order: element column 1, then q, then L).
// Returns model; null for a null model.
ORVAMAT_API CBdhModel* LoadBdhModel(CBdhModel* model, CMatTable* modelTable);
// 142: the model object the library keeps for hosts.
ORVAMAT_API CBdhModel* GetBdhModelObject();
// 144: the variant at index, or null when the index is not below the count.
ORVAMAT_API const CBdhVariant* GetBdhVariant(const CBdhModel* model, int index);
// 149: the position of the model's first element, null when it has none;
// GetNextBdhElement walks on.
ORVAMAT_API POSITION GetBdhElements(const CBdhModel* model);
ORVAMAT_API const CBdhElement* GetNextBdhElement(const CBdhModel* model, POSITION& pos);
// 148: 0.
ORVAMAT_API int GetBdhNothing();
// 146: L, or for a model without lengths the element width.
ORVAMAT_API int GetBdhVariantLength(const CBdhVariant* variant);
// 147, 145: the element's columns 0 and 1.
ORVAMAT_API int GetBdhVariantCol0(const CBdhVariant* variant);
ORVAMAT_API int GetBdhVariantCol1(const CBdhVariant* variant);
// 143: "model, element name".
ORVAMAT_API CString GetBdhVariantTitle(const CBdhVariant* variant);

// The models of the dataset of the prefix (OrvaMat/datasets.h), as
// ListBdhModels gives them.
ORVAMAT_API std::vector<CBdhModel> ListBdhModelsOf(unsigned long prefix);
// Loads the model named model of the series named series (names compared
// without regard to case); false when there is no such model.
ORVAMAT_API bool LoadBdhModelOf(unsigned long prefix, const wchar_t* series, const wchar_t* model,
                                CBdhModel& out);
