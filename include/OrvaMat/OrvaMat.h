// The one header a host includes: the types, the tables and CMatManager.
#pragma once

#include "OrvaMat/article.h"
#include "OrvaMat/datasets.h"
#include "OrvaMat/exports.h"
#include "OrvaMat/formula.h"
#include "OrvaMat/mat_manager.h"
#include "OrvaMat/mat_table.h"
#include "OrvaMat/mat_text.h"
#include "OrvaMat/row_map.h"
#include "OrvaMat/script.h"
#include "OrvaMat/types.h"
