// Reading a DATANORM file: code page, version, header, the record loop and
// the pass over the product groups after the last record.
#include "import/dn_loader.h"

#include <algorithm>
#include <bit>

#include "platform/code_page.h"
#include "platform/file.h"
#include "platform/text.h"
#include "query/article/table_lookup.h"
#include "store/base/message.h"
#include "store/base/reg_util.h"
#include "store/mat_store.h"
#include "store/mmd/mmd_backing.h"

namespace {

constexpr wchar_t kEndOfFile = 0x1A;
constexpr std::size_t kProgressStep = 8192;

// Characters [pos, pos + count) of text, as far as they exist.
CString Slice(std::wstring_view text, std::size_t pos, std::size_t count) {
  if (pos >= text.size()) return {};
  return CString(text.substr(pos, count));
}

bool HasUtf16Mark(std::string_view bytes) {
  return bytes.size() >= 2 &&
         ((bytes[0] == '\xFF' && bytes[1] == '\xFE') || (bytes[0] == '\xFE' && bytes[1] == '\xFF'));
}

bool HasUtf8Mark(std::string_view bytes) { return bytes.substr(0, 3) == "\xEF\xBB\xBF"; }

}  // namespace

CDnLoader::CDnLoader(CMatStore* pStore)
    : m_Store(pStore != nullptr ? *pStore : CMatStore::Instance()),
      m_pDataset(m_Store.GetCurrent()) {
  m_bReady = PrepareDnTables(m_Store, m_Tables);
}

Handle CDnLoader::GetDnHandle(std::wstring_view text) {
  const auto first = text.find_first_not_of(L' ');
  if (first == std::wstring_view::npos || m_pDataset == nullptr) return 0;
  // The dataset's own name map: an article number may hold a backslash,
  // which the exported look-up would take for a manufacturer prefix.
  bool bNoFreeName = false;
  const Handle h = m_pDataset->FindOrCreateHandle(text, bNoFreeName);
  // A catalogue larger than the dataset's names stops at the first name that
  // does not fit (ReadRecords), instead of skipping every article after it.
  if (bNoFreeName) Stop(eStop::kNames);
  if (h == 0 && !bNoFreeName) Stop(eStop::kStore);
  return h;
}

void CDnLoader::Stop(eStop reason) {
  if (m_eStop != eStop::kNone) return;
  m_eStop = reason;
  m_nStopLine = m_nLine + 1;
  m_nStopArticles = m_nRecordArticles;
}

void CDnLoader::Stored(eMatManager rc, Handle hRow) {
  if (rc != eMatOk && hRow != 0) Stop(eStop::kStore);
}

bool CDnLoader::Load(const CString& path, bool dosCharset) {
  if (!m_Lines.Open(path)) {
    // The caller checked that the file can be read; this is a file that
    // failed while it was read.
    ShowMessage(MB_OK | MB_ICONERROR, L"Die Datei kann nicht gelesen werden:\n%s",
                m_Lines.GetError());
    m_Lines.Clear();
    return false;
  }
  return LoadLines(path, dosCharset);
}

bool CDnLoader::LoadBytes(std::string_view bytes, const CString& path, bool dosCharset) {
  m_Lines.Assign(bytes);
  return LoadLines(path, dosCharset);
}

unsigned CDnLoader::ChooseCodePage(const CBlockScan& scan, bool dosCharset) const {
  // Catalogues are also written in UTF-8 or UTF-16 although the format names
  // 8-bit code pages; such text is read as what it is.
  if (HasUtf16Mark(scan.strHead) || HasUtf8Mark(scan.strHead)) return CP_DETECT;
  if (scan.bNonAscii && scan.bValidUtf8) return CP_UTF8_TEXT;
  const CString& language = GetCurrentLanguage();
  if (!language.empty() && language != L"DE") return CRegUtil::getLanguageCodepage(language);
  return dosCharset ? CP_DOS_850 : CP_WINDOWS_1252;
}

bool CDnLoader::LoadLines(const CString& path, bool dosCharset) {
  m_nLine = 0;
  m_nLineCount = 0;
  m_nVersion = 0;
  m_nArticles = 0;
  m_eStop = eStop::kNone;
  m_hLastUnit = 0;  // the units' table may have changed since the last file
  const bool bRead = LoadRecords(path, dosCharset);
  m_Lines.Clear();  // lines of a caller's bytes are views the caller keeps only for the call
  return bRead;
}

bool CDnLoader::LoadRecords(const CString& path, bool dosCharset) {
  if (m_pDataset == nullptr) return false;
  m_Store.SetCurrent(m_pDataset);
  if (!m_bReady || m_pDataset->CheckWriteLock(true)) {
    ShowMessage(MB_OK | MB_ICONWARNING, L"Aktueller Datensatz ist schreibgeschützt");
    return false;
  }
  const unsigned codePage = ChooseCodePage(m_Lines.GetScan(), dosCharset);
  if (!m_Lines.Start(codePage) || !m_Lines.Has(0)) {
    ReportReadError();
    return false;
  }
  if (!ReadVersion(path)) return false;
  ReadHeader();
  ReadRecords();
  if (ReportReadError()) return false;
  if (m_eStop == eStop::kNames) {
    ShowMessage(MB_OK | MB_ICONERROR,
                L"Der Datensatz hat keine freien Namen mehr: Die Datei %s wurde bei Zeile %zu "
                L"abgebrochen, %zu Artikel wurden gelesen.",
                path, m_nStopLine, m_nStopArticles);
    return false;
  }
  if (m_eStop == eStop::kStore) {
    ShowMessage(MB_OK | MB_ICONERROR,
                L"Der Datensatz hat keinen Speicher mehr frei: Die Datei %s wurde bei Zeile %zu "
                L"abgebrochen, %zu Artikel wurden gelesen.",
                path, m_nStopLine, m_nStopArticles);
    return false;
  }
  // Texts read from Unicode keep every character only in a Unicode file.
  if (codePage == CP_DETECT || codePage == CP_UTF8_TEXT) MmdBackingOf(*m_pDataset).m_bUtf8 = true;
  FinishProductGroups();
  return true;
}

bool CDnLoader::ReportReadError() {
  if (!m_Lines.HasReadError()) return false;
  // What was read before the error is not a catalogue: nothing of it is kept.
  ShowMessage(MB_OK | MB_ICONERROR, L"Die Datei kann nicht gelesen werden:\n%s",
              m_Lines.GetError());
  return true;
}

bool CDnLoader::ReadVersion(const CString& path) {
  const std::wstring_view first = m_Lines.Get(0);
  if (first.empty() || first[0] != L'V') {
    ShowMessage(MB_OK | MB_ICONERROR, L"Keine Datanorm Datei! %s", path);
    return false;
  }
  if (first.size() > 124 && first[123] == L'0' && first[124] == L'4') {
    m_nVersion = 4;
  } else if (first.compare(1, 4, L";050") == 0) {
    m_nVersion = 5;
  } else {
    ShowMessage(MB_OK | MB_ICONERROR, L"DATANORM Version 3 ???. Datei <%s> Laden abgebrochen",
                path);
    return false;
  }
  return true;
}

void CDnLoader::ReadHeader() {
  m_nLineCount = 1;
  m_Reader.SetLine(m_Lines.Get(0));
  if (m_nVersion == 4) {
    ReadHeader4(m_Lines.Get(0));
  } else {
    ReadHeader5();
  }
}

void CDnLoader::ReadHeader4(std::wstring_view line) {
  // Day and month, then the two-digit year made four-digit: 80-99 are the
  // 1900s, 00-79 the 2000s.
  const wchar_t decade = line.size() > 6 ? line[6] : L'0';
  const CString date = Slice(line, 2, 4) + (decade < L'8' ? L"20" : L"19") + Slice(line, 6, 2);
  StoreHeader(date, TrimRight(Slice(line, 8, 80)), Trim(Slice(line, 125, 3)), {});
}

void CDnLoader::ReadHeader5() {
  for (int i = 0; i < 3; ++i) m_Reader.ReadText(3);
  const CString stamp = m_Reader.ReadText(8);  // year, month, day
  const CString date = Slice(stamp, 6, 2) + Slice(stamp, 4, 2) + Slice(stamp, 0, 4);
  const CString currency = m_Reader.ReadText(8);
  const CString line1 = m_Reader.ReadText(40);
  const CString line2 = m_Reader.ReadText(40);
  const CString shortName = m_Reader.ReadText(100);
  StoreHeader(date, line1 + L"\r\n" + line2 + L"\r\n", currency, shortName);
}

void CDnLoader::StoreHeader(const CString& date, const CString& info, const CString& currency,
                            const CString& shortName) {
  CMatTable* pStrings = m_Tables.m_pTextStrings;
  SetText(pStrings, GetDnHandle(L"DATANORM_DATUM"), 0, date);
  SetText(pStrings, GetDnHandle(L"DATANORM_INFO"), 0, info);
  const Handle hCurrency = GetDnHandle(L"WAEHRUNG");
  bool hasCurrency = false;
  for (CMatTable* pTable : {pStrings, m_Tables.m_pStringTable}) {
    CCell cell;
    hasCurrency = hasCurrency || (m_Store.GetCellValue(pTable, cell, hCurrency, 0, 0) == eMatOk &&
                                  !m_pDataset->GetPoolText(cell.m_nValue).empty());
  }
  if (!hasCurrency) SetText(pStrings, hCurrency, 0, currency);
  if (!shortName.empty()) SetText(pStrings, GetDnHandle(L"HERSTELLERKURZEL"), 0, shortName);
}

void CDnLoader::MakeRoomForArticles() {
  // One pass over the first characters: the article tables and the name maps
  // then take their room once instead of growing by doubling through a
  // catalogue of a few hundred thousand articles.
  const CBlockScan& scan = m_Lines.GetScan();
  const std::size_t nArticles = scan.nLinesBeginningWith['A'];
  if (nArticles < 1024) return;
  // An article names itself and, in most catalogues, its matchcode; text
  // blocks, groups and units add names shared by many articles, an eighth
  // more is room for them. The maps take no more room than they are asked
  // for, so the guess must not fall short (the map would double).
  m_pDataset->ReserveNames(2 * nArticles + nArticles / 8);
  // The tables every article has a row in (the matchcodes: in most
  // catalogues), and the text lines: a row for each article with "D"
  // records, which are counted (a record of several lines still makes one
  // row, and a catalogue has no more of them than articles). The long
  // texts of only some catalogues grow as they are read.
  const std::size_t nTextLines = std::min(scan.nLinesBeginningWith['D'], nArticles);
  for (const auto& [pTable, nRows] :
       {std::pair{m_Tables.m_pKurzText, nArticles}, std::pair{m_Tables.m_pPreis, nArticles},
        std::pair{m_Tables.m_pArtikelInfo1, nArticles},
        std::pair{m_Tables.m_pArtikelInfo2, nArticles}, std::pair{m_Tables.m_pMatchcode, nArticles},
        std::pair{m_Tables.m_pTextD, nTextLines}}) {
    if (pTable != nullptr && !pTable->m_bListMode && nRows > 0) {
      pTable->m_Rows.InitHashTable(pTable->GetRowCount() + nRows);
    }
  }
}

void CDnLoader::ReadRecords() {
  MakeRoomForArticles();
  for (m_nLine = 1; m_eStop == eStop::kNone && m_Lines.Has(m_nLine); ++m_nLine) {
    m_Lines.Release(m_nLine);
    const std::wstring_view line = m_Lines.Get(m_nLine);
    PrefetchNextArticleName();
    ++m_nLineCount;
    if (!line.empty() && line[0] == kEndOfFile) break;
    // Catalogues with empty lines between records exist; what follows an
    // empty line is read as well.
    if (line.empty()) continue;
    m_Reader.SetLine(line);
    const wchar_t type = m_Reader.ReadChar();
    const bool noFlag = m_nVersion == 5 && (type == L'E' || type == L'R' || type == L'S');
    m_cFlag = noFlag ? L'N' : m_Reader.ReadChar();
    m_nRecordArticles = m_nArticles;
    if (m_cFlag == 0 || m_cFlag == L'N') DispatchRecord(type);
    FlushPendingRows();
    if (m_Progress && m_nLine % kProgressStep == 0) {
      m_Progress(m_nLine, std::max(m_nLine, m_Lines.GetCount()));
    }
  }
  WriteGroupQueues();
  // The count of the first pass, unless the file grew between the passes.
  const std::size_t nTotal = std::max(m_nLine, m_Lines.GetCount());
  if (m_Progress) m_Progress(nTotal, nTotal);
}

void CDnLoader::PrefetchNextArticleName() {
  // A catalogue's article numbers land at random places of a name map of
  // megabytes: the number of an article record three lines on (the next
  // article where each has A, B and D records) is asked for while these
  // lines are read, early enough for the memory to answer. Only its bytes
  // are looked at: a number of ASCII characters is the same text in every
  // code page lines are found in; any other number is not asked for.
  constexpr std::size_t kAhead = 3;
  if (m_nVersion != 5 || !m_Lines.Has(m_nLine + kAhead) ||
      !m_Lines.BeginsWith(m_nLine + kAhead, 'A'))
    return;
  std::string_view bytes = m_Lines.PeekBytes(m_nLine + kAhead);
  if (bytes.size() < 5 || bytes[1] != ';' || bytes[3] != ';') return;  // "A;N;number;"
  bytes = bytes.substr(4, 15);  // as ReadTrimmedView(15) reads it
  bytes = bytes.substr(0, bytes.find(';'));
  wchar_t number[15];
  std::size_t nFirst = bytes.size(), nEnd = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    if (c >= 0x80) return;
    number[i] = static_cast<wchar_t>(c);
    if (c != ' ') {
      nFirst = std::min(nFirst, i);
      nEnd = i + 1;
    }
  }
  if (nEnd > nFirst) m_pDataset->PrefetchName(std::wstring_view(number + nFirst, nEnd - nFirst));
}

void CDnLoader::DispatchRecord(wchar_t type) {
  switch (type) {
    case L'A':
      return m_nVersion == 4 ? ReadArticle4() : ReadArticle5();
    case L'B':
      if (m_nVersion == 4) ReadArticleAddition();
      return;
    case L'C':
      return ReadAssemblyTime();
    case L'D':
      return ReadTextLines();
    case L'E':
      if (m_nVersion == 4) ReadTextBlock(m_Tables.m_pTextE);
      return;
    case L'G':
      return ReadPicture();
    case L'R':
      return ReadDiscountGroup();
    case L'S':
      return ReadProductGroup();
    case L'T':
      return ReadTextBlock(m_Tables.m_pTextT);
    default:
      return;
  }
}

bool CDnLoader::NextContinuation(std::size_t nPrefix) {
  // Empty lines between the lines of one record are passed over, as the
  // record loop passes them over.
  std::size_t next = m_nLine + 1;
  while (m_Lines.Has(next) && m_Lines.IsEmptyLine(next)) ++next;
  if (!m_Lines.Has(next)) return false;
  const std::wstring_view current = m_Lines.Get(m_nLine);
  const std::wstring_view candidate = m_Lines.Get(next);
  if (current.size() < nPrefix || candidate.size() < nPrefix ||
      current.compare(0, nPrefix, candidate, 0, nPrefix) != 0) {
    return false;
  }
  m_nLineCount += next - m_nLine;
  m_nLine = next;
  m_Reader.SetLine(m_Lines.Get(m_nLine));
  return true;
}

void CDnLoader::FinishProductGroups() {
  // A main group row without text takes the article's catalogue page.
  struct CPending {
    CMatTable* pTable;
    Handle hArticle;
    CString strPage;
  };
  std::vector<CPending> pending;
  for (const auto& pGroup : m_Tables.m_pHauptWarenGruppen->m_Children) {
    POSITION pos = m_Store.GetFirstRowPosition(pGroup.get());
    while (pos != nullptr) {
      std::uint64_t word = 0;
      const Handle hArticle = pGroup->GetNextRow(pos, word);
      if (!m_pDataset->GetPoolText(RowWordCell(word)).empty()) continue;
      CCell cell;
      if (m_Store.GetCellValue(m_Tables.m_pArtikelInfo2, cell, hArticle, 0, eInfo2Katalogseite) !=
          eMatOk) {
        continue;
      }
      const CPoolText page = m_pDataset->GetPoolText(cell.m_nValue);
      if (!page.empty()) pending.push_back({pGroup.get(), hArticle, page.ToString()});
    }
  }
  for (const auto& item : pending) SetText(item.pTable, item.hArticle, 0, item.strPage);
}

// ---- cell writes shared by the records

CDnLoader::CPendingField* CDnLoader::PendField(CMatTable* pTable, Handle hRow, int field) {
  if (pTable == nullptr || hRow == 0) return nullptr;
  CPendingRow* pRow = nullptr;
  if (pTable == m_Tables.m_pArtikelInfo1) pRow = &m_PendingRows[0];
  if (pTable == m_Tables.m_pArtikelInfo2) pRow = &m_PendingRows[1];
  if (pRow == nullptr) return nullptr;
  if (pRow->nCount > 0 && pRow->hRow != hRow) FlushPendingRow(*pRow);
  pRow->pTable = pTable;
  pRow->hRow = hRow;
  for (std::size_t i = 0; i < pRow->nCount; ++i) {
    if (pRow->fields[i].nField == field) return &pRow->fields[i];  // the later value wins
  }
  if (pRow->nCount == pRow->fields.size()) FlushPendingRow(*pRow);
  CPendingField& pending = pRow->fields[pRow->nCount++];
  pending.nField = field;
  return &pending;
}

void CDnLoader::FlushPendingRow(CPendingRow& row) {
  // Left unset: only the first nCount are written and read (zeroing the
  // whole array cost more than the rest of the flush).
  std::array<CFieldInput, std::tuple_size_v<decltype(row.fields)>> inputs;
  for (std::size_t i = 0; i < row.nCount; ++i) {
    const CPendingField& field = row.fields[i];
    const CCellInput value =
        field.bText ? (field.bNoText ? CCellInput::Text(nullptr) : CCellInput::Text(field.strText))
                    : CCellInput::Value(field.nValue);
    inputs[i] = CFieldInput{field.nField, value};
  }
  if (row.nCount > 0) {
    Stored(m_Store.SetStructFields(row.pTable, row.hRow, inputs.data(), row.nCount), row.hRow);
  }
  row.nCount = 0;
}

void CDnLoader::FlushPendingRows() {
  for (CPendingRow& row : m_PendingRows) FlushPendingRow(row);
}

void CDnLoader::SetInt(CMatTable* pTable, Handle hRow, int field, std::int64_t value) {
  SetHandle(pTable, hRow, field, static_cast<std::uint32_t>(DnClampInt(value)));
}

void CDnLoader::SetHandle(CMatTable* pTable, Handle hRow, int field, Handle value) {
  if (CPendingField* pField = PendField(pTable, hRow, field)) {
    pField->bText = false;
    pField->nValue = value;
    return;
  }
  Stored(m_Store.SetCellValue(pTable, hRow, 0, field, CCellInput::Value(value)), hRow);
}

void CDnLoader::SetText(CMatTable* pTable, Handle hRow, int field, std::wstring_view text) {
  // An empty text is written as no text: it reads the same and does not add
  // an empty pool entry for every article.
  if (CPendingField* pField = PendField(pTable, hRow, field)) {
    pField->bText = true;
    pField->bNoText = text.empty();
    pField->strText.assign(text);
    return;
  }
  const CCellInput value = text.empty() ? CCellInput::Text(nullptr) : CCellInput::Text(text);
  Stored(m_Store.SetCellValue(pTable, hRow, 0, field, value), hRow);
}

void CDnLoader::SetPrice(Handle hArticle, std::int64_t cents) {
  if (cents <= 0) return;
  const float price = static_cast<float>(static_cast<double>(cents) / 100.0);
  Stored(m_Store.SetCellValue(m_Tables.m_pPreis, hArticle, 0, 0,
                              CCellInput::Value(std::bit_cast<std::uint32_t>(price))),
         hArticle);
}

void CDnLoader::ForgetCompleteText(Handle hArticle) {
  if (m_Tables.m_pGesammtText != nullptr && hArticle != 0) {
    m_Store.RemoveRow(m_Tables.m_pGesammtText, hArticle);
  }
}
