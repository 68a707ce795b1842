// The conditions that decide which accessory entries and articles a
// product is offered (docs/accessories.md, "Conditions"): the entry
// condition of a 930.02 record against the product's TGA tag, and the
// article conditions of 930.04 records against the design values and the
// product's own records. Every field a condition reads beyond the fields
// of its record reads empty, so any record text gives a defined answer.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "OrvaMat/types.h"
#include "vdi/tga_tag.h"

class CMatStore;
class CMatTable;

namespace vdiaccessory {

// The text of a record table (empty when it has none).
CString RecordText(CMatStore& store, CMatTable* pTable);
// Field n of a record text, counted from 1; empty for n below 1 or beyond
// the last field.
std::wstring_view Field(std::wstring_view text, std::int64_t n);
// Whether a table's name begins with prefix.
bool NameBegins(const CMatTable& table, std::wstring_view prefix);
// The first child whose name begins with prefix, null when none.
CMatTable* FirstChildNamed(CMatTable* pParent, std::wstring_view prefix);
// The record "<kind>-<n>" below pParent, by number (also where the file wrote
// the number with leading zeros); null for a negative number or none.
CMatTable* FindNumbered(CMatTable* pParent, std::wstring_view kind, std::int64_t n);

// The groups of a TGA tag split at "-": a group holding "?" counts 0, any
// other its leading decimal number. An empty tag has none.
std::vector<std::int32_t> EntryTagGroups(std::wstring_view tag);

// The entry passes when the tag has no groups, or the entry has no 930.02
// record, or every field i (from 1, up to the number of tag groups) of its
// first 930.02 record that reads as a number other than 0 equals tag group i.
bool PassesEntryCondition(CMatStore& store, CMatTable* pEntry,
                          const std::vector<std::int32_t>& tagGroups);

// What the article conditions are tested against.
struct CArticleContext {
  CMatStore& m_Store;
  CMatTable* m_pProduct;  // the 110 record
  CTgaSlots m_Slots;      // the product's TGA tag
  const std::vector<double>& m_Quantities;
  bool m_bAll;  // offer every article
};

// The article passes when `all` is set, when it has no 930.04 record, or
// when, of the groups its 930.04 conditions form (by their field 1), at
// least one has every condition hold.
bool PassesArticleCondition(const CArticleContext& context, CMatTable* pArticle);

}  // namespace vdiaccessory
