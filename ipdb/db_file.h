// The database file as the reader sees it: a position, positional reads and
// three operations (seek, read bytes, read a text), over a host file or over
// bytes in memory. The reader code is the same for both.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/host.h"

namespace ostrand {

enum class SeekOrigin { Start, Current };

struct DbFile {
  static constexpr std::size_t kBlockSize = 4096;
  static constexpr std::size_t kBlockCount = 16;
  struct Block {
    std::int64_t index = -1;
    std::size_t length = 0;
    std::uint64_t lastUse = 0;
    unsigned char data[kBlockSize];
  };

  ByteSource source;
  std::int64_t position = 0;
  // Counts SeekFile, ReadFileBytes and ReadFileText calls, so that tests can
  // bound the work one lookup does on a damaged file.
  std::uint64_t operations = 0;
  // Host files are read in whole blocks, so that the many small reads of one
  // lookup (most of them near each other) cost few system calls.
  std::unique_ptr<std::array<Block, kBlockCount>> blocks;
  std::uint64_t useClock = 0;
  // Without the cache, every read is one positional read of just the bytes
  // asked for (texts in small chunks): the baseline the cache is measured
  // against.
  bool cacheBlocks = true;

  DbFile() = default;
  DbFile(DbFile&& other) noexcept;
  DbFile& operator=(DbFile&& other) noexcept;
  DbFile(const DbFile&) = delete;
  DbFile& operator=(const DbFile&) = delete;
  ~DbFile();

  bool IsOpen() const { return source.bytes != nullptr || source.readAt != nullptr; }
};

// Opens a host file read-only (others may keep reading and writing it).
// The result is not open when the path is empty or the file cannot be opened;
// `error`, when given, then receives the reason.
DbFile OpenFileForReading(const std::string& path, std::string* error = nullptr);

// A file over bytes that the caller keeps alive for as long as the file is used.
DbFile OpenMemoryFile(const unsigned char* data, std::size_t size);

// Closes the file; closing a closed file does nothing.
void CloseFile(DbFile& file);

// Moves the position; a move that would make it negative is refused and
// leaves the position where it was. Past the end is allowed.
inline void SeekFile(DbFile& file, SeekOrigin origin, std::int32_t distance) {
  ++file.operations;
  const std::int64_t target = (origin == SeekOrigin::Start ? 0 : file.position) + distance;
  if (target >= 0)
    file.position = target;
}

int ReadFileBytesFromHost(DbFile& file, unsigned char* out, int n);

// Copies up to n bytes from the position and advances by the number copied;
// fewer at the end of the file.
inline int ReadFileBytes(DbFile& file, unsigned char* out, int n) {
  if (file.source.bytes == nullptr)
    return ReadFileBytesFromHost(file, out, n);
  // In memory, the hot path of every lookup: a few bytes copied in place.
  ++file.operations;
  const auto pos = static_cast<std::uint64_t>(file.position);
  if (pos >= file.source.size || n <= 0)
    return 0;
  const std::uint64_t left = file.source.size - pos;
  const int take = static_cast<std::uint64_t>(n) < left ? n : static_cast<int>(left);
  const unsigned char* from = file.source.bytes + pos;
  for (int i = 0; i < take; ++i)
    out[i] = from[i];
  file.position += take;
  return take;
}

// The bytes from the position up to the first 0x00 or 0x1A or the end of the
// file. A byte of 0x80 or more takes the byte after it along as one
// character, unless that byte is 0x00: then the text ends before the pair.
std::string ReadFileText(DbFile& file);

// Reads the whole of a host file into memory (the command line's fast path).
bool ReadWholeFile(const std::string& path, std::string& content, std::string* error = nullptr);

}  // namespace ostrand
