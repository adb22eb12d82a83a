#include "platform/gdi/FileCause.h"

#include <cerrno>

namespace kestrava {

FileCause FileCauseOf(int errorNumber)
{
    switch (errorNumber) {
    case EACCES:
    case EPERM:
        return FileCause::AccessDenied;
    case EROFS:
        return FileCause::ReadOnly;
    case ENOSPC:
    case EDQUOT:
        return FileCause::DiskFull;
    case EISDIR:
        return FileCause::FolderInTheWay;
    case ENOTDIR:
        return FileCause::FileInTheWay;
    case ENOENT:
        return FileCause::Missing;
    default:
        return FileCause::Other;
    }
}

const char* FileCauseText(FileCause cause)
{
    switch (cause) {
    case FileCause::AccessDenied:
        return "Zugriff verweigert";
    case FileCause::ReadOnly:
        return "der Datenträger ist schreibgeschützt";
    case FileCause::DiskFull:
        return "Datenträger voll";
    case FileCause::FolderInTheWay:
        return "an Stelle der Datei liegt ein Ordner";
    case FileCause::FileInTheWay:
        return "an Stelle eines Ordners liegt eine Datei";
    case FileCause::Missing:
        return "Datei oder Ordner fehlt";
    case FileCause::NotRegularFile:
        return "keine gewöhnliche Datei";
    case FileCause::Other:
        break;
    }
    return "Ein- oder Ausgabefehler";
}

} // namespace kestrava
