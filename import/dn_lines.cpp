#include "import/dn_lines.h"

#include "platform/code_page.h"
#include "store/base/line_file.h"

namespace {

// Code pages whose lines can be found in the bytes: one byte per character,
// or UTF-8, where CR and LF never occur inside a character.
bool SplitsAsBytes(unsigned codePage) {
  switch (codePage) {
    case CP_UTF8_TEXT:
    case CP_DOS_850:
    case 874:
    case 1250:
    case 1251:
    case 1252:
    case 1253:
    case 1254:
    case 1257:
      return true;
    default:
      return false;
  }
}

}  // namespace

void CDnLines::Clear() {
  m_Bytes.clear();
  m_Wide.clear();
  m_strWhole.clear();
  m_Slots = {};
}

bool CDnLines::Assign(std::string_view bytes, unsigned codePage) {
  Clear();
  if (!IsKnownCodePage(codePage)) return false;
  m_nCodePage = codePage;
  m_bDecodedWhole = !SplitsAsBytes(codePage);
  if (m_bDecodedWhole) {
    if (!DecodeText(bytes, codePage, m_strWhole)) return false;
    m_Wide = qelStrUtil::SplitLineViews(std::wstring_view(m_strWhole));
  } else {
    m_Bytes = qelStrUtil::SplitLineViews(bytes);
  }
  return true;
}

std::wstring_view CDnLines::Get(std::size_t i) {
  if (m_bDecodedWhole) return m_Wide[i];
  for (std::size_t s = 0; s < m_Slots.size(); ++s) {
    if (m_Slots[s].nLine == i) {
      m_nNewest = s;
      return m_Slots[s].strText;
    }
  }
  m_nNewest = 1 - m_nNewest;
  CSlot& slot = m_Slots[m_nNewest];
  slot.nLine = i;
  DecodeText(m_Bytes[i], m_nCodePage, slot.strText);
  return slot.strText;
}
