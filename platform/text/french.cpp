#include <cerrno>
#include <cstring>
#include <exception>

#include "platform/text/french.h"
#include "platform/text/text.h"

namespace platform {

// The failures a user meets in practice get their words in French; the rare rest keeps the
// system's own text, which still says what happened.
String ReasonOfError(int errorNumber) {
  switch (errorNumber) {
    case EACCES:
    case EPERM:
      return "permission refusée";
    case ENOSPC:
      return "plus de place sur le disque";
    case EDQUOT:
      return "quota de disque dépassé";
    case EROFS:
      return "système de fichiers en lecture seule";
    case ENOENT:
      return "fichier ou dossier introuvable";
    case ENOTDIR:
      return "un élément du chemin n'est pas un dossier";
    case EISDIR:
      return "c'est un dossier";
    case EIO:
      return "erreur d'entrée-sortie";
    case ENAMETOOLONG:
      return "chemin trop long";
    case EMFILE:
    case ENFILE:
      return "trop de fichiers ouverts";
    case ENOMEM:
      return "mémoire insuffisante";
    case EFBIG:
      return "fichier trop grand";
    case ETXTBSY:
    case EBUSY:
      return "fichier occupé par un autre programme";
    default:
      return std::strerror(errorNumber);
  }
}

String ReasonOfCurrentException() {
  try {
    throw;
  } catch (const RuntimeException& error) {
    return error.Message();
  } catch (const std::exception& error) {
    return error.what();
  } catch (...) {
    return french::kUnknownError;
  }
}

}  // namespace platform
