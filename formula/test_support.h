// Helpers of the formula tests: a fresh context with a recording host UI and
// a clock the test drives, and short ways to compile and run a function.
#pragma once

#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "formula/formula_context.h"
#include "formula/formula_runtime.h"
#include "platform/recording_host_ui.h"

class CFormulaTest : public ::testing::Test {
 protected:
  CFormulaTest();

  // Parses a declarations / bodies text into m_list.
  void Declare(const wchar_t* text);
  void Bodies(const wchar_t* text);
  // Compiles a function of the given header, local declarations and
  // statements ("REAL FUNCTION F(A)\n" + body + "END FUNCTION F").
  CvdiFunction* Compile(const CString& header, const CString& body);
  bool Run(CvdiFunction* f);
  // Removes a function and its registry entries from m_list.
  void RemoveFunction(const wchar_t* name);
  // The error message of the last report ("" when none was shown).
  CString LastMessage() const;
  CvdiFunction::CVdiVar& Local(CvdiFunction* f, const wchar_t* name);
  // The words of f's code without SRCLINE instructions.
  std::vector<std::uint16_t> CodeWithoutSourceLines(const CvdiFunction& f) const;

  CRecordingHostUI m_ui;
  CScopedHostUI m_scopedUi{m_ui};
  std::uint64_t m_nTicks = 1000;
  CFormulaContext m_context;
  CFormulaRuntime m_runtime{m_context};
  CvdiFunctionList m_list;
};
