// Completing a partly known TGA tag by the record tree of a sheet: every
// level of the product is looked up by its slot, and a level whose slot is
// unknown takes its first record, so that a host can name a product by its
// 100 and 110 records alone and get a configuration that exists.
#pragma once

#include <cstdint>

#include "OrvaMat/types.h"
#include "vdi/tga_tag.h"

class CMatTable;

// Walks the levels in slot order below the sheet table: 100, 110, then
// 160, 200, 300, 400, 500 and 700 below the 110, their 250/260 ... 550/560
// and 760 records, then the 710.xx groups of the sheet (by the sheet
// table's name). A level is the table "<kind>-<slot>" below its parent; a
// level whose slot is unknown takes the first record of its kind. A found
// level sets its slot to the number in its name; a missing level skips the
// levels below it. False when the 100 or the 110 record is missing (the
// slots may be partly filled then). A 710.xx group is looked for where the
// sheet hangs it: below the 700, or below another 710.xx record of the
// group found before (the 710.11 records below their 710.01 record).
bool FillTgaSlots(CMatTable* pSheet, CTgaSlots& slots);

// The exported forms: fillTGAslots completes the 32 slots at pSlots in
// place (false also for null arguments); fillMissingTGAtags parses the
// tag, completes it, sets every slot still unknown to 0 and writes it back
// with 32 slots; false (tag unchanged) when it can not be completed.
bool fillTGAslots(CMatTable* pSheet, std::int32_t* pSlots);
bool fillMissingTGAtags(CMatTable* pSheet, CString& tag);
