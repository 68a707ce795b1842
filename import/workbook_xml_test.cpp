// The plain reader gives the handler exactly what expat gives it, for plain
// parts and for every kind of document it hands over, in pieces of any size.
#include "import/workbook_xml.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "import/workbook_xml_test_util.h"

namespace {

TEST(WorkbookXml, ThePlainReaderReadsAsExpatDoes) {
  const std::string kSheet =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
      "<x:worksheet xmlns:x=\"urn:x\"><sheetData>\n<row r=\"1\" spans='1:2'>"
      "<c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\"><is><t>Gr\xC3\xB6\xC3\x9F"
      "e &amp; &lt;Ma&#223;&gt; &#x20AC; &quot;&apos; a > b</t></is></c>"
      "<c r = \"C1\" x:t=\"a&#10;b &gt;\"/></row>\n</sheetData></x:worksheet>\n";
  const std::string cases[] = {
      kSheet,
      // Handed over: each holds something the plain reader leaves to expat.
      "<a><!-- note --><b>x</b></a>",
      "<a><b><![CDATA[<x> & y]]></b>z</a>",
      "<a><?pi data?><b/></a>",
      "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a>\xE4</a>",
      "\xEF\xBB\xBF<a>b</a>",
      "<a>line\r\nnext\rlast</a>",
      "<a b=\"tab\there\nline\"/>",
      "<a><b\xC3\xA4>x</b\xC3\xA4></a>",
      "<a>&#xFFFE;</a>",
      "<a>x &unknown; y</a>",
      // Not well formed: expat's message and line, wherever the fault lies.
      "<?xml version=\"1.0\"?><!DOCTYPE a [<!ENTITY e \"x\">]><a>&e;</a>",
      "<a>\n<b>\n</a>",
      "<a/><b/>",
      "<a></a>junk",
      "<a>\n\n<b>open",
      "",
      "   ",
      "<a b=\"1\" b=\"2\"/>",
      "<a b=\"<\"/>",
      "<a>]]></a>",
      "<a>\xFF</a>",
      "<a>\xC3</a>",
      "<a>\x01</a>",
      "<a>&#0;</a>",
      "<a b=1/>",
      "<a/ >",
      "<a><1b/></a>",
      " <?xml version=\"1.0\"?><a/>",
      "<?xml encoding=\"UTF-8\" version=\"1.0\"?><a/>",
      "<?xml version=\"1.1\"?><a/>",
      "<a><?pi data?><b/></a>xl/workb",
      "<a\r>\nlni\xC7q\x1C\xC7q\x1C\xC7\x01st</a>",
      "<a><b><![CDATA[1\" spans='1:2'><c r=\"A1\" t=\"s\"><v>0</v></c><c t>Gr\xC3"
      "\xB6"
      "\xC3"
      "\x9F"
      "e &amp; &lt;M1\"C2\" x:<x> & \"A1\" t=\"s\"><v>0</v></c><c t>Gr\xC3"
      "\xB6"
      "\xC3"
      "\x9F"
      "e &amp; &lt;M1\"C2\" x:<x> & y]]>y]]></b>z</a>",
  };
  std::vector<std::string> docs(std::begin(cases), std::end(cases));
  docs.push_back(std::string(3u << 20, ' ') + "<a>long prolog</a>");
  docs.push_back("<a>" + std::string(3u << 20, 'x') + "</a>");
  std::string many = "<a";
  for (int n = 0; n < 40; ++n) many += " b" + std::to_string(n % 35) + "=''";
  docs.push_back(many + "/>");  // a name repeated after the 32nd
  docs.push_back(many.substr(0, 300) + "/>");
  for (const std::string& doc : docs) {
    SCOPED_TRACE(doc.substr(0, 80));
    const std::string expected = ReadXmlEvents(doc, false, 0);
    // Long documents come in the pieces the zip reader gives.
    const bool bLong = doc.size() > (1u << 20);
    const std::size_t nPieces[] = {0, bLong ? 65536u : 1u, bLong ? 65536u : 3u,
                                   bLong ? 65536u : 7u};
    // What expat says of a document that is not well formed may depend on
    // where its pieces end (how much text it passes on before the fault):
    // such a document is compared read whole, where expat has the rest as
    // one piece.
    const bool bWellFormed = IsWellFormedRead(expected);
    for (const std::size_t nPiece : nPieces) {
      SCOPED_TRACE(nPiece);
      const std::string read = ReadXmlEvents(doc, true, nPiece);
      if (nPiece == 0 || bWellFormed) {
        EXPECT_EQ(read, expected);
      }
    }
  }
  // The plain sheet is read completely, and the references are resolved.
  const std::string sheet = ReadXmlEvents(kSheet, true, 0);
  EXPECT_NE(sheet.find("Größe & <Maß> € \"' a > b"), std::string::npos);
  EXPECT_NE(sheet.find("x:t=[a\nb >]"), std::string::npos);
  EXPECT_TRUE(IsWellFormedRead(sheet));
}

// A text that goes on over several pieces is looked through once, and its
// end is found also as the first byte of a piece: the plain reader reads it.
TEST(WorkbookXml, ATextOverManyPiecesStaysPlain) {
  const std::size_t nPiece = 65536;
  const std::string doc = "<a>" + std::string(4 * nPiece - 3, 'x') + "</a>";
  CXmlEventLog log;
  CWorkbookXml xml(log, true);
  for (std::size_t i = 0; i < doc.size(); i += nPiece)
    ASSERT_TRUE(xml.Feed(doc.data() + i, std::min(nPiece, doc.size() - i), false));
  ASSERT_TRUE(xml.Feed(nullptr, 0, true));
  EXPECT_TRUE(xml.IsPlain());
  EXPECT_EQ(log.m_Log + " => ok", ReadXmlEvents(doc, false, 0));
}

// A handler that stops the parse stops the plain reader as well.
TEST(WorkbookXml, AStopEndsThePlainReader) {
  struct CStopper : CXmlEventLog {
    CWorkbookXml* pXml = nullptr;
    void Start(std::string_view name, const char** attributes) override {
      CXmlEventLog::Start(name, attributes);
      if (name == "stop") pXml->Stop(L"genug");
    }
  } stopper;
  CWorkbookXml xml(stopper);
  stopper.pXml = &xml;
  const std::string doc = "<a><b/><stop/><c/></a>";
  EXPECT_FALSE(xml.Feed(doc.data(), doc.size(), true));
  EXPECT_EQ(xml.GetWhy(), L"genug");
  EXPECT_EQ(stopper.m_Log, "<a><b></b><stop>");
}

}  // namespace
