#include "store/base/reg_util.h"

#include <optional>

#include "platform/registry.h"
#include "platform/text.h"

namespace {

struct CLanguageCodePage {
  const wchar_t* m_strName;
  const wchar_t* m_strCode;
  const wchar_t* m_strOtherCode;
  unsigned m_nCodePage;
};

// The table documented in reg_util.h.
constexpr CLanguageCodePage kLanguages[] = {
    {L"POLISH", L"PL", nullptr, 1250},     {L"CZECH", L"CS", L"CZ", 1250},
    {L"SLOVAK", L"SK", nullptr, 1250},     {L"HUNGARIAN", L"HU", nullptr, 1250},
    {L"SLOVENIAN", L"SL", nullptr, 1250},  {L"CROATIAN", L"HR", nullptr, 1250},
    {L"ROMANIAN", L"RO", nullptr, 1250},   {L"ALBANIAN", L"SQ", nullptr, 1250},
    {L"RUSSIAN", L"RU", nullptr, 1251},    {L"UKRAINIAN", L"UK", L"UA", 1251},
    {L"BULGARIAN", L"BG", nullptr, 1251},  {L"SERBIAN", L"SR", nullptr, 1251},
    {L"BELARUSIAN", L"BE", nullptr, 1251}, {L"MACEDONIAN", L"MK", nullptr, 1251},
    {L"ENGLISH", L"EN", nullptr, 1252},    {L"GERMAN", L"DE", nullptr, 1252},
    {L"FRENCH", L"FR", nullptr, 1252},     {L"ITALIAN", L"IT", nullptr, 1252},
    {L"SPANISH", L"ES", nullptr, 1252},    {L"PORTUGUESE", L"PT", nullptr, 1252},
    {L"DUTCH", L"NL", nullptr, 1252},      {L"DANISH", L"DA", nullptr, 1252},
    {L"SWEDISH", L"SV", nullptr, 1252},    {L"NORWEGIAN", L"NO", L"NB", 1252},
    {L"FINNISH", L"FI", nullptr, 1252},    {L"ICELANDIC", L"IS", nullptr, 1252},
    {L"GREEK", L"EL", L"GR", 1253},        {L"TURKISH", L"TR", nullptr, 1254},
    {L"ESTONIAN", L"ET", nullptr, 1257},   {L"LATVIAN", L"LV", nullptr, 1257},
    {L"LITHUANIAN", L"LT", nullptr, 1257}, {L"THAI", L"TH", nullptr, 874},
    {L"JAPANESE", L"JA", nullptr, 932},    {L"CHINESE", L"ZH", nullptr, 936},
    {L"KOREAN", L"KO", nullptr, 949},
};

bool Matches(const wchar_t* name, std::wstring_view text) { return name && text == name; }

}  // namespace

bool CRegUtil::GetProfileString(const CRegistryFile& file, CString& out, const CString& key,
                                const CString& value) {
  std::optional<CString> data = file.GetString(key, value);
  out = data.value_or(CString());
  return data.has_value();
}

bool CRegUtil::GetProfileStringCurUser(CString& out, const CString& key, const CString& value) {
  return GetProfileString(CRegistryFile(), out, key, value);
}

unsigned CRegUtil::getLanguageCodepage(std::wstring_view language) {
  CString name = ToUpper(Trim(language));
  // A locale name such as "de-DE" or "de_DE": its language part counts.
  if (name.size() > 2 && (name[2] == L'-' || name[2] == L'_')) name.resize(2);
  for (const CLanguageCodePage& entry : kLanguages)
    if (Matches(entry.m_strName, name) || Matches(entry.m_strCode, name) ||
        Matches(entry.m_strOtherCode, name))
      return entry.m_nCodePage;
  return 1252;
}
