#include <gtest/gtest.h>

#include <cstdlib>

#include "OrvaMat/article.h"
#include "OrvaMat/mat_manager.h"
#include "query/article/article_test_util.h"

namespace {

CString Picture(CArticleTestDataset& t, const wchar_t* article, eMatManager expected) {
  CString path, info;
  EXPECT_EQ(CMatManager::GetArtikelBildDatei(path, info, article ? t.H(article) : 0), expected);
  return path;
}

TEST(ArticlePicture, GraphicEntryNameIsSearchedWithAllExtensions) {
  CArticleTestDataset t;
  CMatTable* pGrafik = t.Table(L"GRAFIK1A", eTypeStruct, nullptr, {eTypeString, eTypeString});
  t.SetText(pGrafik, L"A", L"Pumpe.jpg", 0, 0);
  t.Info2();
  const CString png = t.Touch("BMP/pumpe.PNG");  // any case
  EXPECT_EQ(Picture(t, L"A", eMatOk), png);
  const CString bmp = t.Touch("BMP/Pumpe.bmp");  // .bmp comes before .png
  EXPECT_EQ(Picture(t, L"A", eMatOk), bmp);
}

TEST(ArticlePicture, ArticleNumberConnectionNumberAndDefaults) {
  CArticleTestDataset t;
  CMatTable* pInfo2 = t.Info2();
  // No picture anywhere: the default path.
  EXPECT_EQ(Picture(t, L"A", eMatNoRow), t.Folder() + L"/BMP/default.bmp");
  CString file, info;
  // Without a picture table the article's number up to its first dot names it.
  EXPECT_EQ(CMatManager::GetArtikelGrafik(file, info, t.H(L"AB.12")), eMatNoTable);
  EXPECT_EQ(file, L"AB.BMP");
  t.SetValue(pInfo2, L"C", t.H(L"ANB-7"), 0, 3);
  CMatManager::GetArtikelGrafik(file, info, t.H(L"C"));
  EXPECT_EQ(file, L"ANB-7.BMP");
  EXPECT_EQ(CMatManager::GetArtikelGrafik(file, info, 0), eMatOk);
  EXPECT_EQ(file, L"default.bmp");
  // A match code with dots is tried with dashes; the default picture last.
  t.SetValue(pInfo2, L"M", t.H(L"X.Y"), 0, 0);
  const CString def = t.Touch("BMP/default.pcx");
  EXPECT_EQ(Picture(t, L"M", eMatOk), def);
  const CString key = t.Touch("BMP/X-Y.jpg");
  EXPECT_EQ(Picture(t, L"M", eMatOk), key);
}

TEST(ArticlePicture, LanguageFolderAndLongTextKeyAndDefaultJpg) {
  CArticleTestDataset t(L"ENGLISH");
  t.Info2();
  CMatTable* pLang = t.Table(L"LangText", eTypeHandle);
  t.SetValue(pLang, L"A", t.H(L"LTK"));
  const CString viaKey = t.Touch("BMP/LTK.png");
  EXPECT_EQ(Picture(t, L"A", eMatOk), viaKey);
  const CString own = t.Touch("BMP/ENGLISH/A.jpg");
  EXPECT_EQ(Picture(t, L"A", eMatOk), own);
  // No match code: default.jpg beside the dataset folders, with the read's code.
  const CString jpg = t.Touch("default.jpg");
  EXPECT_EQ(Picture(t, L"Z", eMatNoRow), jpg);
  // A name given on entry is looked for instead of the article's.
  CString path = L"A.bmp", info;
  EXPECT_EQ(CMatManager::GetArtikelBildDatei(path, info, 0), eMatOk);
  EXPECT_EQ(path, own);
}

TEST(ArticlePicture, DatasetFilesAndLibraryFiles) {
  CArticleTestDataset t(L"ENGLISH");
  CString name = L"liste";
  EXPECT_EQ(CMatManager::FindDatasetFile(name, L"DOC", L".pdf"), eMatNoItem);
  const CString plain = t.Touch("DOC/liste.pdf");
  EXPECT_EQ(CMatManager::FindDatasetFile(name, L"DOC", L".pdf"), eMatOk);
  EXPECT_EQ(name, plain);
  name = L"liste";
  const CString english = t.Touch("DOC/ENGLISH/liste.pdf");
  EXPECT_EQ(CMatManager::FindDatasetFile(name, L"DOC/", L".pdf"), eMatOk);
  EXPECT_EQ(name, english);

  CString out;
  CMatManager::ResolveLibraryFile(out, L"bilder/a.png");
  EXPECT_EQ(out, L"bilder/a.png");
  ::setenv("ORVAMAT_LIBRARY_FILES", ToUtf8(t.Folder()).c_str(), 1);
  CMatManager::setEnableOnlineUsage(true);
  CMatManager::ResolveLibraryFile(out, L"bilder/a.png");
  EXPECT_EQ(out, t.Folder() + L"/bilder/a.png");
  t.Info2();
  const CString online = t.Touch("BMP/A.bmp");
  EXPECT_EQ(Picture(t, L"A", eMatOk), online);
  CMatManager::setEnableOnlineUsage(false);
  ::unsetenv("ORVAMAT_LIBRARY_FILES");
}

}  // namespace
