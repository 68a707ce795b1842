// Cvdi3805Man: how hosts and dialogs work with imported VDI 3805 data:
// sheet names and numbers, the slots of TGA tags, the record tables a tag
// addresses, the choices its open slots offer, the variant tree of a
// product, and the DATANORM or article number of a configured product
// (docs/vdi.md). It reads the tables the file reader made and changes none.
//
// Every look-up that fails gives null, 0 or false and shows nothing (a
// product function that fails while it runs reports its own error). No
// exception leaves the static members.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "OrvaMat/types.h"
#include "vdi/tga_articles.h"
#include "vdi/vdi3805_tag.h"

class CMatStore;
class CMatTable;

// The values slots 2 to 31 of a tag may take (lists[0] for slot 2).
using CTgaSlotChoices = std::array<std::vector<std::int32_t>, 30>;

// The look-ups behind Cvdi3805Man on explicit objects, so that tests build
// fresh ones (the tree calls work on a CVdiTagRoots, vdi/vdi3805_tag.h).
class CVdiSheetManager {
 public:
  // Works on that store (null: the process-wide one) with those article
  // look-ups.
  explicit CVdiSheetManager(CTgaArticles& articles, CMatStore* pStore = nullptr)
      : m_Articles(articles), m_pStore(pStore) {}

  // The one behind the exported entry points.
  static CVdiSheetManager& Process();

  // The sheet number of a sheet table's name, compared exactly; a sheet
  // table named "VDI-Waermeerzeuger" counts as sheet 3 too. 0 for any other
  // name.
  static int GetBlattNr(std::wstring_view name);

  // The sheet table of a sheet number among the top-level tables of the
  // current dataset. Only the sheets 3, 4, 5, 6, 7, 10, 11, 14, 16, 17, 18,
  // 19, 23, 24, 29, 32, 35, 98 and 99 are looked up by number (for 3:
  // "VDI-Waermeerzeuger-2", else "VDI-Waermeerzeuger"); null for any
  // other.
  CMatTable* FindSheetTable(int nSheet) const;

  // The 810 record of the configuration tag of the product: the product's
  // TGA_810 function run for the tag's digit string in the layout of the
  // sheet number, else the sheet's cross references ("TGA-800to810" when
  // the sheet has it, even empty, else "TGA-Nummer"). out gets the record's
  // DATANORM number (bDatanorm) or article number, trimmed; 1 when a record
  // was found (its number may be empty), 0 with out unchanged when none.
  int GetNumber(CString& out, std::wstring_view tag, CMatTable* pProduct, int nSheet,
                bool bDatanorm);

  // The tag of an article from "TGA-Nummer" of the sheet: false when the
  // article, the sheet or the row is not there.
  bool GetTGANummer(CString& out, int nSheet, const wchar_t* pArticle);

  // The record table of kind name that the tag selects in the sheet: "100"
  // (slot 0), "110" (slot 1 below it), "700..." (slot 15 below the 110), or
  // one of the 700's 710.xx records (docs/vdi.md lists their slots). Null
  // when the kind has no slot or a table on the way is missing.
  CMatTable* GetRecordTable(std::wstring_view tag, int nSheet, std::wstring_view name);

  // Appends to lists the values the rows of the table "Artikelliste" below
  // the product's 700 record (slot 15) offer for slots 2 to 31: from every
  // row whose tag agrees with every slot of the given tag above 0, each
  // slot the given tag leaves open (below 1) or has alike, once per value.
  // A slot the row's tag leaves unknown offers nothing.
  void GetSlotChoices(std::wstring_view tag, CTgaSlotChoices& lists, CMatTable* pProduct);

 private:
  CMatStore& Store() const;

  CTgaArticles& m_Articles;
  CMatStore* m_pStore;
};

// The exported service class, on the process-wide objects. Null pointers
// are refused (0, null, false or no change); slot numbers outside 0 to 31
// read 0 and write nothing.
class Cvdi3805Man {
 public:
  // getBlattNr, getDatanormNummer (GetNumber with bDatanorm),
  // getArtikelNummer, getTGANummer, getRecordTable and getSlotChoices do
  // what the members of CVdiSheetManager above do.
  static int getBlattNr(CString name);
  static int getDatanormNummer(CString& out, const wchar_t* tag, CMatTable* product, int sheetNr);
  static int getArtikelNummer(CString& out, const wchar_t* tag, CMatTable* product, int sheetNr);
  // vdi/tga_slots.h.
  static bool fillMissingTGAtags(CMatTable* sheetTable, CString& tag);

  // Slot n of the tag: its number, -1 for "?", 0 when the tag has fewer
  // than n + 1 groups.
  static int getTGAslot(const wchar_t* tag, int n);
  // Sets slot n to value and writes the tag back with 32 slots for mode 3,
  // else with 18 (a slot beyond the 18th is then dropped).
  static void setTGAslot(CString& tag, int n, int value, int mode);

  static bool getTGANummer(CString& out, int sheetNr, const wchar_t* article);
  static CMatTable* getRecordTable(const wchar_t* tag, int sheetNr, const wchar_t* name);
  static void getSlotChoices(const wchar_t* tag, CTgaSlotChoices* lists, CMatTable* product);

  // The variant tree of a product table. Without a parent: the root kept
  // for the table (under its present table tree), else a new root (record
  // 110) entered into the list of roots; with a parent: that node is filled
  // from the table's records and returned. Null for a null table.
  static Cvdi3805Tag* createVariantTree(Cvdi3805Tag* parent, CMatTable* table);
  // Fills the tag's variant slots from the tree: a slot of a 200 ... 500
  // group names a record of the root, else (below 1) its default; the
  // group's sub-record slots keep a record the taken one has, else take its
  // default, first or 0. A reset first clears slots 3 to 14. Written back
  // with 18 slots. Nothing changes for a null root or a root whose tables
  // are gone.
  static void completeTGAtag(CString& tag, Cvdi3805Tag* root, bool reset);
  // A new node; one of record 110 enters the list of roots. Delete it with
  // deleteTag.
  static Cvdi3805Tag* createTag(VdiRecordId recordId);
  // Deletes the node and its subtree: a root leaves the list of roots, any
  // other node its parent's children.
  static void deleteTag(Cvdi3805Tag* tag);
};
