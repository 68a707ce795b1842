// The subcommand groups of the orvamat tool. Each lives in its own
// *_command.cpp and registers itself on the application.
#pragma once

#include <CLI/CLI.hpp>

void AddDemoCommand(CLI::App& app);
// tables, get, find: the query interface (cli/query_command.cpp).
void AddQueryCommands(CLI::App& app);
