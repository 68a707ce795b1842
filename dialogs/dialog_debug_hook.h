// The debugger the formula runtime hands a run to in debug mode: the dialog
// provider's, installed where the library is put together.
#pragma once

class CFormulaDebugHook;

CFormulaDebugHook& DialogDebugHook();
