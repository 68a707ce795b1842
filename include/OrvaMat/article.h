// Article texts and pictures: the exported calls that give an article's short
// text, its complete text, its quantity unit, its picture file and a table's
// display text. The numbers are the export ordinals (frozen).
//
// An article is a row handle of the dataset's article tables ("KurzText",
// "ArtikelInfo1", "ArtikelInfo2", ...). Every call first makes the article's
// dataset the current one; it stays current afterwards. Texts are taken from
// a child table named after the current user-interface language when that
// has the row, else from the table itself. Missing tables give eMatNoTable
// (6) and leave the out-texts empty; missing rows give eMatNoRow (7).
//
// CMatManager derives from CMatArticleCalls, so a host calls them as
// CMatManager::GetKurzText(...).
#pragma once

#include "OrvaMat/types.h"

class CMatTable;

class ORVAMAT_API CMatArticleCalls {
 public:
  CMatArticleCalls() = delete;

  // 14: the short text (one line, or two joined by CR LF), translated.
  static eMatManager GetKurzText(CString& out, unsigned long article);
  // 5: writes the short text into the language child of "KurzText" when it
  // exists, else into "KurzText".
  static eMatManager SetKurzText(const wchar_t* text, unsigned long article);
  // 190: true when the article's short text can be read.
  static bool HasKurzText(unsigned long article);
  // 27: stores a ready complete text ("GesammtText"); 6 when that table is missing.
  static eMatManager SetGesammtText(const wchar_t* text, unsigned long article);
  // 47: the complete text: the ready text when one is stored, else assembled
  // from the short text, the long text block and the article's text lines, as
  // the article's text mark (Textkennzeichen) says. Trailing white space is removed.
  static eMatManager GetGesammtText(CString& out, unsigned long article);
  // 185: the text of the article's quantity unit (field 2 of "ArtikelInfo1").
  static eMatManager GetMengeneinheitText(CString& out, unsigned long article);
  // 54: the picture file name and its second text from "GRAFIK1A", by the
  // article's connection number or the article itself; without an entry the
  // article number up to its first "." with ".BMP"; "default.bmp" for none.
  static eMatManager GetArtikelGrafik(CString& file, CString& info, unsigned long article);
  // 55: the full path of the article's picture in the "BMP" folder beside the
  // dataset's folder (language folder first; extensions .bmp .pcx .jpg .png;
  // then by match code and long text key; then "default"). When path holds a
  // name on entry, that name is looked for instead. No picture anywhere: the
  // path of "BMP/default.bmp" and 7.
  static eMatManager GetArtikelBildDatei(CString& path, CString& info, unsigned long article);
  // 6: a file of the dataset: <dataset folder's parent>/<folder>/<language>/<name><ext>,
  // else without the language folder; name becomes the path found (0), else 4.
  // 6 without a current dataset.
  static eMatManager FindDatasetFile(CString& name, const wchar_t* folder, const wchar_t* ext);
  // 124: the display text of a table from the nearest "Texte" table above it,
  // else the table's name with 7; 7 for a null table.
  static eMatManager GetTableText(CString& out, CMatTable* table);
  // 139: switches file look-ups to the library-files manager (process-wide).
  static void setEnableOnlineUsage(bool enable);
  // 215: the local file that stands for name: the library-files manager's file
  // when online usage is on, else name unchanged.
  static void ResolveLibraryFile(CString& out, CString name);
};
