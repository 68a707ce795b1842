// The one header a host includes: the types, the tables and CMatManager.
#pragma once

#include "OrvaMat/exports.h"
#include "OrvaMat/mat_manager.h"
#include "OrvaMat/mat_table.h"
#include "OrvaMat/row_map.h"
#include "OrvaMat/types.h"
