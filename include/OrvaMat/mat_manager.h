// CMatManager: the exported interface of the store, static functions only.
// The numbers in the comments are the export ordinals (frozen).
//
// Handles are passed as unsigned long and always hold a 32-bit Handle.
// Texts returned as const wchar_t* live in the dataset that holds them and
// stay valid until it is closed, unless the call says otherwise. Every call
// that takes a table accepts null and then answers eMatNoTable (6) or an
// empty result; every call that takes a handle first makes its dataset the
// current one, and it stays current afterwards.
#pragma once

#include <cstdint>

#include "OrvaMat/datasets.h"
#include "OrvaMat/mat_table.h"
#include "OrvaMat/mat_text.h"
#include "OrvaMat/types.h"

class ORVAMAT_API CMatManager : public CMatDatasetCalls {
 public:
  CMatManager() = delete;

  // ---- handles and names
  // 62: a new handle for the text in the current dataset (leading spaces
  // skipped); 0 for an empty text or no current dataset. Never looks for an
  // existing handle of the same text.
  static unsigned long CreateHandle(const wchar_t* text);
  // 61: the handle of a text, 0 if none; "ID\name" looks in the dataset of
  // that manufacturer ID and makes it current.
  static unsigned long FindHandle(const wchar_t* text);
  // 77 (by name): FindHandle, else CreateHandle.
  static unsigned long GetOrCreateHandle(const wchar_t* text);
  // 60: the handle's text, or null.
  static const wchar_t* HdlToString(unsigned long handle);
  // 63: gives an existing handle a new text.
  static void RenameHandle(unsigned long handle, const wchar_t* text);
  // 65: removes the handle as a row from the dataset's top-level tables and
  // their children, then its name. 1 for a handle of no dataset, 15 locked.
  static eMatManager RemoveHandle(unsigned long handle);

  // ---- tables
  // 44: a new table under parent (null: top level of the current dataset);
  // null when the dataset is locked by another user.
  static CMatTable* CreateTable(CMatTable* parent, const wchar_t* name, int type, int valuesPerRow);
  // 48: moves the table out of the current dataset's tree (it stays alive
  // until the dataset closes); 6 when it is not there, 15 locked.
  static eMatManager RemoveTable(CMatTable* table);
  // 159: a new name (and name handle) for the table; 15 locked.
  static eMatManager RenameTable(CMatTable* table, const wchar_t* name);
  // 43: copies the structure definition def[0] = n, def[1..n] = field types.
  // The elements are 32-bit (std::uint32_t): under LP64 an unsigned long
  // array would not have the layout the definition has.
  static eMatManager SetStrucDef(CMatTable* table, const std::uint32_t* def);
  // 25: adds the pair (alias, path) to the current dataset's aliases.
  static void AddAlias(const wchar_t* alias, const wchar_t* path);
  // 108 (by name): sets the table's comment.
  static void SetBeschreibung(CMatTable* table, const wchar_t* text);

  // ---- rows and values
  // 31: adds the row (value 0) unless it is there.
  static eMatManager AddRow(CMatTable* table, unsigned long row);
  // 51: removes the row; 7 when it is not there or the table keeps no rows.
  static eMatManager RemoveRow(CMatTable* table, unsigned long row);
  // 11: the 32-bit cell. Text cells (StringArray, StrLine) have no 32-bit
  // form: they give 10; read them with GetStringPtr.
  static eMatManager GetValue(unsigned long& out, CMatTable* table, unsigned long row, int index,
                              int field);
  // 13: the cell as a float.
  static eMatManager GetFloatValue(float& out, CMatTable* table, unsigned long row, int index,
                                   int field);
  // 80: StrLine: the table's text; String and StringArray: the cell's text
  // passed through translation. The address stays valid until the next
  // GetStringPtr call. A cell without text gives "".
  static eMatManager GetStringPtr(const wchar_t*& out, CMatTable* table, unsigned long row,
                                  int index, int field);
  // 58, 37, 35, 59: the cell write with a handle, an integer, a float, a
  // double narrowed to float. Text tables refuse them with 10.
  static eMatManager SetHandleValue(unsigned long value, CMatTable* table, unsigned long row,
                                    int index, int field);
  static eMatManager SetIntValue(int value, CMatTable* table, unsigned long row, int index,
                                 int field);
  static eMatManager SetFloatValueF(float value, CMatTable* table, unsigned long row, int index,
                                    int field);
  static eMatManager SetFloatValue(double value, CMatTable* table, unsigned long row, int index,
                                   int field);
  // 36: the cell write with a text; 10 for tables that hold no texts.
  static eMatManager SetStringValueW(const wchar_t* text, CMatTable* table, unsigned long row,
                                     int index, int field);
  // 38: the same, true on success.
  static bool SetStringValue(CMatTable* table, unsigned long row, int index, int field,
                             const wchar_t* text);

  // ---- text format (store/mmtb/mat_text_writer.cpp)
  // 113: appends the MMTB block of the table, its descendants' blocks nested
  // inside, to lines. A null table appends nothing.
  static void WriteTableText(CMatTable* table, CStringList& lines);
};
