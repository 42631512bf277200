// Names and entries as a real tree gives them: names in the 8-bit encodings of older systems,
// entries that their folder lists but that the system will not look at, and entries gone
// before their turn. The result file stays text that text tools read; the inputs are left as
// they were.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "tests/support/run_fixture.h"

using fixtures::fs::path;
using Lines = std::vector<std::string>;
namespace fs = fixtures::fs;

namespace {

class NamesAndTrees : public RunFixture {};

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

// ---- Entries that cannot be looked at ----------------------------------------------------------

// A folder that may be listed but not entered: its entries are there, and say why they cannot
// be read; no message box stops the run.
TEST_F(NamesAndTrees, EntriesOfAFolderThatMayNotBeEnteredSayWhyWithoutAMessage) {
  fs::create_directories(root / "ferme");
  MakeTable(root / "ferme" / "a.sqlite", "t", 1);
  fixtures::WriteFile(root / "ferme" / "notes.txt", "texte\n");
  MakeTable(root / "z.sqlite", "t", 1);
  ::chmod((root / "ferme").c_str(), 0644);
  Options(false, true, false, true, false);
  EXPECT_EQ(RunKeepingInputs(true), ExpectedFile(2)
                                        .NotADatabase(root / "ferme")
                                        .Entry(root / "ferme" / "a.sqlite")
                                        .Line(UnreadableLine("a.sqlite", "permission refusée"))
                                        .Entry(root / "ferme" / "notes.txt")
                                        .Line(UnreadableLine("notes.txt", "permission refusée"))
                                        .Entry(root / "z.sqlite")
                                        .Lines({RowOf("z.sqlite", "t", 1), ""})
                                        .End());
  EXPECT_EQ(user.messages, Lines{FinishedWith(2)});
}

// A folder whose path the system takes, holding a database, then a database and a folder whose
// paths are longer than it takes. Those two are there and say so; a database removed before its
// turn is truly gone, and keeps its message.
class LongerThanTheSystemTakes : public NamesAndTrees, public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override {
    NamesAndTrees::SetUp();
    while (folder.string().size() + 201 <= 4050) folder /= std::string(200, 'd');
    fs::create_directories(folder);
    fd = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    longDatabase = std::string(4100 - folder.string().size() - 7, 'b') + ".sqlite";
    longFolder = std::string(4100 - folder.string().size(), 'c');
  }
  void TearDown() override {
    // Whatever is longer than the system takes is removed from its folder.
    ::unlinkat(fd, longDatabase.c_str(), 0);
    ::unlinkat(fd, longFolder.c_str(), AT_REMOVEDIR);
    ::close(fd);
    NamesAndTrees::TearDown();
  }

  // The bytes of the folder's entry, or "" when it cannot be read.
  std::string ReadEntry(const std::string& name) const {
    const int file = ::openat(fd, name.c_str(), O_RDONLY | O_CLOEXEC);
    std::string bytes;
    char buffer[4096];
    for (ssize_t n; file >= 0 && (n = ::read(file, buffer, sizeof buffer)) > 0;)
      bytes.append(buffer, static_cast<std::size_t>(n));
    if (file >= 0) ::close(file);
    return bytes;
  }

  path folder = root;
  int fd = -1;
  std::string longDatabase, longFolder;
};

TEST_P(LongerThanTheSystemTakes, AnEntryThereSaysSoAndOneGoneKeepsItsMessage) {
  const bool gone = GetParam();
  MakeTable(temp / "a.sqlite", "t", 1);
  MakeTable(temp / "b.sqlite", "t", 1);  // SQLite itself makes no file at such a depth
  fs::rename(temp / "a.sqlite", folder / "a.sqlite");
  ASSERT_EQ(::renameat(AT_FDCWD, (temp / "b.sqlite").c_str(), fd, longDatabase.c_str()), 0) << std::strerror(errno);
  ASSERT_EQ(::mkdirat(fd, longFolder.c_str(), 0755), 0) << std::strerror(errno);
  ASSERT_GT((folder / longDatabase).string().size(), 4096u);
  // The database is removed while the row of a.sqlite is written, before its turn.
  if (gone) user.onStopKeyPoll = [this](int) { ::unlinkat(fd, longDatabase.c_str(), 0); };
  const Lines listing = fixtures::Listing(folder);
  const std::string bytes = ReadEntry("a.sqlite") + ReadEntry(longDatabase);
  ASSERT_GT(ReadEntry(longDatabase).size(), 0u);
  Options(false, true, false, true, false);
  Run(root, result);

  std::vector<path> levels;  // the folders from the root's entry down to the folder
  for (path level = folder; level != root; level = level.parent_path()) levels.insert(levels.begin(), level);
  ExpectedFile expected(1);
  for (const path& level : levels) expected.NotADatabase(level);
  expected.Entry(folder / "a.sqlite").Lines({RowOf("a.sqlite", "t", 1), ""}).Entry(folder / longDatabase);
  if (gone)
    expected.Line(Cells({longDatabase, kNotADatabase}));
  else
    expected.Line(UnreadableLine(longDatabase, "chemin trop long"));
  expected.Entry(folder / longFolder).Line(UnreadableLine(longFolder, "chemin trop long"));
  EXPECT_EQ(ResultLines(result), expected.End());
  EXPECT_EQ(user.messages, (gone ? Lines{"databasefile=nil", FinishedWith(1)} : Lines{FinishedWith(2)}));
  if (!gone) {
    EXPECT_EQ(fixtures::Listing(folder), listing);
    EXPECT_EQ(ReadEntry("a.sqlite") + ReadEntry(longDatabase), bytes);
  }
}

INSTANTIATE_TEST_SUITE_P(Entry, LongerThanTheSystemTakes, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "GoneBeforeItsTurn" : "There"; });

}  // namespace
