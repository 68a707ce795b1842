// The plain reader of CWorkbookXml: start and end tags with ASCII names,
// attribute values and text in UTF-8 with the five named entities and
// character references, an XML declaration of version 1.0 in UTF-8, and
// white space outside the root element. Everything else, including every
// fault, is handed to expat where it begins (workbook_xml.h).
#include <algorithm>
#include <cstdint>
#include <utility>

#include "import/workbook_xml.h"
#include "platform/text.h"

namespace {

// A token the reader waits for longer than this is left to expat, so that
// the carried bytes stay bounded.
constexpr std::size_t kMaxCarry = std::size_t{1} << 20;
// Repeated names are looked for one by one: a tag of more attributes than
// a workbook's parts ever have is left to expat.
constexpr std::size_t kMaxAttributes = 32;

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

bool IsNameStart(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':';
}

bool IsNameChar(char c) { return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.'; }

// The length of the name at data[i] (0 for none or one beyond ASCII).
std::size_t NameLength(std::string_view data, std::size_t i) {
  if (i >= data.size() || !IsNameStart(data[i])) return 0;
  std::size_t n = 1;
  while (i + n < data.size() && IsNameChar(data[i + n])) ++n;
  return n;
}

// The length of the UTF-8 character at p[0] that XML allows in text, 0 for
// a malformed sequence or a character it does not allow (surrogates,
// U+FFFE, U+FFFF, past U+10FFFF).
std::size_t CharLength(const unsigned char* p, std::size_t n) {
  const unsigned char c = p[0];
  if (c < 0xC2 || c > 0xF4) return 0;
  const std::size_t nBytes = c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
  if (n < nBytes) return 0;
  char32_t cp = c & (0x7F >> nBytes);
  for (std::size_t k = 1; k < nBytes; ++k) {
    if ((p[k] & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (p[k] & 0x3F);
  }
  const char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < kLeast[nBytes] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF) || cp == 0xFFFE ||
      cp == 0xFFFF)
    return 0;
  return nBytes;
}

bool IsXmlChar(char32_t cp) {
  return cp == 0x9 || cp == 0xA || cp == 0xD || (cp >= 0x20 && cp <= 0xD7FF) ||
         (cp >= 0xE000 && cp <= 0xFFFD) || (cp >= 0x10000 && cp <= 0x10FFFF);
}

// Appends the reference at text[i] ('&') to out and moves i past it; false
// for any other reference.
bool AppendReference(std::string_view text, std::size_t& i, std::string& out) {
  const std::size_t nEnd = text.find(';', i);
  if (nEnd == std::string_view::npos || nEnd - i > 12) return false;
  const std::string_view name = text.substr(i + 1, nEnd - i - 1);
  static const std::pair<std::string_view, char> kNamed[] = {
      {"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"quot", '"'}, {"apos", '\''}};
  for (const auto& [entity, c] : kNamed) {
    if (name == entity) {
      out += c;
      i = nEnd + 1;
      return true;
    }
  }
  if (name.size() < 2 || name[0] != '#') return false;
  const bool bHex = name[1] == 'x';
  const std::string_view digits = name.substr(bHex ? 2 : 1);
  if (digits.empty()) return false;
  char32_t cp = 0;
  for (const char c : digits) {
    int nDigit = -1;
    if (c >= '0' && c <= '9') nDigit = c - '0';
    if (bHex && c >= 'a' && c <= 'f') nDigit = c - 'a' + 10;
    if (bHex && c >= 'A' && c <= 'F') nDigit = c - 'A' + 10;
    if (nDigit < 0) return false;
    cp = cp * (bHex ? 16 : 10) + static_cast<char32_t>(nDigit);
    if (cp > 0x10FFFF) return false;
  }
  if (!IsXmlChar(cp)) return false;
  AppendUtf8(out, cp);
  i = nEnd + 1;
  return true;
}

// Checks a run of text or an attribute value and appends it to out (when
// given) with its references resolved. Characters XML would normalise (a
// CR; in an attribute value also a tab or a line end), '<', "]]>" in text,
// and any character XML does not allow give false.
bool AppendChecked(std::string_view text, bool bAttribute, std::string* pOut) {
  std::string ignored;
  std::string& out = pOut != nullptr ? *pOut : ignored;
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  std::size_t nRun = 0;  // start of the run not yet appended
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char c = p[i];
    if (c >= 0x80) {
      const std::size_t n = CharLength(p + i, text.size() - i);
      if (n == 0) return false;
      i += n;
      continue;
    }
    if (c >= 0x20 && c != '&' && c != '<' && c != ']') {
      ++i;
      continue;
    }
    if (c == ']') {
      if (!bAttribute && text.substr(i, 3) == "]]>") return false;
      ++i;
      continue;
    }
    if (c == '<' || c == '\r' || (c < 0x20 && c != '\t' && c != '\n')) return false;
    if (bAttribute && (c == '\t' || c == '\n')) return false;
    if (c != '&') {
      ++i;
      continue;
    }
    if (pOut != nullptr) out.append(text.substr(nRun, i - nRun));
    if (!AppendReference(text, i, out)) return false;
    nRun = i;
  }
  if (pOut != nullptr) out.append(text.substr(nRun));
  return true;
}

}  // namespace

bool CWorkbookXml::ReadPlain(std::string_view data, bool bLast, std::size_t& used) {
  std::size_t i = used;
  bool bMore = false;  // the token at i is not complete yet
  // A text left unfinished lies at the start of the carried bytes.
  const std::size_t nCarried = std::exchange(m_nTextScanned, 0);
  std::size_t nTextScanned = i == 0 ? nCarried : 0;
  while (i < data.size() && m_strWhy.empty()) {
    // What comes before the root element is kept for expat: within bounds.
    if (m_strRoot.empty() && m_Prolog.size() > kMaxCarry) break;
    const std::size_t nStart = i;
    bool bRead = true;
    if (data[i] != '<') {
      const std::size_t nLess = data.find('<', i + std::min(nTextScanned, data.size() - i));
      if (nLess == std::string_view::npos) {
        bMore = true;
        m_nTextScanned = data.size() - i;
      } else if (m_strRoot.empty() || m_bRootClosed) {
        // Outside the root element only white space is plain.
        bRead = std::all_of(data.begin() + std::ptrdiff_t(i), data.begin() + std::ptrdiff_t(nLess),
                            IsSpace);
        if (bRead) i = nLess;
      } else {
        bRead = ReadText(data.substr(i, nLess - i));
        if (bRead) i = nLess;
      }
    } else if (i + 1 >= data.size()) {
      bMore = true;
    } else if (data[i + 1] == '/') {
      bRead = ReadEndTag(data, i, bMore);
    } else if (data[i + 1] == '?') {
      bRead = ReadDeclaration(data, i, bMore);
    } else if (data[i + 1] == '!' || m_bRootClosed) {
      bRead = false;  // a comment, CDATA, a declaration, a second root
    } else {
      bRead = ReadTag(data, i, bMore);
    }
    nTextScanned = 0;
    if (!bRead || bMore) {
      i = nStart;
      break;
    }
    if (m_strRoot.empty()) m_Prolog.append(data.substr(nStart, i - nStart));
  }
  CountLines(data.substr(used, i - used));
  // An unfinished token waits for more bytes, within bounds.
  const bool bPlain = i == data.size() || (bMore && !bLast && data.size() - i <= kMaxCarry);
  used = i;
  // A document that ends with an element open, or without one, is expat's
  // to report.
  if (bPlain && bLast && (m_strRoot.empty() || !m_bRootClosed)) return false;
  return bPlain || !m_strWhy.empty();
}

void CWorkbookXml::CountLines(std::string_view read) {
  // Line ends as expat counts them: LF, CR, and CR LF as one.
  if (read.find('\r') == std::string_view::npos) {
    const auto nLf = std::count(read.begin(), read.end(), '\n');
    m_nLines += static_cast<unsigned long>(nLf);
    // A LF that follows a CR read before ends the same line.
    if (m_bLastCr && !read.empty() && read[0] == '\n') --m_nLines;
    if (!read.empty()) m_bLastCr = false;
    return;
  }
  for (const char c : read) {
    if (c == '\r' || (c == '\n' && !m_bLastCr)) ++m_nLines;
    m_bLastCr = c == '\r';
  }
}

bool CWorkbookXml::ReadText(std::string_view text) {
  // Text without references goes to the handler as it lies.
  if (text.find('&') == std::string_view::npos) {
    if (!AppendChecked(text, false, nullptr)) return false;
    m_Handler.Text(text);
    return true;
  }
  m_Buffer.clear();
  if (!AppendChecked(text, false, &m_Buffer)) return false;
  m_Handler.Text(m_Buffer);
  return true;
}

bool CWorkbookXml::ReadTag(std::string_view data, std::size_t& i, bool& bMore) {
  std::size_t j = i + 1;
  const std::size_t nName = NameLength(data, j);
  if (nName == 0) return false;
  const std::string_view name = data.substr(j, nName);
  j += nName;
  // name\0value\0 for each attribute; the pointers are set once the buffer
  // no longer grows.
  m_Buffer.clear();
  std::size_t nAttributes = 0;
  bool bEmpty = false;
  for (;;) {
    const std::size_t nBefore = j;
    while (j < data.size() && IsSpace(data[j])) ++j;
    if (j >= data.size()) return bMore = true;
    if (data[j] == '>') break;
    if (data[j] == '/') {
      if (j + 1 >= data.size()) return bMore = true;
      if (data[j + 1] != '>') return false;
      bEmpty = true;
      ++j;
      break;
    }
    // An attribute, after white space.
    if (j == nBefore || nAttributes == kMaxAttributes) return false;
    const std::size_t nAttrName = NameLength(data, j);
    if (nAttrName == 0) return false;
    if (j + nAttrName >= data.size()) return bMore = true;
    const std::string_view attrName = data.substr(j, nAttrName);
    j += nAttrName;
    while (j < data.size() && IsSpace(data[j])) ++j;
    if (j >= data.size()) return bMore = true;
    if (data[j] != '=') return false;
    ++j;
    while (j < data.size() && IsSpace(data[j])) ++j;
    if (j >= data.size()) return bMore = true;
    const char quote = data[j];
    if (quote != '"' && quote != '\'') return false;
    const std::size_t nClose = data.find(quote, j + 1);
    if (nClose == std::string_view::npos) return bMore = true;
    // The same name twice is not well formed.
    for (std::size_t k = 0, n = 0; n < nAttributes; ++n) {
      const std::size_t nLength = m_Buffer.find('\0', k);
      if (std::string_view(m_Buffer).substr(k, nLength - k) == attrName) return false;
      k = m_Buffer.find('\0', nLength + 1) + 1;
    }
    m_Buffer.append(attrName);
    m_Buffer += '\0';
    if (!AppendChecked(data.substr(j + 1, nClose - j - 1), true, &m_Buffer)) return false;
    m_Buffer += '\0';
    ++nAttributes;
    j = nClose + 1;
  }
  m_Attributes.clear();
  for (std::size_t k = 0; m_Attributes.size() < 2 * nAttributes;) {
    m_Attributes.push_back(m_Buffer.data() + k);
    k = m_Buffer.find('\0', k) + 1;
  }
  m_Attributes.push_back(nullptr);
  i = j + 1;
  if (m_strRoot.empty()) m_strRoot = name;
  m_Handler.Start(LocalName(name), m_Attributes.data());
  if (bEmpty) {
    if (m_strWhy.empty()) m_Handler.End(LocalName(name));
    m_bRootClosed = m_Open.empty();
  } else {
    m_Open.emplace_back(name);
  }
  return true;
}

bool CWorkbookXml::ReadEndTag(std::string_view data, std::size_t& i, bool& bMore) {
  const std::size_t nName = NameLength(data, i + 2);
  if (nName == 0) return i + 2 >= data.size() ? (bMore = true) : false;
  std::size_t j = i + 2 + nName;
  while (j < data.size() && IsSpace(data[j])) ++j;
  if (j >= data.size()) return bMore = true;
  const std::string_view name = data.substr(i + 2, nName);
  if (data[j] != '>' || m_Open.empty() || m_Open.back() != name) return false;
  m_Handler.End(LocalName(name));
  m_Open.pop_back();
  m_bRootClosed = m_Open.empty();
  i = j + 1;
  return true;
}

bool CWorkbookXml::ReadDeclaration(std::string_view data, std::size_t& i, bool& bMore) {
  // Only as the document's first bytes, and only as <?xml version="1.0"
  // [encoding="UTF-8"] [standalone="yes|no"]?> in that order.
  if (!m_strRoot.empty() || !m_Prolog.empty() || i != 0) return false;
  const std::size_t nEnd = data.find("?>", i);
  if (nEnd == std::string_view::npos) return bMore = true;
  std::string_view rest = data.substr(i + 2, nEnd - i - 2);
  const std::string_view kParts[3][4] = {
      {"xml version=\"1.0\"", "xml version='1.0'", "", ""},
      {" encoding=\"UTF-8\"", " encoding='UTF-8'", " encoding=\"utf-8\"", " encoding='utf-8'"},
      {" standalone=\"yes\"", " standalone='yes'", " standalone=\"no\"", " standalone='no'"}};
  for (int nPart = 0; nPart < 3; ++nPart) {
    bool bFound = false;
    for (const std::string_view form : kParts[nPart]) {
      if (!form.empty() && rest.substr(0, form.size()) == form) {
        rest.remove_prefix(form.size());
        bFound = true;
        break;
      }
    }
    if (!bFound && nPart == 0) return false;
  }
  if (!rest.empty() && rest != " ") return false;
  i = nEnd + 2;
  return true;
}

bool CWorkbookXml::HandOver(std::string_view rest, bool bLast) {
  m_bPlain = false;
  std::string lead;
  if (m_strRoot.empty()) {
    // Nothing reached the handler yet: expat reads the document from its
    // first byte.
    lead = std::move(m_Prolog);
  } else {
    // expat reads the open elements (or the closed root) again, quietly,
    // and goes on where the plain reader stopped.
    if (m_bRootClosed) {
      lead = "<" + m_strRoot + "/>";
      m_nQuietStarts = 1;
      m_nQuietEnds = 1;
    } else {
      for (const std::string& name : m_Open) lead += "<" + name + ">";
      m_nQuietStarts = static_cast<int>(m_Open.size());
    }
    m_nLineOffset = m_nLines;
  }
  m_Prolog.clear();
  m_Open.clear();
  // rest may lie in the carried bytes: they stay until expat has read it.
  const bool bRead = (lead.empty() || FeedExpat(lead.data(), lead.size(), false)) &&
                     FeedExpat(rest.data(), rest.size(), bLast);
  m_Carry.clear();
  m_Carry.shrink_to_fit();
  return bRead;
}
