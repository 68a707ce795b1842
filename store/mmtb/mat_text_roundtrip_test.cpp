// Property: a table written as text and read back into another dataset is the
// same table, for generated tables of every type the writer has a form for.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <random>
#include <string>

#include "OrvaMat/mat_manager.h"
#include "platform/temp_folder.h"
#include "platform/text.h"
#include "store/mmtb/mmtb_test_util.h"

namespace {

const std::uint32_t kTypes[] = {eTypeHandle,    eTypeString,      eTypeInteger,   eTypeFloat,
                                eTypeStruct,    eTypeBit,         eTypeVoid,      eTypeStrLine,
                                eTypeUniString, eTypeStringArray, eTypeDWordArray};
const std::uint32_t kFieldTypes[] = {eTypeHandle, eTypeString, eTypeInteger,
                                     eTypeFloat,  eTypeBit,    eTypeUniString};

class MatTextRoundTrip : public CMmtbTest {
 protected:
  std::uint32_t Random(std::uint32_t nBelow) { return m_Random() % nBelow; }

  // Texts of letters, digits, blanks and punctuation (none of "(", ")" and
  // "*", which the writer warns about), with CR LF where the field takes it.
  CString RandomText(bool bMultiLine) {
    static const CString kChars = L"abcXYZ019 äöüß.,;:_-+/\\[]{}<>!?'\"#%&=\x263A\t";
    CString text;
    const std::uint32_t nLength = Random(12);
    for (std::uint32_t i = 0; i < nLength; ++i) {
      if (bMultiLine && Random(10) == 0) text += L"\r\n";
      text += kChars[Random(static_cast<std::uint32_t>(kChars.size()))];
    }
    return text;
  }
  CString UniqueName() {
    CString name = RandomText(false);
    while (!name.empty() && (name[0] == L' ' || name[0] == L'\t')) name.erase(0, 1);
    return name + L"#" + std::to_wstring(++m_nNames);
  }
  std::uint32_t RandomCell(std::uint32_t nType) {
    switch (nType) {
      case eTypeHandle:
        return Random(4) == 0 ? 0 : Store().CreateHandle(UniqueName().c_str());
      case eTypeFloat: {
        std::uint32_t n = m_Random();
        float f;
        std::memcpy(&f, &n, 4);
        return std::isnan(f) ? 0x7FC00000u : n;
      }
      default:
        return m_Random();
    }
  }

  // A random cell of the kind nType: a text for the text kinds, else a value.
  void SetRandomCell(CMatTable* pTable, Handle hRow, int nIndex, int nField, std::uint32_t nType) {
    const CString text = RandomText(true);
    if (nType == eTypeString || nType == eTypeUniString) {
      SetText(pTable, hRow, text.c_str(), nIndex, nField);
    } else {
      Set(pTable, hRow, RandomCell(nType), nIndex, nField);
    }
  }

  void FillRow(CMatTable* pTable, Handle hRow) {
    const std::uint32_t nType = pTable->m_nType;
    const bool bText = nType == eTypeString || nType == eTypeUniString;
    if (nType == eTypeVoid || (nType == eTypeStruct && Random(5) == 0)) {
      ASSERT_EQ(Store().AddRow(pTable, hRow), eMatOk);
    } else if (nType == eTypeStruct) {
      for (std::uint32_t s = 0, nSubRows = 1 + Random(3); s < nSubRows; ++s) {
        for (std::uint32_t f = 0; f < pTable->m_pStrucDef[0]; ++f)
          SetRandomCell(pTable, hRow, static_cast<int>(s), static_cast<int>(f),
                        pTable->m_pStrucDef[1 + f]);
      }
    } else {
      for (int i = 0; i < pTable->GetCellsPerRow(); ++i) {
        if (!bText || Random(5) != 0) SetRandomCell(pTable, hRow, i, 0, nType);  // else no text
      }
    }
  }

  CMatTable* RandomTable(CMatTable* pParent, int nDepth) {
    const std::uint32_t nType = kTypes[Random(std::size(kTypes))];
    const bool bSeveral = nType != eTypeStruct && nType != eTypeVoid && nType < eTypeStringArray;
    const int nValuesPerRow = bSeveral ? 1 + static_cast<int>(Random(3)) : 1;
    CMatTable* pTable = Store().CreateTable(pParent, (L"T" + std::to_wstring(++m_nNames)).c_str(),
                                            static_cast<int>(nType), nValuesPerRow);
    pTable->m_strRegStr1 = RandomText(false);
    pTable->m_strBeschreibung = RandomText(true);
    if (nType == eTypeStruct) {
      std::vector<std::uint32_t> def{1 + Random(4)};
      for (std::uint32_t f = 0; f < def[0]; ++f)
        def.push_back(kFieldTypes[Random(std::size(kFieldTypes))]);
      Store().SetStrucDef(pTable, def.data());
    }
    if (nType == eTypeStrLine) {
      Store().SetCellValue(pTable, 0, 0, 0, CCellInput::Text(RandomText(true).c_str()));
    } else if (nType == eTypeStringArray || nType == eTypeDWordArray) {
      for (std::uint32_t i = 0, n = Random(7); i < n; ++i) {
        if (Random(3) == 0) continue;
        const CString text = RandomText(true);
        Store().SetCellValue(pTable, 0, static_cast<int>(i), 0,
                             nType == eTypeDWordArray ? CCellInput::Value(m_Random())
                                                      : CCellInput::Text(text.c_str()));
      }
    } else {
      for (std::uint32_t r = 0, n = Random(12); r < n; ++r)
        FillRow(pTable, Store().CreateHandle(UniqueName().c_str()));
    }
    if (nDepth < 3) {
      for (std::uint32_t c = 0, n = Random(3); c < n; ++c) RandomTable(pTable, nDepth + 1);
    }
    return pTable;
  }

  std::mt19937 m_Random;
  int m_nNames = 0;
};

// Compares two tables by their texts, in their own datasets.
class CTableCompare {
 public:
  CTableCompare(const CMatDatenSatz& a, const CMatDatenSatz& b) : m_A(a), m_B(b) {}

  void Tables(const CMatTable& a, const CMatTable& b) {
    SCOPED_TRACE(ToUtf8(a.m_strName));
    EXPECT_EQ(Name(m_A, a.m_hName), Name(m_B, b.m_hName));
    ASSERT_EQ(a.m_nType, b.m_nType);
    EXPECT_EQ(a.m_nValuesPerRow, b.m_nValuesPerRow);
    if (a.m_nType == eTypeStrLine) {
      EXPECT_EQ(Text(static_cast<const wchar_t*>(a.m_pData)),
                Text(static_cast<const wchar_t*>(b.m_pData)));
    } else {
      EXPECT_EQ(a.m_strRegStr1, b.m_strRegStr1);
      EXPECT_EQ(a.m_strBeschreibung, b.m_strBeschreibung);
    }
    const std::uint32_t nFields = a.GetFieldCount();
    ASSERT_EQ(nFields, b.GetFieldCount());
    for (std::uint32_t f = 1; f <= nFields; ++f) EXPECT_EQ(a.m_pStrucDef[f], b.m_pStrucDef[f]);
    ASSERT_EQ(a.m_nRowCount, b.m_nRowCount);
    if (a.m_nType == eTypeStringArray || a.m_nType == eTypeDWordArray) {
      for (std::int32_t i = 0; i < a.m_nRowCount; ++i) {
        if (a.m_nType == eTypeDWordArray) {
          EXPECT_EQ(static_cast<const std::uint32_t*>(a.m_pData)[i],
                    static_cast<const std::uint32_t*>(b.m_pData)[i]);
        } else {
          EXPECT_EQ(Text(static_cast<wchar_t* const*>(a.m_pData)[i]),
                    Text(static_cast<wchar_t* const*>(b.m_pData)[i]));
        }
      }
    } else {
      Rows(a, b);
    }
    ASSERT_EQ(a.m_Children.size(), b.m_Children.size());
    for (std::size_t c = 0; c < a.m_Children.size(); ++c)
      Tables(*a.m_Children[c], *b.m_Children[c]);
  }

 private:
  static CString Text(const wchar_t* p) { return p ? p : L""; }
  static CString Text(const CPoolText& text) { return text.ToString(); }
  static CString Name(const CMatDatenSatz& d, Handle h) { return h ? Text(d.GetName(h)) : L"<0>"; }

  void Cell(std::uint32_t nType, std::uint32_t a, std::uint32_t b) {
    switch (nType) {
      case eTypeHandle:
        EXPECT_EQ(Name(m_A, a), Name(m_B, b));
        break;
      case eTypeString:
      case eTypeUniString:
        EXPECT_EQ(Text(m_A.GetPoolText(a)), Text(m_B.GetPoolText(b)));
        break;
      case eTypeVoid:
        break;
      default:
        EXPECT_EQ(a, b);
        break;
    }
  }

  void Rows(const CMatTable& a, const CMatTable& b) {
    std::uint64_t wordA = 0, wordB = 0;
    for (POSITION pos = a.GetFirstRowPosition(); pos != nullptr;) {
      const Handle hRowA = a.GetNextRow(pos, wordA);
      const CString name = Name(m_A, hRowA);
      SCOPED_TRACE(ToUtf8(name));
      ASSERT_TRUE(b.FindRow(m_B.FindHandle(name), wordB));
      const int nCells = a.GetCellsPerRow();
      if (a.m_nType == eTypeStruct) {
        const auto* pA = reinterpret_cast<const std::uint32_t*>(wordA);
        const auto* pB = reinterpret_cast<const std::uint32_t*>(wordB);
        const std::uint32_t nSubRows = pA ? pA[0] : 0;
        ASSERT_EQ(nSubRows, pB ? pB[0] : 0);
        const std::uint32_t n = a.GetFieldCount();
        for (std::uint32_t i = 0; i < nSubRows * n; ++i)
          Cell(a.m_pStrucDef[1 + i % n], pA[1 + i], pB[1 + i]);
      } else if (nCells == 1) {
        Cell(a.m_nType, static_cast<std::uint32_t>(wordA), static_cast<std::uint32_t>(wordB));
      } else {
        const auto* pA = reinterpret_cast<const std::uint32_t*>(wordA);
        const auto* pB = reinterpret_cast<const std::uint32_t*>(wordB);
        for (int i = 0; i < nCells; ++i) Cell(a.m_nType, pA ? pA[i] : 0, pB ? pB[i] : 0);
      }
    }
  }

  const CMatDatenSatz& m_A;
  const CMatDatenSatz& m_B;
};

// Each generated table is read back from its text whole; the first dozen
// are also decoded a block at a time: wherever a block ends (inside a line
// break pair, a character, a brace block or a multi-line string), the tables
// read are those of the whole text, from memory and from a file.
TEST_F(MatTextRoundTrip, GeneratedTablesReadBackUnchanged) {
  const char* const kBreaks[] = {"\r\n", "\n", "\n\r", "\r"};
  CTempFolder folder;
  for (std::uint32_t nSeed = 1; nSeed <= 150; ++nSeed) {
    SCOPED_TRACE(nSeed);
    m_Random.seed(nSeed);
    Store().SetCurrent(m_pDataset);
    CMatTable* pTable = RandomTable(nullptr, 0);
    CStringList lines;
    CMatManager::WriteTableText(pTable, lines);
    std::wstring text;
    std::string bytes = "\xEF\xBB\xBF";  // UTF-8, for every character the tables hold
    for (const CString& line : lines) {
      text += line + L"\r\n";
      bytes += ToUtf8(line) + kBreaks[nSeed % 4];
    }
    const CString path = folder / (L"t" + std::to_wstring(nSeed) + L".mmtb");
    std::ofstream(ToUtf8(path), std::ios::binary) << bytes;
    CMatDatenSatz& copy = AddDataset(L"COPY");  // each read into it emptied of its tables
    for (const std::size_t nBlock : {0, 1, 2, 3, 5, 8, 13, 64}) {  // 0: the whole text
      for (const bool bFile : {false, true}) {
        if (nBlock == 0 ? bFile : nSeed > 12) continue;
        SCOPED_TRACE(testing::Message() << "block " << nBlock << (bFile ? " file" : " memory"));
        copy.m_Tables.clear();
        CMatTextReader reader(&Store());
        if (nBlock == 0) {
          reader.OpenString(text, L"test.mmtb");
        } else if (bFile) {
          reader.SetDecodeBlock(nBlock);
          ASSERT_TRUE(reader.OpenText(path));
        } else {
          reader.SetDecodeBlock(nBlock);
          reader.OpenBytes(bytes, L"test.mmtb");
        }
        ASSERT_TRUE(reader.ReadTableBody(nullptr)) << ToUtf8(Texts());
        EXPECT_EQ(m_UI.Count(), 0u) << ToUtf8(Texts());
        ASSERT_EQ(copy.m_Tables.size(), 1u);
        CTableCompare(*m_pDataset, copy).Tables(*pTable, *copy.m_Tables[0]);
        if (HasFailure()) {
          ADD_FAILURE() << ToUtf8(text);
          return;
        }
      }
    }
  }
}

}  // namespace
