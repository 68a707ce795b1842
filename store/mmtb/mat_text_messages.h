// Every message of the MMTB reader and writer, as German source texts (they
// pass through the translation module before they are shown).
//
// Icons: warnings, after which reading goes on, show MB_ICONWARNING unless
// noted; errors, after which the body reader returns false, MB_ICONERROR.
#pragma once

// ---- warnings
// MB_ICONINFORMATION. Table name.
inline constexpr wchar_t kMsgEndeWithoutMmtb[] =
    L"Tabelle <%s> ist nicht mit [Ende_MMTB] abgeschlossen";
// MB_ICONINFORMATION. Table name, default item.
inline constexpr wchar_t kMsgDefaultItemMissing[] = L"Tabelle <%s> hat den defaultitem %s nicht";
// Table name.
inline constexpr wchar_t kMsgDotInName[] =
    L"Tabelle <%s> enthält das '.' Zeichen. Das ist Bei TabellenNamen nicht erlaubt";
// Table name.
inline constexpr wchar_t kMsgHashTableSizeIgnored[] =
    L"Tabelle <%s> HashTableSize=n, Wird ignoriert da Tabelle nicht leer ist";
// File, line.
inline constexpr wchar_t kMsgStrucDefDiffers[] =
    L"%s: Zeile:%d Tabelle mit dem Typ Strukt. Unterschiedliche strukturdefinition";
// Line, file.
inline constexpr wchar_t kMsgStructCountMissing[] =
    L"Zeile:%d in <%s>\nTabelle mit dem Typ Strukt. Anzahl Zeilen '[x]' nicht vorhanden";
// Line, table name.
inline constexpr wchar_t kMsgStrucDefMissing[] =
    L"Zeile:%d Tabelle (%s) mit dem Typ Strukt. <StrucDef...> ist aber nicht angegeben.";
// Line.
inline constexpr wchar_t kMsgBraceNotClosed[] =
    L"Klammerung nicht richtig geschlossen in Zeile #%d";
// Table name, row name, line.
inline constexpr wchar_t kMsgDuplicateRow[] =
    L"In der Tabelle (*%s*) wird der Handle:(*%s*) mehrfach eingelesen (Zeile #%d)";
// Line, file.
inline constexpr wchar_t kMsgInteger[] =
    L"Fehler beim interpretieren von Integerwert.\nZeile: %d\nFile: %s";
// Line.
inline constexpr wchar_t kMsgLoadNumString[] = L"Zeile:%d LoadNumString() Fehler.";
// File, line, number of fields named, number of types given (the types given
// are taken).
inline constexpr wchar_t kMsgStrucDefCount[] =
    L"%s: Zeile:%d Tabelle mit dem Typ Strukt. StrucDef nennt %d Felder, gibt aber %d Typen an";
// Line, file. A stray "#else" or "#endif" changes nothing.
inline constexpr wchar_t kMsgElseOutside[] =
    L"<#else> ohne <#ifdef> in Zeile %d in der Datei <%s> wird ignoriert";
inline constexpr wchar_t kMsgEndifOutside[] =
    L"<#endif> ohne <#ifdef> in Zeile %d in der Datei <%s> wird ignoriert";
// File, line, table name. A row line without a row name is skipped.
inline constexpr wchar_t kMsgRowWithoutName[] =
    L"Datei: %s, Zeile:%d Zeile ohne Namen in der Tabelle <%s> wird ignoriert";
// File, line, keyword: a body line outside every table of a file.
inline constexpr wchar_t kMsgOutsideTable[] =
    L"Datei: %s, Zeile:%d <%s> steht außerhalb einer Tabelle und wird ignoriert";
// File, line, index text, table name: a line of an array table whose name is
// no index.
inline constexpr wchar_t kMsgBadArrayIndex[] =
    L"Datei: %s, Zeile:%d <%s> ist kein gültiger Index der Tabelle <%s> und wird ignoriert";
// MB_ICONINFORMATION: the text of "#message".

// ---- errors
// File, line.
inline constexpr wchar_t kMsgLoadString[] = L"Datei: %s, Zeile:%d LoadString() Fehler.";
inline constexpr wchar_t kMsgLoadStringTermination[] =
    L"Datei: %s, Zeile:%d LoadString() Fehler. Die Terminierung \"*)\" ist nicht vorhanden.";
// File, line: the dataset refused a text or a row (its memory or its pool is
// full); the file stops there.
inline constexpr wchar_t kMsgStoreFull[] =
    L"Der Datensatz hat keinen Speicher mehr frei: Die Datei %s wurde bei Zeile %d abgebrochen.";
// Path.
inline constexpr wchar_t kMsgCannotOpen[] = L"Datei <%s> kann nicht geöffnet werden.";
// Line of the first "#else", file.
inline constexpr wchar_t kMsgElseTwice[] = L"<#else> schon in Zeile %d gefunden  in der Datei <%s>";
// Line of the "#ifdef", file.
inline constexpr wchar_t kMsgNoEndif[] =
    L"Kein <#endif> gefunden für <#ifdef> aus Zeile %d in der Datei <%s>";
// File, line, table name: a type letter or number that names no value type.
inline constexpr wchar_t kMsgUnknownType[] =
    L"Datei: %s, Zeile:%d Die Tabelle <%s> hat einen unbekannten Typ.";
inline constexpr wchar_t kMsgUnknownFieldType[] =
    L"Datei: %s, Zeile:%d Die StrucDef der Tabelle <%s> enthält einen unbekannten Typ.";
// File, line, table name.
inline constexpr wchar_t kMsgCannotCreateTable[] =
    L"Datei: %s, Zeile:%d Die Tabelle <%s> kann nicht angelegt werden.";
// File, line, table name, limit.
inline constexpr wchar_t kMsgTooManyValues[] =
    L"Datei: %s, Zeile:%d Die Tabelle <%s> hat mehr als %d Werte pro Zeile.";
// File, line, table name, row name, bytes, limit.
inline constexpr wchar_t kMsgTextTooLong[] =
    L"Datei: %s, Zeile:%d Der Text der Tabelle <%s>, Zeile <%s> ist mit %u Bytes zu lang "
    L"für die Materialmanagement-Datei (höchstens %u Bytes).";
// File, line, limit.
inline constexpr wchar_t kMsgNestingTooDeep[] =
    L"Datei: %s, Zeile:%d Tabellen und <#ifdef> sind tiefer als %d Ebenen verschachtelt.";
// File, line, limit, included path.
inline constexpr wchar_t kMsgIncludeTooDeep[] =
    L"Datei: %s, Zeile:%d Mehr als %d <#include> ineinander, die Datei <%s> wird nicht gelesen.";

// ---- the writer (warning)
// Table name, number of texts, first table, first row.
inline constexpr wchar_t kMsgWriterLossyTexts[] =
    L"Tabelle <%s>: %d Texte enthalten \"(*\", \"*)\", \"-)\" oder Zeilenumbrüche, die "
    L"beim Wiedereinlesen nicht erhalten bleiben.\nErster: Tabelle <%s>, Zeile <%s>";
