// The XML reader's events as one text, for the test and the fuzz target that
// compare the plain reader with expat.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

#include "import/workbook_xml.h"
#include "platform/text.h"

// Every event as text; consecutive texts are one, as they come in pieces.
class CXmlEventLog : public CWorkbookXmlHandler {
 public:
  std::string m_Log;
  void Start(std::string_view name, const char** attributes) override {
    m_Log += "<" + std::string(name);
    for (const char** p = attributes; p[0] != nullptr; p += 2)
      m_Log += " " + std::string(p[0]) + "=[" + p[1] + "]";
    m_Log += ">";
  }
  void End(std::string_view name) override { m_Log += "</" + std::string(name) + ">"; }
  void Text(std::string_view text) override { m_Log += text; }
};

// The events, then " => ok" or the error as far as it does not depend on
// how the document came in pieces (expat may name the same fault at the
// same place in other words after other pieces), reading the document in
// pieces of nPiece bytes (0: whole).
inline std::string ReadXmlEvents(std::string_view doc, bool bPlain, std::size_t nPiece) {
  CXmlEventLog log;
  CWorkbookXml xml(log, bPlain);
  bool bOk = true;
  const std::size_t n = nPiece == 0 ? doc.size() : nPiece;
  for (std::size_t i = 0; bOk && i < doc.size(); i += n)
    bOk = xml.Feed(doc.data() + i, std::min(n, doc.size() - i), false);
  if (bOk) bOk = xml.Feed(nullptr, 0, true);
  const std::string why = ToUtf8(xml.GetWhy());
  return log.m_Log + " => " + (bOk ? std::string("ok") : why.substr(0, why.find(':')));
}

inline bool IsWellFormedRead(const std::string& events) {
  return events.size() >= 5 && events.compare(events.size() - 5, 5, "=> ok") == 0;
}
