// The platform's own words to the user, all in one place: the titles of its dialogs, what it
// says of an error that nobody caught, and why an operation failed.
#pragma once

#include "platform/runtime/object.h"

namespace platform::french {

inline constexpr char kMessageTitle[] = "Quorvane";
inline constexpr char kChooseFolder[] = "Choisissez le dossier des bases SQLite";
inline constexpr char kSaveTextFile[] = "Enregistrer le fichier texte";
inline constexpr char kTextFiles[] = "Fichiers texte (*.txt)";
inline constexpr char kAllFiles[] = "Tous les fichiers (*)";

inline constexpr char kUnexpectedError[] = "Une erreur inattendue s'est produite : ";
inline constexpr char kFatalError[] = "Une erreur inattendue a arrêté l'application : ";
inline constexpr char kUnknownError[] = "erreur inconnue";

// Why a database could not be read or copied, beside the OS's reasons.
inline constexpr char kLocked[] = "verrouillé par un autre programme";
inline constexpr char kDamaged[] = "fichier endommagé";
inline constexpr char kUnfinishedTransaction[] =
    "transaction inachevée, la base doit d'abord être réparée par un programme qui a le droit de l'écrire";
inline constexpr char kWalToRepair[] = "journal WAL à réparer par un programme qui a le droit d'écrire la base";
inline constexpr char kCannotOpen[] = "ouverture impossible";
inline constexpr char kNotConnected[] = "base non ouverte";
inline constexpr char kNoCopyFolder[] = "aucun dossier de copie";
inline constexpr char kCopyInterrupted[] = "copie interrompue";
inline constexpr char kWalNotAFile[] = "son journal -wal n'est pas un fichier ordinaire";
inline constexpr char kJournalNotAFile[] = "son journal -journal n'est pas un fichier ordinaire";
inline constexpr char kNoRoomForCopy[] = "pas assez de place dans le dossier temporaire";
// Then why the copy could not be made.
inline constexpr char kUnfinishedNotRolledBack[] =
    "transaction inachevée, qui n'a pas pu être annulée dans une copie temporaire : ";
// Then, in parentheses, kNoPrivateCopy and why the copy could not be made.
inline constexpr char kChangedWhileRead[] = "base modifiée par un autre programme pendant la lecture";
inline constexpr char kNoPrivateCopy[] = "copie temporaire impossible : ";
// Then SQLite's own words, and ")".
inline constexpr char kSQLiteCannotRead[] = "SQLite ne peut pas la lire (";
// Why a part of a schema cannot be read: then the function, module or table it names.
inline constexpr char kUnknownFunction[] = "fonction inconnue de ce programme : ";
inline constexpr char kUnknownModule[] = "module de table virtuelle inconnu de ce programme : ";
inline constexpr char kRefusedFunction[] = "fonction refusée dans un schéma, par sécurité : ";
inline constexpr char kNotUnderstood[] = "cette version de SQLite ne comprend pas la définition de ";

}  // namespace platform::french
