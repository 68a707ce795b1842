// The one header a host includes: the types, the tables, CMatManager, the
// host UI and the calls on database files, imports, scripts and formulas.
#pragma once

#include "OrvaMat/article.h"
#include "OrvaMat/article_fields.h"
#include "OrvaMat/article_set.h"
#include "OrvaMat/console_host_ui.h"
#include "OrvaMat/database_file.h"
#include "OrvaMat/datasets.h"
#include "OrvaMat/exports.h"
#include "OrvaMat/formula.h"
#include "OrvaMat/formula_file.h"
#include "OrvaMat/host_ui.h"
#include "OrvaMat/import.h"
#include "OrvaMat/mat_manager.h"
#include "OrvaMat/mat_table.h"
#include "OrvaMat/mat_text.h"
#include "OrvaMat/row_map.h"
#include "OrvaMat/script.h"
#include "OrvaMat/text.h"
#include "OrvaMat/tree_ctrl.h"
#include "OrvaMat/types.h"
