#include "engine/export_run.h"

#include <cerrno>
#include <exception>
#include <new>
#include <utility>

#include "shell/app.h"

using namespace platform;
using namespace result_lines;

namespace export_run {

RunState& CurrentRun() {
  static RunState run;
  return run;
}

String CannotCreateMessage(const String& path, const String& reason) {
  return "Impossible de créer le fichier texte \"" + path + "\" : " + reason;
}

String CannotWriteMessage(const String& path, const String& reason) {
  return "Impossible d'écrire dans le fichier texte \"" + path + "\" : " + reason +
         ". Le traitement est arrêté ; le fichier garde ce qui a pu y être écrit.";
}

String RunFailedMessage(const String& reason) { return "Le traitement s'est arrêté sur une erreur : " + reason; }

String ResultIsDatabaseMessage(const String& path) {
  return "Désolé, le fichier texte ne peut pas remplacer \"" + path +
         "\" : c'est une base SQLite ou l'un de ses fichiers, ou bien il ne peut pas être lu pour le vérifier. "
         "Choisissez un autre fichier.";
}

String FinishedMessage(std::int64_t troubledEntries) {
  if (troubledEntries == 0) return kFinished;
  const String count = troubledEntries == 1
                           ? String("1 élément n'a pas pu être lu ou copié : le fichier texte le signale")
                           : Str(troubledEntries) + " éléments n'ont pas pu être lus ou copiés : le fichier texte les signale";
  return String(kFinished) + "\n" + count + " par « " + kUnreadable + " » ou « " + kCopyFailed + " ».";
}

String LeftoverCopiesMessage(const std::vector<LeftoverCopy>& copies) {
  if (copies.empty()) return String();
  constexpr std::size_t kNamed = 5;  // a message box, not a list
  String where;
  for (std::size_t i = 0; i < copies.size() && i < kNamed; ++i)
    where += (i == 0 ? "« " : ", « ") + copies[i].folder + " » (" + copies[i].reason + ")";
  if (copies.size() > kNamed) where += " et " + Str(copies.size() - kNamed) + " autres";
  if (copies.size() == 1)
    return "\nUne copie temporaire d'une base n'a pas pu être supprimée : " + where + ". Supprimez-la vous-même.";
  return "\n" + Str(copies.size()) + " copies temporaires de bases n'ont pas pu être supprimées : " + where +
         ". Supprimez-les vous-même.";
}

}  // namespace export_run

using namespace export_run;

namespace {

// Gives the Start button back at every return of the run, after the message that ends it;
// then, once the run may have grown the window, gives the window its height at rest. An error
// that leaves the run leaves both as they stand.
class StartButtonBack {
 public:
  explicit StartButtonBack(Ref<PushButton> button) : button_(std::move(button)) {}
  StartButtonBack(const StartButtonBack&) = delete;
  StartButtonBack& operator=(const StartButtonBack&) = delete;
  void ShrinkWindowToo() noexcept { shrinkWindow_ = true; }
  // Never acts while an error unwinds, so what the platform raises here reaches the caller as
  // from the run itself.
  ~StartButtonBack() noexcept(false) {
    if (std::uncaught_exceptions() > uncaught_) return;
    button_->SetEnabled(true);
    if (shrinkWindow_) ImplicitWindow1()->SetHeight(kHeightAtRest);
  }

 private:
  Ref<PushButton> button_;
  bool shrinkWindow_ = false;
  int uncaught_ = std::uncaught_exceptions();
};

}  // namespace

void Window1::BtnDemarrer_Action(const Ref<PushButton>& button) {
  button->SetEnabled(false);
  StartButtonBack buttonBack(button);

  Ref<FolderItem> root = SelectFolder();
  if (!root) {
    MsgBox(kFolderCancelled);
    return;
  }
  NomDossier()->SetText(root->Name());

  Ref<FolderItem> resultFile = GetSaveFolderItem("TEXT", "ExtractDatabase");
  if (!resultFile) {
    MsgBox(kFileCancelled);
    return;
  }

  // The folder that holds the result file: its path without the file's name and the
  // separator before it. Only a result file directly in the root folder is refused.
  String resultFolderPath =
      Left(resultFile->NativePath(), Len(resultFile->NativePath()) - Len(resultFile->Name()));
  resultFolderPath = Left(resultFolderPath, Len(resultFolderPath) - 1);
  if (RuntimeStringCompare(root->NativePath(), resultFolderPath) == 0) {
    MsgBox(kSameFolder);
    return;
  }
  // Wherever it stands, a database is never replaced by the text.
  if (MayBeDatabaseFile(resultFile)) {
    MsgBox(ResultIsDatabaseMessage(resultFile->NativePath()));
    return;
  }

  Ref<Date> start = New<Date>();

  // The copy folder stands beside the result file, named after it and the start moment.
  Ref<FolderItem> copyFolder;
  if (ImplicitWindow1()->CopieBase()->Value()) {
    copyFolder = GetFolderItem(resultFile->NativePath() + "_" + start->SQLDate() + "_" + Str(start->Hour(), "00") +
                                   Str(start->Minute(), "00") + Str(start->Second(), "00"),
                               3);
    if (!copyFolder->Exists()) copyFolder->CreateAsFolder();
  }
  // Whatever stopped the copy folder stops every copy: each database will say so.
  const String copyFolderFailure = copyFolder && copyFolder->LastErrorCode() != 0 ? copyFolder->LastErrorMessage() : String();

  Ref<TextOutputStream> output;
  try {
    output = TextOutputStream::Create(resultFile);
  } catch (const IOException& error) {
    MsgBox(CannotCreateMessage(resultFile->NativePath(), error.Message()));
    return;
  }

  // A failed write, or any other error of the platform, must not leave the run stuck: the
  // file keeps what was written, the user is told, and the window is ready for another run.
  auto abandon = [&](const String& message) {
    try {
      output->Close();
    } catch (const std::exception&) {
      // the user is told of the first failure, which is the one that matters
    }
    App::ArretTraitement = 0;
    CurrentRun() = RunState{};
    MsgBox(message + LeftoverCopiesMessage(TakeLeftoverCopies()));
  };
  buttonBack.ShrinkWindowToo();
  try {
    output->WriteLine(Converted(CreationLine(start)));
    output->WriteLine(Converted(DescriptionLine()));
    output->WriteLine("");
    output->WriteLine(Converted(CountLine(root->Count())));

    App::ArretTraitement = 0;
    CurrentRun() = RunState{resultFile, 0, copyFolderFailure};
    ImplicitWindow1()->SetHeight(AfficheInfo()->Value() ? kHeightRunningWithPanel : kHeightRunning);
    NbRecords()->SetText("0");

    ScanDossier(root, output, copyFolder);

    Ref<Date> end = New<Date>();
    if (App::ArretTraitement == 1) {
      output->WriteLine("");
      output->WriteLine(Converted(kCancel));
      App::ArretTraitement = 0;
    }
    output->WriteLine(Converted(FooterLine(end)));
    output->Flush();
    output->Close();
  } catch (const IOException&) {
    abandon(CannotWriteMessage(resultFile->NativePath(), ReasonOfCurrentException()));
    return;
  } catch (const std::bad_alloc&) {
    abandon(RunFailedMessage(ReasonOfError(ENOMEM)));  // in the run's own French words
    return;
  } catch (...) {
    abandon(RunFailedMessage(ReasonOfCurrentException()));
    return;
  }

  // The window keeps its run height while the message is up.
  MsgBox(FinishedMessage(CurrentRun().troubledEntries) + LeftoverCopiesMessage(TakeLeftoverCopies()));
  CurrentRun() = RunState{};
}
