#include "scriptfile/script_importers.h"

#include <array>
#include <cstddef>

namespace {

std::array<CScriptImporter, 3>& Importers() {
  static std::array<CScriptImporter, 3> importers{};
  return importers;
}

}  // namespace

void RegisterScriptImporter(eScriptImporter kind, CScriptImporter importer) {
  Importers()[static_cast<std::size_t>(kind)] = importer;
}

CScriptImporter FindScriptImporter(eScriptImporter kind) {
  return Importers()[static_cast<std::size_t>(kind)];
}
