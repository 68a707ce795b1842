#include "query/article/text_template.h"

int GetTextMode(std::int32_t textMark) {
  switch (textMark) {
    case 10:
    case 40:
      return 4;
    case 20:
    case 50:
      return 5;
    case 30:
    case 60:
      return 6;
    default:
      return textMark > 10 ? textMark / 10 : textMark;
  }
}

CString FillTextTemplate(std::wstring_view text, std::wstring_view templ) {
  constexpr wchar_t kMark = L'$';
  CString out;
  out.reserve(text.size());
  std::size_t next = 0;    // next template character
  bool inRun = false;      // the text is inside a run of "$"
  bool blankRest = false;  // the current value ended inside this run
  for (const wchar_t c : text) {
    if (c != kMark) {
      if (inRun && !blankRest && next < templ.size() && templ[next] == kMark) ++next;
      inRun = blankRest = false;
      out += c;
      continue;
    }
    inRun = true;
    if (blankRest || next >= templ.size()) {
      out += L' ';
    } else if (templ[next] == kMark) {
      ++next;
      blankRest = true;
      out += L' ';
    } else {
      out += templ[next++];
    }
  }
  return out;
}
