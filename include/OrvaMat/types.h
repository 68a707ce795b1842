// Basic types every part of the interface uses.
#pragma once

#include <cstdint>
#include <string>

#if defined(ORVAMAT_BUILDING)
#define ORVAMAT_API __attribute__((visibility("default")))
#else
#define ORVAMAT_API
#endif

// Texts are wide strings; files and terminals see UTF-8 (platform/text.h converts).
using CString = std::wstring;

// The 32-bit name of every table, row and Handle value. 0 means none.
// Top byte: dataset number + 1; low 24 bits: the dataset's running counter.
using Handle = std::uint32_t;

// An iteration position of the GetFirst.../GetNext... calls; null when done.
using POSITION = void*;

// Result code of the interface calls. The numbers are frozen.
enum eMatManager : std::int32_t {
  eMatOk = 0,
  eMatNoHandle = 1,
  eMatIndex = 2,
  eMatField = 3,
  eMatNoItem = 4,
  eMatNoTable = 6,
  eMatNoRow = 7,
  eMatNoDataset = 8,
  eMatWrongType = 10,
  eMatEmptyHandle = 12,
  eMatClosed = 13,
  eMatHidden = 14,
  eMatLocked = 15,
};

// Value type codes of a table (frozen: they are stored in database files).
enum eMatType : std::uint32_t {
  eTypeHandle = 0,
  eTypeString = 1,
  eTypeInteger = 2,
  eTypeFloat = 3,
  eTypeStruct = 4,
  eTypeBit = 5,
  eTypeVoid = 6,
  eTypeStringArray = 7,
  eTypeDWordArray = 8,
  eTypeStrLine = 9,
  eTypeUniString = 10,
};
