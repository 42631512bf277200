#include "engine/result_lines.h"

#include <cstring>

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
  return "Nom du fichier suivant : " + NameAsUtf8(entryName) + " (dossier :" + NameAsUtf8(entryPath) + " )";
}

String NotADatabaseLine(const String& entryName) { return Chr(9) + NameAsUtf8(entryName) + Chr(9) + kNotADatabase; }

String FooterLine(const Ref<Date>& end) {
  return "fichier terminé le " + end->LongDate() + " à " + end->LongTime();
}

// The part and the reason may hold names too: a table's, or one that SQLite quotes.
String UnreadableLine(const String& entryName, const String& what, const String& reason) {
  return Chr(9) + NameAsUtf8(entryName) + Chr(9) + kUnreadable +
         (what.empty() ? String() : " (" + NameAsUtf8(what) + ")") + " : " + NameAsUtf8(reason);
}

String CopyFailedLine(const String& entryName, const String& reason) {
  return Chr(9) + NameAsUtf8(entryName) + Chr(9) + kCopyFailed + " : " + NameAsUtf8(reason);
}

namespace {

constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
constexpr std::uint64_t kOnes = 0x0101010101010101ULL;

// True when none of the bytes is below 14 (where LF, CR, TAB and NUL are) or part of a
// character of more than one byte: bytes that the cleaning leaves as they are. Eight are
// looked at in one word.
inline bool PlainBytes(const char* p, std::size_t count) {
  if (count == 8) {
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return ((word | ((word - kOnes * 14) & ~word)) & kHighBits) == 0;
  }
  for (std::size_t i = 0; i < count; ++i) {
    const auto byte = static_cast<unsigned char>(p[i]);
    if (byte < 14 || byte >= 0x80) return false;
  }
  return true;
}

inline bool Blanked(unsigned char byte) { return byte == '\n' || byte == '\r' || byte == '\t' || byte == '\0'; }

// Blanks LF, CR, TAB and NUL in place, eight plain bytes at a time. Gives the offset of the
// first byte that is no part of a UTF-8 character, or the size when there is none.
std::size_t BlankInPlace(char* const text, const std::size_t size) {
  std::size_t at = 0;
  while (at < size) {
    const std::size_t count = size - at < 8 ? size - at : 8;
    if (PlainBytes(text + at, count)) {
      at += count;
      continue;
    }
    for (const std::size_t stop = at + count; at < stop;) {
      const auto byte = static_cast<unsigned char>(text[at]);
      if (byte < 0x80) {
        if (Blanked(byte)) text[at] = ' ';
        ++at;
        continue;
      }
      const std::size_t length = Utf8CharacterLength({text + at, size - at});
      if (length == 0) return at;
      at += length;
    }
  }
  return size;
}

}  // namespace

// LF, CR, TAB and NUL are single bytes that never occur inside another UTF-8 character, and a
// blank never makes one of them: the value is blanked where it stands. Only a value that is no
// valid UTF-8 is rebuilt, from its first bad byte.
void CleanValueAt(String& line, std::size_t from) {
  const std::size_t size = line.size() - from;
  const std::size_t good = BlankInPlace(line.data() + from, size);
  if (good == size) return;

  const String rest(line, from + good);
  line.resize(from + good);
  for (std::string_view bytes = rest; !bytes.empty();) {
    const auto byte = static_cast<unsigned char>(bytes[0]);
    const std::size_t length = byte < 0x80 ? 1 : Utf8CharacterLength(bytes);
    if (length == 0) {
      line += "\xEF\xBF\xBD";  // U+FFFD for each byte that is no part of a character
      bytes.remove_prefix(1);
    } else {
      if (length == 1)
        line += Blanked(byte) ? ' ' : bytes[0];
      else
        line.append(bytes.data(), length);
      bytes.remove_prefix(length);
    }
  }
}

String QuoteIdentifier(const String& name) {
  String quoted(1, '"');
  quoted += ReplaceAll(name, "\"", "\"\"");
  quoted += '"';
  return quoted;
}

}  // namespace result_lines
