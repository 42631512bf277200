// The form of every line of the result file.
//
// Cells are separated by TAB; a line that carries cells begins with one, so that its first
// cell is empty, and none ends with one. Names and paths are written as they stand; only the
// row values are cleaned.
#pragma once

#include <cstdint>

#include "platform/runtime.h"
#include "platform/text.h"

namespace result_lines {

using platform::String;

inline constexpr char kRule[] = "====================================";  // 36 equals signs
inline constexpr char kNotADatabase[] = "Ce fichier n'est pas une base SQLite";
inline constexpr char kCancel[] = "Traitement annulé à l'utilisateur";

String CreationLine(const platform::Ref<platform::Date>& start);
String DescriptionLine();
String CountLine(std::int64_t entryCount);
String NameLine(const String& entryName, const String& entryPath);
String NotADatabaseLine(const String& entryName);
String FooterLine(const platform::Ref<platform::Date>& end);

// A row value with each LF byte, then each CR, then each TAB replaced by one blank, so that
// the value stays one cell of one line.
String CleanValue(String value);

// The table name as an SQL identifier: in double quotes, inner double quotes doubled. A name
// such as "order" or "mes contacts" reads as the table it names.
String QuoteIdentifier(const String& name);

}  // namespace result_lines
