// An article's fields in one struct: what a host shows of an article of a
// DATANORM dataset (texts, price, units, groups, match code, EAN, picture),
// read from the dataset's article tables, and the number formats they are
// shown in.
#pragma once

#include "OrvaMat/types.h"

struct CArticleFields {
  CString strShortText;       // translated short text (CMatManager::GetKurzText)
  CString strCompleteText;    // complete text (CMatManager::GetGesammtText)
  float fPrice = 0;           // "Preis", first value
  unsigned nPriceUnit = 0;    // "ArtikelInfo1" field 1: the quantity the price is for
  CString strQuantityUnit;    // CMatManager::GetMengeneinheitText
  CString strDiscountGroup;   // "ArtikelInfo1" field 3, a row of "Rabattgruppen"
  float fDiscountFactor = 0;  // the discount group's factor; 0 when it has none
  CString strMainGroup;       // "ArtikelInfo2" field 1
  CString strProductGroup;    // the "WG_" table under the main group that holds the article
  CString strMatchCode;       // "ArtikelInfo2" field 0
  CString strEAN;             // "ArtikelInfo2" field 2
  CString strPicture;         // the picture file, resolved (CMatManager::GetArtikelBildDatei)
};

// The article of that number in the dataset of the prefix (the number taken
// whole, a backslash in it included); 0 when there is none.
ORVAMAT_API unsigned long FindArticle(unsigned long prefix, const CString& number);

// The fields of the article (a row handle); its dataset becomes current.
// Fields whose table or row is missing stay empty or 0. eMatNoHandle for
// handle 0 or a handle of no open dataset.
ORVAMAT_API eMatManager GetArticleFields(CArticleFields& out, unsigned long article);

// A price as shown: two decimals ("12.50").
ORVAMAT_API CString FormatPrice(double price);
// A factor as shown: at most four significant digits ("0.65", "1.234e+05").
ORVAMAT_API CString FormatFactor(double factor);
