// Finding a table by one name: a top-level table of a dataset or a direct
// child of a table, compared without regard to case, hidden tables left out.
// A name is taken whole: a "." in it is part of the name (DATANORM product
// groups such as "WG_004.050" carry dots), unlike in a table path.
//
// Also the language child of a text table: the child named after the current
// user-interface language, or null when no language is set.
#pragma once

#include <string_view>

#include "OrvaMat/mat_table.h"

class CMatDatenSatz;

// Reads the dataset's tables first when it was added without them.
CMatTable* FindTopTableNamed(CMatDatenSatz& dataset, std::wstring_view name);
CMatTable* FindChildNamed(const CMatTable& parent, std::wstring_view name);
CMatTable* FindLanguageChild(const CMatTable* table);
// The current user-interface language ("" for none).
const CString& GetCurrentLanguage();
