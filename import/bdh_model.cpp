// Models, elements and size variants read from the BDH-2 tables.
#include "import/bdh_model.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "import/bdh_fields.h"
#include "import/bdh_format.h"
#include "query/article/table_lookup.h"
#include "store/mat_store.h"

namespace {

// The cells of one row of a table of the BDH-2 tree.
class CRowCells {
 public:
  CRowCells(CMatStore& store, CMatTable* pTable, Handle hRow)
      : m_Store(store), m_pTable(pTable), m_hRow(hRow) {}
  CRowCells(CMatStore& store, CMatTable* pTable, const wchar_t* pRow)
      : m_Store(store),
        m_pTable(pTable),
        m_hRow(pTable != nullptr ? pTable->m_pDatenSatz->FindHandle(pRow) : 0) {}

  // The number of entries (sub-rows); 0 when the row is missing.
  int Count() const {
    if (m_pTable == nullptr || m_hRow == 0 || m_pTable->m_nType != eTypeStruct) return 0;
    m_Store.GetRowCount(m_pTable);  // reads the body from the file first
    std::uint64_t word = 0;
    if (!m_pTable->FindRow(m_hRow, word)) return 0;
    return static_cast<int>(BlockRowCount(WordToPointer<std::uint32_t>(word)));
  }
  std::uint32_t Cell(int nEntry, int nField) const {
    CCell cell;
    if (m_Store.GetCellValue(m_pTable, cell, m_hRow, nEntry, nField) != eMatOk) return 0;
    return cell.m_nValue;
  }
  int Int(int nEntry, int nField) const { return static_cast<int>(Cell(nEntry, nField)); }
  float Float(int nEntry, int nField) const { return std::bit_cast<float>(Cell(nEntry, nField)); }
  CString Text(int nEntry, int nField) const {
    const std::uint32_t n = Cell(nEntry, nField);
    return m_pTable->m_pDatenSatz->GetPoolText(n).ToString();
  }
  // Every entry of column 0, in entry order.
  std::vector<CString> Texts() const {
    std::vector<CString> texts;
    for (int i = 0, n = Count(); i < n; ++i) texts.push_back(Text(i, 0));
    return texts;
  }

 private:
  CMatStore& m_Store;
  CMatTable* m_pTable;
  Handle m_hRow;
};

CString NameOf(const CMatTable& table) { return CString(TableNameText(table)); }

bool IsStruct(const CMatTable* pTable, std::uint32_t nFields) {
  return pTable != nullptr && pTable->m_nType == eTypeStruct && pTable->GetFieldCount() >= nFields;
}

// The model's "DA-HK-10" values.
void ReadModelRow(CMatStore& store, CBdhModel& model) {
  CMatTable* pData = model.m_pModelTable != nullptr
                         ? FindChildNamed(*model.m_pModelTable, bdh::kModelData)
                         : nullptr;
  if (!IsStruct(pData, 14)) return;
  const CRowCells row(store, pData, bdh::kModelData);
  model.m_nKey1 = row.Int(0, 0);
  model.m_nKey2 = row.Int(0, 1);
  for (int i = 0; i < 4; ++i) model.m_fValues[i] = row.Float(0, 2 + i);
  for (int i = 0; i < 8; ++i) model.m_strTexts[i] = row.Text(0, 6 + i);
}

CBdhElement ReadElement(const CRowCells& row, int nEntry) {
  CBdhElement e;
  e.m_nCol0 = row.Int(nEntry, 0);
  e.m_nCol1 = row.Int(nEntry, 1);
  e.m_nWidth = row.Int(nEntry, bdh::eColWidth);
  e.m_strName = row.Text(nEntry, bdh::eColName);
  for (int i = 0; i < 6; ++i) e.m_fCol[i] = row.Float(nEntry, bdh::eColOutput + i);
  e.m_nPartial = row.Int(nEntry, bdh::eColPartial);
  e.m_nReduced = row.Int(nEntry, bdh::eColReduced);
  e.m_nExtra = row.Int(nEntry, bdh::eColExtra);
  e.m_strBase = row.Text(nEntry, bdh::eColBase);
  e.m_strCol14 = row.Text(nEntry, 14);
  return e;
}

void ReadElements(CMatStore& store, CBdhModel& model) {
  CMatTable* pData = FindChildNamed(*model.m_pModelTable, bdh::kModelData);
  if (pData == nullptr) return;
  for (const auto& pChild : pData->m_Children) {
    CMatTable* pElement = pChild.get();
    if (!IsStruct(pElement, 15)) continue;
    store.GetRowCount(pElement);  // reads the body from the file first
    for (POSITION pos = pElement->GetFirstRowPosition(); pos != nullptr;) {
      std::uint64_t word = 0;
      const Handle hRow = pElement->GetNextRow(pos, word);
      const CRowCells row(store, pElement, hRow);
      for (int i = 0, n = row.Count(); i < n; ++i) model.m_Elements.push_back(ReadElement(row, i));
    }
  }
}

CBdhVariant MakeVariant(const CBdhModel& model, const CBdhElement& e, int nLength) {
  CBdhVariant v;
  v.m_strModel = model.m_strName;
  v.m_nLength = nLength;
  v.m_nWidth = e.m_nWidth;
  v.m_fOutput = e.m_fCol[0];
  v.m_fExponent = e.m_fCol[1];
  v.m_nPartial = e.m_nPartial;
  v.m_nReduced = e.m_nReduced;
  v.m_nExtra = e.m_nExtra;
  v.m_nCol0 = e.m_nCol0;
  v.m_nCol1 = e.m_nCol1;
  v.m_strName = e.m_strName;
  v.m_fCol6 = e.m_fCol[2];
  v.m_fCol7 = e.m_fCol[3];
  v.m_fCol8 = e.m_fCol[4];
  v.m_cKind = static_cast<wchar_t>(model.m_nKey2);
  return v;
}

// Ascending, with a value that is no number after all others.
bool FloatLess(float a, float b) {
  if (std::isnan(a) || std::isnan(b)) return !std::isnan(a) && std::isnan(b);
  return a < b;
}

bool VariantLess(const CBdhVariant& a, const CBdhVariant& b) {
  if (a.m_nCol1 != b.m_nCol1) return a.m_nCol1 < b.m_nCol1;
  if (FloatLess(a.m_fOutput, b.m_fOutput)) return true;
  if (FloatLess(b.m_fOutput, a.m_fOutput)) return false;
  return a.m_nLength < b.m_nLength;
}

}  // namespace

std::vector<CBdhModel> ListBdhModels(CMatStore& store, CMatDatenSatz& dataset) {
  std::vector<CBdhModel> models;
  CMatTable* pTop = FindTopTableNamed(dataset, bdh::kTop);
  if (pTop == nullptr) return models;
  for (const auto& pSeries : pTop->m_Children) {
    for (const auto& pModel : pSeries->m_Children) {
      CBdhModel model;
      model.m_strSeries = NameOf(*pSeries);
      model.m_strName = NameOf(*pModel);
      model.m_pSeriesTable = pSeries.get();
      model.m_pModelTable = pModel.get();
      ReadModelRow(store, model);
      models.push_back(std::move(model));
    }
  }
  return models;
}

void AppendBdhLengths(std::wstring_view entry, std::vector<std::uint16_t>& lengths) {
  for (const std::wstring_view field : SplitBdhFields(entry)) {
    bool bNumber = false;
    const int n = CBdhLine::ParseInt(field, &bNumber);
    if (bNumber && n >= 0 && n <= 0xFFFF) lengths.push_back(static_cast<std::uint16_t>(n));
  }
}

std::vector<int> ExpandBdhLengths(const CBdhModel& model, int nWidth, std::size_t nMax,
                                  bool& bCut) {
  std::vector<int> lengths;
  const auto add = [&](int n) {
    if (n <= 0) return true;
    if (lengths.size() >= nMax) {
      bCut = true;
      return false;
    }
    lengths.push_back(n);
    return true;
  };
  if (model.m_Lengths.empty()) {
    // A unit sold whole may have no width at all; it is a size all the same.
    lengths.push_back(nWidth);
  } else if (!model.m_bTriples) {
    for (const std::uint16_t n : model.m_Lengths)
      if (!add(n)) break;
  } else {
    for (std::size_t i = 0; i + 2 < model.m_Lengths.size(); i += 3) {
      const int nFrom = model.m_Lengths[i];
      const int nTo = model.m_Lengths[i + 1];
      const int nStep = model.m_Lengths[i + 2];
      // A step of 0 would never reach the end: it names its start only.
      if (nStep <= 0) {
        if (nFrom <= nTo && !add(nFrom)) break;
        continue;
      }
      bool bGoOn = true;
      for (int n = nFrom; n <= nTo && bGoOn; n += nStep) bGoOn = add(n);
      if (!bGoOn) break;
    }
  }
  return lengths;
}

bool LoadBdhModel(CMatStore& store, CBdhModel& model, CMatTable* pModelTable) {
  CBdhModel loaded;
  if (pModelTable == nullptr || pModelTable->m_pParent == nullptr) {
    loaded.m_strName = model.m_strName;
    model = std::move(loaded);
    return false;
  }
  loaded.m_pModelTable = pModelTable;
  loaded.m_pSeriesTable = pModelTable->m_pParent;
  loaded.m_strName = NameOf(*pModelTable);
  loaded.m_strSeries = NameOf(*loaded.m_pSeriesTable);
  ReadModelRow(store, loaded);

  CMatTable* pSeries = loaded.m_pSeriesTable;
  for (const CString& entry : CRowCells(store, pSeries, bdh::kLengths).Texts())
    AppendBdhLengths(entry, loaded.m_Lengths);
  const std::vector<CString> triples = CRowCells(store, pSeries, bdh::kTriples).Texts();
  for (const CString& entry : triples) AppendBdhLengths(entry, loaded.m_Lengths);
  loaded.m_bTriples = !triples.empty();
  loaded.m_Bestellg1t1 = CRowCells(store, pSeries, bdh::kFixedRule).Texts();
  loaded.m_Bestellg1t2 = CRowCells(store, pSeries, bdh::kFillerRule).Texts();
  loaded.m_Bestellg2 = CRowCells(store, pSeries, bdh::kDigitsRule).Texts();

  ReadElements(store, loaded);
  CMatDatenSatz& dataset = *pModelTable->m_pDatenSatz;
  for (const CBdhElement& e : loaded.m_Elements) {
    const std::size_t nRoom = kBdhMaxVariants - loaded.m_Variants.size();
    for (const int nLength : ExpandBdhLengths(loaded, e.m_nWidth, nRoom, loaded.m_bVariantsCut)) {
      CBdhVariant v = MakeVariant(loaded, e, nLength);
      v.m_bOrderNumber = BuildBdhOrderNumber(loaded, v, e.m_strBase, v.m_strOrderNumber);
      if (v.m_bOrderNumber && !v.m_strOrderNumber.empty())
        v.m_hArticle = dataset.FindHandle(v.m_strOrderNumber.c_str());
      const CBdhHeat heat = ComputeBdhHeat(v);
      v.m_nReturnTemp = heat.nReturnTemp;
      v.m_nHeatOutput = heat.nOutput;
      v.m_dMassFlow = heat.dMassFlow;
      loaded.m_Variants.push_back(std::move(v));
    }
  }
  std::stable_sort(loaded.m_Variants.begin(), loaded.m_Variants.end(), VariantLess);
  model = std::move(loaded);
  return true;
}
