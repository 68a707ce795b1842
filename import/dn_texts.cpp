// Text records: "D" (text lines of an article), "T" (long text blocks) and,
// in version 4, "E" (further text blocks). Each may go on over the following
// lines of the same record type, flag and key.
#include <cstdint>
#include <span>
#include <vector>

#include "import/dn_loader.h"
#include "store/base/message.h"
#include "store/mat_store.h"
#include "store/mmd/mmd_format.h"

namespace {

// One entry of an article's "DATANORM_D" row: a text (or none) and a key.
struct CDnTextEntry {
  CString strText;
  bool bHasText = false;
  CString strKey;
};

// Bytes the character takes in the database file's UTF-8.
std::size_t Utf8Bytes(wchar_t c) {
  const auto u = static_cast<std::uint32_t>(c);
  return u < 0x80 ? 1 : u < 0x800 ? 2 : u < 0x10000 ? 3 : 4;
}

// A text collected from the lines of one record, kept to what a dataset holds
// of one text: kMaxTextLength characters (a piece of the arena) and
// kMaxStringBytes in the database file's UTF-8, where umlauts take two bytes.
// It is cut after the last whole character that fits both, and remembers
// that it was cut.
class CDnCappedText {
 public:
  void Append(std::wstring_view more) {
    // The characters that fit are counted first and appended at once.
    const std::size_t nRoom = CDnLoader::kMaxTextLength - m_strText.size();
    std::size_t n = 0;
    for (; n < more.size() && n < nRoom; ++n) {
      const std::size_t nBytes = Utf8Bytes(more[n]);
      if (m_nBytes + nBytes > mmd::kMaxStringBytes) break;
      m_nBytes += nBytes;
    }
    m_strText.append(more.substr(0, n));
    if (n < more.size()) m_bCut = true;
  }
  const CString& Get() const { return m_strText; }
  CString& Get() { return m_strText; }
  bool IsCut() const { return m_bCut; }

 private:
  CString m_strText;
  std::size_t m_nBytes = 0;
  bool m_bCut = false;
};

// Groups the collected lines into entries: a "T" line refers to a text
// block; an "E" line with the following "E" lines of the same key and rising
// numbers gives the values that fill the block's placeholders; any other line
// with the following "F" lines of rising numbers gives a text of its own.
template <class Line>
std::vector<CDnTextEntry> GroupTextLines(std::span<const Line> lines) {
  std::vector<CDnTextEntry> entries;
  for (std::size_t i = 0; i < lines.size();) {
    const Line& first = lines[i];
    CDnTextEntry entry;
    std::size_t next = i + 1;
    std::int64_t last = first.nNumber;
    CDnCappedText text;
    if (first.cKind == L'T') {
      entry.strKey = first.strKey;
    } else if (first.cKind == L'E') {
      text.Append(first.strText);
      entry.bHasText = true;
      entry.strKey = first.strKey;
      for (; next < lines.size() && lines[next].cKind == L'E' && lines[next].nNumber > last &&
             lines[next].strKey == first.strKey;
           ++next) {
        text.Append(lines[next].strText);
        last = lines[next].nNumber;
      }
    } else {
      text.Append(first.strText);
      text.Append(L"\r\n");
      entry.bHasText = true;
      for (; next < lines.size() && lines[next].cKind == L'F' && lines[next].nNumber > last;
           ++next) {
        text.Append(lines[next].strText);
        text.Append(L"\r\n");
        last = lines[next].nNumber;
      }
    }
    entry.strText = std::move(text.Get());
    entries.push_back(std::move(entry));
    i = next;
  }
  return entries;
}

void RemoveTrailingControls(CString& text) {
  std::size_t end = text.size();
  while (end > 0 && text[end - 1] < 0x21) --end;
  text.erase(end);
}

}  // namespace

// Version 4: D;N;Artikelnummer;Nr;Kennung;Textschluessel;Text;Nr;Kennung;Textschluessel;Text
// Version 5: D;N;Artikelnummer;Nr;Kennung;Text;Textschluessel
void CDnLoader::ReadTextLines() {
  // A view of the current line: used up before the continuations are read.
  const std::wstring_view number = m_Reader.ReadTrimmedView(15);
  const Handle hArticle = GetDnHandle(number);
  const std::size_t prefix = number.size() + 5;
  std::size_t nLines = 0;
  // Reads the next line into the kept lines, or passes over it when the
  // record already has as many as a row holds.
  auto readLine = [&](bool keyFirst) {
    if (nLines == m_TextLines.size()) m_TextLines.emplace_back();
    CTextLine& line = m_TextLines[nLines];
    line.nNumber = m_Reader.ReadNumber(2);
    line.cKind = m_Reader.ReadChar();
    if (keyFirst) line.strKey.assign(m_Reader.ReadView(8));
    line.strText.assign(m_Reader.ReadView(64));
    if (!keyFirst) line.strKey.assign(m_Reader.ReadView(15));
    return nLines < kMaxTextLines;
  };
  for (bool more = true; more;) {
    if (m_nVersion == 4) {
      if (readLine(true)) ++nLines;
      if (readLine(true) && m_TextLines[nLines].nNumber >= 1) ++nLines;
    } else if (readLine(false)) {
      ++nLines;
    }
    more = NextContinuation(prefix);
    if (more) {
      m_Reader.ReadChar();
      m_Reader.ReadChar();
      m_Reader.ReadView(15);
    }
  }
  const std::span<const CTextLine> lines(m_TextLines.data(), nLines);
  if (hArticle == 0) return;
  // The series replaces what the article had: a shorter series must not
  // leave lines of an earlier import behind.
  CMatTable* pTarget = m_Tables.m_pTextD;
  m_Store.RemoveRow(pTarget, hArticle);
  if (lines.size() == 1 && lines[0].cKind == L'T') {
    // Most articles refer to one text block and nothing else.
    Stored(m_Store.SetCellValue(pTarget, hArticle, 0, 1,
                                CCellInput::Value(GetDnHandle(lines[0].strKey))),
           hArticle);
    return;
  }
  const std::vector<CDnTextEntry> entries = GroupTextLines(lines);
  // The last entry first, so that the row's block is made once at its size.
  for (std::size_t i = entries.size(); i-- > 0;) {
    const CDnTextEntry& entry = entries[i];
    const int index = static_cast<int>(i);
    Stored(m_Store.SetCellValue(pTarget, hArticle, index, 1,
                                CCellInput::Value(GetDnHandle(entry.strKey))),
           hArticle);
    if (entry.bHasText) {
      Stored(m_Store.SetCellValue(pTarget, hArticle, index, 0, CCellInput::Text(entry.strText)),
             hArticle);
    }
  }
}

// Version 4: T;N;Textschluessel;(skipped);Nr;(skipped);Text;Nr;(skipped);Text
// Version 5: T;N;Textschluessel;Kennung;Nr;Text
void CDnLoader::ReadTextBlock(CMatTable* pTarget) {
  const CString key = m_Reader.ReadText(m_nVersion == 4 ? 32 : 15);
  if (m_nVersion == 4) m_Reader.ReadView(32);
  const std::size_t prefix = key.size() + 5;
  CDnCappedText text;
  for (bool more = true; more;) {
    std::size_t limit = 128;
    if (m_nVersion == 5 && m_Reader.ReadChar() == L'0') limit = 70;
    m_Reader.ReadNumber(2);
    if (m_nVersion == 4) m_Reader.ReadView(132);
    text.Append(m_Reader.ReadView(limit));
    text.Append(L"\r\n");
    if (m_nVersion == 4 && m_Reader.ReadNumber(2) > 0) {
      m_Reader.ReadView(9);
      text.Append(m_Reader.ReadView(128));
      text.Append(L"\r\n");
    }
    more = NextContinuation(prefix);
    if (more) {
      m_Reader.ReadChar();
      m_Reader.ReadChar();
      if (m_nVersion == 4) m_Reader.ReadView(128);
      m_Reader.ReadView(m_nVersion == 4 ? 32 : 15);
    }
  }
  RemoveTrailingControls(text.Get());
  if (text.IsCut())
    ReportCutText(
        L"Der Langtext %s ist zu lang für die Materialmanagement-Datei und wurde gekürzt.", key);
  if (const Handle hKey = GetDnHandle(key)) SetText(pTarget, hKey, 0, text.Get());
}

void CDnLoader::ReportCutText(const wchar_t* pGermanFormat, const CString& name) {
  ShowMessage(MB_OK | MB_ICONWARNING, pGermanFormat, name);
}
