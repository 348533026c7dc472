// An open file of a table (the .dbf or its memo file) read and written at offsets, with every
// failure of the system as an EngineError that names the file, and the undo log that lets a
// transaction put back every byte and length it changed.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tessel::db::dbf {

class FileHandle {
  public:
    FileHandle() = default;
    // Opens for reading and, when the file allows it, writing. Throws err::kFileMissing for a
    // missing file, and the system's number otherwise.
    explicit FileHandle(std::string path);
    ~FileHandle();
    FileHandle(FileHandle&& other) noexcept;
    FileHandle& operator=(FileHandle&& other) noexcept;
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    bool IsOpen() const { return descriptor_ >= 0; }
    bool Writable() const { return writable_; }
    const std::string& Path() const { return path_; }

    std::uint64_t Size() const;
    // Size and time of the last change as the system reports them, to notice other writers.
    std::pair<std::uint64_t, std::int64_t> Stamp() const;
    // Up to `size` bytes from `offset` (fewer at the end of the file).
    std::string ReadAt(std::uint64_t offset, std::size_t size) const;
    // Reads into `buffer` (resized to what was read).
    void ReadInto(std::uint64_t offset, std::size_t size, std::string& buffer) const;
    void WriteAt(std::uint64_t offset, std::string_view bytes);
    void Truncate(std::uint64_t size);
    void Sync();

  private:
    [[noreturn]] void Fail(const char* doing, int error) const;
    std::string path_;
    int descriptor_ = -1;
    bool writable_ = false;
};

// Steps that undo the changes of a transaction, run newest first. A mark is a position in the
// log: RollbackTo(mark) undoes what came after it.
class UndoLog {
  public:
    using Step = std::function<void()>;
    void Add(Step step) { steps_.push_back(std::move(step)); }
    std::size_t Mark() const { return steps_.size(); }
    void RollbackTo(std::size_t mark);
    void Clear() { steps_.clear(); }
    bool Empty() const { return steps_.empty(); }

  private:
    std::vector<Step> steps_;
};

}  // namespace tessel::db::dbf
