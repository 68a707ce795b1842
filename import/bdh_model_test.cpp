// Models, size variants, order numbers and heat outputs read back from the
// BDH-2 tables.
#include <gtest/gtest.h>

#include <cmath>

#include "OrvaMat/bdh.h"
#include "import/bdh_test_util.h"

namespace {

// A model of one element whose series has the rows given.
CBdhModel LoadOne(CBdhTestDataset& data, const std::vector<const char*>& seriesRows,
                  const char* pElement = "60|1|1|60|E|-|1000|1,3|0|0|0|0|0|0|0|ABCDEFGHIJ") {
  std::string text = "10|A|-|P|S|M\r\n";
  for (const char* row : seriesRows) text += std::string(row) + "\r\n";
  text += std::string(pElement) + "\r\n";
  data.Import(text);
  return data.Load(L"S", L"A");
}

std::vector<int> LengthsOf(const CBdhModel& model) {
  std::vector<int> lengths;
  for (const CBdhVariant& v : model.m_Variants) lengths.push_back(v.m_nLength);
  return lengths;
}

TEST(BdhLengths, SingleLengthsTriplesAndTheirEdges) {
  struct {
    const char* pName;
    std::vector<const char*> rows;
    std::vector<int> lengths;
  } const cases[] = {
      {"no list: the element width", {}, {60}},
      {"single lengths in order", {"25|1|400|600|", "25|2|1200"}, {400, 600, 1200}},
      {"a triple", {"30|400|1000|200"}, {400, 600, 800, 1000}},
      {"a triple that does not reach its end", {"30|400|1100|300"}, {400, 700, 1000}},
      {"two triples", {"30|400|600|200|2000|2000|1"}, {400, 600, 2000}},
      {"step 0 names its start only", {"30|400|1000|0"}, {400}},
      {"from beyond to gives nothing", {"30|1000|400|200"}, {}},
      {"an incomplete triple gives nothing", {"30|400|1000"}, {}},
      {"a negative step is no length", {"30|400|1000|-200"}, {}},
      {"lengths of 0 and beyond 16 bits are passed", {"25|1|0|70000|-5|abc|500"}, {500}},
      {"the top of the 16-bit range ends", {"30|65500|65535|30"}, {65500, 65530}},
  };
  for (const auto& c : cases) {
    CBdhTestDataset data;
    EXPECT_EQ(LengthsOf(LoadOne(data, c.rows)), c.lengths) << c.pName;
  }
}

// A fuzzed triple list must not yield variants without bound, and the bound
// holds for the model, over all its elements together: a catalogue of a few
// lines must not make a model that takes seconds to load.
TEST(BdhLengths, VariantsStopAtTheirBound) {
  CBdhModel model;
  model.m_Lengths = {1, 65535, 1};
  model.m_bTriples = true;
  bool bCut = false;
  EXPECT_EQ(ExpandBdhLengths(model, 0, 1000, bCut).size(), 1000u);
  EXPECT_TRUE(bCut);
  bCut = false;
  EXPECT_EQ(ExpandBdhLengths(model, 0, 70000, bCut).size(), 65535u);
  EXPECT_FALSE(bCut);
  CBdhTestDataset data;
  data.Import(Lines(
      {"10|A|-|P|S|M", "30|1|6000|1", "60|1|1|100|E1|-|1000|1,3", "60|2|1|100|E2|-|1000|1,3"}));
  const CBdhModel loaded = data.Load(L"S", L"A");
  EXPECT_EQ(loaded.m_Variants.size(), kBdhMaxVariants);
  EXPECT_TRUE(loaded.m_bVariantsCut);
}

// The rules through the import, at their edges; the plain cases of each
// rule are the worked examples of docs/bdh2.md (BdhDocs.TheOrderNumberExamples).
TEST(BdhOrderNumbers, TheThreeRules) {
  struct {
    const char* pName;
    std::vector<const char*> rows;
    const char* pElement;
    const wchar_t* pNumber;  // of the first variant; empty: none
  } const cases[] = {
      {"no rule: the base", {"25|1|1200"}, nullptr, L"ABCDEFGHIJ"},
      {"@SE@ shortened twice", {"25|1|1200", "50|x|1|8|2|@SE@"}, nullptr, L"00000000IJ"},
      {"fixed parts", {"43|1|2|HK||||9|1|Z|||||||||10|1|Q"}, nullptr, L"HKCDEFGHZQ"},
      {"fixed parts of count 0", {"25|1|400", "43|1|0|"}, nullptr, L"ABCDEFGHIJ"},
      {"position 0", {"50|x|0|2|0|@BL@"}, nullptr, L""},
      {"past the 259-character buffer",
       {"50|x|258|3|0|@BL@"},
       "60|1|1|60|E|-|1000|1,3|0|0|0|0|0|0|0|" /* base below */,
       L""},
      {"more digits than eight", {"50|x|1|9|0|@BL@"}, nullptr, L""},
      {"more characters than the kind has", {"50|x|1|5|0|XY"}, nullptr, L""},
      {"negative count", {"43|1|-2|HK"}, nullptr, L""},
      {"huge k ends when the number is 0",
       {"25|1|1200", "50|x|1|2|2147483647|@BL@"},
       nullptr,
       L"00CDEFGHIJ"},
  };
  for (const auto& c : cases) {
    std::string element =
        c.pElement != nullptr ? c.pElement : "60|1|1|60|E|-|1000|1,3|0|0|0|0|0|0|0|ABCDEFGHIJ";
    if (element.back() == '|') element += std::string(258, 'B');
    CBdhTestDataset data;
    const CBdhModel loaded = LoadOne(data, c.rows, element.c_str());
    ASSERT_FALSE(loaded.m_Variants.empty()) << c.pName;
    const CBdhVariant& v = loaded.m_Variants.front();
    EXPECT_EQ(v.m_strOrderNumber, c.pNumber) << c.pName;
    EXPECT_EQ(v.m_bOrderNumber, *c.pNumber != 0) << c.pName;
  }
}

TEST(BdhOrderNumbers, TheArticleHandleIsLookedUpOnly) {
  CBdhTestDataset data;
  const CBdhModel model = LoadOne(data, {"25|1|400|600", "43|1|1|X"});
  ASSERT_EQ(model.m_Variants.size(), 2u);
  EXPECT_EQ(model.m_Variants[0].m_hArticle, 0u);
  EXPECT_EQ(data.Dataset().FindHandle(L"XBCDEFGHIJ"), 0u) << "no handle made";
  CBdhTestDataset known;
  const Handle hKnown = known.Dataset().CreateHandle(L"ABCDEFGHIJ");
  const CBdhModel plain = LoadOne(known, {});
  EXPECT_EQ(plain.m_Variants.at(0).m_hArticle, hKnown);
}

// No division by a width or length of 0, and no output an int can not hold.
TEST(BdhHeat, DegenerateValuesGiveDefinedOutputs) {
  CBdhVariant v;
  v.m_cKind = L'S';
  v.m_nLength = 600;
  v.m_fOutput = 100;
  v.m_fExponent = 1.3f;
  EXPECT_EQ(ComputeBdhHeat(v).nOutput, 0) << "width 0";
  v.m_cKind = L'X';
  v.m_nLength = 0;
  v.m_nPartial = 100;
  EXPECT_EQ(ComputeBdhHeat(v).nOutput, 64) << "length 0: no share of a partial length";
  v.m_cKind = L'M';
  v.m_nLength = 65535;
  v.m_nPartial = 0;
  v.m_fOutput = 3e38f;
  EXPECT_EQ(ComputeBdhHeat(v).nOutput, INT_MAX);
  v.m_fOutput = -3e38f;
  EXPECT_EQ(ComputeBdhHeat(v).nOutput, INT_MIN);
  v.m_fOutput = 100;
  v.m_fExponent = -1e30f;
  EXPECT_EQ(ComputeBdhHeat(v).nOutput, INT_MAX) << "an infinite factor";
  v.m_fExponent = std::nanf("");
  EXPECT_EQ(ComputeBdhHeat(v).nOutput, 0);
}

TEST(BdhHeat, SpecificHeatOfWater) {
  struct {
    double dTemp;
    double dHeat;
  } const cases[] = {{0, 4195},   {35, 4179.5},     {62.5, 4184.25}, {120, 4246}, {-10, 4195},
                     {150, 4246}, {308.15, 4179.5}, {200, 4246},     {105, 4223}};
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(WaterSpecificHeat(c.dTemp), c.dHeat) << c.dTemp;
}

TEST(BdhVariants, SortedByColumn1ThenOutputThenLength) {
  CBdhTestDataset data;
  data.Import(Lines({"10|A|-|P|S|M", "25|1|800|400",
                     "60|1|2|100|b600|-|1150|1,3",  // column 1 = 2
                     "60|2|1|100|a600|-|1150|1,3",  // column 1 = 1, larger q
                     "60|3|1|100|a300|-|625|1,3"}));
  const CBdhModel model = data.Load(L"S", L"A");
  std::vector<std::pair<CString, int>> order;
  for (const CBdhVariant& v : model.m_Variants) order.emplace_back(v.m_strName, v.m_nLength);
  EXPECT_EQ(order, (std::vector<std::pair<CString, int>>{{L"a300", 400},
                                                         {L"a300", 800},
                                                         {L"a600", 400},
                                                         {L"a600", 800},
                                                         {L"b600", 400},
                                                         {L"b600", 800}}));
}

TEST(BdhVariants, TheExportedAccessors) {
  CBdhTestDataset data;
  data.Import(Lines({"10|Typ 22|-|P|S|M", "25|1|400", "60|7|3|100|Hoehe 300|-|625|1,3"}));
  CBdhModelList list;
  ListBdhModels(&list, data.Dataset().GetPrefix());
  ASSERT_EQ(list.m_Models.size(), 1u);
  EXPECT_EQ(list.m_Models[0].m_strSeries, L"S");
  EXPECT_EQ(list.m_Models[0].m_nKey2, L'M');
  CBdhModel* pModel = GetBdhModelObject();
  ASSERT_EQ(LoadBdhModel(pModel, list.m_Models[0].m_pModelTable), pModel);
  const CBdhVariant* v = GetBdhVariant(pModel, 0);
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(GetBdhVariant(pModel, 1), nullptr);
  EXPECT_EQ(GetBdhVariant(pModel, -1), nullptr);
  EXPECT_EQ(GetBdhVariantTitle(v), L"Typ 22, Hoehe 300");
  EXPECT_EQ(GetBdhVariantLength(v), 400);
  EXPECT_EQ(GetBdhVariantCol0(v), 7);
  EXPECT_EQ(GetBdhVariantCol1(v), 3);
  POSITION pos = GetBdhElements(pModel);
  const CBdhElement* e = GetNextBdhElement(pModel, pos);
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->m_strName, L"Hoehe 300");
  EXPECT_EQ(pos, nullptr);
  EXPECT_EQ(LoadBdhModel(nullptr, nullptr), nullptr);
  EXPECT_EQ(LoadBdhModel(pModel, nullptr), pModel);
  EXPECT_TRUE(pModel->m_Variants.empty());
  *pModel = CBdhModel{};
}

}  // namespace
