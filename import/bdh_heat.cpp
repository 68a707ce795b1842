// The heat output of a size variant at the design temperatures, and the
// water mass flow that carries it.
#include <algorithm>
#include <climits>
#include <cmath>

#include "import/bdh_model.h"

namespace {

constexpr double kSupply = 70;
constexpr double kReturn = 55;
constexpr double kRoom = 20;
// The logarithmic temperature difference of the catalogue's nominal outputs.
constexpr double kNominalDifference = 59.44;

// Specific heat of water every 10 degrees from 0 to 120.
constexpr double kSpecificHeat[] = {4195, 4188, 4183, 4180, 4179, 4180, 4183,
                                    4188, 4195, 4205, 4216, 4230, 4246};

// The whole number part of output + 0.5; an output no int can hold is held
// at the int range, and one that is no number at all gives 0.
int RoundOutput(double dOutput) {
  const double d = dOutput + 0.5;
  if (std::isnan(d)) return 0;
  if (d >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (d <= static_cast<double>(INT_MIN)) return INT_MIN;
  return static_cast<int>(d);
}

}  // namespace

double BdhConversionFactor(double dExponent) {
  const double dMean = (kSupply - kReturn) / std::log((kSupply - kRoom) / (kReturn - kRoom));
  return std::pow(dMean / kNominalDifference, dExponent);
}

double WaterSpecificHeat(double dTemp) {
  if (dTemp > 200) dTemp -= 273.15;
  if (std::isnan(dTemp)) dTemp = 0;
  dTemp = std::clamp(dTemp, 0.0, 120.0);
  const int i = std::min(static_cast<int>(dTemp / 10), 11);
  const double dShare = (dTemp - 10.0 * i) / 10.0;
  return kSpecificHeat[i] + dShare * (kSpecificHeat[i + 1] - kSpecificHeat[i]);
}

CBdhHeat ComputeBdhHeat(const CBdhVariant& v) {
  CBdhHeat heat;
  const double dQ = v.m_fOutput;
  const double dLength = v.m_nLength;
  const double f = BdhConversionFactor(v.m_fExponent);
  double dOutput = 0;
  switch (v.m_cKind) {
    case L'M':
      dOutput = dLength * dQ / 1000 * f;
      break;
    case L'S':
      // Without an element width there is no element count: no output.
      dOutput = v.m_nWidth > 0 ? dLength / v.m_nWidth * dQ * f : 0;
      break;
    case L'E':
      dOutput = dQ;
      heat.nReturnTemp = 0;
      break;
    default:
      dOutput = dQ * f;
      break;
  }
  // The partial length's share of the output gives b percent less; without
  // a length there is no share to take.
  if (v.m_nPartial != 0 && v.m_nLength != 0) {
    const double dShare = v.m_nPartial / dLength * dOutput;
    dOutput = (100.0 - v.m_nReduced) * dShare / 100 + (dOutput - dShare);
  }
  heat.nOutput = RoundOutput(dOutput);
  const double dMean = (heat.nReturnTemp + kSupply) / 2;
  heat.dMassFlow =
      heat.nOutput * 3600.0 / (WaterSpecificHeat(dMean) * (kSupply - heat.nReturnTemp));
  return heat;
}
