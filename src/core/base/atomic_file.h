// Replacing a file so that readers and a crash see either the old file or the whole new one:
// the content goes to a unique temporary name in the same directory, created exclusively and
// never through a link, and is renamed into place once complete. A replaced file keeps its
// permission bits; a new one gets 0666 less the umask. Nothing is left behind on failure.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace tessel::base {

// A failure of the system while writing a file: names the file (or the directory where the
// temporary file could not be made) and the cause.
class FileWriteError : public std::runtime_error {
  public:
    FileWriteError(std::string path, int systemError);
    const std::string& Path() const { return path_; }
    int SystemError() const { return systemError_; }
    // The system's sentence for the cause, e.g. "Permission denied".
    std::string Cause() const;

  private:
    std::string path_;
    int systemError_;
};

enum class Durability {
    Durable,  // the file and its name survive a crash once Commit returns
    Scratch,  // no waiting for the disk: a crash may lose the file
};

enum class Replace {
    Allowed,
    Never,  // fails with EEXIST when a file (or link) has the name by the time of Commit
};

class AtomicFile {
  public:
    // Creates the temporary file; throws FileWriteError naming the directory when it cannot.
    explicit AtomicFile(std::string path, Durability durability = Durability::Durable);
    // Removes the temporary file unless it was committed.
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    const std::string& Path() const { return path_; }
    const std::string& TemporaryPath() const { return temporary_; }

    void Write(std::string_view bytes);
    // Lets another writer (such as SQLite, whose locks our own descriptor would drop when it
    // closes) fill the temporary file by its name.
    void CloseDescriptor();
    // Gives the temporary file the final name. Throws FileWriteError naming the file.
    void Commit(Replace replace = Replace::Allowed);

  private:
    void Fail(int error);

    std::string path_;
    std::string directory_;
    std::string temporary_;
    Durability durability_;
    int descriptor_ = -1;
    bool committed_ = false;
};

// The temporary names the writer tries, in the order of their numbers; a name that anything
// (a file, a link) already has is passed over.
std::string TemporaryName(const std::string& path, unsigned number);
unsigned NextTemporaryNumber();

// Writes `bytes` as the whole content of `path` through an AtomicFile.
void WriteFileAtomically(const std::string& path, std::string_view bytes,
                         Durability durability = Durability::Durable);

}  // namespace tessel::base
