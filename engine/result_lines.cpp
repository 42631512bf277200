#include "engine/result_lines.h"

using namespace platform;

namespace result_lines {

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

// LF bytewise, then CR, then TAB characterwise, each to one blank. In UTF-8 these three are
// single bytes that never occur inside another character, and a blank never makes one of
// them: one pass over the bytes gives what the three replacements in turn give.
String CleanValue(String value) {
  for (char& byte : value)
    if (byte == '\n' || byte == '\r' || byte == '\t') byte = ' ';
  return value;
}

String QuoteIdentifier(const String& name) { return "\"" + ReplaceAll(name, "\"", "\"\"") + "\""; }

}  // namespace result_lines
