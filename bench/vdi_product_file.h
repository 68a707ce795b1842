// The VDI text of a pump whose two 830 records name groups of accessory
// entries (each with a 930.02 condition on the tag and one article with a
// range condition on a design value and a record condition on the 700
// record, every article with its own 900 record), for the benchmarks of the
// accessory tree and of the dialog that shows it.
#pragma once

#include <string>

inline std::string AccessoryProductFile(int nGroups, int nEntriesPerGroup) {
  std::string file = "010;4;Hersteller\n100;1;Reihe\n110;1;Pumpe\n700;1;Variante;35\n";
  file += "830;1;1\n830;2;2\n";
  for (int n = 1; n <= nGroups * nEntriesPerGroup; ++n)
    file += "900;" + std::to_string(n) + ";A-" + std::to_string(n) + ";;;;;Artikel " +
            std::to_string(n) + ";;;Stahl\n";
  // Groups 1 and 2 hold the first entries and lead on to the others.
  for (int g = 1; g <= nGroups; ++g) {
    file += "930;" + std::to_string(g) + ";Gruppe " + std::to_string(g) + "\n";
    for (int e = 1; e <= nEntriesPerGroup; ++e) {
      const int n = (g - 1) * nEntriesPerGroup + e;
      file += "930.01;" + std::to_string(e) + ";Eintrag " + std::to_string(n) + ";0\n";
      file += "930.02;" + std::to_string(e) + ";0;1\n";
      file += "930.03;1;" + std::to_string(n) + ";1;1;Stk;;0\n";
      file += "930.04;1;1;1;0;10;100\n930.04;2;2;2;;;;700;4;1;0;50\n";
    }
    if (g + 2 <= nGroups)
      file += "930.01;" + std::to_string(nEntriesPerGroup + 1) + ";weiter;" +
              std::to_string(g + 2) + "\n";
  }
  return file;
}
