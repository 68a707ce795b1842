// The commands of the script processor, one function each, and what they
// share; scriptfile/script_runner.cpp dispatches to them. Each reads its
// parameters from the reader, which stands after the command word, and
// returns true to go on or false to stop the run (after its message).
// Internal to scriptfile/.
#pragma once

#include "OrvaMat/types.h"
#include "store/mat_store.h"

class CMatDatenSatz;
class CMatTextReader;

// ---- the dataset (scriptfile/script_dataset.cpp)
// The active dataset; without one a new dataset without a file is made and
// made active. Null (reported) when the store can hold no further dataset.
CMatDatenSatz* EnsureActiveDataset(CMatStore& store);
// The active dataset may be changed: its write lock is free or now ours.
// Otherwise "Aktueller Datensatz ist schreibgeschützt" and false.
bool CheckScriptWritable(CMatStore& store);
// Marks the active dataset as holding texts beyond the ANSI code page: it is
// saved in the UTF-8 format.
void MarkUnicode(CMatStore& store);
// "LASTUPDATE_DATUM" of the top-level "StringTable" = today as ddmmyyyy.
void WriteLastUpdate(CMatStore& store);

bool ActivateMmd(CMatStore& store, CMatTextReader& reader);
bool SaveMmd(CMatStore& store, CMatTextReader& reader);
bool CheckHerstellerID(CMatStore& store, CMatTextReader& reader);
bool DeleteAllTables(CMatStore& store, CMatTextReader& reader);
bool DeleteTable(CMatStore& store, CMatTextReader& reader);

// ---- files (scriptfile/script_files.cpp)
bool ImportXls(CMatStore& store, CMatTextReader& reader);
bool ImportVdi(CMatStore& store, CMatTextReader& reader);
bool ImportDn(CMatStore& store, CMatTextReader& reader);
bool ImportDaemmung(CMatStore& store, CMatTextReader& reader);
bool IncludeScript(CMatStore& store, CMatTextReader& reader);

// Makes reader the store's reader in use for a scope and the one before it
// again afterwards, however the scope is left.
class CScriptReaderScope {
 public:
  CScriptReaderScope(CMatStore& store, CMatTextReader& reader)
      : m_Store(store), m_pPrevious(store.m_pTextReader) {
    store.m_pTextReader = &reader;
  }
  ~CScriptReaderScope() { m_Store.m_pTextReader = m_pPrevious; }
  CScriptReaderScope(const CScriptReaderScope&) = delete;
  CScriptReaderScope& operator=(const CScriptReaderScope&) = delete;

 private:
  CMatStore& m_Store;
  CMatTextReader* m_pPrevious;
};
