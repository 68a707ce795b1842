// The complete text of an article: a ready text, or one assembled from the
// short text, the long text block and the article's DATANORM text lines.
#include "OrvaMat/article.h"
#include "OrvaMat/mat_manager.h"
#include "query/article/article_read.h"
#include "query/article/table_lookup.h"
#include "query/article/text_template.h"
#include "store/mat_store.h"

namespace {

constexpr const wchar_t* kLineEnd = L"\r\n";

// A table and its language child, read child first.
struct CTextSource {
  CMatTable* pBase = nullptr;
  CMatTable* pChild = nullptr;

  explicit CTextSource(CMatTable* base) : pBase(base), pChild(FindLanguageChild(base)) {}
  eMatManager Read(CMatStore& store, Handle hRow, CString& out) const {
    if (pChild != nullptr && ReadTextCell(store, pChild, hRow, 0, 0, false, out) == eMatOk) {
      return eMatOk;
    }
    return ReadTextCell(store, pBase, hRow, 0, 0, false, out);
  }
};

class CGesammtText {
 public:
  CGesammtText(const CArticleContext& context, Handle hArticle)
      : m_Context(context), m_Store(context.Store()), m_hArticle(hArticle) {}

  eMatManager Assemble(CString& out);

 private:
  int TextMode() const;
  eMatManager AppendShortText(int mode, CString& rest);
  void AppendLongText(int mode);
  eMatManager AppendTextLines();
  // Entry i of the article's text lines, language child first.
  bool ReadLine(const CTextSource& lines, int i, std::uint32_t& templ, std::uint32_t& key) const;

  const CArticleContext& m_Context;
  CMatStore& m_Store;
  Handle m_hArticle;
  CString m_strText;
};

int CGesammtText::TextMode() const {
  std::uint32_t mark = 0;
  const eMatManager rc =
      ReadCell(m_Store, m_Context.Table(L"ArtikelInfo2"), m_hArticle, 0, 6, mark);
  return rc == eMatOk ? GetTextMode(static_cast<std::int32_t>(mark)) : 6;
}

eMatManager CGesammtText::AppendShortText(int mode, CString& rest) {
  CMatTable* pKurz = m_Context.Table(L"KurzText");
  if (pKurz == nullptr || mode == 3) return eMatOk;
  CString text;
  const eMatManager rc = CTextSource(pKurz).Read(m_Store, m_hArticle, text);
  if (rc != eMatOk) return rc;
  const auto cr = text.find(L'\r');
  CString first = text.substr(0, cr);
  CString second;
  if (cr != CString::npos)
    second = text.substr(text.compare(cr, 2, kLineEnd) == 0 ? cr + 2 : cr + 1);
  // Mode 1 shows the second line first and the first at the end; mode 2
  // shows the first line only.
  if (mode == 1) std::swap(first, second);
  m_strText += first + kLineEnd;
  if (mode == 1) {
    rest = second;
  } else if (mode != 2) {
    m_strText += second + kLineEnd;
  }
  return eMatOk;
}

void CGesammtText::AppendLongText(int mode) {
  CMatTable* pLang = m_Context.Table(L"LangText");
  if (pLang == nullptr || mode == 0 || mode == 2 || mode == 5) return;
  std::uint32_t hKey = 0;
  if (ReadCell(m_Store, pLang, m_hArticle, 0, 0, hKey) != eMatOk || hKey == 0) return;
  CString text;
  if (CTextSource(m_Context.Table(L"DATANORM_T")).Read(m_Store, hKey, text) == eMatOk) {
    m_strText += text + kLineEnd;
  }
}

bool CGesammtText::ReadLine(const CTextSource& lines, int i, std::uint32_t& templ,
                            std::uint32_t& key) const {
  for (CMatTable* pTable : {lines.pChild, lines.pBase}) {
    if (pTable == nullptr) continue;
    const eMatManager rc = ReadCell(m_Store, pTable, m_hArticle, i, 1, key);
    if (rc != eMatOk && rc != eMatEmptyHandle) continue;
    ReadCell(m_Store, pTable, m_hArticle, i, 0, templ);
    templ = pTable->m_pDatenSatz->GetPoolText(templ) ? templ : 0;
    return true;
  }
  return false;
}

eMatManager CGesammtText::AppendTextLines() {
  const CTextSource lines(m_Context.Table(L"DATANORM_D"));
  if (lines.pBase == nullptr) return eMatOk;
  const CTextSource blocksE(m_Context.Table(L"DATANORM_E"));
  const CTextSource blocksT(m_Context.Table(L"DATANORM_T"));
  CMatDatenSatz& dataset = *lines.pBase->m_pDatenSatz;
  std::uint32_t templ = 0, key = 0;
  for (int i = 0; ReadLine(lines, i, templ, key); ++i) {
    const CPoolText pattern = dataset.GetPoolText(templ);
    if (key == 0) {
      pattern.AppendTo(m_strText);
      continue;
    }
    CString block;
    eMatManager rc = blocksE.pBase != nullptr ? blocksE.Read(m_Store, key, block) : eMatNoTable;
    if (rc != eMatOk)
      rc = blocksT.pBase != nullptr ? blocksT.Read(m_Store, key, block) : eMatNoTable;
    if (rc != eMatOk) return rc;
    m_strText += (pattern ? FillTextTemplate(block, pattern.ToString()) : block) + kLineEnd;
  }
  return eMatOk;
}

eMatManager CGesammtText::Assemble(CString& out) {
  const int mode = TextMode();
  CString rest;
  if (const eMatManager rc = AppendShortText(mode, rest); rc != eMatOk) return rc;
  AppendLongText(mode);
  if (const eMatManager rc = AppendTextLines(); rc != eMatOk) return rc;
  if (mode == 1) m_strText += kLineEnd + rest;
  const auto end = m_strText.find_last_not_of(L" \t\r\n");
  m_strText.erase(end == CString::npos ? 0 : end + 1);
  out = std::move(m_strText);
  return eMatOk;
}

}  // namespace

eMatManager CMatArticleCalls::GetGesammtText(CString& out, unsigned long article) {
  out.clear();
  const auto hArticle = static_cast<Handle>(article);
  CArticleContext context(CMatStore::Instance(), hArticle);
  if (CMatTable* pReady = context.Table(L"GesammtText")) {
    CString text;
    if (CTextSource(pReady).Read(context.Store(), hArticle, text) == eMatOk) {
      out = std::move(text);
      return eMatOk;
    }
  }
  return CGesammtText(context, hArticle).Assemble(out);
}
