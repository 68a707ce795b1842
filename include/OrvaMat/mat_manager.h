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

#include "OrvaMat/article.h"
#include "OrvaMat/article_set.h"
#include "OrvaMat/datasets.h"
#include "OrvaMat/dialogs.h"
#include "OrvaMat/mat_table.h"
#include "OrvaMat/mat_text.h"
#include "OrvaMat/script.h"
#include "OrvaMat/types.h"

class ORVAMAT_API CMatManager : public CMatDatasetCalls,
                                public CMatArticleCalls,
                                public CMatArticleSetCalls,
                                public CMatScriptCalls,
                                public CMatDialogCalls {
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
  // passed through translation. The address stays valid until the library is
  // unloaded, even after the dataset is closed or the cell changes (equal
  // texts share one address). A cell without text gives "".
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
  // ==== queries (query/): the path look-up, table structure, value and text
  // reads, names. See query/path_lookup.h for the path syntax.

  // 3: the table the path names, starting under parent (null: the current
  // dataset's top level). 0 found; 6 none; 8 no dataset or no listed dataset
  // of the prefix's ID; 13 that dataset is closed; 14 the table is hidden.
  // *out is null unless the result is 0 (out itself may be null).
  static eMatManager FindTable(CMatTable** out, CMatTable* parent, const wchar_t* path);
  // 1: returns p unchanged.
  static void* TablePointer(void* p);
  // 52: the first position of parent's children (its body loaded first), or
  // of the current dataset's top-level tables for null. Null when empty.
  static POSITION GetFirstTablePosition(CMatTable* parent);
  // 46: the same, loading a parent's body only for StrLine tables and a
  // dataset that is not read yet for null.
  static POSITION GetFirstTablePositionEx(CMatTable* parent);
  // 53, 45: the table at pos, and pos moves on (null after the last). A
  // position is the index of the table in its list, so tables added during
  // an iteration never make it read freed memory.
  static CMatTable* GetNextTable(CMatTable* parent, POSITION& pos);
  // 94: the parent table, null for a top-level or null table.
  static CMatTable* GetParentTable(CMatTable* table);
  // 93, 165: the name handle; 0 for null.
  static unsigned long GetTableHandle(CMatTable* table);
  // 29: the name the table was made with; null for a null or StrLine table.
  // Valid until the table is renamed or destroyed.
  static const wchar_t* GetGivenTableName(CMatTable* table);
  // 164: true when flag bit 2 of the table is clear; false for null.
  static bool IsFlag2Clear(CMatTable* table);
  // 89: makes the table's dataset current; its name text, null for a null
  // table or a name handle without text.
  static const wchar_t* GetTableName(CMatTable* table);
  // 67: "ID\Top.Child.Table"; 6 and "" for null.
  static eMatManager GetTablePath(CString& out, CMatTable* table);
  // 41: the value type code; 2 for null.
  static int GetTableType(CMatTable* table);
  // 154: the type of a cell: the table's type, for Struct the field's type
  // (6 when there is no such field); 2 for null.
  static int GetCellType(CMatTable* table, int field);
  // 19: the type of a Struct field; 6 for null, no definition or no field.
  static int GetStrucFieldType(CMatTable* table, int field);
  // 40: the structure definition (count n, then n type codes), null if none.
  // 32-bit elements, as SetStrucDef takes them.
  static const std::uint32_t* GetStrucDef(CMatTable* table);
  // 34: type is Struct; false for null.
  static bool IsStructTable(CMatTable* table);
  // 42: values per row; 0 for null.
  static int GetValuesPerRow(CMatTable* table);
  // 74 (by name): loads the body; the number of children, or of rows (cells
  // of an array table); 0 for null.
  static int GetItemCount(CMatTable* table, bool children);
  // 73: the three RegStr texts and, in *state, the address of the table's
  // state word, followed by its default item handle. 6 and s1 "" for null.
  static eMatManager GetRegStr(CString& s1, CString& s2, CString& s3, CMatTable* table,
                               void** state);
  // 84: the default item handle; 6 for null, 4 when there is none.
  static eMatManager GetDefaultItem(unsigned long& out, CMatTable* table);
  // 106: the child named by the default item (0), else the first child with
  // flag 4 (0), else the first child (7), else null (7); 6 for null.
  static eMatManager GetDefaultChild(CMatTable** out, CMatTable* table);

  // 9: the first row position (body loaded); null for null, StringArray and
  // StrLine tables and tables without rows.
  static POSITION GetFirstRowPosition(CMatTable* table);
  // 8: the row at pos, pos moves on; 0 for a null table or position.
  static unsigned long GetNextRow(CMatTable* table, POSITION& pos);
  // 107: 0 when the row is there, 7 when not, 6 for null.
  static eMatManager RowExistsEx(CMatTable* table, unsigned long row);
  // 12: the cell as float, widened and rounded to 7 decimals.
  static eMatManager GetRoundedValue(double& out, CMatTable* table, unsigned long row, int index,
                                     int field);
  // 10: GetStringValueEx with translation.
  static eMatManager GetStringValue(CString& out, CMatTable* table, unsigned long row, int index,
                                    int field);
  // 91 (by name): a text cell. With translate and a user-interface language,
  // the table's child named after the language is asked first and its text
  // returned untranslated; otherwise the table's own text, translated when
  // translate is set. 10 for tables of no text type, 3 for a StrLine table
  // with index or field, else the cell read's code. out is left as it is
  // when the cell holds no text.
  static eMatManager GetStringValueEx(CString& out, CMatTable* table, unsigned long row, int index,
                                      int field, int translate);
  // 95 (by name), 188, 152: part `part` (from 1) of the translated text of
  // (row, index, field 0), parts separated by separator; part 0 is the
  // table's name after its first "-". A missing part is "". The number
  // forms read a leading decimal number (0 when there is none); out is 0 on
  // any error. A negative part gives 2.
  static eMatManager GetSubString(double& out, CMatTable* table, unsigned long row, int index,
                                  int part, char separator);
  static eMatManager GetSubStringInt(int& out, CMatTable* table, unsigned long row, int index,
                                     int part, char separator);
  static eMatManager GetSubStringText(CString& out, CMatTable* table, unsigned long row, int index,
                                      int part, char separator);
  // 98: Struct tables: row 0 gives the field count, another row its sub-row
  // count (0 if missing); other tables and null 0.
  static int GetStructRowCount(CMatTable* table, unsigned long row);
  // 123: loads the body; without definition 1; else the row's sub-row count
  // (0 if missing); null 0.
  static int GetStructRowCountEx(CMatTable* table, unsigned long row);

  // 96 (by name): "ID\text" of a handle of an open dataset (made current);
  // out is left as it is for a handle without text.
  static void HdlToHKKey(CString& out, unsigned long handle);
  // 100 (by name): the manufacturer name ("StringTable", row
  // "HERSTELLERNAME") of the table's dataset; 6 for null, 1 and "" when the
  // table has no name handle.
  static eMatManager HerstellerNameEx(CString& out, CMatTable* table, int translate);
  // 101: HerstellerNameEx with translation.
  static eMatManager HerstellerName(CString& out, CMatTable* table);
  // 102: the translated manufacturer name of the handle's dataset; 1 when
  // the handle names no dataset.
  static eMatManager HerstellerNameOfHandle(CString& out, unsigned long handle);
  // 122: the text of the handle's row in the current dataset's
  // "StringTable" (its language child first); 8 without a current dataset,
  // 6 without "StringTable".
  static eMatManager GetStringTableText(CString& out, unsigned long handle);
  // 56: the translated name of a cost type (90-95, 98, 99), "" for other
  // codes. Valid until the library is unloaded.
  static const wchar_t* GetKostenartText(int code);

  // 109 (by name): shows nothing; callers show their own messages.
  static void ShowMatError(eMatManager code, int context);
  // 176: sets a process-wide flag that nothing reads.
  static void SetReadFlag();
};
