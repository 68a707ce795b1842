// A streaming XML parser (expat) for the parts of a workbook, safe against
// hostile documents: a document type declaration is refused outright (the
// parts of a workbook never have one), so no entity can be declared, none
// expanded and none fetched from outside; parameter entities are never
// parsed. Element and attribute names reach the handler without their
// namespace prefix ("x:c" as "c", "table:name" as "name").
#pragma once

#include <cstddef>
#include <string_view>

#include "OrvaMat/types.h"

class CWorkbookXmlHandler {
 public:
  virtual ~CWorkbookXmlHandler() = default;
  // attributes: name, value, name, value, ..., null (expat's layout).
  virtual void Start(std::string_view name, const char** attributes) = 0;
  virtual void End(std::string_view name) = 0;
  // Character data, in pieces as they come.
  virtual void Text(std::string_view text) = 0;
};

class CWorkbookXml {
 public:
  explicit CWorkbookXml(CWorkbookXmlHandler& handler);
  ~CWorkbookXml();
  CWorkbookXml(const CWorkbookXml&) = delete;
  CWorkbookXml& operator=(const CWorkbookXml&) = delete;

  // Feeds the next bytes (bLast with the final ones). False once the
  // document is malformed, has a document type, or the handler stopped it.
  bool Feed(const char* p, std::size_t n, bool bLast);
  // The handler stops the parse (a limit reached); why is kept.
  void Stop(const CString& why);
  // Why the parse failed (empty while it has not).
  const CString& GetWhy() const { return m_strWhy; }

  // The attribute's value (by name without prefix), or null.
  static const char* Attribute(const char** attributes, std::string_view name);
  // The name without its namespace prefix.
  static std::string_view LocalName(const char* pName);

 private:
  static void OnStart(void* pUser, const char* pName, const char** attributes);
  static void OnEnd(void* pUser, const char* pName);
  static void OnText(void* pUser, const char* p, int n);
  static void OnDoctype(void* pUser, const char*, const char*, const char*, int);

  void* m_pParser;
  CWorkbookXmlHandler& m_Handler;
  CString m_strWhy;
};
