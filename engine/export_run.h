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

// The run's answers to a result file that cannot be created or written.
String CannotCreateMessage(const String& path, const String& reason);
String CannotWriteMessage(const String& path, const String& reason);
String RunFailedMessage(const String& reason);

}  // namespace export_run
