// Text reads of the query interface on an explicit store: the cell text with
// its language child and translation, parts of a separated text, a table's
// path and the manufacturer name of a dataset. The exported CMatManager
// calls hand over to these; other subsystems call them directly.
#pragma once

#include <cstdint>

#include "OrvaMat/mat_table.h"
#include "OrvaMat/types.h"

class CMatStore;
class CMatDatenSatz;

// The type of one cell: the table's type, for Struct tables the field's type
// (eTypeVoid when there is no such field); eTypeInteger for null.
std::uint32_t CellTypeOf(const CMatTable* pTable, int nField);

// GetStringValueEx (OrvaMat/mat_manager.h).
eMatManager ReadStringValue(CMatStore& store, CString& out, CMatTable* pTable, Handle hRow,
                            int nIndex, int nField, bool bTranslate);

// Part nPart of a separated text (GetSubStringText).
eMatManager ReadSubString(CMatStore& store, CString& out, CMatTable* pTable, Handle hRow,
                          int nIndex, int nPart, wchar_t cSeparator);

// "ID\Top.Child.Table"; "" for null.
CString TablePathOf(const CMatTable* pTable);

// The manufacturer name of the dataset: row "HERSTELLERNAME" of its
// top-level "StringTable". The dataset becomes current.
eMatManager ReadHerstellerName(CMatStore& store, CString& out, CMatDatenSatz& dataset,
                               bool bTranslate);
