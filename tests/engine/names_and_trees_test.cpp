// Names and entries as a real tree gives them: names in the 8-bit encodings of older systems.
// The result file stays text that text tools read; the inputs are left as they were.
#include <sys/stat.h>

#include <cstdio>

#include "tests/support/run_fixture.h"

using fixtures::fs::path;
using Lines = std::vector<std::string>;
namespace fs = fixtures::fs;

namespace {

class NamesAndTrees : public RunFixture {};

std::string UnreadableLine(const std::string& entry, const std::string& reason) {
  return Cells({entry, "lecture impossible : " + reason});
}

std::string FinishedWith(int troubled) {
  const std::string count = troubled == 1 ? "1 élément n'a pas pu être lu ou copié : le fichier texte le signale"
                                          : std::to_string(troubled) +
                                                " éléments n'ont pas pu être lus ou copiés : le fichier texte les signale";
  return std::string(kFinishedMessage) + "\n" + count + " par « lecture impossible » ou « copie impossible ».";
}

// What GNU grep prints for the pattern in the file, in a UTF-8 locale: the lines that hold
// it, or "binary file matches" when the file is not text.
Lines Grep(const std::string& pattern, const path& file) {
  const std::string command = "LC_ALL=C.UTF-8 grep -e '" + pattern + "' '" + file.string() + "' 2>&1";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return {"popen failed"};
  std::string out;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
  ::pclose(pipe);
  return fixtures::Lines(out);
}

// ---- Names that are no UTF-8 -----------------------------------------------------------------

// An archive from an older system: a folder, a database, its table and columns, and files
// named in Latin-1 or Windows-1252. Every name reads as the French user wrote it; the files are
// found, read and copied under their real names.
TEST_F(NamesAndTrees, NamesInAnOlderEncodingAreWrittenAsUtf8AndTheFilesKeepTheirRealNames) {
  const std::string folder = "archiv\xE9";                    // archivé
  const std::string database = "donn\xE9" "es.sqlite";        // données.sqlite
  const std::string notes = "lisez-moi \x93vite\x94.txt";     // “vite”
  const std::string closed = "priv\xE9.sqlite";               // privé.sqlite
  fs::create_directories(root / folder);
  fixtures::MakeDatabase(root / folder / database,
                         "CREATE TABLE \"r\xE9sum\xE9\"(\"ann\xE9" "e\" TEXT, \"c\x9Cur\" TEXT);"
                         "INSERT INTO \"r\xE9sum\xE9\" VALUES ('2024', 'pr\xEAt');");
  fixtures::WriteFile(root / folder / notes, "texte\n");
  MakeTable(root / closed, "t", 1);
  ::chmod((root / closed).c_str(), 0);
  Options(false, false, false, true, true);

  const Lines lines = RunKeepingInputs(true);
  // a value keeps its own rule: a byte that is no UTF-8 is U+FFFD
  const std::string row = Cells({"données.sqlite", "résumé", "1", "2024", "pr\uFFFDt"});
  const Lines expected = ExpectedFile(2)
                             .NotADatabase(root / "archivé")
                             .Entry(root / "archivé" / "données.sqlite")
                             .Lines({Cells({"données.sqlite", "résumé (1)", "Rowid", "année", "cœur"}), row, ""})
                             .NotADatabase(root / "archivé" / "lisez-moi “vite”.txt")
                             .Entry(root / "privé.sqlite")
                             .Line(UnreadableLine("privé.sqlite", "permission refusée"))
                             .End();
  EXPECT_EQ(lines, expected);
  EXPECT_EQ(user.messages, Lines{FinishedWith(1)});

  // Text tools read the file as text: grep prints the lines asked for, not "binary file matches".
  EXPECT_EQ(Grep("2024", result), Lines{row});
  EXPECT_EQ(Grep("", result), expected);
  EXPECT_EQ(fixtures::ReadFile(result).find('\0'), std::string::npos);

  // The copy has the database's real name, and its content.
  EXPECT_EQ(AllPaths(copies), Lines{database});
  EXPECT_EQ(fixtures::DatabaseContent(copies / database), fixtures::DatabaseContent(root / folder / database));
}

}  // namespace
