// The script import of the exported interface. CMatManager derives from
// CMatScriptCalls, so a host calls it as CMatManager::ReadScriptFileDlg(...).
// The number in the comment is the export ordinal (frozen).
#pragma once

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
