// The cross-reference tables of a sheet, as the reader makes them from
// records 800/810 and createTGAreferences fills them from the TGA function:
// "TGA-Nummer" (an article number's row: the TGA tag and the 810 body) and
// "TGA-800to810" (an 800 record's 810 bodies with their article numbers).
#pragma once

#include <cstdint>

#include "OrvaMat/types.h"

namespace vditga {

struct CTableDef {
  const wchar_t* pName;
  const std::uint32_t* pStrucDef;  // field count, then the field types
  const wchar_t* pText;            // the table's description
};

inline constexpr std::uint32_t kNummerFields[] = {2, eTypeHandle, eTypeString};
inline constexpr std::uint32_t k800to810Fields[] = {2, eTypeString, eTypeString};

inline constexpr CTableDef kNummer = {
    L"TGA-Nummer", kNummerFields,
    L"Verweis von Artikelnummer zur TGA info\r\n[0] TGA-Nummer\r\n[1] Datensatz 810\r\n"};
inline constexpr CTableDef k800to810 = {
    L"TGA-800to810", k800to810Fields,
    L"Verweis von 800er zu 810er Datenätzen\r\n[0] Datensatz 810\r\n[1] Artikelnummer\r\n"};

}  // namespace vditga
