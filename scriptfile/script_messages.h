// Every message of the script processor, as German source texts (they pass
// through the translation module before they are shown).
#pragma once

// Script file path: its first line does not begin with "[MMD1]".
inline constexpr wchar_t kMsgScriptNoHead[] =
    L"In der Datei %s\r\nfehlt in der ersten Zeile... '[MMD1]', laden wird abgebrochen";
// Command word, line.
inline constexpr wchar_t kMsgUnknownCommand[] = L"Unbekannter Scriptbefehl <%s> in Zeile %d";
inline constexpr wchar_t kMsgReadOnly[] = L"Aktueller Datensatz ist schreibgeschützt";
// Path of a file an import or "#include" names.
inline constexpr wchar_t kMsgFileMissing[] =
    L"Datei '%s' nicht vorhanden. Der Vorgang wird abgebrochen.";
// Manufacturer ID, name, database file path as written (the "\t\rn" is the
// text as it has always been shown).
inline constexpr wchar_t kMsgActivateParams[] =
    L"#activateMMD: Es fehlen Parameter!\t\rnHerstellerkürzel:%s\r\nHerstellername:%s\r\n"
    L"MMD-Datei Pfad+Name:%s";
// Database file path.
inline constexpr wchar_t kMsgActivateReadOnly[] = L"#activateMMD: MMD ist read-only!:%s";
// The active dataset's four ID characters.
inline constexpr wchar_t kMsgHerstellerID[] =
    L"Hersteller ID [%c%c%c%c] aus der Textdatei passt nicht mit aktuellen Satz.\n"
    L"Das Laden wird nicht forgesetzt";
// Line of the first "#else", script file path.
inline constexpr wchar_t kMsgScriptElseTwice[] =
    L"<#else> schon in Zeile %d gefunden  in der Datei <%s>";
// Line of the "#ifdef", script file path.
inline constexpr wchar_t kMsgScriptNoEndif[] =
    L"Kein <#endif> gefunden für <#ifdef> aus Zeile %d in der Datei <%s>";

// ---- failures the run stops at that the older texts had no message for
// Database file path: the file named by "#activateMMD" exists but is no
// database file this library can read.
inline constexpr wchar_t kMsgActivateNotMmd[] =
    L"#activateMMD: Die Datei %s ist keine lesbare MMD-Datei.";
// Database file path ("" for a dataset that has none yet).
inline constexpr wchar_t kMsgNotSaved[] =
    L"#saveMMD: Der Datensatz %s wurde nicht gespeichert. Der Vorgang wird abgebrochen.";
// Command word: an importer that this build of the library does not contain.
inline constexpr wchar_t kMsgImportUnavailable[] =
    L"%s: dieser Import ist in dieser Ausgabe nicht verfügbar";
// Command word, file path: the importer refused or could not read the file.
inline constexpr wchar_t kMsgImportFailed[] =
    L"%s: Die Datei '%s' wurde nicht eingelesen. Der Vorgang wird abgebrochen.";
inline constexpr wchar_t kMsgNoDataset[] = L"Es kann kein weiterer Datensatz angelegt werden.";
