// Translation of the German source texts into the user's language.
//
// The language is named by the environment variable ORVAMAT_LANGUAGE, read
// when the manager is made ("ENGLISH", "FRENCH", ...; compared in upper
// case). Empty or "DEFAULT" means no language: the German texts are shown as
// they are. GetActualLanguage() returns "" in that case, never "DEFAULT", so
// callers that test for either behave alike.
//
// Translations come from word books (store/base/wordbook.h for the format),
// loaded by CTranslationModule::ScanWordbookFiles from the folder of an
// opened database file. The first translation loaded for a source text stays;
// later ones for the same source are ignored.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string_view>
#include <vector>

#include "OrvaMat/types.h"

class CTranslationManager;

// The translations of one module. Owned by its manager and valid for the
// manager's lifetime.
class CTranslationModule {
 public:
  CTranslationModule(const CTranslationManager& manager, std::wstring_view name);
  CTranslationModule(const CTranslationModule&) = delete;
  CTranslationModule& operator=(const CTranslationModule&) = delete;

  const CString& GetName() const { return m_strName; }

  // The translation of `text`, or `text` itself when there is none.
  CString TranslateText(std::wstring_view text) const;
  // The same for an 8-bit source text: UTF-8 when it is valid UTF-8, else
  // CP1252. A null text gives an empty text.
  CString TranslateText(const char* text) const;

  // Loads every "<name>.<LANGUAGE>.wordbook" of `folder` (not its sub-folders)
  // for the manager's current language, in file-name order. Unreadable files
  // are skipped. Returns the number of entries added; 0 without a language or
  // when the folder can not be read.
  int ScanWordbookFiles(const CString& folder);

  // Adds one translation unless the source text already has one; false then,
  // or when either text is empty.
  bool AddTranslation(std::wstring_view source, std::wstring_view translation);
  std::size_t GetCount() const { return m_mapTexts.size(); }
  void Clear() { m_mapTexts.clear(); }

 private:
  const CTranslationManager& m_Manager;
  CString m_strName;
  std::map<CString, CString, std::less<>> m_mapTexts;
};

class CTranslationManager {
 public:
  // Takes the language from ORVAMAT_LANGUAGE.
  CTranslationManager();
  // Takes the given language (tests, hosts that know better).
  explicit CTranslationManager(std::wstring_view language);
  CTranslationManager(const CTranslationManager&) = delete;
  CTranslationManager& operator=(const CTranslationManager&) = delete;

  // The process-wide manager: the one installed by CScopedTranslationManager,
  // else a static one made on first use. Inline: every text read asks.
  static CTranslationManager& GetInstance() {
    return s_pInstalled != nullptr ? *s_pInstalled : Process();
  }

  // The module of that name, made on first call. The pointer stays valid for
  // the manager's lifetime; a second call with the same name returns it again.
  CTranslationModule* AddModule(std::wstring_view name);
  // The library's own module ("OrvaMat").
  CTranslationModule& GetLibraryModule();

  // The current language in upper case, "" for none (see above).
  const CString& GetActualLanguage() const { return m_strLanguage; }
  bool HasActualLanguage() const { return !m_strLanguage.empty(); }
  // True when the language holds neither "." nor "\\", so that as a table
  // path it names one child: text reads then look the child up directly.
  bool IsActualLanguageOneName() const { return m_bOneName; }
  // A number that names the current language of this manager and no other
  // setting of any manager in the process (never 0): a look-up remembered
  // under it needs no comparison of the language's text.
  std::uint64_t GetLanguageStamp() const { return m_nLanguageStamp; }
  // Changes the language; translations loaded for the old one are dropped.
  void SetActualLanguage(std::wstring_view language);

 private:
  friend class CScopedTranslationManager;
  // Makes the static manager on first use and installs it.
  static CTranslationManager& Process();
  // The manager installed by CScopedTranslationManager, else the static one
  // once made.
  static inline CTranslationManager* s_pInstalled = nullptr;

  void TakeLanguage(CString language);

  CString m_strLanguage;
  bool m_bOneName = true;
  std::uint64_t m_nLanguageStamp = 0;
  std::vector<std::unique_ptr<CTranslationModule>> m_listModules;
  CTranslationModule* m_pLibrary = nullptr;
};

// Makes `manager` the process-wide one for a scope (tests). The caller keeps
// ownership.
class CScopedTranslationManager {
 public:
  explicit CScopedTranslationManager(CTranslationManager& manager);
  ~CScopedTranslationManager();
  CScopedTranslationManager(const CScopedTranslationManager&) = delete;
  CScopedTranslationManager& operator=(const CScopedTranslationManager&) = delete;

 private:
  CTranslationManager* m_pPrevious;
};

// The library's own module ("OrvaMat") of the process-wide manager; every
// message of the library is translated through it.
CTranslationModule& LibraryTranslation();
