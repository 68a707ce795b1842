#include "store/base/translation.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/code_page.h"
#include "platform/file.h"
#include "platform/text.h"
#include "store/base/wordbook.h"

namespace {

CString NormalizeLanguage(std::wstring_view language) {
  CString name = ToUpper(Trim(language));
  return name == L"DEFAULT" ? CString() : name;
}

CString LanguageFromEnvironment() {
  const char* value = std::getenv("ORVAMAT_LANGUAGE");
  return NormalizeLanguage(value ? FromUtf8(value) : CString());
}

bool EndsWithNoCase(std::wstring_view text, std::wstring_view suffix) {
  return text.size() >= suffix.size() &&
         EqualsNoCase(text.substr(text.size() - suffix.size()), suffix);
}

// The word books of `language` in `folder`, sorted by name so that the first
// translation of a text does not depend on the order of the folder listing.
std::vector<CString> FindWordbooks(const CString& folder, const CString& language) {
  std::vector<CString> paths;
  const CString suffix = WordbookSuffix(language);
  std::error_code error;
  std::filesystem::directory_iterator it(ToUtf8(folder), error);
  for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
    std::error_code entryError;  // an unreadable entry is skipped, not the rest
    if (!it->is_regular_file(entryError)) continue;
    CString name = FromUtf8(it->path().filename().string());
    if (name.size() > suffix.size() && EndsWithNoCase(name, suffix))
      paths.push_back(FromUtf8(it->path().string()));
  }
  std::sort(paths.begin(), paths.end());
  return paths;
}

}  // namespace

CTranslationModule::CTranslationModule(const CTranslationManager& manager, std::wstring_view name)
    : m_Manager(manager), m_strName(name) {}

CString CTranslationModule::TranslateText(std::wstring_view text) const {
  auto it = m_mapTexts.find(text);
  return it == m_mapTexts.end() ? CString(text) : it->second;
}

CString CTranslationModule::TranslateText(const char* text) const {
  if (!text) return CString();
  CString wide;
  if (!DecodeText(text, CP_DETECT, wide)) wide = FromUtf8(text);
  return TranslateText(std::wstring_view(wide));
}

int CTranslationModule::ScanWordbookFiles(const CString& folder) {
  if (!m_Manager.HasActualLanguage()) return 0;
  int added = 0;
  for (const CString& path : FindWordbooks(folder, m_Manager.GetActualLanguage())) {
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) continue;
    CWordbookEntries entries;
    ParseWordbook(bytes, entries);
    for (const auto& [source, translation] : entries)
      if (AddTranslation(source, translation)) ++added;
  }
  return added;
}

bool CTranslationModule::AddTranslation(std::wstring_view source, std::wstring_view translation) {
  if (source.empty() || translation.empty()) return false;
  return m_mapTexts.emplace(CString(source), CString(translation)).second;
}

CTranslationManager::CTranslationManager() { TakeLanguage(LanguageFromEnvironment()); }

CTranslationManager::CTranslationManager(std::wstring_view language) {
  TakeLanguage(NormalizeLanguage(language));
}

void CTranslationManager::TakeLanguage(CString language) {
  m_strLanguage = std::move(language);
  m_bOneName = m_strLanguage.find_first_of(L".\\") == CString::npos;
  static std::atomic<std::uint64_t> s_nStamps{0};
  m_nLanguageStamp = ++s_nStamps;
}

CTranslationManager& CTranslationManager::Process() {
  static CTranslationManager s_Process;
  s_pInstalled = &s_Process;  // from now on GetInstance() finds it without a call
  return s_Process;
}

CTranslationModule* CTranslationManager::AddModule(std::wstring_view name) {
  for (const auto& module : m_listModules)
    if (module->GetName() == name) return module.get();
  m_listModules.push_back(std::make_unique<CTranslationModule>(*this, name));
  return m_listModules.back().get();
}

void CTranslationManager::SetActualLanguage(std::wstring_view language) {
  CString normalized = NormalizeLanguage(language);
  if (normalized == m_strLanguage) return;
  TakeLanguage(std::move(normalized));
  for (const auto& module : m_listModules) module->Clear();
}

CScopedTranslationManager::CScopedTranslationManager(CTranslationManager& manager)
    : m_pPrevious(CTranslationManager::s_pInstalled) {
  CTranslationManager::s_pInstalled = &manager;
}

CScopedTranslationManager::~CScopedTranslationManager() {
  CTranslationManager::s_pInstalled = m_pPrevious;
}

CTranslationModule& CTranslationManager::GetLibraryModule() {
  // Modules live as long as their manager, so the address can be kept: text
  // reads ask for it on every call.
  if (m_pLibrary == nullptr) m_pLibrary = AddModule(L"OrvaMat");
  return *m_pLibrary;
}

CTranslationModule& LibraryTranslation() {
  return CTranslationManager::GetInstance().GetLibraryModule();
}
