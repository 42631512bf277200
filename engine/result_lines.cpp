#include "engine/result_lines.h"

using namespace platform;

namespace result_lines {

String Converted(const String& fixedLine) { return ConvertEncoding(fixedLine, EncodingsGetter(kFixedLinesEncoding)); }

String CreationLine(const Ref<Date>& start) {
  return "fichier créé le " + start->LongDate() + " à " + start->LongTime();
}

String DescriptionLine() {
  return "Chaque ligne est composée de : " + Chr(13) + " - Nom de la base de données" + Chr(13) +
         " - Nom de la table" + Chr(13) + " - Rowid de l'enregistrement" + Chr(13) +
         " - Le contenu de l'enregistrement";
}

String CountLine(std::int64_t entryCount) { return "Nb de bases de données : " + Str(entryCount); }

String NameLine(const String& entryName, const String& entryPath) {
  return "Nom du fichier suivant : " + entryName + " (dossier :" + entryPath + " )";
}

String NotADatabaseLine(const String& entryName) { return Chr(9) + entryName + Chr(9) + kNotADatabase; }

String FooterLine(const Ref<Date>& end) {
  return "fichier terminé le " + end->LongDate() + " à " + end->LongTime();
}

String UnreadableLine(const String& entryName, const String& what, const String& reason) {
  return Chr(9) + entryName + Chr(9) + kUnreadable + (what.empty() ? String() : " (" + what + ")") + " : " + reason;
}

String CopyFailedLine(const String& entryName, const String& reason) {
  return Chr(9) + entryName + Chr(9) + kCopyFailed + " : " + reason;
}

// LF, CR, TAB and NUL are single bytes that never occur inside another UTF-8 character, and
// a blank never makes one of them: they are replaced in place once the valid part is copied.
void AppendCleanValue(String& line, std::string_view value) {
  const std::size_t needed = line.size() + value.size();
  if (needed > line.capacity()) line.reserve(needed + needed / 8);
  for (;;) {
    const std::size_t valid = ValidUtf8Prefix(value);
    const std::size_t from = line.size();
    line.append(value.data(), valid);
    for (char* p = line.data() + from, *end = line.data() + line.size(); p != end; ++p)
      if (static_cast<unsigned char>(*p) <= 13 && (*p == '\n' || *p == '\r' || *p == '\t' || *p == '\0')) *p = ' ';
    if (valid == value.size()) return;
    line += "\xEF\xBF\xBD";  // U+FFFD
    value.remove_prefix(valid + 1);
  }
}

String QuoteIdentifier(const String& name) {
  String quoted(1, '"');
  quoted += ReplaceAll(name, "\"", "\"\"");
  quoted += '"';
  return quoted;
}

}  // namespace result_lines
