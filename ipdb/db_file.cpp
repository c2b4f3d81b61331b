#include "ipdb/db_file.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace ostrand {

namespace {

struct View {
  const unsigned char* data = nullptr;
  std::size_t length = 0;
};

// The contiguous bytes that can be had from pos on: to the end of the memory,
// or to the end of the cached block that holds pos. Empty at or past the end.
View ViewAt(DbFile& file, std::int64_t pos) {
  if (pos < 0)
    return {};
  const auto upos = static_cast<std::uint64_t>(pos);
  if (file.source.bytes != nullptr) {
    if (upos >= file.source.size)
      return {};
    return {file.source.bytes + upos, static_cast<std::size_t>(file.source.size - upos)};
  }
  if (file.source.readAt == nullptr)
    return {};
  if (!file.blocks)
    file.blocks = std::make_unique_for_overwrite<std::array<DbFile::Block, DbFile::kBlockCount>>();
  if (!file.cacheBlocks) {
    constexpr std::size_t kTextChunk = 64;
    DbFile::Block& scratch = (*file.blocks)[0];
    scratch.index = -1;
    scratch.length = file.source.readAt(file.source.context, upos, scratch.data, kTextChunk);
    return {scratch.data, scratch.length};
  }
  const auto index = static_cast<std::int64_t>(upos / DbFile::kBlockSize);
  const auto offset = static_cast<std::size_t>(upos % DbFile::kBlockSize);
  DbFile::Block* slot = nullptr;
  for (auto& block : *file.blocks) {
    if (block.index == index) {
      slot = &block;
      break;
    }
  }
  if (slot == nullptr) {
    slot = &*std::min_element(file.blocks->begin(), file.blocks->end(),
                              [](const auto& a, const auto& b) { return a.lastUse < b.lastUse; });
    slot->index = index;
    slot->length = file.source.readAt(file.source.context,
                                      static_cast<std::uint64_t>(index) * DbFile::kBlockSize,
                                      slot->data, DbFile::kBlockSize);
  }
  slot->lastUse = ++file.useClock;
  if (offset >= slot->length)
    return {};
  return {slot->data + offset, slot->length - offset};
}

}  // namespace

DbFile::DbFile(DbFile&& other) noexcept
    : source(std::exchange(other.source, {})),
      position(other.position),
      operations(other.operations),
      blocks(std::move(other.blocks)),
      useClock(other.useClock) {}

DbFile& DbFile::operator=(DbFile&& other) noexcept {
  if (this != &other) {
    CloseFile(*this);
    source = std::exchange(other.source, {});
    position = other.position;
    operations = other.operations;
    blocks = std::move(other.blocks);
    useClock = other.useClock;
  }
  return *this;
}

DbFile::~DbFile() {
  CloseFile(*this);
}

DbFile OpenFileForReading(const std::string& path, std::string* error) {
  DbFile file;
  if (path.empty()) {
    if (error != nullptr)
      *error = "empty path";
    return file;
  }
  OpenHostFile(path, file.source, error);
  return file;
}

DbFile OpenMemoryFile(const unsigned char* data, std::size_t size) {
  static const unsigned char kNothing = 0;
  DbFile file;
  file.source.bytes = data != nullptr ? data : &kNothing;
  file.source.size = data != nullptr ? size : 0;
  return file;
}

void CloseFile(DbFile& file) {
  if (file.source.close != nullptr)
    file.source.close(file.source.context);
  file.source = {};
  file.blocks.reset();
}

int ReadFileBytesFromHost(DbFile& file, unsigned char* out, int n) {
  ++file.operations;
  if (!file.cacheBlocks) {
    if (file.position < 0 || n <= 0 || file.source.readAt == nullptr)
      return 0;
    const std::size_t got =
        file.source.readAt(file.source.context, static_cast<std::uint64_t>(file.position), out,
                           static_cast<std::size_t>(n));
    file.position += static_cast<std::int64_t>(got);
    return static_cast<int>(got);
  }
  int copied = 0;
  while (copied < n) {
    const View view = ViewAt(file, file.position);
    if (view.length == 0)
      break;
    const auto take = std::min<std::size_t>(view.length, static_cast<std::size_t>(n - copied));
    std::memcpy(out + copied, view.data, take);
    copied += static_cast<int>(take);
    file.position += static_cast<std::int64_t>(take);
  }
  return copied;
}

std::string ReadFileText(DbFile& file) {
  ++file.operations;
  std::string text;
  bool awaitingTrail = false;  // the last byte taken leads a double-byte character
  for (;;) {
    const View view = ViewAt(file, file.position);
    if (view.length == 0)
      break;  // end of file ends the text, a lone lead byte included
    std::size_t i = 0;
    bool ended = false;
    for (; i < view.length; ++i) {
      const unsigned char b = view.data[i];
      if (awaitingTrail) {
        if (b == 0x00) {
          text.append(reinterpret_cast<const char*>(view.data), i);
          text.pop_back();  // the lead byte goes too: the text ends before the pair
          ended = true;
          break;
        }
        awaitingTrail = false;
        continue;
      }
      if (b == 0x00 || b == 0x1A) {
        text.append(reinterpret_cast<const char*>(view.data), i);
        ended = true;
        break;
      }
      if (b >= 0x80)
        awaitingTrail = true;
    }
    if (ended) {
      file.position += static_cast<std::int64_t>(i);
      break;
    }
    text.append(reinterpret_cast<const char*>(view.data), view.length);
    file.position += static_cast<std::int64_t>(view.length);
  }
  return text;
}

bool ReadWholeFile(const std::string& path, std::string& content, std::string* error) {
  DbFile file = OpenFileForReading(path, error);
  if (!file.IsOpen())
    return false;
  // Sized from the host's answer at open (one byte more shows a file that
  // grew meanwhile), so the content is neither copied on growth nor read in
  // more system calls than it takes.
  content.resize(file.source.size > 0 ? static_cast<std::size_t>(file.source.size) + 1 : 1 << 20);
  std::size_t pos = 0;
  for (;;) {
    if (pos == content.size())
      content.resize(content.size() * 2);
    const std::size_t got = file.source.readAt(
        file.source.context, pos, reinterpret_cast<unsigned char*>(content.data()) + pos,
        content.size() - pos);
    if (got == 0)
      break;
    pos += got;
  }
  content.resize(pos);
  return true;
}

}  // namespace ostrand
