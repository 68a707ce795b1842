#include "import/workbook_xml.h"

#include <expat.h>

#include <climits>

#include "platform/text.h"

namespace {

XML_Parser Parser(void* p) { return static_cast<XML_Parser>(p); }

}  // namespace

CWorkbookXml::CWorkbookXml(CWorkbookXmlHandler& handler, bool bPlain)
    : m_pParser(XML_ParserCreate(nullptr)), m_Handler(handler), m_bPlain(bPlain) {
  if (m_pParser == nullptr) {
    m_strWhy = L"Kein Speicher für den XML-Leser.";
    return;
  }
  XML_Parser parser = Parser(m_pParser);
  XML_SetUserData(parser, this);
  XML_SetElementHandler(parser, &OnStart, &OnEnd);
  XML_SetCharacterDataHandler(parser, &OnText);
  XML_SetStartDoctypeDeclHandler(parser, &OnDoctype);
  XML_SetParamEntityParsing(parser, XML_PARAM_ENTITY_PARSING_NEVER);
}

CWorkbookXml::~CWorkbookXml() {
  if (m_pParser != nullptr) XML_ParserFree(Parser(m_pParser));
}

bool CWorkbookXml::Feed(const char* p, std::size_t n, bool bLast) {
  if (m_pParser == nullptr || !m_strWhy.empty()) return false;
  if (!m_bPlain) return FeedExpat(p, n, bLast);
  std::string_view data(p, n);
  if (!m_Carry.empty()) {
    m_Carry.append(p, n);
    data = m_Carry;
  }
  std::size_t used = 0;
  const bool bPlainSoFar = ReadPlain(data, bLast, used);
  if (!m_strWhy.empty()) return false;
  if (!bPlainSoFar) return HandOver(data.substr(used), bLast);
  // The unfinished token waits for the next bytes.
  if (used == data.size())
    m_Carry.clear();
  else if (data.data() == m_Carry.data())
    m_Carry.erase(0, used);
  else
    m_Carry.assign(data.substr(used));
  return true;
}

bool CWorkbookXml::FeedExpat(const char* p, std::size_t n, bool bLast) {
  XML_Parser parser = Parser(m_pParser);
  // expat takes an int length: larger pieces go in parts.
  while (n > INT_MAX / 2) {
    if (!FeedExpat(p, INT_MAX / 2, false)) return false;
    p += INT_MAX / 2;
    n -= INT_MAX / 2;
  }
  if (XML_Parse(parser, p, static_cast<int>(n), bLast ? 1 : 0) == XML_STATUS_ERROR) {
    if (m_strWhy.empty()) {
      m_strWhy = L"XML-Fehler in Zeile " +
                 std::to_wstring(XML_GetCurrentLineNumber(parser) + m_nLineOffset) + L": " +
                 FromUtf8(XML_ErrorString(XML_GetErrorCode(parser)));
    }
    return false;
  }
  return m_strWhy.empty();
}

void CWorkbookXml::Stop(const CString& why) {
  if (m_strWhy.empty()) m_strWhy = why;
  if (m_pParser != nullptr) XML_StopParser(Parser(m_pParser), XML_FALSE);
}

std::string_view CWorkbookXml::LocalName(std::string_view name) {
  const std::size_t nColon = name.rfind(':');
  return nColon == std::string_view::npos ? name : name.substr(nColon + 1);
}

const char* CWorkbookXml::Attribute(const char** attributes, std::string_view name) {
  for (const char** p = attributes; p != nullptr && p[0] != nullptr; p += 2) {
    if (LocalName(p[0]) == name) return p[1];
  }
  return nullptr;
}

void CWorkbookXml::OnStart(void* pUser, const char* pName, const char** attributes) {
  auto* self = static_cast<CWorkbookXml*>(pUser);
  if (self->m_nQuietStarts > 0) {
    --self->m_nQuietStarts;
    return;
  }
  if (self->m_strWhy.empty()) self->m_Handler.Start(LocalName(pName), attributes);
}

void CWorkbookXml::OnEnd(void* pUser, const char* pName) {
  auto* self = static_cast<CWorkbookXml*>(pUser);
  if (self->m_nQuietEnds > 0) {
    --self->m_nQuietEnds;
    return;
  }
  if (self->m_strWhy.empty()) self->m_Handler.End(LocalName(pName));
}

void CWorkbookXml::OnText(void* pUser, const char* p, int n) {
  auto* self = static_cast<CWorkbookXml*>(pUser);
  if (self->m_strWhy.empty() && n > 0)
    self->m_Handler.Text(std::string_view(p, static_cast<std::size_t>(n)));
}

void CWorkbookXml::OnDoctype(void* pUser, const char*, const char*, const char*, int) {
  static_cast<CWorkbookXml*>(pUser)->Stop(
      L"Die Arbeitsmappe enthält eine Dokumenttyp-Deklaration; sie wird nicht gelesen.");
}
