#include "import/bdh_import.h"

#include <bit>

#include "import/bdh_fields.h"
#include "import/bdh_format.h"
#include "query/article/table_lookup.h"
#include "store/mat_store.h"
#include "store/mmtb/mat_text_reader.h"

namespace {

// The current line of the reader, up to its break or the text's end.
std::wstring_view CurrentLine(const CMatTextReader& reader) {
  const wchar_t* pStart = reader.GetPos();
  const wchar_t* p = pStart;
  while (*p != L'\r' && *p != L'\n' && *p != 0 && *p != CMatTextReader::kEndMarker) ++p;
  return {pStart, static_cast<std::size_t>(p - pStart)};
}

int FirstCharacter(const CString& text) { return text.empty() ? 0 : static_cast<int>(text[0]); }

std::uint32_t FloatCell(float f) { return std::bit_cast<std::uint32_t>(f); }

std::uint32_t IntCell(int n) { return static_cast<std::uint32_t>(n); }

}  // namespace

void CBdhImporter::Begin() {
  m_pTop = nullptr;
  if (CMatDatenSatz* pDataset = m_Store.GetCurrent()) {
    m_pTop = FindTopTableNamed(*pDataset, bdh::kTop);
    if (m_pTop == nullptr) m_pTop = m_Store.CreateTable(nullptr, bdh::kTop, eTypeString, 1);
  }
  m_pSeries = m_pModelData = m_pElementData = nullptr;
  m_nElement = 1;
  m_Counts = {};
}

bool CBdhImporter::Import(const CString& path) {
  Begin();
  CMatTextReader reader(&m_Store);
  if (!reader.OpenText(path)) return false;
  ReadLines(reader);
  return true;
}

void CBdhImporter::ImportBytes(std::string_view bytes, const CString& path) {
  Begin();
  CMatTextReader reader(&m_Store);
  reader.OpenBytes(bytes, path);
  ReadLines(reader);
}

void CBdhImporter::ReadLines(CMatTextReader& reader) {
  while (!reader.AtEnd()) {
    ++m_Counts.nLines;
    if (!ReadRecord(CurrentLine(reader))) {
      ++m_Counts.nSkipped;
      if (m_Counts.nFirstSkipped < 0) m_Counts.nFirstSkipped = static_cast<int>(m_Counts.nLines);
    }
    reader.NextZeile();
  }
  reader.CloseText();
}

bool CBdhImporter::ReadRecord(std::wstring_view text) {
  CBdhLine line(text);
  bool bNumber = false;
  const int nId = line.ReadInt(&bNumber);
  if (!bNumber) return false;
  bool bStored = false;
  switch (nId) {
    case bdh::eRecHead1:
    case bdh::eRecHead2:
      bStored = ReadHead(line);
      break;
    case bdh::eRecModel:
      bStored = ReadModel(line);
      break;
    case bdh::eRecSeries20:
    case bdh::eRecLengths:
    case bdh::eRecSeries33:
    case bdh::eRecSeries40: {
      const int n = line.ReadInt();
      bStored = WriteEntry(m_pSeries, nId, n - 1, line.ReadRest());
      break;
    }
    case bdh::eRecTriples:
      bStored = WriteEntry(m_pSeries, nId, 0, line.ReadRest());
      break;
    case bdh::eRecOrder1:
      bStored = WriteEntry(m_pSeries, bdh::kFixedRule, 0, line.ReadRest());
      break;
    case bdh::eRecIgnored:
      return true;  // known, and kept nowhere
    case bdh::eRecOrder2:
      bStored = WriteEntry(m_pSeries, bdh::kDigitsRule, 0, line.ReadRest());
      break;
    case bdh::eRecElement:
      bStored = ReadElement(line);
      break;
    case bdh::eRecElement75:
    case bdh::eRecElement85:
    case bdh::eRecElement88:
    case bdh::eRecElement91:
    case bdh::eRecElement94:
    case bdh::eRecElement97: {
      const int n = line.ReadInt();
      bStored = WriteEntry(m_pElementData, nId, n - 1, line.ReadRest());
      break;
    }
    case bdh::eRecElement78:
    case bdh::eRecElement81:
      bStored = WriteEntry(m_pElementData, nId, 0, line.ReadRest());
      break;
    default:
      return false;
  }
  if (bStored) ++m_Counts.nStored;
  return bStored;
}

bool CBdhImporter::ReadHead(CBdhLine& line) {
  if (m_pTop == nullptr) return false;
  bool bStored = true;
  for (const wchar_t* pRow : bdh::kHeadRows) {
    const CString text = line.ReadText();
    const Handle hRow = m_Store.GetOrCreateHandle(pRow);
    bStored &= m_Store.SetCellValue(m_pTop, hRow, 0, 0, CCellInput::Text(text.c_str())) == eMatOk;
  }
  return bStored;
}

bool CBdhImporter::ReadModel(CBdhLine& line) {
  const CString model = line.ReadText();
  line.ReadText();  // not used
  const int nKey1 = FirstCharacter(line.ReadText());
  CString series = line.ReadText();
  if (!series.empty() && series.back() == L'.') series.pop_back();
  const int nKey2 = FirstCharacter(line.ReadText());
  float values[4];
  for (float& f : values) f = line.ReadDecimal();
  CString texts[8];
  for (CString& text : texts) text = line.ReadText();

  ++m_Counts.nModels;
  // A record 10 that names no table leaves nothing current: the records
  // after it must not land in the model before.
  m_pSeries = m_pModelData = m_pElementData = nullptr;
  if (m_pTop == nullptr) return false;
  m_pSeries = FindOrMake(m_pTop, series, eTypeStruct, bdh::kOneString);
  CMatTable* pModel = FindOrMake(m_pSeries, model, eTypeStruct, bdh::kOneString);
  m_pModelData = FindOrMake(pModel, bdh::kModelData, eTypeStruct, bdh::kModelDef);
  if (m_pModelData == nullptr) return false;
  CFieldInput fields[14] = {{0, CCellInput::Value(IntCell(nKey1))},
                            {1, CCellInput::Value(IntCell(nKey2))}};
  for (int i = 0; i < 4; ++i) fields[2 + i] = {2 + i, CCellInput::Value(FloatCell(values[i]))};
  for (int i = 0; i < 8; ++i) fields[6 + i] = {6 + i, CCellInput::Text(texts[i].c_str())};
  const Handle hRow = m_Store.GetOrCreateHandle(bdh::kModelData);
  return m_Store.SetStructFields(m_pModelData, hRow, fields, 14) == eMatOk;
}

bool CBdhImporter::ReadElement(CBdhLine& line) {
  int abc[3];
  for (int& n : abc) n = line.ReadInt();
  const CString s1 = line.ReadText();
  line.ReadText();  // s2: not kept
  float d[6];
  for (float& f : d) f = line.ReadDecimal();
  int e[3];
  for (int& n : e) n = line.ReadInt();
  const CString t1 = line.ReadText();
  const CString t2 = line.ReadText();

  ++m_Counts.nElements;
  m_pElementData = nullptr;
  if (m_pModelData == nullptr) return false;
  const CString name = bdh::kElementPrefix + std::to_wstring(m_nElement);
  CMatTable* pElement = FindOrMake(m_pModelData, name, eTypeStruct, bdh::kElementDef);
  if (pElement == nullptr) return false;
  ++m_nElement;
  m_pElementData = FindOrMake(pElement, bdh::kElementData, eTypeStruct, bdh::kOneString);
  CFieldInput fields[15];
  for (int i = 0; i < 3; ++i) fields[i] = {i, CCellInput::Value(IntCell(abc[i]))};
  fields[3] = {3, CCellInput::Text(s1.c_str())};
  for (int i = 0; i < 6; ++i) fields[4 + i] = {4 + i, CCellInput::Value(FloatCell(d[i]))};
  for (int i = 0; i < 3; ++i) fields[10 + i] = {10 + i, CCellInput::Value(IntCell(e[i]))};
  fields[13] = {13, CCellInput::Text(t1.c_str())};
  fields[14] = {14, CCellInput::Text(t2.c_str())};
  const Handle hRow = m_Store.GetOrCreateHandle(name.c_str());
  return m_Store.SetStructFields(pElement, hRow, fields, 15) == eMatOk;
}

bool CBdhImporter::WriteEntry(CMatTable* pTable, int nId, int nEntry, const CString& text) {
  const CString row = bdh::kRowPrefix + std::to_wstring(nId);
  return WriteEntry(pTable, row.c_str(), nEntry, text);
}

bool CBdhImporter::WriteEntry(CMatTable* pTable, const wchar_t* pRow, int nEntry,
                              const CString& text) {
  // A sequence number names an entry; beyond the bound it is taken as no
  // number at all rather than as a reason to grow the row without limit.
  if (pTable == nullptr || nEntry < 0 || nEntry >= kBdhMaxEntry) return false;
  const Handle hRow = m_Store.GetOrCreateHandle(pRow);
  return m_Store.SetCellValue(pTable, hRow, nEntry, 0, CCellInput::Text(text.c_str())) == eMatOk;
}

CMatTable* CBdhImporter::FindOrMake(CMatTable* pParent, const CString& name, std::uint32_t nType,
                                    const std::uint32_t* pStrucDef) {
  // Without a parent there is nowhere to put it: a model is never made a
  // top-level table because its series could not be made.
  if (pParent == nullptr || name.empty()) return nullptr;
  if (CMatTable* pTable = FindChildNamed(*pParent, name)) return pTable;
  CMatTable* pTable = m_Store.CreateTable(pParent, name.c_str(), static_cast<int>(nType), 1);
  if (pTable != nullptr && pStrucDef != nullptr) m_Store.SetStrucDef(pTable, pStrucDef);
  return pTable;
}
