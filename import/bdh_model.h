// The read side of the BDH-2 tables (docs/bdh2.md): models listed from the
// series tables under "BDH2", a model loaded with its lengths, order-number
// rules, elements and size variants, and what a variant computes: its order
// number and its heat output.
#pragma once

#include <vector>

#include "OrvaMat/bdh.h"

class CMatDatenSatz;
class CMatStore;

// One model per model table of every series table under "BDH2" of the
// dataset, with the values of its "DA-HK-10" row.
std::vector<CBdhModel> ListBdhModels(CMatStore& store, CMatDatenSatz& dataset);

// Loads the model of the model table (its parent is the series table) into
// model, replacing what it held. False for a null table or one without a
// parent; model keeps the name and is empty then.
bool LoadBdhModel(CMatStore& store, CBdhModel& model, CMatTable* pModelTable);

// The length list of the entries of a series' "DA-HK-25" and "DA-HK-30"
// rows: every "|" field that holds a number from 0 to 65535, in order. A
// field without a number, or with one that is no 16-bit length, is passed.
void AppendBdhLengths(std::wstring_view entry, std::vector<std::uint16_t>& lengths);

// The lengths one element gets: with no list its width; with single
// lengths each one; with triples from, from + step, ... up to to (a step
// that is not positive gives from alone; a triple left incomplete at the
// end of the list gives nothing). A listed length of 0 gives no variant. At most
// nMax lengths; bCut tells that more would have come.
std::vector<int> ExpandBdhLengths(const CBdhModel& model, int nWidth, std::size_t nMax, bool& bCut);

// The order number of a variant by the model's rules, from the element's
// base text (at most 259 characters). False, and out empty, when a rule
// points outside the text or can not be applied: no order number is better
// than the number of another radiator.
bool BuildBdhOrderNumber(const CBdhModel& model, const CBdhVariant& variant, const CString& base,
                         CString& out);

// The heat output at supply 70, return 55, room 20 degrees Celsius.
struct CBdhHeat {
  int nReturnTemp = 55;  // t
  int nOutput = 0;       // Q (W)
  double dMassFlow = 0;  // m (kg/h)
};
CBdhHeat ComputeBdhHeat(const CBdhVariant& variant);

// (D / 59.44) ^ n, D the logarithmic mean temperature difference at 70/55/20.
double BdhConversionFactor(double dExponent);

// The specific heat of water (J/(kg K)) at dTemp degrees Celsius (above 200
// taken as kelvin), interpolated in the table of every 10 degrees from 0 to
// 120 and held at its ends.
double WaterSpecificHeat(double dTemp);
