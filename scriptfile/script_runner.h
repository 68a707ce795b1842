// The script processor: a text file of commands that builds or updates a
// manufacturer dataset in one run (docs/script.md has the format and every
// command). It selects or creates the dataset, checks the manufacturer ID,
// deletes tables, reads embedded "[MMTB]" tables, runs the importers,
// includes further scripts, keeps macros for "#ifdef" blocks, shows messages
// and saves.
//
// The script is read by the MMTB text reader: the store's reader in use
// (store.m_pTextReader) is the script being read, so that embedded tables and
// included scripts share it. The store must be the process-wide one
// (CMatStore::Instance(), a CScopedMatStore in tests): selecting and creating
// datasets goes through the exported dataset calls.
//
// Every failure is shown in a message box and stops the whole run; what was
// changed before stays changed in memory, and nothing is saved unless
// "#saveMMD" ran. No input makes a run loop without end or recurse without
// bound: every loop moves on by a line, "#ifdef" blocks nest at most
// CMatTextReader::kMaxNesting deep and scripts include each other at most
// CMatTextReader::kMaxIncludeDepth deep.
//
// Choices where the format leaves room:
// - A command that fails inside an active "#ifdef" branch stops the run, as
//   it does outside a block (the older reading went on after the block's
//   "#endif" with the rest of the block read as ordinary lines, its "#else"
//   and "#endif" reported as unknown commands).
// - A line whose first word is empty (it starts with "(", or with a
//   character followed by "*") is passed over: the run goes on with the next
//   line, also inside "#ifdef" blocks.
#pragma once

#include "OrvaMat/types.h"

class CMatStore;

// Runs the current reader's script from its first line: true when the file
// was read to its end (then "LASTUPDATE_DATUM" of the dataset's top-level
// "StringTable" holds today's date as ddmmyyyy), false when its first line
// does not begin with "[MMD1]" or a command failed. Without an active
// dataset a new one without a file is made first (a save asks for a path).
bool ScriptRunner(CMatStore& store);

// Runs one command whose word has just been read; the reader stands after
// it. True to go on, false to stop the run (after the command's message).
// Apart from "#activateMMD" and "#saveMMD" every word, an unknown one too,
// first needs the active dataset to be writable (its lock is taken).
bool RunScriptStep(CMatStore& store, const CString& word);

// The lines of an "#ifdef" block; the reader stands after the "#ifdef" word,
// before the macro name. The block's lines run when active is set and the
// macro is known, its "#else" part when active is set and it is not. True at
// its "#endif"; false when a command in it failed, at a second "#else", or
// when "[Ende]" or the end of the text comes first.
bool ProcessIfdefBlock(CMatStore& store, bool active);
