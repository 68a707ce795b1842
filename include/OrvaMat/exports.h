// The entry points of libOrvaMat.so by export ordinal. Ordinals never
// change; a host written against ordinals asks for an entry's address here.
//
// Static functions are plain functions. A member function, constructor or
// destructor of an exported class is reached through an entry that takes the
// object as its first argument (for a constructor: the memory to build it
// in), followed by the member's own arguments.
#pragma once

#include "OrvaMat/types.h"

// The address of the entry point of that ordinal, null for an ordinal that
// names none.
extern "C" ORVAMAT_API void* OrvaMatProcByOrdinal(unsigned ordinal);
