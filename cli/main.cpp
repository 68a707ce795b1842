// orvamat: the library from a terminal.
#include <clocale>
#include <cstdio>

#include "cli/commands.h"

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "C.UTF-8");
  CLI::App app{"orvamat - manufacturers' material data: tables, datasets, imports and formulas"};
  app.set_version_flag("--version", std::string("orvamat ") + ORVAMAT_VERSION);
  app.require_subcommand(1);
  AddDemoCommand(app);
  AddQueryCommands(app);
  AddMmtbCommands(app);
  AddMmdCommands(app);
  AddDatanormCommands(app);
  AddFormulaCommands(app);
  AddScriptCommands(app);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e);
  }
  return 0;
}
