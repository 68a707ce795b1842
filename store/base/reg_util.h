// Settings of the current user and the code page of a language.
#pragma once

#include <string_view>

#include "OrvaMat/types.h"

class CRegistryFile;

class CRegUtil {
 public:
  // Reads value `value` of key `key` from the current user's settings
  // (platform/registry.h). True and the text when it exists; false and an
  // empty out when it does not or the settings can not be read.
  static bool GetProfileStringCurUser(CString& out, const CString& key, const CString& value);
  // The same on a given settings file.
  static bool GetProfileString(const CRegistryFile& file, CString& out, const CString& key,
                               const CString& value);

  // The Windows code page in which 8-bit files of `language` are written.
  // `language` is an English language name or its two-letter code, in any
  // case; "de-DE" and "de_DE" count as "DE". Unknown names give 1252.
  //   1250  POLISH PL, CZECH CS CZ, SLOVAK SK, HUNGARIAN HU, SLOVENIAN SL,
  //         CROATIAN HR, ROMANIAN RO, ALBANIAN SQ
  //   1251  RUSSIAN RU, UKRAINIAN UK UA, BULGARIAN BG, SERBIAN SR,
  //         BELARUSIAN BE, MACEDONIAN MK
  //   1252  ENGLISH EN, GERMAN DE, FRENCH FR, ITALIAN IT, SPANISH ES,
  //         PORTUGUESE PT, DUTCH NL, DANISH DA, SWEDISH SV, NORWEGIAN NO NB,
  //         FINNISH FI, ICELANDIC IS, and every other language
  //   1253  GREEK EL GR
  //   1254  TURKISH TR
  //   1257  ESTONIAN ET, LATVIAN LV, LITHUANIAN LT
  //    874  THAI TH
  //    932  JAPANESE JA
  //    936  CHINESE ZH
  //    949  KOREAN KO
  static unsigned getLanguageCodepage(std::wstring_view language);
};
