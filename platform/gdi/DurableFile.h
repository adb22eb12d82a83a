// Writing a file that must not be lost, the one way every writer of the
// program does it (pictures, result files, the preferences, the saved run):
// the bytes go to a temporary file beside the target, named
// TemporaryPathFor(target), which is flushed to the disk, closed and renamed
// over the target; then the folder is flushed, so that the rename itself is
// on the disk. A crash or a power cut at any moment leaves either the old
// complete file or the new complete one.
//
// The folder's flush belongs to the write: when it fails the write has
// failed too (the new file is then in place but may not survive a power
// cut), except on a file system that cannot flush a folder at all, which
// says so with EINVAL: there is nothing to wait for there.
//
// [thread-safe] for different targets. Two writers of one process that
// write the same target at once would share the temporary name; every
// target here has one writer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kestrava {

// The two steps apart, for a writer that must do something between them (a
// result writer sets a damaged file aside only once its replacement is
// complete). Destroyed before Commit, it removes the temporary file and
// leaves the target as it was.
class DurableFile {
public:
    explicit DurableFile(std::string target);
    ~DurableFile();
    DurableFile(const DurableFile&) = delete;
    DurableFile& operator=(const DurableFile&) = delete;

    // Writes the whole new content into a fresh temporary file, flushes it
    // and closes it. False when that failed; the temporary file is gone then.
    bool Write(const uint8_t* bytes, size_t size);
    // Renames the written temporary file over the target and flushes the
    // folder. False when either failed: Renamed() tells whether the new
    // file is in place (only the folder's flush failed) or the target is as
    // it was.
    bool Commit();
    bool Renamed() const { return m_renamed; }

    // Why the last step failed, one line in English for standard error,
    // and the errno of the failing call.
    const std::string& Error() const { return m_error; }
    int ErrorNumber() const { return m_errorNumber; }

private:
    void Note(const char* what);

    std::string m_target;
    std::string m_temporary;
    bool m_written = false;
    bool m_renamed = false;
    std::string m_error;
    int m_errorNumber = 0;
};

// Both steps at once. False, with DurableFile::Error() in error and its
// errno in *errorNumber, when the file could not be written.
bool WriteFileDurably(const std::string& path, const uint8_t* bytes, size_t size, std::string& error,
                      int* errorNumber = nullptr);

} // namespace kestrava
