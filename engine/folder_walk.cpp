#include "engine/export_run.h"
#include "shell/app.h"

using namespace platform;
using namespace result_lines;

// One call walks one folder: every entry gets its block; an entry that opens as a database
// has every table dumped, one line per row; a folder is walked in turn when Recursif is
// checked. A stop request ends the call after the row line during which it was seen; the
// enclosing calls go on until they too write a row line.
void Window1::ScanDossier(const Ref<FolderItem>& folder, const Ref<TextOutputStream>& output,
                          const Ref<FolderItem>& copyFolder) {
  Ref<SQLiteDatabase> db = New<SQLiteDatabase>();
  const std::int64_t entryCount = folder->Count();

  for (std::int64_t i = 1; i <= entryCount; ++i) {
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
      const String table = QuoteIdentifier(tables->IdxField(1)->StringValue());
      Ref<RecordSet> rows = db->SQLSelect("select rowid,* from " + table);
      // A table WITHOUT ROWID has no rowid: its rows come with an empty rowid cell.
      if (!rows) rows = db->SQLSelect("select null,* from " + table);
      if (!rows) {
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

      if (!NomsRubriques()->Value()) {
        Ref<RecordSet> columns = db->FieldSchema(tables->IdxField(1)->StringValue());
        if (columns) {
          String line = Chr(9) + folder->Item(i)->Name() + Chr(9) + tables->IdxField(1)->StringValue() + " (" +
                        Str(rows->RecordCount()) + ")" + Chr(9) + "Rowid";
          while (!columns->IsEOF()) {
            line += Chr(9);
            line += columns->IdxField(1)->StringValue();
            columns->MoveNext();
            RuntimeBackgroundTask();
          }
          output->WriteLine(line);
          columns->Close();
        }
      }

      std::int64_t tableRowCount = 0;
      String line;  // one line per row, composed in the same buffer
      while (!rows->IsEOF()) {
        if (UserCancelled()) App::ArretTraitement = 1;
        NbRecords()->SetText(Str(Val(NbRecords()->Text()) + 1.0));
        ++tableRowCount;
        if (AfficheInfo()->Value() && tableRowCount % 50 == 0) NbRecords()->Refresh(true);

        const int fieldCount = rows->FieldCount();
        line.clear();
        line += Chr(9);
        line += folder->Item(i)->Name();
        line += Chr(9);
        line += tables->IdxField(1)->StringValue();
        for (int field = 1; field <= fieldCount; ++field) {
          line += Chr(9);
          line += CleanValue(rows->IdxField(field)->StringValue());
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
      rows->Close();
      output->WriteLine("");
      tables->MoveNext();
      RuntimeBackgroundTask();
    }
    tables->Close();
    db->Close();
    if (CopieBase()->Value()) folder->Item(i)->CopyFileTo(copyFolder);
    RuntimeBackgroundTask();
  }
}
