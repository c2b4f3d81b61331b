#include <gtest/gtest.h>

#include <string>

#include "ipdb/db_file.h"
#include "platform/fake/fake_host.h"

namespace ostrand {
namespace {

// The same reads must give the same results whether the bytes lie in memory
// or come from a host file through cached blocks.
enum class Source { Memory, HostFile, HostFileUncached };

class DbFileTest : public ::testing::TestWithParam<Source> {
 protected:
  DbFile Open(const std::string& content) {
    content_ = content;
    if (GetParam() == Source::Memory) {
      return OpenMemoryFile(reinterpret_cast<const unsigned char*>(content_.data()),
                            content_.size());
    }
    fake::Reset();
    fake::SetFile("db", content_);
    DbFile file = OpenFileForReading("db");
    file.cacheBlocks = GetParam() == Source::HostFile;
    return file;
  }
  std::string content_;
};

std::string TextAt(DbFile& file, std::int32_t pos) {
  SeekFile(file, SeekOrigin::Start, pos);
  return ReadFileText(file);
}

TEST_P(DbFileTest, TextEndsAtZeroOr1AOrTheEnd) {
  DbFile file =
      Open(std::string("ab\0cd\x1A"
                       "ef",
                       8));
  EXPECT_EQ(TextAt(file, 0), "ab");
  EXPECT_EQ(TextAt(file, 3), "cd");
  EXPECT_EQ(TextAt(file, 6), "ef");
  EXPECT_EQ(TextAt(file, 8), "");
  EXPECT_EQ(TextAt(file, 100), "");
}

TEST_P(DbFileTest, DoubleByteCharacters) {
  struct Case {
    std::string bytes;
    std::string text;
  };
  const Case cases[] = {
      {std::string("\xB0\x1A"
                   "x\0",
                   4),
       "\xB0\x1A"
       "x"},                              // 0x1A as a trail byte is kept
      {std::string("x\xB0\0y", 4), "x"},  // a lead before 0x00 goes
      {std::string("\xD6\xD0\xB9\xFA\0", 5), "\xD6\xD0\xB9\xFA"},
      {std::string("ab\xB0", 3), "ab\xB0"},  // a lone lead byte at the end stays
  };
  for (const auto& c : cases) {
    DbFile file = Open(c.bytes);
    EXPECT_EQ(TextAt(file, 0), c.text);
  }
}

TEST_P(DbFileTest, SeekAndShortReads) {
  DbFile file = Open("0123456789");
  unsigned char out[8] = {};
  SeekFile(file, SeekOrigin::Start, 8);
  EXPECT_EQ(ReadFileBytes(file, out, 4), 2);
  EXPECT_EQ(file.position, 10);
  EXPECT_EQ(ReadFileBytes(file, out, 4), 0);
  SeekFile(file, SeekOrigin::Start, -1);  // refused
  EXPECT_EQ(file.position, 10);
  SeekFile(file, SeekOrigin::Current, -11);  // refused
  EXPECT_EQ(file.position, 10);
  SeekFile(file, SeekOrigin::Current, -10);
  EXPECT_EQ(file.position, 0);
  SeekFile(file, SeekOrigin::Start, 1000);  // past the end is allowed
  EXPECT_EQ(ReadFileBytes(file, out, 1), 0);
  EXPECT_EQ(file.position, 1000);
}

TEST_P(DbFileTest, ReadsAndTextsAcrossBlockBoundaries) {
  // Long enough for several cache blocks, with values that tell positions apart.
  std::string content;
  for (int i = 0; i < 5 * 4096 + 17; ++i)
    content.push_back(static_cast<char>('a' + i % 23));
  const std::string longText(9000, 'Q');
  content.replace(4000, longText.size(), longText);
  content[4000 + longText.size()] = '\0';
  DbFile file = Open(content);
  for (const std::int32_t pos : {0, 4093, 4094, 4095, 4096, 8190, 20000, 5 * 4096 + 10}) {
    unsigned char out[7] = {};
    SeekFile(file, SeekOrigin::Start, pos);
    const int got = ReadFileBytes(file, out, 7);
    const int expect = std::min<int>(7, static_cast<int>(content.size()) - pos);
    ASSERT_EQ(got, expect) << pos;
    EXPECT_EQ(std::string(reinterpret_cast<char*>(out), got), content.substr(pos, got)) << pos;
  }
  EXPECT_EQ(TextAt(file, 4000), longText);
  // Many blocks visited in turn: the small cache must keep answering right.
  for (int round = 0; round < 3; ++round) {
    for (std::int32_t pos = 0; pos < static_cast<std::int32_t>(content.size()); pos += 3001) {
      unsigned char b = 0;
      SeekFile(file, SeekOrigin::Start, pos);
      ASSERT_EQ(ReadFileBytes(file, &b, 1), 1);
      ASSERT_EQ(static_cast<char>(b), content[pos]);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Sources, DbFileTest,
                         ::testing::Values(Source::Memory, Source::HostFile,
                                           Source::HostFileUncached),
                         [](const auto& info) {
                           switch (info.param) {
                             case Source::Memory:
                               return "Memory";
                             case Source::HostFile:
                               return "HostFile";
                             default:
                               return "HostFileUncached";
                           }
                         });

TEST(DbFileOpen, MissingAndEmptyPathsDoNotOpen) {
  fake::Reset();
  std::string error;
  EXPECT_FALSE(OpenFileForReading("", &error).IsOpen());
  EXPECT_FALSE(OpenFileForReading("nowhere", &error).IsOpen());
  EXPECT_FALSE(error.empty());
  DbFile closed;
  unsigned char b = 0;
  EXPECT_EQ(ReadFileBytes(closed, &b, 1), 0);
  EXPECT_EQ(ReadFileText(closed), "");
}

}  // namespace
}  // namespace ostrand

namespace ostrand {
namespace {

TEST(ReadWholeFile, GrowsPastItsFirstGuessWhenTheHostGivesNoSize) {
  fake::Reset();
  std::string content(3 * (1 << 20) + 5, '\0');
  for (std::size_t i = 0; i < content.size(); ++i)
    content[i] = static_cast<char>(i * 131 % 251);
  fake::SetFile("big", content);
  std::string read;
  ASSERT_TRUE(ReadWholeFile("big", read));
  EXPECT_EQ(read, content);
  fake::SetFile("empty", "");
  ASSERT_TRUE(ReadWholeFile("empty", read));
  EXPECT_EQ(read, "");
}

}  // namespace
}  // namespace ostrand
