// CTgaFunctions: the function lists of products and the run of a TGA
// function for one configuration.
//
// A product (a 110 record table) carries its functions in its 600 records:
// each 600 table's text declares functions, the table below it (the 610
// record) holds their bodies. The list of a product is compiled once, on
// first use, and kept; a product whose texts do not compile is remembered
// as failed and not compiled again, so that a broken function costs one
// error report, and the product's other data (its cross-reference tables)
// still answers.
//
// Lists are keyed by the product's address, but an entry is trusted only
// under the tree stamp of the product's dataset it was built with (see
// store/child_name_index.h): after a sheet was imported again or tables
// were removed, a table made where a product lay never gets the old
// product's functions, and its functions never read a destroyed table.
// A function handed out stays valid until the product's list is built
// again or Clear() is called. One thread at a time.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <unordered_map>

#include "OrvaMat/formula.h"
#include "vdi/tga_tag.h"

class CFormulaContext;
class CMatStore;
class CMatTable;

class CTgaFunctions {
 public:
  // Works with that formula context (null: the process-wide one) on that
  // store (null: the process-wide store of each call).
  explicit CTgaFunctions(CFormulaContext* pContext = nullptr, CMatStore* pStore = nullptr)
      : m_pContext(pContext), m_pStore(pStore) {}

  // The one behind the exported entry points.
  static CTgaFunctions& Process();

  // Compiles the product's function list (createFunctionList): title,
  // record names for the error report, then every 600 text and the texts
  // below it in child order. Null when a text failed to parse (the error
  // was reported) or there is no product.
  std::unique_ptr<CvdiFunctionList> CreateFunctionList(CMatTable* pProduct);

  // The function of that name (any case) in the product's cached list
  // (getTGAfunction); null when the list failed or has no such function.
  CvdiFunction* GetFunction(CMatTable* pProduct, const wchar_t* pName);
  // True when the product's list failed to build (and is not tried again).
  bool HasFailed(const CMatTable* pProduct) const;

  // Runs a TGA function for one configuration: its first parameter gets
  // the digit string, the record functions are positioned on the slots
  // (unknown ones as 0), and the result parameter (the second, or the
  // first when there is only one) is emptied first, so that a run that
  // assigns nothing never passes on the result of the run before. Null
  // when the run failed (reported) or the function has no text parameter.
  const CvdiFunction::CVdiVar* Run(CvdiFunction& f, std::span<const std::int32_t> slots,
                                   const CString& digits);

  // Drops every list and every failed mark.
  void Clear() { m_Lists.clear(); }
  std::size_t GetEntryCount() const { return m_Lists.size(); }
  // How often lists were compiled, for tests of the cache.
  std::uint64_t GetBuildCount() const { return m_nBuilds; }

  // Entries are dropped all at once beyond this many: products of datasets
  // long closed would otherwise be kept for the whole process.
  static constexpr std::size_t kMaxEntries = 10000;

 private:
  CFormulaContext& Context() const;
  CMatStore& Store() const;
  CString RecordText(CMatTable* pTable) const;

  struct CEntry {
    std::uint64_t m_nTreeStamp = 0;
    std::unique_ptr<CvdiFunctionList> m_pList;  // null: failed
  };
  CFormulaContext* m_pContext;
  CMatStore* m_pStore;
  std::unordered_map<const CMatTable*, CEntry> m_Lists;
  std::uint64_t m_nBuilds = 0;
};

// The exported forms on the process-wide cache. createFunctionList hands
// the caller a list of its own (delete it when done).
CvdiFunctionList* createFunctionList(CMatTable* pProduct);
CvdiFunction* getTGAfunction(CMatTable* pProduct, const wchar_t* pName);
