#include <charconv>
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

  bool troubled = false;  // the current entry has a line of what could not be read or copied
  auto trouble = [&](const String& line) {
    output->WriteLine(line);
    if (!troubled) ++export_run::CurrentRun().troubledEntries;
    troubled = true;
  };
  if (folder->LastErrorCode() != 0) trouble(UnreadableLine(folder->Name(), kFolderContent, folder->LastErrorMessage()));

  for (std::int64_t i = 1; i <= entryCount; ++i) {
    troubled = false;
    // The run's own result file and copy folder are its output, not something to read.
    if (folder->Item(i)->SameFileAs(export_run::CurrentRun().resultFile) || folder->Item(i)->SameFileAs(copyFolder)) {
      RuntimeBackgroundTask();
      continue;
    }
    if (AfficheInfo()->Value()) {
      NbBases()->SetText(Str(folder->Count() - i));
      NbBases()->Refresh(true);
    }
    output->WriteLine("");
    output->WriteLine(kRule);
    output->WriteLine(NameLine(folder->Item(i)->Name(), folder->Item(i)->NativePath()));
    output->WriteLine(kRule);

    db->SetDatabaseFile(GetFolderItem(folder->Item(i)->NativePath(), 3));
    if (!db->DatabaseFile() || !db->DatabaseFile()->Exists()) MsgBox(export_run::kNoDatabaseFile);

    if (!db->Connect()) {
      if (db->Error()) {
        // A database that is there but cannot be read now is no "not a database".
        trouble(UnreadableLine(folder->Item(i)->Name(), String(), db->ErrorMessage()));
        db->Close();
        RuntimeBackgroundTask();
        continue;
      }
      output->WriteLine(NotADatabaseLine(folder->Item(i)->Name()));
      db->Close();
      // A folder that is one of those being walked (a link back up the tree) is not walked
      // again: the walk would never end.
      if (folder->Item(i)->Directory() && Recursif()->Value() && !folder->Item(i)->RevisitsEnclosingFolder())
        ScanDossier(folder->Item(i), output, copyFolder);
      RuntimeBackgroundTask();
      continue;
    }

    if (AfficheInfo()->Value()) {
      NomBase()->SetText(folder->Item(i)->Name());
      NomBase()->Refresh(true);
    }
    Ref<RecordSet> tables = db->TableSchema();
    while (!tables->IsEOF()) {
      if (AfficheInfo()->Value()) {
        NomTable()->SetText(tables->IdxField(1)->StringValue());
        NomTable()->Refresh(true);
      }
      // The true rowid comes first, under a name that no column shadows. A table without one
      // (WITHOUT ROWID, or too wide for one more column) has its rows read alone, and their
      // rowid cell stays empty.
      const String table = QuoteIdentifier(tables->IdxField(1)->StringValue());
      const Selection selection = SelectionOf(db->FieldSchema(tables->IdxField(1)->StringValue()));
      const String& rowid = selection.rowid;
      Ref<RecordSet> rows =
          rowid.empty() ? nullptr : db->SQLSelect("select " + rowid + "," + selection.columns + " from " + table);
      const bool rowidCell = static_cast<bool>(rows);
      if (!rows) rows = db->SQLSelect("select " + selection.columns + " from " + table);
      if (!rows) {
        trouble(UnreadableLine(folder->Item(i)->Name(), kTable + tables->IdxField(1)->StringValue(),
                               db->ErrorMessage()));
        output->WriteLine("");
        tables->MoveNext();
        RuntimeBackgroundTask();
        continue;
      }
      if (rows->RecordCount() == 0 && !TablesVides()->Value()) {
        rows->Close();
        tables->MoveNext();
        RuntimeBackgroundTask();
        continue;
      }

      // A column that cannot be read is left out of the table's lines, and said first.
      for (const auto& [column, reason] : selection.unreadable)
        trouble(UnreadableLine(folder->Item(i)->Name(), kColumn + tables->IdxField(1)->StringValue() + "." + column,
                               reason));

      if (!NomsRubriques()->Value()) {
        Ref<RecordSet> columns = db->FieldSchema(tables->IdxField(1)->StringValue());
        if (columns) {
          String line = Chr(9) + NameAsUtf8(folder->Item(i)->Name()) + Chr(9) +
                        NameAsUtf8(tables->IdxField(1)->StringValue()) + " (" + Str(rows->RecordCount()) + ")" +
                        Chr(9) + "Rowid";
          while (!columns->IsEOF()) {
            if (columns->IdxField(2)->StringView().empty()) {
              line += Chr(9);
              AppendNameAsUtf8(line, columns->IdxField(1)->StringValue());
            }
            columns->MoveNext();
            RuntimeBackgroundTask();
          }
          output->WriteLine(line);
          columns->Close();
        }
      }

      std::int64_t tableRowCount = 0;
      String line;       // one line per row, composed in the same buffer
      // Where the rowid cell stands in the last row line: reading goes on after it past damage.
      std::size_t rowidFrom = 0, rowidTo = 0;
      for (;;) {
        while (!rows->IsEOF()) {
          if (UserCancelled()) App::ArretTraitement = 1;
          NbRecords()->SetText(Str(Val(NbRecords()->Text()) + 1.0));
          ++tableRowCount;
          if (AfficheInfo()->Value() && tableRowCount % kRowsPerRefresh == 0) NbRecords()->Refresh(true);

          const int fieldCount = rows->FieldCount();
          if (line.capacity() > kRoomKeptBetweenValues) String().swap(line);  // a huge value's room goes back
          line.clear();
          line += Chr(9);
          AppendNameAsUtf8(line, folder->Item(i)->Name());
          line += Chr(9);
          AppendNameAsUtf8(line, tables->IdxField(1)->StringView());
          if (!rowidCell) line += Chr(9);
          for (int field = 1; field <= fieldCount; ++field) {
            line += Chr(9);
            const std::size_t cell = line.size();
            rows->IdxField(field)->AppendTo(line);
            CleanValueAt(line, cell);
            if (field == 1) rowidFrom = cell, rowidTo = line.size();
            RuntimeBackgroundTask();
          }
          output->WriteLine(line);
          rows->MoveNext();

          if (App::ArretTraitement == 1) {
            rows->Close();
            tables->Close();
            db->Close();
            return;
          }
          RuntimeBackgroundTask();
        }
        // Rows that end at a damaged page: those before it are written, then what stopped them,
        // then the rows after it that can still be read, and so on.
        if (!rows->Error()) break;
        trouble(UnreadableLine(folder->Item(i)->Name(), kTable + tables->IdxField(1)->StringValue(),
                               rows->ErrorMessage()));
        if (!rowidCell) break;
        // Each stretch starts after the last row written: the reading moves on, and ends.
        std::optional<std::int64_t> lastRowid;
        std::int64_t written = 0;
        const char* const cell = line.data() + rowidFrom;
        if (rowidTo > rowidFrom && std::from_chars(cell, line.data() + rowidTo, written).ptr == line.data() + rowidTo)
          lastRowid = written;
        Ref<RecordSet> after = ReadOnAfterDamage(db, selection, table, lastRowid);
        if (!after) break;
        rows->Close();
        rows = after;
      }
      rows->Close();
      output->WriteLine("");
      tables->MoveNext();
      RuntimeBackgroundTask();
    }
    if (tables->Error()) trouble(UnreadableLine(folder->Item(i)->Name(), kTableList, tables->ErrorMessage()));
    tables->Close();
    // A view holds no rows of its own and is not dumped; one that SQLite cannot read is said
    // all the same, as a part of the database that could not be read.
    Ref<RecordSet> views = db->ViewSchema();
    while (!views->IsEOF()) {
      Ref<RecordSet> columns = db->FieldSchema(views->IdxField(1)->StringValue());
      if (columns)
        columns->Close();
      else
        trouble(UnreadableLine(folder->Item(i)->Name(), kView + views->IdxField(1)->StringValue(), db->ErrorMessage()));
      views->MoveNext();
      RuntimeBackgroundTask();
    }
    views->Close();
    // The copy is made from the snapshot just dumped, before the database is closed: it holds
    // every row written above, those still in a -wal included.
    if (CopieBase()->Value()) {
      if (!copyFolder)
        trouble(CopyFailedLine(folder->Item(i)->Name(), kNoCopyFolder));
      else if (!export_run::CurrentRun().copyFolderFailure.empty())
        trouble(CopyFailedLine(folder->Item(i)->Name(), kCopyFolderNotMade + export_run::CurrentRun().copyFolderFailure));
      else if (!db->CopyTo(copyFolder))
        trouble(CopyFailedLine(folder->Item(i)->Name(), db->ErrorMessage()));
    }
    db->Close();
    RuntimeBackgroundTask();
  }
}
