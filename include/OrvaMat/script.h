// The script import of the exported interface, and a script run a user
// starts on a file (RunScriptIntoFile). CMatManager derives from
// CMatScriptCalls, so a host calls it as CMatManager::ReadScriptFileDlg(...).
// The number in the comment is the export ordinal (frozen).
#pragma once

#include <vector>

#include "OrvaMat/import.h"
#include "OrvaMat/types.h"

class ORVAMAT_API CMatScriptCalls {
 public:
  CMatScriptCalls() = delete;

  // 66 (without a name): makes the dataset of the handle current, lets the
  // user choose a script file ("ASCII MatManager Datei (*.txt)") and runs it.
  // 1 when the run succeeded (the active dataset is then marked changed);
  // 0 when the user cancelled, the file could not be read or the run
  // stopped at a failure (shown to the user). The process's current folder
  // is the script's folder during the run and the previous one afterwards;
  // the macros of "#define" are gone after the run.
  static int ReadScriptFileDlg(unsigned long handle);
};

// ---- a script run a user starts on a file

struct CScriptRunResult {
  bool bOpened = false;          // the target (when one was given) was opened or made
  bool bRefusedDamaged = false;  // the target file is damaged and was not taken
  bool bDone = false;            // the script ran to its end
  CString strTargetPath;         // the target's database file (links followed)
  bool bTargetSaved = false;     // the run wrote the target's file
  // Other database files the run wrote (a dataset the script chose itself).
  std::vector<CString> listOtherSaved;
};

// Runs the script file of dataset commands on the process's datasets. With a
// target path the target's dataset is opened, or made (OrvaMat/import.h), and
// is the active dataset the script starts on; give an absolute path, since
// the script's folder is the current folder while it runs. Every write lock
// the run took is given back afterwards. True when the script ran to its
// end; failures are shown through the host UI.
ORVAMAT_API bool RunScriptIntoFile(const CString& scriptPath, CImportTarget target,
                                   CScriptRunResult& result);
