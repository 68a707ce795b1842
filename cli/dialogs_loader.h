// The dialogs library (libOrvaMatDialogs.so), loaded by the commands that
// open a dialog, so that every other command runs without Qt.
#pragma once

#include <string>

#include "OrvaMat/qt_dialogs.h"

// Installed until the command ends: Qt is taken down before the tool exits.
struct CDialogsLibrary {
  decltype(&OrvaMatDialogsInstall) pInstall = nullptr;
  decltype(&OrvaMatDialogsRunWindow) pRunWindow = nullptr;
  decltype(&OrvaMatDialogsUninstall) pUninstall = nullptr;
  CDialogsLibrary() = default;
  CDialogsLibrary(const CDialogsLibrary&) = delete;
  CDialogsLibrary& operator=(const CDialogsLibrary&) = delete;
  ~CDialogsLibrary() {
    if (pUninstall != nullptr) pUninstall();
  }
};

// Loads the library from beside libOrvaMat.so and installs it, with the
// screenshot file (empty: none); false, reported, when that fails.
bool LoadDialogs(const std::string& screenshot, CDialogsLibrary& out);
