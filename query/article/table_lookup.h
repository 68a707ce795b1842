// Finding a table by one name as a host sees it (store/table_names.h has the
// rules): a top-level table of a dataset or a direct child of a table,
// hidden tables left out.
//
// Also the language child of a text table: the child named after the current
// user-interface language, or null when no language is set.
#pragma once

#include <string_view>

#include "OrvaMat/mat_table.h"
#include "store/table_names.h"

class CMatDatenSatz;

// Reads the dataset's tables first when it was added without them.
CMatTable* FindTopTableNamed(CMatDatenSatz& dataset, std::wstring_view name);
CMatTable* FindChildNamed(const CMatTable& parent, std::wstring_view name);
CMatTable* FindLanguageChild(const CMatTable* table);
// The current user-interface language ("" for none).
const CString& GetCurrentLanguage();
