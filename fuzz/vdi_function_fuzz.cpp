// libFuzzer target: product functions as a manufacturer's file brings them.
// The input's lines become the 610 records (the function bodies) of the
// product of a small sheet-22 file, below the 600 records that declare
// TGA_810; a line "#" splits the input, and the lines before it are the 600
// records instead. The file is read, the product's function list compiled
// and its TGA function run through getArtikelnummern and over every
// configuration through createTGAreferences, each run under a step bound.
// No input may crash, hang or allocate without bound.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "formula/formula_context.h"
#include "platform/recording_host_ui.h"
#include "store/base/translation.h"
#include "store/mat_store.h"
#include "vdi/record_access.h"
#include "vdi/tga_articles.h"
#include "vdi/tga_functions.h"
#include "vdi/vdi_reader.h"

namespace {

constexpr std::string_view kHead =
    "010;22;Blatt;Hersteller;\r\n100;1;Reihe;\r\n110;1;Produkt;\r\n200;1;links;\r\n"
    "200;2;rechts;\r\n300;1;Stufe;\r\n400;1;Aufstellung;\r\n500;1;Regelung;\r\n"
    "700;1;Betriebspunkt;\r\n710.01;1;8,1;4,2;\r\n710.01;2;7,9;4,1;\r\n760;1;Zubehoer;\r\n";
constexpr std::string_view kDeclarations =
    "CHARACTER (58) T\nCHARACTER (100) R(5)\nINTEGER FUNCTION TGA_810(T, R)";

std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    text.remove_prefix(std::min(end + 1, text.size()));
  }
  return lines;
}

void Records(std::string& file, const char* pType, std::string_view text) {
  int n = 0;
  for (const std::string_view line : Lines(text)) {
    file += pType;
    file += ';' + std::to_string(++n) + ';';
    file += line;
    file += "\r\n";
  }
}

// The first 110 record below a 100 record of the first sheet.
CMatTable* FirstProduct(CMatDatenSatz& dataset) {
  for (const auto& pSheet : dataset.m_Tables) {
    for (const auto& pSeries : pSheet->m_Children) {
      if (pSeries->m_strName.rfind(L"100-", 0) != 0) continue;
      for (const auto& pProduct : pSeries->m_Children) {
        if (pProduct->m_strName.rfind(L"110-", 0) == 0) return pProduct.get();
      }
    }
  }
  return nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 16 * 1024) return 0;
  static CRecordingHostUI ui;
  static CTranslationManager translation(L"");
  CScopedHostUI scopedUI(ui);
  CScopedTranslationManager scopedTranslation(translation);
  CScopedMatStore scope;
  CMatStore& store = scope.Get();
  CMatDatenSatz* pDataset = store.AddDataset(std::make_unique<CMatDatenSatz>());
  store.SetCurrent(pDataset);

  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t split = input.find("\n#\n");
  std::string file(kHead);
  Records(file, "600", split == std::string_view::npos ? kDeclarations : input.substr(0, split));
  Records(file, "610", split == std::string_view::npos ? input : input.substr(split + 3));
  CVdiReader reader(&store);
  reader.ReadBytes(file);

  CFormulaContext context;
  context.m_nMaxRunSteps = 200000;
  CVdiRecordAccess access(&context, &store);
  context.m_pRecordAccess = &access;
  CTgaFunctions functions(&context, &store);
  CTgaArticles articles(functions, &store);
  if (CMatTable* pProduct = FirstProduct(*pDataset)) {
    CString text;
    std::vector<CTgaArticle> found;
    articles.GetArtikelnummern(text, L"1-1-2-1-1-1-1-1-1", pProduct, &found);
    articles.CreateTGAreferences(pProduct);
  }
  ui.Clear();
  return 0;
}
