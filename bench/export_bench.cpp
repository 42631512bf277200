// The export benchmark. In one process it times complete export runs, driven through the main
// window as a user would (AfficheInfo unchecked, then checked), against the floor: a plain
// SQLite loop over the same databases that writes the same row lines through a buffered
// writer. It prints each median time, rows per second, the peak resident memory and, last,
// the ratio of the run to the floor: the median, over the rounds, of each round's run time
// over the floor's time in the same round.
//
//   export_bench CORPUS_DIR [--big-rows=N] [--repeat=N]
//   export_bench CORPUS_DIR --big-value=MIB [--blob]
//   export_bench CORPUS_DIR --tree=wide|deep [--repeat=N]
//
// --big-rows (or QUORVANE_BENCH_BIG_ROWS) sets the rows of the big table, so that memory can
// be compared across table sizes; --repeat sets the timed runs of each kind (default 5), which
// take turns.
// --big-value measures memory alone: one run over a database whose one value is MIB MiB of
// text (with --blob, of random bytes, written as X'...'), and the peak resident memory that it
// adds to the process, as a multiple of the value.
// --tree measures a run over a large tree, Recursif checked: "wide" is 300,000 files in 3
// folders, "deep" 2,000 folders one inside the other, each holding a small database. It
// prints the run's time (the median of --repeat runs, 1 unless given) and the peak resident
// memory that the run adds to the process.

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QtGlobal>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cinttypes>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/export_run.h"
#include "shell/app.h"
#include "shell/main_window.h"

namespace fs = std::filesystem;

namespace {

[[noreturn]] void Fail(const std::string& message) {
  std::fprintf(stderr, "export_bench: FAILED: %s\n", message.c_str());
  std::fflush(stdout);
  std::exit(1);
}

// The offscreen platform says, on every resize, what it cannot do: noise amid the figures.
QtMessageHandler standardMessageHandler = nullptr;
void QuietOffscreenNotices(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (message.startsWith(QStringLiteral("This plugin does not support"))) return;
  if (standardMessageHandler) standardMessageHandler(type, context, message);
}

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

long PeakResidentKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;  // KiB on Linux
}

// ---- The corpus -----------------------------------------------------------------------------

struct CorpusShape {
  std::int64_t bigRows = 1'000'000;
  int smallDatabases = 200;
  int smallTables = 3;
  std::int64_t smallRows = 500;

  // Written to the marker: a corpus made with other figures is made again.
  std::string Signature() const {
    return "big_rows=" + std::to_string(bigRows) + " small_databases=" + std::to_string(smallDatabases) +
           " small_tables=" + std::to_string(smallTables) + " small_rows=" + std::to_string(smallRows) +
           " layout=1\n";
  }
  std::int64_t TotalRows() const { return bigRows + std::int64_t{smallDatabases} * smallTables * smallRows; }
};

// Fixed seed: every corpus of the same figures holds the same values.
struct Rng {
  std::uint64_t state;
  std::uint64_t Next() {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return state;
  }
  std::uint64_t Below(std::uint64_t n) { return Next() % n; }
};

void Exec(sqlite3* db, const char* sql) {
  char* error = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
    const std::string message = error ? error : "unknown error";
    sqlite3_free(error);
    Fail(std::string("corpus: ") + sql + ": " + message);
  }
}

constexpr const char* kWords[] = {"dossier", "client",  "facture", "adresse", "rue",     "des",   "Lilas",
                                  "Nantes",  "Lyon",    "commande", "livraison", "paiement", "le", "compte",
                                  "avenue",  "Bordeaux", "contrat", "de",      "relance", "Marie", "Durand"};

// A label of 30 to 50 characters, about 40 on average.
std::string Label(Rng& rng) {
  const std::size_t target = 30 + rng.Below(21);
  std::string text;
  while (text.size() < target) {
    if (!text.empty()) text += ' ';
    text += kWords[rng.Below(std::size(kWords))];
  }
  text.resize(target);
  return text;
}

// Mostly plain, sometimes with a TAB, a LF or a CR LF inside, which the export must blank.
std::string Note(Rng& rng, std::int64_t row) {
  switch (rng.Below(10)) {
    case 0: return "prix\tTTC " + std::to_string(row % 1000);
    case 1: return "ligne une\nligne deux";
    case 2: return "fin de ligne\r\nsuite";
    default: return "note " + std::to_string(row % 97);
  }
}

void MakeDatabase(const fs::path& file, const std::vector<std::string>& tables, std::int64_t rows, Rng& rng) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
    Fail("corpus: cannot create " + file.string());
  Exec(db, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; BEGIN");
  for (const std::string& table : tables) {
    Exec(db, ("CREATE TABLE \"" + table + "\"(id INTEGER, code TEXT, label TEXT, amount REAL, note TEXT)").c_str());
    sqlite3_stmt* insert = nullptr;
    const std::string sql = "INSERT INTO \"" + table + "\" VALUES(?1, ?2, ?3, ?4, ?5)";
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &insert, nullptr) != SQLITE_OK) Fail("corpus: " + sql);
    for (std::int64_t row = 1; row <= rows; ++row) {
      char code[16];
      std::snprintf(code, sizeof code, "K%05" PRIu64, rng.Below(100000));
      const std::string label = Label(rng);
      const std::string note = Note(rng, row);
      sqlite3_bind_int64(insert, 1, static_cast<std::int64_t>(rng.Below(10'000'000'000ULL)) - 1'000'000);
      sqlite3_bind_text(insert, 2, code, -1, SQLITE_TRANSIENT);
      sqlite3_bind_text(insert, 3, label.data(), static_cast<int>(label.size()), SQLITE_TRANSIENT);
      sqlite3_bind_double(insert, 4, static_cast<double>(rng.Below(100'000'000)) / 100.0 + 0.001);
      sqlite3_bind_text(insert, 5, note.data(), static_cast<int>(note.size()), SQLITE_TRANSIENT);
      if (sqlite3_step(insert) != SQLITE_DONE) Fail("corpus: insert into " + file.string());
      sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
  }
  Exec(db, "COMMIT");
  if (sqlite3_close(db) != SQLITE_OK) Fail("corpus: cannot close " + file.string());
}

std::string ReadSmallFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Makes tree/ unless the marker, written last, says a complete corpus of these figures is there.
void EnsureCorpus(const fs::path& corpus, const CorpusShape& shape) {
  const fs::path tree = corpus / "tree";
  const fs::path marker = corpus / "corpus.ready";
  if (fs::exists(marker) && fs::is_directory(tree) && ReadSmallFile(marker) == shape.Signature()) {
    std::printf("corpus: %s reused\n", tree.c_str());
    return;
  }
  const auto start = std::chrono::steady_clock::now();
  fs::remove(marker);
  fs::remove_all(tree);
  fs::create_directories(tree);
  Rng rng{0x9E3779B97F4A7C15ULL};
  MakeDatabase(tree / "big.sqlite", {"t"}, shape.bigRows, rng);
  const std::vector<std::string> smallTables = {"clients", "commandes", "produits"};
  for (int i = 0; i < shape.smallDatabases; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "small_%03d.sqlite", i);
    MakeDatabase(tree / name,
                 std::vector<std::string>(smallTables.begin(), smallTables.begin() + shape.smallTables),
                 shape.smallRows, rng);
  }
  const fs::path pending = corpus / "corpus.ready.tmp";
  {
    std::ofstream out(pending, std::ios::binary);
    out << shape.Signature();
    if (!out.flush()) Fail("corpus: cannot write " + pending.string());
  }
  fs::rename(pending, marker);
  std::printf("corpus: %s made in %.1f s\n", tree.c_str(), Seconds(std::chrono::steady_clock::now() - start));
}

// ---- The floor ------------------------------------------------------------------------------

// A plain write(2) buffer of 64 KiB.
class BufferedWriter {
 public:
  static constexpr std::size_t kSize = 64 * 1024;

  explicit BufferedWriter(const fs::path& file)
      : fd_(::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666)), buffer_(new char[kSize]) {
    if (fd_ < 0) Fail("floor: cannot create " + file.string() + ": " + std::strerror(errno));
  }
  ~BufferedWriter() {
    if (fd_ >= 0) ::close(fd_);
  }

  void Write(std::string_view bytes) {
    if (bytes.size() > kSize - used_) Flush();
    if (bytes.size() >= kSize) {
      WriteAll(bytes.data(), bytes.size());
      return;
    }
    std::memcpy(buffer_.get() + used_, bytes.data(), bytes.size());
    used_ += bytes.size();
  }
  void Flush() {
    WriteAll(buffer_.get(), used_);
    used_ = 0;
  }
  void Close() {
    Flush();
    if (::close(fd_) != 0) Fail(std::string("floor: close: ") + std::strerror(errno));
    fd_ = -1;
  }

 private:
  void WriteAll(const char* data, std::size_t size) {
    while (size > 0) {
      const ssize_t n = ::write(fd_, data, size);
      if (n < 0) {
        if (errno == EINTR) continue;
        Fail(std::string("floor: write: ") + std::strerror(errno));
      }
      data += n;
      size -= static_cast<std::size_t>(n);
    }
  }

  int fd_;
  std::unique_ptr<char[]> buffer_;
  std::size_t used_ = 0;
};

std::string QuoteIdentifier(const std::string& name) {
  std::string quoted = "\"";
  for (char c : name) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + '"';
}

// The least an export has to do: every row of every table of every database directly in the
// root folder, as one line per row. Returns the rows written.
std::int64_t FloorExport(const fs::path& root, const fs::path& resultFile) {
  std::vector<fs::path> entries;
  for (const fs::directory_entry& entry : fs::directory_iterator(root)) entries.push_back(entry.path());
  // The run's order: entry names in byte order.
  std::sort(entries.begin(), entries.end(),
            [](const fs::path& a, const fs::path& b) { return a.filename().native() < b.filename().native(); });

  BufferedWriter out(resultFile);
  std::string line;
  line.reserve(4096);
  std::int64_t rows = 0;
  for (const fs::path& entry : entries) {
    if (!fs::is_regular_file(entry)) continue;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(entry.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
      sqlite3_close(db);
      continue;
    }
    std::vector<std::string> tables;
    sqlite3_stmt* schema = nullptr;
    if (sqlite3_prepare_v2(db,
                           "SELECT name FROM sqlite_schema WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%' "
                           "ESCAPE '\\' ORDER BY rowid",
                           -1, &schema, nullptr) == SQLITE_OK) {
      while (sqlite3_step(schema) == SQLITE_ROW)
        tables.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(schema, 0)));
    }
    sqlite3_finalize(schema);

    const std::string databaseName = entry.filename().string();
    for (const std::string& table : tables) {
      sqlite3_stmt* select = nullptr;
      const std::string sql = "select rowid,* from " + QuoteIdentifier(table);
      if (sqlite3_prepare_v2(db, sql.c_str(), -1, &select, nullptr) != SQLITE_OK) {
        sqlite3_finalize(select);
        continue;
      }
      const int columns = sqlite3_column_count(select);
      while (sqlite3_step(select) == SQLITE_ROW) {
        line.assign(1, '\t');
        line += databaseName;
        line += '\t';
        line += table;
        for (int column = 0; column < columns; ++column) {
          line += '\t';
          const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(select, column));
          const int bytes = sqlite3_column_bytes(select, column);
          if (!text || bytes == 0) continue;
          const std::size_t from = line.size();
          line.append(text, static_cast<std::size_t>(bytes));
          for (std::size_t at = from; at < line.size(); ++at)
            if (line[at] == '\n' || line[at] == '\r' || line[at] == '\t') line[at] = ' ';
        }
        line += '\n';
        out.Write(line);
        ++rows;
      }
      sqlite3_finalize(select);
    }
    sqlite3_close(db);
  }
  out.Close();
  return rows;
}

// ---- The real run ---------------------------------------------------------------------------

// The user of a run: it picks the root folder and the result file, dismisses every message
// (keeping its text) and never presses the stop key.
class BenchInteraction : public platform::Interaction {
 public:
  BenchInteraction(std::string folder, std::string resultFile)
      : folder_(std::move(folder)), resultFile_(std::move(resultFile)) {
    platform::SetInteraction(this);
  }
  ~BenchInteraction() override { platform::SetInteraction(nullptr); }

  platform::Ref<platform::FolderItem> SelectFolder() override { return platform::New<platform::FolderItem>(folder_); }
  platform::Ref<platform::FolderItem> GetSaveFolderItem(const platform::String&, const platform::String&) override {
    return platform::New<platform::FolderItem>(resultFile_);
  }
  void MsgBox(const platform::String& text) override { messages.push_back(text); }
  bool UserCancelled() override { return false; }

  std::vector<std::string> messages;

 private:
  std::string folder_, resultFile_;
};

struct RunOutcome {
  double seconds;
  std::int64_t rows;
};

// One press of Start with the given AfficheInfo and Recursif, every other option unchecked.
RunOutcome ExportRun(Window1& window, bool afficheInfo, const fs::path& root, const fs::path& resultFile,
                     bool recursif = false) {
  window.TablesVides()->SetValue(false);
  window.NomsRubriques()->SetValue(false);
  window.AfficheInfo()->SetValue(afficheInfo);
  window.Recursif()->SetValue(recursif);
  window.CopieBase()->SetValue(false);
  App::ArretTraitement = 0;
  BenchInteraction user(root.string(), resultFile.string());

  const auto start = std::chrono::steady_clock::now();
  window.BtnDemarrer_Action(window.BtnDemarrer());
  const double seconds = Seconds(std::chrono::steady_clock::now() - start);

  if (user.messages != std::vector<std::string>{export_run::kFinished}) {
    std::string shown;
    for (const std::string& message : user.messages) shown += " [" + message + "]";
    Fail("the run did not close with \"" + std::string(export_run::kFinished) + "\"; it showed:" +
         (shown.empty() ? " nothing" : shown));
  }
  const std::string counted = window.NbRecords()->Text();
  char* end = nullptr;
  const long long rows = std::strtoll(counted.c_str(), &end, 10);
  if (counted.empty() || *end != '\0') Fail("the row counter reads \"" + counted + "\", not a whole number");
  return {seconds, rows};
}

// ---- One large value ------------------------------------------------------------------------

// Makes tree/valeur.sqlite, one row whose one value is the given MiB of text, in a child
// process: the memory that SQLite takes to write it is no part of the run's.
fs::path EnsureBigValueCorpus(const fs::path& corpus, std::int64_t mebibytes, bool blob) {
  const fs::path tree = corpus / ((blob ? "big_blob_" : "big_value_") + std::to_string(mebibytes)) / "tree";
  const fs::path file = tree / "valeur.sqlite";
  if (fs::exists(file)) return tree.parent_path();
  fs::create_directories(tree);
  std::fflush(stdout);
  const pid_t child = ::fork();
  if (child < 0) Fail("fork");
  if (child == 0) {
    sqlite3* db = nullptr;
    const fs::path pending = tree / "valeur.tmp";
    if (sqlite3_open(pending.c_str(), &db) != SQLITE_OK) std::_Exit(1);
    const std::string bytes = std::to_string(mebibytes << 20);
    const std::string sql = "PRAGMA journal_mode=OFF; CREATE TABLE t(v);"
                            "INSERT INTO t VALUES (" +
                            (blob ? "randomblob(" + bytes + ")" : "printf('%.*c', " + bytes + ", 'v')") + ");";
    const bool made = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    if (!made) std::_Exit(1);
    fs::rename(pending, file);
    std::_Exit(0);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) Fail("cannot make " + file.string());
  return tree.parent_path();
}

int MeasureBigValue(Window1& window, const fs::path& corpus, std::int64_t mebibytes) {
  const fs::path folder = fs::absolute(corpus);
  const long base = PeakResidentKiB();
  const RunOutcome outcome = ExportRun(window, false, folder / "tree", folder / "resultat.txt");
  const long peak = PeakResidentKiB();
  if (outcome.rows != 1) Fail("the run counted " + std::to_string(outcome.rows) + " rows, not 1");
  if (static_cast<std::int64_t>(fs::file_size(folder / "resultat.txt")) < (mebibytes << 20))
    Fail("the result file does not hold the value");
  const double added = (peak - base) / 1024.0;
  std::printf("one value of %" PRId64 " MiB: peak resident %.1f MiB, base %.1f MiB, added %.1f MiB = %.2f x the value"
              " (%.2f s)\n",
              mebibytes, peak / 1024.0, base / 1024.0, added, added / static_cast<double>(mebibytes), outcome.seconds);
  return 0;
}

// ---- Checks and figures ---------------------------------------------------------------------

// Count and hash of a result file's row lines, in order. A row line carries cells (it begins
// with TAB) and its third cell is the bare table name; the column-name line's is "name (N)".
struct RowDigest {
  std::int64_t lines = 0;
  std::uint64_t hash = 14695981039346656037ULL;
  friend bool operator==(const RowDigest&, const RowDigest&) = default;
};

RowDigest DigestRowLines(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) Fail("cannot read " + file.string());
  RowDigest digest;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] != '\t') continue;
    const std::size_t afterDatabase = line.find('\t', 1);
    if (afterDatabase == std::string::npos) continue;
    const std::size_t afterTable = line.find('\t', afterDatabase + 1);
    const std::string_view table =
        std::string_view(line).substr(afterDatabase + 1, afterTable == std::string::npos
                                                             ? std::string_view::npos
                                                             : afterTable - afterDatabase - 1);
    if (table.ends_with(")") && table.find(" (") != std::string_view::npos) continue;
    if (afterTable == std::string::npos) continue;  // an entry that is not a database
    ++digest.lines;
    for (unsigned char c : line) digest.hash = (digest.hash ^ c) * 1099511628211ULL;
    digest.hash = (digest.hash ^ '\n') * 1099511628211ULL;
  }
  return digest;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void PrintFigure(const char* what, const std::vector<double>& times, std::int64_t rows) {
  const double median = Median(times);
  std::printf("%-34s median %8.3f s  %12.0f rows/s  (runs:", what, median, static_cast<double>(rows) / median);
  for (double t : times) std::printf(" %.3f", t);
  std::printf(")\n");
}

std::int64_t ParseCount(const char* text, const char* what) {
  char* end = nullptr;
  const long long value = std::strtoll(text, &end, 10);
  if (!*text || *end != '\0' || value < 1) Fail(std::string("bad ") + what + ": " + text);
  return value;
}

// ---- Large trees ----------------------------------------------------------------------------

// A database of one table of one row, whose bytes every database of a tree copies.
std::string SmallDatabaseBytes(const fs::path& scratch) {
  sqlite3* db = nullptr;
  if (sqlite3_open(scratch.c_str(), &db) != SQLITE_OK) Fail("cannot make " + scratch.string());
  Exec(db, "PRAGMA journal_mode=OFF; CREATE TABLE t(v TEXT); INSERT INTO t VALUES ('ligne');");
  sqlite3_close(db);
  std::string bytes = ReadSmallFile(scratch);
  fs::remove(scratch);
  return bytes;
}

void WriteFileAt(int folder, const char* name, const std::string& bytes) {
  const int fd = ::openat(folder, name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
    Fail(std::string("corpus: cannot write ") + name + ": " + std::strerror(errno));
  ::close(fd);
}

constexpr int kWideFolders = 3;
constexpr int kWideFilesPerFolder = 100'000;  // one of them a database
constexpr int kDeepLevels = 2'000;
constexpr char kDeepFolder[] = "d";
constexpr char kDeepDatabase[] = "b.sqlite";

// The deepest database's path, which the system must take whole.
std::size_t DeepestPathLength(const fs::path& tree) {
  return tree.string().size() + kDeepLevels * (1 + std::strlen(kDeepFolder)) + 1 + std::strlen(kDeepDatabase);
}

// The folders one inside the other are made from their enclosing folder's descriptor: the
// deepest paths are longer than SQLite takes.
void MakeDeepTree(const fs::path& tree, const std::string& database) {
  int folder = ::open(tree.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  for (int level = 1; level <= kDeepLevels && folder >= 0; ++level) {
    if (::mkdirat(folder, kDeepFolder, 0777) != 0) Fail(std::string("corpus: mkdir: ") + std::strerror(errno));
    const int inner = ::openat(folder, kDeepFolder, O_PATH | O_DIRECTORY | O_CLOEXEC);
    ::close(folder);
    folder = inner;
    if (folder >= 0) WriteFileAt(folder, kDeepDatabase, database);
  }
  if (folder < 0) Fail(std::string("corpus: open: ") + std::strerror(errno));
  ::close(folder);
}

void MakeWideTree(const fs::path& tree, const std::string& database) {
  for (int f = 1; f <= kWideFolders; ++f) {
    const fs::path folderPath = tree / ("dossier_" + std::to_string(f));
    fs::create_directories(folderPath);
    const int folder = ::open(folderPath.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) Fail("corpus: cannot open " + folderPath.string());
    WriteFileAt(folder, "base.sqlite", database);
    for (int i = 1; i < kWideFilesPerFolder; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "f%06d.txt", i);
      WriteFileAt(folder, name, "texte\n");
    }
    ::close(folder);
  }
}

// Makes CORPUS/tree_KIND/tree unless its marker says it is there, in a child process: what
// making it takes is no part of the run's memory. Gives CORPUS/tree_KIND.
fs::path EnsureTreeCorpus(const fs::path& corpus, const std::string& kind) {
  const fs::path folder = fs::absolute(corpus / ("tree_" + kind));
  const fs::path tree = folder / "tree";
  const fs::path marker = folder / "tree.ready";
  if (kind == "deep" && DeepestPathLength(tree) >= PATH_MAX)
    Fail("the deepest path under " + tree.string() +
         " would be longer than the system takes; give a shorter CORPUS_DIR");
  if (fs::exists(marker)) {
    std::printf("corpus: %s reused\n", tree.c_str());
    return folder;
  }
  std::fflush(stdout);
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = ::fork();
  if (child < 0) Fail("fork");
  if (child == 0) {
    fs::remove_all(tree);
    fs::create_directories(tree);
    const std::string database = SmallDatabaseBytes(folder / "base.tmp");
    if (kind == "deep")
      MakeDeepTree(tree, database);
    else
      MakeWideTree(tree, database);
    std::ofstream(marker) << kind << '\n';
    std::_Exit(0);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || !fs::exists(marker)) Fail("cannot make " + tree.string());
  std::printf("corpus: %s made in %.1f s\n", tree.c_str(), Seconds(std::chrono::steady_clock::now() - start));
  return folder;
}

int MeasureTree(Window1& window, const fs::path& folder, const std::string& kind, int repeat) {
  const bool deep = kind == "deep";
  const std::int64_t rows = deep ? kDeepLevels : kWideFolders;  // one row per database
  const long base = PeakResidentKiB();
  std::vector<double> times;
  for (int i = 0; i < repeat; ++i) {
    const RunOutcome outcome = ExportRun(window, false, folder / "tree", folder / "resultat.txt", true);
    if (outcome.rows != rows)
      Fail("the run counted " + std::to_string(outcome.rows) + " rows, not " + std::to_string(rows));
    times.push_back(outcome.seconds);
  }
  const long peak = PeakResidentKiB();
  std::printf("tree %s (%s): run median %.3f s (runs:", kind.c_str(),
              deep ? "2,000 levels, a database in each" : "300,000 files in 3 folders", Median(times));
  for (double t : times) std::printf(" %.3f", t);
  std::printf("); peak resident %.1f MiB, base %.1f MiB, added %.1f MiB\n", peak / 1024.0, base / 1024.0,
              (peak - base) / 1024.0);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);  // before the QApplication: no display needed
  std::setvbuf(stdout, nullptr, _IOLBF, 0);    // figures in order with Qt's own notices

  fs::path corpus = "bench/corpus";
  CorpusShape shape;
  int repeat = 5;
  std::int64_t bigValue = 0;
  bool blob = false;
  std::string tree;
  bool repeatGiven = false;
  if (const char* rows = std::getenv("QUORVANE_BENCH_BIG_ROWS"); rows && *rows)
    shape.bigRows = ParseCount(rows, "QUORVANE_BENCH_BIG_ROWS");
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg.starts_with("--big-rows=")) shape.bigRows = ParseCount(argv[i] + 11, "--big-rows");
    else if (arg.starts_with("--repeat=")) {
      repeat = static_cast<int>(ParseCount(argv[i] + 9, "--repeat"));
      repeatGiven = true;
    }
    else if (arg == "--tree=wide" || arg == "--tree=deep") tree = arg.substr(7);
    else if (arg.starts_with("--big-value=")) bigValue = ParseCount(argv[i] + 12, "--big-value");
    else if (arg == "--blob") blob = true;
    else if (!arg.starts_with("--")) corpus = arg;
    else Fail("unknown option " + std::string(arg));
  }

  // One measure of memory, or of a large tree, with the main window: its corpus is made first.
  auto measureWithWindow = [&](const std::function<int(Window1&)>& measure) {
    standardMessageHandler = qInstallMessageHandler(QuietOffscreenNotices);
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    platform::Ref<Window1> window = ImplicitWindow1();
    const int status = measure(*window);
    window->Close();
    platform::RuntimeReleaseWindows();
    return status;
  };
  if (bigValue > 0) {
    const fs::path folder = EnsureBigValueCorpus(corpus, bigValue, blob);
    return measureWithWindow([&](Window1& window) { return MeasureBigValue(window, folder, bigValue); });
  }
  if (!tree.empty()) {
    const fs::path folder = EnsureTreeCorpus(corpus, tree);
    const int runs = repeatGiven ? repeat : 1;
    return measureWithWindow([&](Window1& window) { return MeasureTree(window, folder, tree, runs); });
  }

  EnsureCorpus(corpus, shape);
  const fs::path root = fs::absolute(corpus / "tree");
  const fs::path out = fs::absolute(corpus / "out");
  fs::create_directories(out);

  standardMessageHandler = qInstallMessageHandler(QuietOffscreenNotices);
  int qtArgc = 1;  // Qt sees none of the benchmark's own arguments
  QApplication app(qtArgc, argv);
  platform::Ref<Window1> window = ImplicitWindow1();
  const long peakSetup = PeakResidentKiB();

  // The floor, warmed up once: the databases are in the page cache for everything after.
  const fs::path floorFile = out / "floor.txt";
  const std::int64_t floorRows = FloorExport(root, floorFile);
  if (floorRows != shape.TotalRows())
    Fail("the floor wrote " + std::to_string(floorRows) + " rows; the corpus holds " +
         std::to_string(shape.TotalRows()) + " (remove " + corpus.string() + " to have it made again)");
  const RowDigest floorDigest = DigestRowLines(floorFile);
  std::printf("corpus: 1 + %d databases, %" PRId64 " rows; %d timed runs of each kind\n", shape.smallDatabases,
              floorRows, repeat);
  std::fflush(stdout);

  // The three kinds take turns, round by round: a busy stretch of the machine slows all of
  // them alike instead of one kind's runs.
  std::vector<double> floorTimes, quietTimes, infoTimes;
  long peakFirstRound = 0;
  auto timeRun = [&](bool afficheInfo, const fs::path& resultFile, std::vector<double>& times, bool check) {
    const RunOutcome outcome = ExportRun(*window, afficheInfo, root, resultFile);
    times.push_back(outcome.seconds);
    if (outcome.rows != floorRows)
      Fail("the run counted " + std::to_string(outcome.rows) + " rows; the floor wrote " + std::to_string(floorRows));
    // Once per kind, outside the timing: the run wrote the very row lines of the floor.
    if (check && !(DigestRowLines(resultFile) == floorDigest))
      Fail("the row lines of " + resultFile.string() + " differ from the floor's");
  };
  auto timeFloor = [&] {
    const auto start = std::chrono::steady_clock::now();
    const std::int64_t rows = FloorExport(root, floorFile);
    floorTimes.push_back(Seconds(std::chrono::steady_clock::now() - start));
    if (rows != floorRows) Fail("the floor's row count changed between runs");
  };
  // Each round takes the kinds in another order, so that nothing that recurs on the machine
  // falls on one kind round after round.
  for (int i = 0; i < repeat; ++i) {
    for (int turn = 0; turn < 3; ++turn) {
      switch ((turn + i) % 3) {
        case 0: timeFloor(); break;
        case 1: timeRun(false, out / "run_a.txt", quietTimes, i == 0); break;
        default: timeRun(true, out / "run_b.txt", infoTimes, i == 0); break;
      }
    }
    if (i == 0) peakFirstRound = PeakResidentKiB();
  }
  const long peakEnd = PeakResidentKiB();

  window->Close();
  platform::RuntimeReleaseWindows();

  PrintFigure("(a) run, AfficheInfo unchecked:", quietTimes, floorRows);
  PrintFigure("(b) run, AfficheInfo checked:", infoTimes, floorRows);
  PrintFigure("(c) floor, plain SQLite loop:", floorTimes, floorRows);
  std::printf("peak resident memory: after the setup %.1f MiB, after the first round %.1f MiB\n", peakSetup / 1024.0,
              peakFirstRound / 1024.0);
  std::printf("peak resident memory (ru_maxrss): %ld KiB (%.1f MiB), big table of %" PRId64 " rows\n", peakEnd,
              peakEnd / 1024.0, shape.bigRows);
  // Each round's run over the floor of the same round, then the median of those: runs close
  // in time share whatever else the machine is doing.
  auto pairedRatio = [&](const std::vector<double>& times) {
    std::vector<double> ratios;
    for (std::size_t i = 0; i < times.size(); ++i) ratios.push_back(times[i] / floorTimes[i]);
    return Median(ratios);
  };
  std::printf("ratio (b): %.2f\n", pairedRatio(infoTimes));
  std::printf("ratio: %.2f\n", pairedRatio(quietTimes));
  return 0;
}
