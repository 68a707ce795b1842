// The library's dialogs. libOrvaMat.so draws nothing: what a dialog shows
// and what its actions do is decided here, without a display, by the models
// below; a dialogs library (libOrvaMatDialogs.so, Qt) draws them and
// registers itself as the dialog provider. The exported dialog calls reach
// the dialogs through the provider; without one they say so through the host
// UI and return as if the user had cancelled. The numbers in the comments
// are the export ordinals (frozen).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "OrvaMat/formula.h"
#include "OrvaMat/mat_table.h"
#include "OrvaMat/mat_text.h"
#include "OrvaMat/types.h"

// A list of pointer-sized entries; the dialog calls read an article Handle
// from the low 32 bits of each.
using CPtrList = std::vector<void*>;

// A class a host makes its objects from, as it makes a settings page: the
// dialogs library's CreateObject gives a new QWidget*.
struct CRuntimeClass {
  const char* m_lpszClassName = nullptr;
  void* (*m_pfnCreateObject)() = nullptr;
  void* CreateObject() const {
    return m_pfnCreateObject != nullptr ? m_pfnCreateObject() : nullptr;
  }
};

class CArticleChoiceModel;
class CArticleSearchModel;
class CFortranDebugModel;
class CVdiVariantsModel;
class Cvdi3805Tag;

// What a dialogs library offers. Every call is modal and returns when the
// dialog is closed.
class ORVAMAT_API CDialogProvider {
 public:
  virtual ~CDialogProvider();
  // The run-time class of the dataset page.
  virtual const CRuntimeClass* GetKonfigPageClass() = 0;
  // Runs the article choice on the model; the model holds the choice after.
  virtual void RunArticleChoice(CArticleChoiceModel& model) = 0;
  // Runs the article search on the model; IDOK or IDCANCEL.
  virtual int RunArticleSearch(CArticleSearchModel& model) = 0;
  // Runs the formula debugger on the model until the user closes it or the
  // run ends.
  virtual void RunDebugger(CFortranDebugModel& model) = 0;
  // Runs the product variants dialog; IDOK or IDCANCEL.
  virtual int RunVariants(CVdiVariantsModel& model) = 0;
};

// The process-wide provider; null until a dialogs library registers one. The
// caller keeps ownership.
ORVAMAT_API CDialogProvider* GetDialogProvider();
ORVAMAT_API void SetDialogProvider(CDialogProvider* provider);

class ORVAMAT_API CMatDialogCalls {
 public:
  CMatDialogCalls() = delete;
  // 184: keeps the title's address for the page (it must stay valid until the
  // page is made) and gives the dataset page's run-time class; null, after a
  // message, without a dialogs library.
  static const CRuntimeClass* GetKonfigPageClass(const wchar_t* title);
  // The title the last GetKonfigPageClass kept ("" for none).
  static const wchar_t* GetKonfigPageTitle();
  // 117 (by name): lets the user choose one of the articles; table is not
  // used. The handle chosen last, whichever button closed the dialog; 0
  // when none was chosen or the dialogs library is missing.
  static unsigned long chooseArtikelDlg(CMatTable* table, const CPtrList& handles);
  // 21: lets the user browse and search the articles of a dataset by main
  // product group, starting at handle (in/out: the article selected last,
  // whichever button closed the dialog); text is not used; with a table, the
  // table's dataset is shown. IDOK or IDCANCEL (IDCANCEL, after a message,
  // without a dialogs library).
  static int SearchArtikelDlg(unsigned long& handle, const wchar_t* text, CMatTable* table);
  // 187: lets the user choose the variants of a VDI product (its variant
  // tree, Cvdi3805Man::createVariantTree) and its options or accessories; on
  // OK selection becomes the keys chosen, on cancel it stays as it was.
  static int showProdVarianten(Cvdi3805Tag* product, CStringList& selection);
};

// A dialog's text (caption, label, column head) in the current language,
// through the library's word book; the text itself when it has none.
ORVAMAT_API CString TranslateDialogText(const wchar_t* text);

// ---- the dataset page's decisions

// Images of the dataset list: excluded, listed, listed but locked by another
// user.
enum eKonfigImage : int { kKonfigExcluded = 0, kKonfigListed = 1, kKonfigLocked = 2 };

struct CKonfigPageItem {
  unsigned long nPrefix = 0;  // the dataset the item stands for
  CString strName;
  int nImage = kKonfigExcluded;
};

// The page's decisions. Items name their dataset by its prefix: a dataset
// closed since the list was filled is found no more, and an action on it
// does nothing.
class ORVAMAT_API CKonfigPageModel {
 public:
  // The dataset list, in the store's order; each listed dataset becomes
  // current on the way and gets its manufacturer name as display name.
  static std::vector<CKonfigPageItem> Fill();
  // The name shown for the selected dataset; "" when it is gone.
  static CString GetName(unsigned long prefix);
  // The info lines of the selected dataset: the DATANORM date, the currency
  // and the kinds of calculation data it holds; none when it is excluded or
  // gone.
  static std::vector<CString> GetInfoLines(unsigned long prefix);
  // Switches the dataset between listed and excluded (the excluded list of
  // the settings too); false when it is gone.
  static bool Toggle(unsigned long prefix);
  // "ddmmyy" as "dd.mm.yy": a point at positions 2 and 5, appended when the
  // text is shorter.
  static CString FormatDatanormDate(CString date);
};

// ---- the article choice's decisions

struct CArticleChoiceItem {
  Handle hArticle = 0;
  CString strText;  // "Art-Nr. <number>\n<short text>"
};

class ORVAMAT_API CArticleChoiceModel {
 public:
  // The articles with a short text, in list order; the others are left out.
  explicit CArticleChoiceModel(const CPtrList& handles);
  const std::vector<CArticleChoiceItem>& GetItems() const { return m_Items; }
  // The picture shown before anything is chosen.
  static CString GetInitialPicture();
  // Chooses item i (nothing for an index out of range: false). picture is
  // the picture file to load, or "" when it is the one the article choice
  // loaded last in this process.
  bool Select(std::size_t i, CString& picture);
  Handle GetChosen() const { return m_hChosen; }
  bool IsOkEnabled() const { return m_bOkEnabled; }

 private:
  std::vector<CArticleChoiceItem> m_Items;
  Handle m_hChosen = 0;
  bool m_bOkEnabled = false;
};

// ---- the article search's decisions

// The search options, kept from one dialog to the next in the process.
struct CArticleSearchOptions {
  bool bAllGroups = true;
  bool bDownwards = true;
  bool bWholeWord = false;
  bool bMatchCase = false;
};
ORVAMAT_API CArticleSearchOptions& ArticleSearchOptions();

struct CArticleSearchTab {
  CMatTable* pGroup = nullptr;  // a table of "HauptWarenGruppen"
  CString strText;
};

struct CArticleSearchCatalogue {
  unsigned long nPrefix = 0;
  CString strName;
};

// The article search over the main product groups of one dataset. The
// articles of the shown group are read when its tab is selected; a search
// runs in steps of a bounded number of candidates, so that a window can stay
// responsive and stop it, and may move to other tabs on its way.
class ORVAMAT_API CArticleSearchModel {
 public:
  // A group of more articles is not listed (and not searched).
  static constexpr int kMaxListed = 10000;

  // The dataset of the table when one is given, else of the article; the
  // article's main group; the tabs, with the article's group's selected.
  CArticleSearchModel(Handle hArticle, CMatTable* pTable);

  // No dataset came with the article or table: the user chooses one of the
  // catalogues (the first whose name has no "Benutzer" is chosen).
  bool ShowsCatalogues() const { return m_bCatalogues; }
  const std::vector<CArticleSearchCatalogue>& GetCatalogues() const { return m_Catalogues; }
  int GetCatalogue() const { return m_nCatalogue; }
  // Shows the catalogue's groups (the tab of the selected group, else the
  // tab that was current, else the first).
  void ChooseCatalogue(int i);

  const std::vector<CArticleSearchTab>& GetTabs() const { return m_Tabs; }
  int GetTab() const { return m_nTab; }
  // Fills the list with the articles of tab i (nothing for a stale index).
  void SelectTab(int i);
  // The list: the articles of the tab that have a short text, each with its
  // text; or, for a group of too many, none and IsTooMany.
  struct CItem {
    Handle hArticle = 0;
    CString strText;
  };
  // Read when first asked for: a search passing through a group needs only
  // its articles.
  const std::vector<CItem>& GetItems() const;
  bool IsTooMany() const { return m_bTooMany; }
  // The list item of the selected article, -1 when it is not listed.
  int GetSelectedItem() const;

  // The user selects item i (false for a stale index). picture is the file
  // to load, "" when the article search loaded it last in this process.
  bool SelectItem(std::size_t i, CString& picture);
  Handle GetSelected() const { return m_hSelected; }
  bool IsOkEnabled() const { return m_bOkEnabled; }

  enum class eSearch { kEmptyText, kRunning, kFound, kNotFound };
  // Starts a search for text from the selected article (from the first
  // article, or the last upwards, when none is selected), with the process's
  // options. kEmptyText: nothing to search (the window beeps). As the user
  // types (bAsTyped), the selected article is the first candidate: it stays
  // selected while it still matches.
  eSearch BeginSearch(const CString& text, bool bAsTyped = false);
  // Examines up to nCandidates articles. kFound: the article is selected
  // (its tab and list may have changed; picture as for SelectItem).
  eSearch Step(std::size_t nCandidates, CString& picture);
  // The first occurrence of text in candidate; with bWholeWord only when no
  // letter or digit stands right before or after it.
  static bool Matches(std::wstring_view candidate, std::wstring_view text, bool bWholeWord);

  // Indexes the next group for searching; false once every group is. The
  // window calls it while it waits for the user, so that a search compares
  // texts in memory instead of reading the tables article by article.
  bool IndexNextGroup();
  // Without indexing (on by default) every candidate is read from the
  // tables, as the index must find what they hold.
  void SetIndexing(bool bOn) { m_bIndexing = bOn; }

 private:
  void FillTabs();
  bool Advance();  // the next candidate position; false when back at the start
  bool IsMatch(Handle hArticle) const;
  // The article's short text (GetKurzText on the table found once).
  bool ReadShortText(Handle hArticle, CString& out) const;
  bool IsMatchText(std::wstring_view candidate) const;

  // A group's articles with their numbers and short texts as a search
  // compares them, upper-cased and as they are, in UTF-8 one after another:
  // ends[2i] ends the number of article i and ends[2i+1] its short text.
  // An article whose text has a character UTF-8 cannot keep one to one (a
  // lone surrogate) is compared by reading its tables (bSlow).
  struct CGroupIndex {
    bool bBuilt = false;
    std::vector<Handle> articles;
    std::string upper, exact;
    std::vector<std::uint32_t> upperEnds, exactEnds;
    std::vector<bool> bSlow;
  };
  void ListArticles(std::size_t nTab, std::vector<Handle>& articles) const;
  void BuildIndex(std::size_t nTab);
  bool IsIndexedMatch(const CGroupIndex& index, std::size_t i) const;

  bool m_bCatalogues = false;
  std::vector<CArticleSearchCatalogue> m_Catalogues;
  int m_nCatalogue = -1;
  unsigned long m_nPrefix = 0;
  Handle m_hGroup = 0;               // the name handle of the selected article's group table
  CMatTable* m_pKurzText = nullptr;  // of the dataset shown
  mutable CString m_strCandidate;    // the upper-case candidate of a search
  mutable CString m_strShortText;    // the short text of a candidate
  std::vector<CArticleSearchTab> m_Tabs;
  int m_nTab = -1;
  std::vector<Handle> m_Articles;    // every article of the tab, in table order
  std::vector<CGroupIndex> m_Index;  // by tab
  bool m_bIndexing = true;
  mutable std::vector<CItem> m_Items;
  mutable bool m_bItemsRead = false;
  bool m_bTooMany = false;
  Handle m_hSelected = 0;
  bool m_bOkEnabled = false;
  // The search under way.
  CString m_strSearch;
  std::string m_strSearchUtf8;  // empty when the index cannot serve the search
  int m_nStartTab = -1;
  long long m_nStartPos = -1;
  long long m_nPos = -1;
  bool m_bStartIsCandidate = false;
};

// ---- the formula debugger's decisions

class CFormulaRuntime;

// One run of a product function, stepped one statement at a time: the
// functions of its list, the source lines of the one shown with the current
// line, the cell assigned last and the watches.
class ORVAMAT_API CFortranDebugModel {
 public:
  // The watch pairs of the dialog (the cell assigned last and fifteen more).
  static constexpr int kWatches = 16;

  // The run has entered f already.
  CFortranDebugModel(CFormulaRuntime& runtime, CvdiFunctionList* list, CvdiFunction* f);

  // "function [parent table|table]".
  CString GetTitle() const;
  const std::vector<CString>& GetFunctionNames() const { return m_Names; }
  int GetShownFunction() const { return m_nShown; }
  // Shows function i of the list (nothing for a stale index); a run that has
  // ended is entered again at that function, so that stepping starts it.
  void ShowFunction(int i);

  const std::vector<CString>& GetSourceLines() const { return m_Lines; }
  // The source line of line number n, "" when the function has none there.
  CString GetSourceLine(int n) const;
  int GetFirstLine() const { return m_nFirstLine; }
  int GetTopLine() const { return m_nTopLine; }
  // The line the run stands on (0 before it began).
  int GetCurrentLine() const;
  // How many lines the view shows; the top line follows the current one.
  void SetVisibleLines(int n) { m_nVisible = n > 0 ? n : 1; }

  enum class eStep { kGoesOn, kEnded, kError };
  // One statement. kEnded: no frame is left; kError: an error was reported
  // (and shown), the run is over.
  eStep Step();
  // The name of the cell assigned last, "NAME(i)" for an element; "" before.
  const CString& GetLastAssigned() const { return m_strLastAssigned; }

  // A watch: the name as typed (leading blanks, a name, "(index)"), the name
  // field's new text and the value; both "" when nothing of that name is
  // seen from the shown function.
  void Watch(const CString& typed, CString& name, CString& value) const;

 private:
  void Show(CvdiFunction* f);

  CFormulaRuntime& m_Runtime;
  CvdiFunctionList* m_pList;
  CvdiFunction* m_pFunction;  // opened for
  CvdiFunction* m_pShown = nullptr;
  std::vector<CString> m_Names;
  std::vector<CvdiFunction*> m_Functions;
  int m_nShown = -1;
  std::vector<CString> m_Lines;
  int m_nFirstLine = 0;
  int m_nTopLine = 0;
  int m_nVisible = 20;
  CString m_strLastAssigned;
};

// ---- the product variants dialog's decisions

struct CVdiVariantItem {
  Cvdi3805Tag* pTag = nullptr;
  CString strText;
  bool bDefault = false;
  std::vector<CVdiVariantItem> children;  // the sub-kinds, of a default only
};

struct CVdiVariantGroup {
  CString strText;  // "Druckstufen", "Oberflächen", "Anschlussarten", "Verfügbarkeiten"
  std::vector<CVdiVariantItem> items;
};

struct CVdiOption {
  CString strKey;  // the record's index: its name from the fifth character on
  CString strText;
  bool bChecked = false;
};

// The variants of one product, and its options (160 records) or, when its
// sheet has accessories (930 records), the accessory tree's settings.
class ORVAMAT_API CVdiVariantsModel {
 public:
  CVdiVariantsModel(Cvdi3805Tag* product, const CStringList& selection);

  bool IsAccessoryMode() const { return m_bAccessories; }
  CMatTable* GetProductTable() const;
  // The variants tree as shown: the four groups with the variants of each
  // kind; a default variant with its sub-kinds.
  std::vector<CVdiVariantGroup> GetGroups() const;
  // The user selects a variant: it becomes the default of its kind. True
  // when anything changed (the tree is shown again).
  bool SelectVariant(Cvdi3805Tag* tag);
  // Cancel: every variant gets back the default mark it had at opening.
  void RestoreDefaults();

  std::vector<CVdiOption>& GetOptions() { return m_Options; }
  // OK in options mode: the checked keys join the selection, the others
  // leave it.
  void ApplyOptions();
  CStringList& GetSelection() { return m_Selection; }
  std::vector<double>& GetQuantities() { return m_Quantities; }

  // The window's place and size as the dialog left it last, from the
  // settings ("CVDIoptionenDlg"); false when none was kept or it is not four
  // numbers with a size of at least 1.
  static bool LoadPlacement(int& x, int& y, int& width, int& height);
  static void SavePlacement(int x, int y, int width, int height);

 private:
  Cvdi3805Tag* m_pProduct;
  CStringList m_Selection;
  bool m_bAccessories = false;
  std::vector<CVdiOption> m_Options;
  std::vector<double> m_Quantities = std::vector<double>(9, 0.0);
  std::vector<std::pair<Cvdi3805Tag*, bool>> m_Defaults;  // at opening
};
