// What the article calls share: the tables of the article's dataset and the
// reads of text and handle cells with the language child first.
#pragma once

#include <string_view>

#include "OrvaMat/mat_table.h"
#include "OrvaMat/types.h"

class CMatStore;
class CMatDatenSatz;

// The article's dataset made current, and its tables by name.
class CArticleContext {
 public:
  // Makes the dataset of the handle current (a handle of no dataset leaves
  // the current one).
  CArticleContext(CMatStore& store, Handle hArticle);

  CMatStore& Store() const { return m_Store; }
  CMatDatenSatz* Dataset() const { return m_pDataset; }
  // A top-level table of the current dataset, or null.
  CMatTable* Table(std::wstring_view name) const;

 private:
  CMatStore& m_Store;
  CMatDatenSatz* m_pDataset;
};

// The text of a String cell (a String table, or a String field of a Struct
// table). Result of the cell read (10 for a cell that holds no text); out
// is set only when the cell holds a text. With translate the text passes
// through the translation module. A null table gives 6.
eMatManager ReadTextCell(CMatStore& store, CMatTable* pTable, Handle hRow, int index, int field,
                         bool translate, CString& out);
// The same, first from the table's language child (untranslated there) and,
// when that has no text for the row, from the table itself.
eMatManager ReadTextPreferLanguage(CMatStore& store, CMatTable* pTable, Handle hRow, int index,
                                   int field, bool translate, CString& out);
// A 32-bit cell; an empty Handle field reads 0 with result 12.
eMatManager ReadCell(CMatStore& store, CMatTable* pTable, Handle hRow, int index, int field,
                     std::uint32_t& out);
