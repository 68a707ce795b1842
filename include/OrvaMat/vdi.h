// VDI 3805 product data files: reading a file into a dataset, and the sheets
// and products a dataset holds afterwards (docs/vdi.md has the table tree).
//
// Every message goes through the host UI (OrvaMat/host_ui.h). No exception
// leaves these calls.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "OrvaMat/formula.h"
#include "OrvaMat/import.h"
#include "OrvaMat/types.h"

// Reads the VDI 3805 file at path into the current dataset (exported by
// ordinal 155 only). A null path asks the user for the file through the host
// UI's file chooser; cancelling reads nothing. A dataset that may not be
// written is refused ("Aktuelle MMD ist schreibgeschützt") before anything
// is asked or read. The dataset is not saved.
ORVAMAT_API void ImportVdiFile(const wchar_t* path);

// One import of VDI files into a database file, as a user starts it on files:
// every input is checked first, the target is opened or made, the files are
// read in order, and the dataset is saved only when every file was read.
struct CVdiFileImport {
  std::vector<CString> files;  // read in this order
  CImportTarget target;        // the database file and how to treat it
};

using CVdiFileImportResult = CFileImportResult;
using CVdiFileProgress = CFileImportProgress;

// Runs the import on the process's datasets (the target's becomes current).
// True only when every file was read and the dataset saved. A failure is
// shown; then nothing is saved, an existing file and its backup stay as they
// were, and a file that did not exist is not made.
ORVAMAT_API bool ImportVdiIntoFile(const CVdiFileImport& request, const CVdiFileProgress& progress,
                                   CVdiFileImportResult& result);

// A product of a sheet: its path from the sheet table ("VDI-Pumpen.100-1.110-2")
// and its title (the first field of the product record's text).
struct CVdiProduct {
  CString strPath;
  CString strTitle;
};

// A sheet table of a dataset: its name, its sheet number (as record 010 gave
// it) and its products in the order they were read.
struct CVdiSheet {
  CString strName;
  int nNumber = 0;
  std::vector<CVdiProduct> products;
};

// The sheet tables among the top-level tables of the dataset of the prefix
// (OrvaMat/datasets.h); empty when there is none or no such dataset.
ORVAMAT_API std::vector<CVdiSheet> ListVdiSheets(unsigned long prefix);

// The calls below work on the sheet table of that name (such as
// "VDI-Pumpen") in the dataset of the prefix, and read the whole sheet from
// the database file first. A configuration of a product is named by its TGA
// tag in text form ("1-2-?-3": one record number per level, slot 0 the 100
// record, slot 1 the 110 record, docs/vdi.md). Nothing is saved.

// Completes the tag: a level it leaves open ("?" or missing) takes the first
// record of its kind, levels still unknown become 0, and the tag is written
// back with all 32 slots. False, the tag unchanged, when there is no such
// sheet or the 100 or 110 record the tag names is not there.
ORVAMAT_API bool CompleteVdiTag(unsigned long prefix, const wchar_t* sheet, CString& tag);

// One article of a configuration and how many of it.
struct CVdiArticle {
  CString strNumber;
  int nQuantity = 1;
};

// The article numbers of the configuration, from the TGA function of the
// product that slots 0 and 1 of the tag name, or from the sheet's "TGA-Nummer"
// table where the product has none. text lists them as the function list
// gives them ("X;3|Y": the quantity before "|" when it is not 1). False when
// there is no such product, its function failed (shown) or nothing matched.
ORVAMAT_API bool GetVdiArticles(unsigned long prefix, const wchar_t* sheet, const wchar_t* tag,
                                CString& text, std::vector<CVdiArticle>& articles);

// The DATANORM number of the configuration: the 810 record that the TGA
// function of the product (slots 0 and 1 of the tag) gives for the tag in
// the digit layout of the sheet's number, else the first row of the
// sheet's cross references that matches the tag ("TGA-800to810" when the
// sheet has that table, else "TGA-Nummer"). False, number empty, when
// there is no such product or record, or the record names no DATANORM
// number.
ORVAMAT_API bool GetVdiDatanormNumber(unsigned long prefix, const wchar_t* sheet,
                                      const wchar_t* tag, CString& number);

// A row of a sheet's "TGA-Nummer" table: the article number, the tag of its
// configuration and its 810 record (the line after the index field).
struct CVdiReference {
  CString strArticle;
  CString strTag;
  CString strRecord;
};

// Runs every product's TGA function over all its configurations into the
// sheet's "TGA-Nummer" table (in memory only), then gives the table's rows.
// A product whose function is missing or fails is shown and the others go
// on. False when there is no such sheet.
ORVAMAT_API bool CreateVdiReferences(unsigned long prefix, const wchar_t* sheet,
                                     std::vector<CVdiReference>& references);

// The function of that name (any case) of the product that slots 0 and 1 of
// the tag name; null when there is no such product or function, or the
// product's functions do not compile (shown). The function belongs to the
// library's cache of function lists: write its parameters, run it with
// RunVdiFunction, and do not keep it beyond the next call of this header.
ORVAMAT_API CvdiFunction* FindVdiFunction(unsigned long prefix, const wchar_t* sheet,
                                          const wchar_t* tag, const wchar_t* name);

// Runs f with the record functions positioned on the configuration: the tag
// completed as CompleteVdiTag does. Each line the function writes for
// debugging is appended to debugLines. False when the tag names no product
// or the run failed (shown).
ORVAMAT_API bool RunVdiFunction(unsigned long prefix, const wchar_t* sheet, const wchar_t* tag,
                                CvdiFunction& f, std::vector<CString>& debugLines);

// The product table (record 110) that slots 0 and 1 of the tag name in the
// sheet table of that name, the whole sheet read from the database file and
// its dataset made current: what the accessories of a configuration
// (OrvaMat/vdi_accessories.h) are built from. It lives as long as its
// dataset is open and the sheet is not read again. Null when there is none.
ORVAMAT_API CMatTable* FindVdiProduct(unsigned long prefix, const wchar_t* sheet,
                                      const wchar_t* tag);

// The variant tree of a product table (FindVdiProduct), built once for the
// table and kept with the process's trees (Cvdi3805Man::createVariantTree);
// what the product variants dialog shows. Null for null.
class Cvdi3805Tag;
ORVAMAT_API Cvdi3805Tag* GetVdiVariantTree(CMatTable* product);
