// orvamat demo: the store at work.
#include <cstdio>

#include "cli/commands.h"

namespace {

int RunDemo() {
  std::puts("orvamat demo");
  return 0;
}

}  // namespace

void AddDemoCommand(CLI::App& app) {
  auto* demo = app.add_subcommand("demo", "Show the library at work on a small dataset");
  demo->callback([] {
    if (int rc = RunDemo(); rc != 0) throw CLI::RuntimeError(rc);
  });
}
