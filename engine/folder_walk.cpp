#include <cstdint>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

#include "engine/export_run.h"
#include "shell/app.h"

using namespace platform;
using namespace result_lines;

namespace {

// What a table's select takes: its rowid under a name that no column shadows (empty when its
// columns take all three of SQLite's names for it), and its columns: all of them, or by name
// those that SQLite can read when some cannot be, so that every cell written is a true value.
struct Selection {
  String rowid;
  String columns = "*";
  std::vector<std::pair<String, String>> unreadable;  // a column, and why it cannot be read
};

Selection SelectionOf(const Ref<RecordSet>& columns) {
  bool taken[3] = {false, false, false};
  static const char* const kNames[] = {"rowid", "_rowid_", "oid"};
  Selection selection;
  String readable;
  for (; columns && !columns->IsEOF(); columns->MoveNext()) {
    const String column = columns->IdxField(1)->StringValue();
    if (columns->IdxField(2)->StringView().empty())
      readable += (readable.empty() ? "" : ",") + QuoteIdentifier(column);
    else
      selection.unreadable.emplace_back(column, columns->IdxField(2)->StringValue());
    String name = column;
    for (char& c : name) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    for (int k = 0; k < 3; ++k) taken[k] = taken[k] || name == kNames[k];
  }
  if (columns) columns->Close();
  if (!selection.unreadable.empty()) selection.columns = readable;
  for (int k = 0; k < 3 && selection.rowid.empty(); ++k)
    if (!taken[k]) selection.rowid = kNames[k];
  return selection;
}

// Past a damaged page a table can often still be read: SQLite can seek to any rowid whose
// page is sound. The first rowid at or after `from` that a seek reaches: "none" when there is
// none, "damaged" when the seek itself lands on damage.
struct Seek {
  enum { Found, None, Damaged } outcome;
  std::int64_t rowid = 0;
};
Seek SeekRowid(const Ref<SQLiteDatabase>& db, const String& rowid, const String& table, std::int64_t from) {
  RuntimeBackgroundTask();
  Ref<RecordSet> first = db->SQLSelect("select " + rowid + " from " + table + " where " + rowid +
                                       " >= " + Str(from) + " order by " + rowid + " limit 1");
  if (!first) return {Seek::Damaged};  // the seek's first step failed
  if (first->IsEOF()) return {Seek::None};
  const Seek found{Seek::Found, first->IdxField(1)->Int64Value()};
  first->Close();
  return found;
}

// The start of the first stretch of rows after `from` that a seek reaches: seeks at ever
// doubling distances until one lands on a sound page, then a read back from the row it found
// to where its stretch begins. At most some sixty seeks a damaged page, whatever the rowids.
Seek FirstReadableRowid(const Ref<SQLiteDatabase>& db, const String& rowid, const String& table,
                        std::int64_t from) {
  constexpr std::int64_t kLast = std::numeric_limits<std::int64_t>::max();
  Seek found{Seek::Damaged};
  const auto room = static_cast<std::uint64_t>(kLast) - static_cast<std::uint64_t>(from);  // rowids after `from`
  for (int k = 0; k <= 64 && found.outcome == Seek::Damaged; ++k) {
    const std::uint64_t distance = k == 0 ? 0 : std::uint64_t{1} << (k - 1);
    if (distance > room) return {Seek::None};
    found = SeekRowid(db, rowid, table, static_cast<std::int64_t>(static_cast<std::uint64_t>(from) + distance));
  }
  if (found.outcome != Seek::Found) return found;
  Ref<RecordSet> back = db->SQLSelect("select " + rowid + " from " + table + " where " + rowid + " >= " + Str(from) +
                                      " and " + rowid + " < " + Str(found.rowid) + " order by " + rowid + " desc");
  for (; back && !back->IsEOF(); back->MoveNext()) {
    found.rowid = back->IdxField(1)->Int64Value();
    RuntimeBackgroundTask();
  }
  return found;
}

// The rows after the damage that ended a read after the given rowid (before the first row,
// when none was read), from the first one that can be reached, in order; nil when none can.
Ref<RecordSet> ReadOnAfterDamage(const Ref<SQLiteDatabase>& db, const Selection& selection, const String& table,
                                 const std::optional<std::int64_t>& lastRead) {
  if (lastRead == std::numeric_limits<std::int64_t>::max()) return nullptr;  // no rowid comes after
  const std::int64_t from = lastRead ? *lastRead + 1 : std::numeric_limits<std::int64_t>::min();
  const String& rowid = selection.rowid;
  const Seek start = FirstReadableRowid(db, rowid, table, from);
  if (start.outcome != Seek::Found) return nullptr;
  return db->SQLSelect("select " + rowid + "," + selection.columns + " from " + table + " where " + rowid +
                       " >= " + Str(start.rowid) + " order by " + rowid);
}

// NbRecords changes at every row; when the panel is shown, it is repainted once every this
// many rows of a table.
constexpr std::int64_t kRowsPerRefresh = 50;

// How far a part of the walk went: through to its end, or up to the row line after which a
// stop request was seen, with everything it had open closed.
enum class Walked { Through, Stopped };

// What one call of the walk works with, and the entry it is at.
struct FolderScan {
  Window1& window;
  const Ref<FolderItem>& folder;
  const Ref<TextOutputStream>& output;
  const Ref<FolderItem>& copyFolder;
  const Ref<SQLiteDatabase>& db;
  std::int64_t index = 0;
  bool troubled = false;  // the entry has a line of what could not be read or copied

  void AtEntry(std::int64_t i) {
    index = i;
    troubled = false;
  }
  // The entry, fetched anew at each use.
  Ref<FolderItem> Entry() const { return folder->Item(index); }
  // Writes a line of what could not be read or copied; the run counts each entry once.
  void Trouble(const String& line) {
    output->WriteLine(line);
    if (!troubled) ++export_run::CurrentRun().troubledEntries;
    troubled = true;
  }
};

// The run's own result file and copy folder are its output, not something to read.
bool IsRunOutput(const FolderScan& scan) {
  return scan.Entry()->SameFileAs(export_run::CurrentRun().resultFile) || scan.Entry()->SameFileAs(scan.copyFolder);
}

void WriteEntryBlock(const FolderScan& scan) {
  scan.output->WriteLine("");
  scan.output->WriteLine(kRule);
  scan.output->WriteLine(NameLine(scan.Entry()->Name(), scan.Entry()->NativePath()));
  scan.output->WriteLine(kRule);
}

// A table's rows as they are selected: the true rowid first, under a name that no column
// shadows. A table without one (WITHOUT ROWID, or too wide for one more column) has its rows
// read alone, and their rowid cell stays empty. Nil rows when neither select can be made.
struct TableSelect {
  String table;  // the table's name, quoted
  Selection selection;
  Ref<RecordSet> rows;
  bool rowidCell = false;
};
TableSelect SelectRows(const Ref<SQLiteDatabase>& db, const String& tableName) {
  TableSelect select;
  select.table = QuoteIdentifier(tableName);
  select.selection = SelectionOf(db->FieldSchema(tableName));
  const String& rowid = select.selection.rowid;
  if (!rowid.empty())
    select.rows = db->SQLSelect("select " + rowid + "," + select.selection.columns + " from " + select.table);
  select.rowidCell = static_cast<bool>(select.rows);
  if (!select.rows) select.rows = db->SQLSelect("select " + select.selection.columns + " from " + select.table);
  return select;
}

// The column-name line: the entry, the table and its count of rows, "Rowid", then every
// column that can be read. None for a table without a column list.
void WriteColumnNames(const FolderScan& scan, const Ref<RecordSet>& tables, const Ref<RecordSet>& rows) {
  Ref<RecordSet> columns = scan.db->FieldSchema(tables->IdxField(1)->StringValue());
  if (!columns) return;
  String line = Chr(9) + NameAsUtf8(scan.Entry()->Name()) + Chr(9) + NameAsUtf8(tables->IdxField(1)->StringValue()) +
                " (" + Str(rows->RecordCount()) + ")" + Chr(9) + "Rowid";
  while (!columns->IsEOF()) {
    if (columns->IdxField(2)->StringView().empty()) {
      line += Chr(9);
      AppendNameAsUtf8(line, columns->IdxField(1)->StringValue());
    }
    columns->MoveNext();
    RuntimeBackgroundTask();
  }
  scan.output->WriteLine(line);
  columns->Close();
}

// What the row lines of one table carry from row to row: the one buffer they are composed in,
// their count, and the rowid of the last one, after which reading goes on past damage.
struct TableRows {
  String line;
  std::int64_t count = 0;
  std::optional<std::int64_t> lastRowid;
};

// One line for each row left in the record set, as far as it can be read. A stop request
// seen at a row ends it after that row's line, with the rows closed.
Walked WriteRowLines(const FolderScan& scan, const Ref<RecordSet>& tables, const Ref<RecordSet>& rows, bool rowidCell,
                     TableRows& written) {
  Window1& window = scan.window;
  String& line = written.line;
  while (!rows->IsEOF()) {
    if (UserCancelled()) App::ArretTraitement = 1;
    window.NbRecords()->SetText(Str(Val(window.NbRecords()->Text()) + 1.0));
    ++written.count;
    if (window.AfficheInfo()->Value() && written.count % kRowsPerRefresh == 0) window.NbRecords()->Refresh(true);

    const int fieldCount = rows->FieldCount();
    if (line.capacity() > kRoomKeptBetweenValues) String().swap(line);  // a huge value's room goes back
    line.clear();
    line += Chr(9);
    AppendNameAsUtf8(line, scan.Entry()->Name());
    line += Chr(9);
    AppendNameAsUtf8(line, tables->IdxField(1)->StringView());
    if (!rowidCell) line += Chr(9);
    for (int field = 1; field <= fieldCount; ++field) {
      line += Chr(9);
      const std::size_t cell = line.size();
      const Ref<DatabaseField> value = rows->IdxField(field);
      value->AppendTo(line);
      CleanValueAt(line, cell);
      if (field == 1 && rowidCell) written.lastRowid = value->Int64Value();
      RuntimeBackgroundTask();
    }
    scan.output->WriteLine(line);
    rows->MoveNext();

    if (App::ArretTraitement == 1) {
      rows->Close();
      return Walked::Stopped;
    }
    RuntimeBackgroundTask();
  }
  return Walked::Through;
}

// A table's rows, read on past damage: rows that end at a damaged page are written, then what
// stopped them, then the rows after it that can still be read, and so on. The rows that
// `select` ends with are left open, unless a stop request closed them.
Walked WriteRowsPastDamage(FolderScan& scan, const Ref<RecordSet>& tables, TableSelect& select) {
  TableRows written;
  for (;;) {
    if (WriteRowLines(scan, tables, select.rows, select.rowidCell, written) == Walked::Stopped) return Walked::Stopped;
    if (!select.rows->Error()) return Walked::Through;
    scan.Trouble(
        UnreadableLine(scan.Entry()->Name(), kTable + tables->IdxField(1)->StringValue(), select.rows->ErrorMessage()));
    if (!select.rowidCell) return Walked::Through;
    // Each stretch starts after the last row written: the reading moves on, and ends.
    Ref<RecordSet> after = ReadOnAfterDamage(scan.db, select.selection, select.table, written.lastRowid);
    if (!after) return Walked::Through;
    select.rows->Close();
    select.rows = after;
  }
}

// The table at the table list's current row: its column-name line, its rows and its end line.
// One that cannot be selected gets what stopped it and its end line; one without rows gets
// nothing, unless TablesVides is checked.
Walked DumpTable(FolderScan& scan, const Ref<RecordSet>& tables) {
  Window1& window = scan.window;
  if (window.AfficheInfo()->Value()) {
    window.NomTable()->SetText(tables->IdxField(1)->StringValue());
    window.NomTable()->Refresh(true);
  }
  TableSelect select = SelectRows(scan.db, tables->IdxField(1)->StringValue());
  if (!select.rows) {
    scan.Trouble(
        UnreadableLine(scan.Entry()->Name(), kTable + tables->IdxField(1)->StringValue(), scan.db->ErrorMessage()));
    scan.output->WriteLine("");
    return Walked::Through;
  }
  if (select.rows->RecordCount() == 0 && !window.TablesVides()->Value()) {
    select.rows->Close();
    return Walked::Through;
  }
  // A column that cannot be read is left out of the table's lines, and said first.
  for (const auto& [column, reason] : select.selection.unreadable)
    scan.Trouble(
        UnreadableLine(scan.Entry()->Name(), kColumn + tables->IdxField(1)->StringValue() + "." + column, reason));
  if (!window.NomsRubriques()->Value()) WriteColumnNames(scan, tables, select.rows);

  if (WriteRowsPastDamage(scan, tables, select) == Walked::Stopped) return Walked::Stopped;
  select.rows->Close();
  scan.output->WriteLine("");
  return Walked::Through;
}

// A view holds no rows of its own and is not dumped; one that SQLite cannot read is said all
// the same, as a part of the database that could not be read.
void SayUnreadableViews(FolderScan& scan) {
  Ref<RecordSet> views = scan.db->ViewSchema();
  while (!views->IsEOF()) {
    Ref<RecordSet> columns = scan.db->FieldSchema(views->IdxField(1)->StringValue());
    if (columns)
      columns->Close();
    else
      scan.Trouble(
          UnreadableLine(scan.Entry()->Name(), kView + views->IdxField(1)->StringValue(), scan.db->ErrorMessage()));
    views->MoveNext();
    RuntimeBackgroundTask();
  }
  views->Close();
}

// The copy is made from the snapshot just dumped, before the database is closed: it holds
// every row written, those still in a -wal included.
void CopyWhenAsked(FolderScan& scan) {
  if (!scan.window.CopieBase()->Value()) return;
  if (!scan.copyFolder)
    scan.Trouble(CopyFailedLine(scan.Entry()->Name(), kNoCopyFolder));
  else if (!export_run::CurrentRun().copyFolderFailure.empty())
    scan.Trouble(CopyFailedLine(scan.Entry()->Name(), kCopyFolderNotMade + export_run::CurrentRun().copyFolderFailure));
  else if (!scan.db->CopyTo(scan.copyFolder))
    scan.Trouble(CopyFailedLine(scan.Entry()->Name(), scan.db->ErrorMessage()));
}

// The entry that opened as a database: every table dumped, what cannot be read of its list
// and views said, the copy made when asked; then the database is closed.
Walked DumpDatabase(FolderScan& scan) {
  Window1& window = scan.window;
  if (window.AfficheInfo()->Value()) {
    window.NomBase()->SetText(scan.Entry()->Name());
    window.NomBase()->Refresh(true);
  }
  Ref<RecordSet> tables = scan.db->TableSchema();
  while (!tables->IsEOF()) {
    if (DumpTable(scan, tables) == Walked::Stopped) {
      tables->Close();
      scan.db->Close();
      return Walked::Stopped;
    }
    tables->MoveNext();
    RuntimeBackgroundTask();
  }
  if (tables->Error()) scan.Trouble(UnreadableLine(scan.Entry()->Name(), kTableList, tables->ErrorMessage()));
  tables->Close();
  SayUnreadableViews(scan);
  CopyWhenAsked(scan);
  scan.db->Close();
  return Walked::Through;
}

}  // namespace

// One call walks one folder: every entry gets its block; an entry that opens as a database
// has every table dumped, one line per row; a folder is walked in turn when Recursif is
// checked. What cannot be read or copied gets its line where its rows would have stood. A
// stop request ends the call after the row line during which it was seen; the enclosing
// calls go on until they too write a row line.
void Window1::ScanDossier(const Ref<FolderItem>& folder, const Ref<TextOutputStream>& output,
                          const Ref<FolderItem>& copyFolder) {
  Ref<SQLiteDatabase> db = New<SQLiteDatabase>();
  const std::int64_t entryCount = folder->Count();
  FolderScan scan{*this, folder, output, copyFolder, db};
  if (folder->LastErrorCode() != 0)
    scan.Trouble(UnreadableLine(folder->Name(), kFolderContent, folder->LastErrorMessage()));

  for (std::int64_t i = 1; i <= entryCount; ++i) {
    scan.AtEntry(i);
    if (!IsRunOutput(scan)) {
      if (AfficheInfo()->Value()) {
        NbBases()->SetText(Str(folder->Count() - i));
        NbBases()->Refresh(true);
      }
      WriteEntryBlock(scan);

      db->SetDatabaseFile(GetFolderItem(folder->Item(i)->NativePath(), 3));
      if (!db->DatabaseFile() || !db->DatabaseFile()->Exists()) MsgBox(export_run::kNoDatabaseFile);

      if (!db->Connect()) {
        if (db->Error()) {
          // A database that is there but cannot be read now is no "not a database".
          scan.Trouble(UnreadableLine(folder->Item(i)->Name(), String(), db->ErrorMessage()));
          db->Close();
        } else {
          output->WriteLine(NotADatabaseLine(folder->Item(i)->Name()));
          db->Close();
          // A folder that is one of those being walked (a link back up the tree) is not
          // walked again: the walk would never end.
          if (folder->Item(i)->Directory() && Recursif()->Value() && !folder->Item(i)->RevisitsEnclosingFolder())
            ScanDossier(folder->Item(i), output, copyFolder);
        }
      } else if (DumpDatabase(scan) == Walked::Stopped) {
        return;
      }
    }
    RuntimeBackgroundTask();
  }
}
