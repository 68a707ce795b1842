// The BDH-2 radiator catalogue "HK.DAT" and the tables it becomes: record
// ids, table and row names, structures and column numbers. docs/bdh2.md
// describes the format; the names and structures here are frozen, since
// database files and hosts read them.
#pragma once

#include <cstdint>

#include "OrvaMat/types.h"

namespace bdh {

// Record ids (the first field of a line).
enum eRecord : int {
  eRecHead1 = 5,
  eRecHead2 = 6,
  eRecModel = 10,
  eRecSeries20 = 20,
  eRecLengths = 25,
  eRecTriples = 30,
  eRecSeries33 = 33,
  eRecSeries40 = 40,
  eRecOrder1 = 43,
  eRecIgnored = 46,
  eRecOrder2 = 50,
  eRecElement = 60,
  eRecElement75 = 75,
  eRecElement78 = 78,
  eRecElement81 = 81,
  eRecElement85 = 85,
  eRecElement88 = 88,
  eRecElement91 = 91,
  eRecElement94 = 94,
  eRecElement97 = 97,
};

// The readers' longest field and the order number's buffer (characters,
// its end included).
constexpr int kMaxField = 259;
constexpr int kOrderBuffer = 260;

constexpr const wchar_t* kTop = L"BDH2";
constexpr const wchar_t* kModelData = L"DA-HK-10";
constexpr const wchar_t* kElementData = L"Elementdaten";
constexpr const wchar_t* kElementPrefix = L"ELD";
constexpr const wchar_t* kRowPrefix = L"DA-HK-";
constexpr const wchar_t* kLengths = L"DA-HK-25";
constexpr const wchar_t* kTriples = L"DA-HK-30";
constexpr const wchar_t* kFixedRule = L"Bestellg1t1";
constexpr const wchar_t* kFillerRule = L"Bestellg1t2";
constexpr const wchar_t* kDigitsRule = L"Bestellg2";
// Rows of "BDH2" from records 5 and 6.
constexpr const wchar_t* kHeadRows[] = {L"Herstellername", L"Erstellungsdatum", L"Versionsnummer",
                                        L"Kommentar"};

// Structures: field count, then the field types.
constexpr std::uint32_t kOneString[] = {1, eTypeString};
constexpr std::uint32_t kModelDef[] = {14,          eTypeInteger, eTypeInteger, eTypeFloat,
                                       eTypeFloat,  eTypeFloat,   eTypeFloat,   eTypeString,
                                       eTypeString, eTypeString,  eTypeString,  eTypeString,
                                       eTypeString, eTypeString,  eTypeString};
constexpr std::uint32_t kElementDef[] = {15,           eTypeInteger, eTypeInteger, eTypeInteger,
                                         eTypeString,  eTypeFloat,   eTypeFloat,   eTypeFloat,
                                         eTypeFloat,   eTypeFloat,   eTypeFloat,   eTypeInteger,
                                         eTypeInteger, eTypeInteger, eTypeString,  eTypeString};

// Columns of an element row.
enum eElementColumn : int {
  eColWidth = 2,
  eColName = 3,
  eColOutput = 4,
  eColExponent = 5,
  eColPartial = 10,
  eColReduced = 11,
  eColExtra = 12,
  eColBase = 13,
};

}  // namespace bdh
