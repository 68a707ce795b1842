// The subcommand groups of the orvamat tool. Each lives in its own
// *_command.cpp and registers itself on the application.
#pragma once

#include <CLI/CLI.hpp>

void AddDemoCommand(CLI::App& app);
// tables, get, find: the query interface (cli/query_command.cpp).
void AddQueryCommands(CLI::App& app);
// mmtb check, mmtb roundtrip: MMTB text tables (cli/mmtb_command.cpp).
void AddMmtbCommands(CLI::App& app);
// mmd info|dump|import-mmtb, dataset list|open|close|exclude (cli/mmd_command.cpp).
void AddMmdCommands(CLI::App& app);
// import datanorm, article (cli/datanorm_command.cpp).
void AddDatanormCommands(CLI::App& app);
// import vdi, vdi products (cli/vdi_command.cpp).
void AddVdiCommands(CLI::App& app);
// formula check|disasm|run (cli/formula_command.cpp).
void AddFormulaCommands(CLI::App& app);
// script run: script files of dataset commands (cli/script_command.cpp).
void AddScriptCommands(CLI::App& app);
// set show: article sets filled from set tables (cli/set_command.cpp).
void AddSetCommands(CLI::App& app);
// import bdh, bdh models|variants: BDH-2 radiator catalogues (cli/bdh_command.cpp).
void AddBdhCommands(CLI::App& app);
// import tables, import articles, import insulation: workbooks (cli/workbook_command.cpp).
void AddWorkbookCommands(CLI::App& app);
// dialog datasets, dialog choose: the dialogs of libOrvaMatDialogs.so (cli/dialog_command.cpp).
void AddDialogCommands(CLI::App& app);
