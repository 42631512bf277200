// The export run: from the Start button to the closing message, and the folder walk that
// dumps every table of every database into the result file. Both are members of the main
// window (shell/main_window.h); this header gathers the texts that the run shows.
#pragma once

#include "engine/result_lines.h"
#include "shell/main_window.h"

namespace export_run {

using platform::String;

inline constexpr char kFolderCancelled[] = "Choix du dossier annulé par l'utilisateur";
inline constexpr char kFileCancelled[] = "Choix du fichier texte annulé par l'utilisateur";
inline constexpr char kSameFolder[] =
    "Désolé vous ne pouvez pas placer le fichier texte dans le même dossier que celui où se trouve vos bases SQLite !";
inline constexpr char kFinished[] = "Traitement terminé !";
inline constexpr char kNoDatabaseFile[] = "databasefile=nil";

// What one export run keeps beside the walk's arguments: its own result file, which the walk
// passes over, and the number of entries that could not be read or copied. There is one, as
// there is one main window; a run sets it up when the result file is created, and clears it
// when it ends.
struct RunState {
  platform::Ref<platform::FolderItem> resultFile;
  std::int64_t troubledEntries = 0;
  String copyFolderFailure;  // why the copy folder could not be made, or empty
};
RunState& CurrentRun();

// The run's answers to a result file that cannot be created or written.
String CannotCreateMessage(const String& path, const String& reason);
String CannotWriteMessage(const String& path, const String& reason);
String RunFailedMessage(const String& reason);
// The refusal of a result file that would replace a database.
String ResultIsDatabaseMessage(const String& path);
// The closing message: "Traitement terminé !", and a second line when entries could not be
// read or copied.
String FinishedMessage(std::int64_t troubledEntries);
// What a closing message adds when copies of databases that the reading made in the temporary
// folder could not be removed: where they are, for the user to remove them; empty when none.
String LeftoverCopiesMessage(const std::vector<platform::LeftoverCopy>& copies);

}  // namespace export_run
