#include "store/base/translation.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/file.h"
#include "platform/temp_folder.h"
#include "store/base/wordbook.h"

namespace {

// Escapes work in both columns; a byte-order mark and CRs go; a line that
// is no pair of texts, or has an escape that is none, is skipped.
TEST(BaseWordbook, EscapesAndMalformedLines) {
  CWordbookEntries entries;
  EXPECT_EQ(ParseWordbook("\xEF\xBB\xBFHaus\tHouse\r\n"
                          "In der Datei %s\\r\\nfehlt\tIn file %s\\r\\nmissing\n"
                          "a\\tb\\\\c\tx\\ny\n"
                          "only a comment line\n"
                          "\n"
                          "zwei\tTabs\tzuviel\n"
                          "\tno source\n"
                          "no translation\t\n"
                          "bad \\q escape\tx\n"
                          "trailing backslash\tx\\\n"
                          "Baum\tTree",
                          entries),
            4);
  const CWordbookEntries expected = {{L"Haus", L"House"},
                                     {L"In der Datei %s\r\nfehlt", L"In file %s\r\nmissing"},
                                     {L"a\tb\\c", L"x\ny"},
                                     {L"Baum", L"Tree"}};
  EXPECT_EQ(entries, expected);
}

class BaseTranslation : public ::testing::Test {
 protected:
  void WriteBook(const char* name, std::string_view bytes) {
    ASSERT_TRUE(WriteFileAtomically(m_Folder / FromUtf8(name), bytes));
  }
  CTempFolder m_Folder;
};

TEST_F(BaseTranslation, LanguageNamesDefaultAndEnvironment) {
  EXPECT_EQ(CTranslationManager(L"english").GetActualLanguage(), L"ENGLISH");
  EXPECT_EQ(CTranslationManager(L" FRENCH ").GetActualLanguage(), L"FRENCH");
  EXPECT_EQ(CTranslationManager(L"DEFAULT").GetActualLanguage(), L"");
  EXPECT_FALSE(CTranslationManager(L"Default").HasActualLanguage());
  EXPECT_FALSE(CTranslationManager(L"").HasActualLanguage());
  EXPECT_TRUE(CTranslationManager(L"POLISH").HasActualLanguage());
  // Without a name the language comes from the environment.
  const char* saved = std::getenv("ORVAMAT_LANGUAGE");
  std::string previous = saved ? saved : "";
  ::setenv("ORVAMAT_LANGUAGE", "czech", 1);
  EXPECT_EQ(CTranslationManager().GetActualLanguage(), L"CZECH");
  ::setenv("ORVAMAT_LANGUAGE", "DEFAULT", 1);
  EXPECT_FALSE(CTranslationManager().HasActualLanguage());
  ::unsetenv("ORVAMAT_LANGUAGE");
  EXPECT_FALSE(CTranslationManager().HasActualLanguage());
  if (saved) ::setenv("ORVAMAT_LANGUAGE", previous.c_str(), 1);
}

// Only the current language's books are read, in file-name order: the first
// translation of a text wins.
TEST_F(BaseTranslation, ScanLoadsOnlyTheCurrentLanguageFirstTranslationWinning) {
  WriteBook("heizung.ENGLISH.wordbook", "Heizung\tHeating\nZeile %d\tLine %d\n");
  WriteBook("lueftung.english.wordbook", "Lüftung\tVentilation\n");
  WriteBook("heizung.FRENCH.wordbook", "Heizung\tChauffage\n");
  WriteBook(".ENGLISH.wordbook", "Leer\tEmpty\n");  // no name part
  WriteBook("notes.txt", "Heizung\tWrong\n");
  WriteBook("b.ENGLISH.wordbook", "Rohr\tTube\n");
  WriteBook("a.ENGLISH.wordbook", "Rohr\tPipe\nRohr\tConduit\n");
  CTranslationManager manager(L"ENGLISH");
  CTranslationModule* module = manager.AddModule(L"OrvaMat");
  EXPECT_EQ(module->ScanWordbookFiles(m_Folder.GetPath()), 4);
  EXPECT_EQ(module->TranslateText(L"Heizung"), L"Heating");
  EXPECT_EQ(module->TranslateText(L"Rohr"), L"Pipe");
  EXPECT_EQ(module->TranslateText(L"Lüftung"), L"Ventilation");
  EXPECT_EQ(module->TranslateText("L\xC3\xBC"
                                  "ftung"),
            L"Ventilation");
  EXPECT_EQ(module->TranslateText("L\xFC"
                                  "ftung"),
            L"Ventilation");  // CP1252 source
  EXPECT_EQ(module->TranslateText(L"Leer"), L"Leer");
  EXPECT_EQ(module->TranslateText(L"Unbekannt"), L"Unbekannt");
  EXPECT_EQ(module->TranslateText(static_cast<const char*>(nullptr)), L"");
  // Scanning again adds nothing: the first translation of a text stays.
  EXPECT_EQ(module->ScanWordbookFiles(m_Folder.GetPath()), 0);
}

TEST_F(BaseTranslation, NoLanguageOrNoFolderLoadsNothing) {
  WriteBook("heizung.DEFAULT.wordbook", "Heizung\tX\n");
  CTranslationManager none(L"DEFAULT");
  EXPECT_EQ(none.AddModule(L"OrvaMat")->ScanWordbookFiles(m_Folder.GetPath()), 0);
  EXPECT_EQ(none.AddModule(L"OrvaMat")->TranslateText(L"Heizung"), L"Heizung");
  CTranslationManager english(L"ENGLISH");
  EXPECT_EQ(english.AddModule(L"OrvaMat")->ScanWordbookFiles(m_Folder / L"missing"), 0);
  EXPECT_EQ(english.AddModule(L"OrvaMat")->ScanWordbookFiles(L""), 0);
}

TEST_F(BaseTranslation, ModulesAreKeptAndLanguageChangesDropTranslations) {
  CTranslationManager manager(L"ENGLISH");
  CTranslationModule* first = manager.AddModule(L"OrvaMat");
  EXPECT_EQ(manager.AddModule(L"OrvaMat"), first);
  EXPECT_NE(manager.AddModule(L"Other"), first);
  EXPECT_TRUE(first->AddTranslation(L"Haus", L"House"));
  EXPECT_FALSE(first->AddTranslation(L"Haus", L"Home"));
  EXPECT_FALSE(first->AddTranslation(L"", L"x"));
  manager.SetActualLanguage(L"english");
  EXPECT_EQ(first->TranslateText(L"Haus"), L"House");  // same language: kept
  manager.SetActualLanguage(L"FRENCH");
  EXPECT_EQ(first->TranslateText(L"Haus"), L"Haus");
}

TEST_F(BaseTranslation, ProcessWideManagerCanBeReplacedForAScope) {
  CTranslationManager& process = CTranslationManager::GetInstance();
  {
    CTranslationManager local(L"ENGLISH");
    CScopedTranslationManager scoped(local);
    EXPECT_EQ(&CTranslationManager::GetInstance(), &local);
    EXPECT_EQ(&LibraryTranslation(), local.AddModule(L"OrvaMat"));
  }
  EXPECT_EQ(&CTranslationManager::GetInstance(), &process);
}

}  // namespace
