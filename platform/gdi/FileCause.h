// Why a file could not be read or written, in words for the user.
//
// The system's own texts (strerror) are English and speak of system calls;
// they go to standard error. What the user reads is the cause as a short
// German phrase that says what to look at: a folder that may not be
// written, a full disk, a folder lying where the file belongs, a file that
// is not there. Every layer that reports a failed file to the user maps the
// errno of the failing call through here, so the same cause always reads
// the same. [thread-safe]
#pragma once

#include <string>

namespace kestrava {

enum class FileCause {
    AccessDenied,   // EACCES, EPERM
    ReadOnly,       // EROFS
    DiskFull,       // ENOSPC, EDQUOT
    FolderInTheWay, // EISDIR: a folder carries the file's name
    FileInTheWay,   // ENOTDIR: a file carries the name of a folder on the path
    Missing,        // ENOENT: the file or a folder on its path is not there
    NotRegularFile, // no errno: the name holds a FIFO, a device or a socket
    Other,          // anything else, EIO included
};

FileCause FileCauseOf(int errorNumber);

// The phrase for the user, without a full stop, e.g. "Datenträger voll".
const char* FileCauseText(FileCause cause);
inline const char* FileCauseText(int errorNumber) { return FileCauseText(FileCauseOf(errorNumber)); }

} // namespace kestrava
