// The form of every line of the result file.
//
// Cells are separated by TAB; a line that carries cells begins with one, so that its first
// cell is empty, and none ends with one. Names and paths are written as UTF-8 text
// (NameAsUtf8: bytes that are no UTF-8 read as Windows-1252), TABs, CRs and LFs as they stand;
// only the row values are cleaned.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/runtime.h"
#include "platform/text.h"

namespace result_lines {

using platform::String;

inline constexpr char kRule[] = "====================================";  // 36 equals signs
inline constexpr char kNotADatabase[] = "Ce fichier n'est pas une base SQLite";
inline constexpr char kCancel[] = "Traitement annulé à l'utilisateur";
// What could not be read or copied is said where its rows would have stood, after these
// words, so that one search finds every such place.
inline constexpr char kUnreadable[] = "lecture impossible";
inline constexpr char kCopyFailed[] = "copie impossible";
// The parts of an entry that such a line may name.
inline constexpr char kFolderContent[] = "contenu du dossier";
inline constexpr char kTableList[] = "liste des tables";
inline constexpr char kTable[] = "table ";
inline constexpr char kView[] = "vue ";
inline constexpr char kColumn[] = "colonne ";  // then the table's name, "." and the column's
// Why a database was not copied when the copy option was checked only once the run had begun.
inline constexpr char kNoCopyFolder[] = "aucun dossier de copie, l'option a été cochée après le début du traitement";
// Then why the copy folder could not be made.
inline constexpr char kCopyFolderNotMade[] = "le dossier de copie n'a pas pu être créé, ";

// The header, cancel and footer lines are written in this encoding (UTF-8); the walk's lines
// as they are composed.
inline constexpr int kFixedLinesEncoding = 44;
String Converted(const String& fixedLine);

String CreationLine(const platform::Ref<platform::Date>& start);
String DescriptionLine();
String CountLine(std::int64_t entryCount);
String NameLine(const String& entryName, const String& entryPath);
String NotADatabaseLine(const String& entryName);
String FooterLine(const platform::Ref<platform::Date>& end);

// TAB, the entry's name, TAB, "lecture impossible", then " (" what ")" when it is a part of
// the entry (a table, the folder's content), then " : " and the reason.
String UnreadableLine(const String& entryName, const String& what, const String& reason);
// TAB, the database's name, TAB, "copie impossible : " and the reason.
String CopyFailedLine(const String& entryName, const String& reason);

// Cleans the row value that ends the line, from the offset on, so that it stays one cell of
// one line of text: each LF, CR, TAB and NUL becomes one blank, and each byte that is no part
// of a UTF-8 character becomes U+FFFD. Nothing else changes.
void CleanValueAt(String& line, std::size_t from);

// The table name as an SQL identifier: in double quotes, inner double quotes doubled. A name
// such as "order" or "mes contacts" reads as the table it names.
String QuoteIdentifier(const String& name);

}  // namespace result_lines
