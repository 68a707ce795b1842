// A streaming XML parser for the parts of a workbook, safe against hostile
// documents: a document type declaration is refused outright (the parts of a
// workbook never have one), so no entity can be declared, none expanded and
// none fetched from outside; parameter entities are never parsed. Element
// and attribute names reach the handler without their namespace prefix
// ("x:c" as "c", "table:name" as "name").
//
// expat is the parser of record. The parts of a large workbook, though, are
// megabytes of the plainest XML (tags, attributes, text, the five named
// entities and character references), which expat reads at about 90 MB/s.
// A reader of that plain subset (workbook_xml_plain.cpp) runs first and
// hands the document over to expat at the first thing outside it: a
// comment, CDATA, a processing instruction, a declaration other than UTF-8,
// a name beyond ASCII, a character to be normalised, anything not well
// formed. expat then goes on from there as if it had read all before, so
// every such document, and every error and its line, is expat's.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

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
  // bPlain: the plain reader runs first (off: expat reads all; for tests).
  explicit CWorkbookXml(CWorkbookXmlHandler& handler, bool bPlain = true);
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
  // Whether the plain reader has read all so far (nothing went to expat).
  bool IsPlain() const { return m_bPlain; }

  // The attribute's value (by name without prefix), or null.
  static const char* Attribute(const char** attributes, std::string_view name);
  // The name without its namespace prefix.
  static std::string_view LocalName(std::string_view name);

 private:
  // The plain reader: reads the complete tokens of data from used on and
  // advances used past them; false where expat must take over (at used).
  bool ReadPlain(std::string_view data, bool bLast, std::size_t& used);
  bool ReadTag(std::string_view data, std::size_t& i, bool& bMore);
  bool ReadEndTag(std::string_view data, std::size_t& i, bool& bMore);
  bool ReadText(std::string_view text);
  void CountLines(std::string_view read);
  bool ReadDeclaration(std::string_view data, std::size_t& i, bool& bMore);
  // Gives the rest of the document, from rest on, to expat.
  bool HandOver(std::string_view rest, bool bLast);
  bool FeedExpat(const char* p, std::size_t n, bool bLast);

  static void OnStart(void* pUser, const char* pName, const char** attributes);
  static void OnEnd(void* pUser, const char* pName);
  static void OnText(void* pUser, const char* p, int n);
  static void OnDoctype(void* pUser, const char*, const char*, const char*, int);

  void* m_pParser;
  CWorkbookXmlHandler& m_Handler;
  CString m_strWhy;

  // The plain reader's state.
  bool m_bPlain;
  std::string m_Carry;  // the bytes of a token not yet complete
  // Of a text carried unfinished, the bytes already looked through for its
  // end: the next piece is looked through from there, not from the start.
  std::size_t m_nTextScanned = 0;
  std::string m_Prolog;             // the bytes read before the root element
  std::string m_strRoot;            // the root element's name, once it started
  std::vector<std::string> m_Open;  // the names of the open elements
  bool m_bRootClosed = false;
  unsigned long m_nLines = 0;  // line ends read, for expat's line numbers
  bool m_bLastCr = false;      // the last byte read was a CR
  std::string m_Buffer;        // a decoded text or the attributes of a tag
  std::vector<const char*> m_Attributes;
  // expat reads the open elements again before the rest: those events are
  // not passed on.
  int m_nQuietStarts = 0;
  int m_nQuietEnds = 0;
  unsigned long m_nLineOffset = 0;
};
