#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/qqwry_writer.h"
#include "tests/support/run_command.h"

namespace ostrand {
namespace {

namespace fs = std::filesystem;
using testing::Ip;
using testing::QqwryWriter;
using testing::RunCommand;

class WhereTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("ostrand-where-" + std::to_string(getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
    QqwryWriter w;
    w.Range(Ip(1, 0, 0, 0), w.DirectRecord(Ip(1, 0, 0, 255), "\xD6\xD0\xB9\xFA", "A\tB\rC\nD"));
    w.Range(Ip(2, 0, 0, 0), w.DirectRecord(Ip(2, 0, 0, 255), "bad\x81 gbk", ""));
    w.Range(Ip(3, 0, 0, 0), w.DirectRecord(Ip(3, 0, 0, 255), "three", "CZ88.NET"));
    db_ = Write("QQWry.dat", w.Finish());
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Write(const std::string& name, const std::string& content) {
    std::ofstream(dir_ / name, std::ios::binary) << content;
    return (dir_ / name).string();
  }
  fs::path dir_;
  std::string db_;
};

TEST_F(WhereTest, OneLinePerAddressInUtf8) {
  const auto r = RunCommand(
      {OSTRAND_CLI, "where", "--db", db_, "1.0.0.1", "2.0.0.9:80", "3.0.0.0", "9.9.9.9", ""});
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_EQ(r.out,
            "1.0.0.1\t中国 A B C D\n"           // TAB, CR and LF inside a text become spaces
            "2.0.0.9:80\tbad\xEF\xBF\xBD gbk\n"  // not GBK: U+FFFD, nothing else lost
            "3.0.0.0\tthree\n"
            "9.9.9.9\t\n"
            "\t\n");
  EXPECT_EQ(r.err, "");
}

TEST_F(WhereTest, RawWritesTheStoredBytes) {
  const auto r = RunCommand({OSTRAND_CLI, "where", "--raw", "--db", db_, "1.0.0.1", "2.0.0.1"});
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_EQ(r.out, "1.0.0.1\t\xD6\xD0\xB9\xFA A B C D\n2.0.0.1\tbad\x81 gbk\n");
}

TEST_F(WhereTest, ReadsStandardInputWhenNoAddressIsGiven) {
  const auto r =
      RunCommand({OSTRAND_CLI, "where"}, "1.0.0.7\r\n\n3.0.0.1\nwith\ttab", dir_.string());
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_EQ(r.out, "1.0.0.7\t中国 A B C D\n\t\n3.0.0.1\tthree\nwith tab\t\n");
}

TEST_F(WhereTest, ManyAddressesAllAnswered) {
  std::string input;
  for (int i = 0; i < 100000; ++i)
    input += (i % 2 ? "1.0.0." : "3.0.0.") + std::to_string(i % 256) + "\n";
  const auto r = RunCommand({OSTRAND_CLI, "where", "--db", db_}, input);
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 100000);
}

TEST_F(WhereTest, AnswersEachLineBeforeTheInputEnds) {
  int in[2], out[2];
  ASSERT_EQ(pipe(in), 0);
  ASSERT_EQ(pipe(out), 0);
  const pid_t child = fork();
  if (child == 0) {
    dup2(in[0], 0);
    dup2(out[1], 1);
    close(in[1]);
    close(out[0]);
    execl(OSTRAND_CLI, OSTRAND_CLI, "where", "--db", db_.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  ASSERT_EQ(write(in[1], "3.0.0.1\n", 8), 8);
  pollfd ready{out[0], POLLIN, 0};
  ASSERT_EQ(poll(&ready, 1, 10000), 1) << "no answer while standard input stays open";
  char buffer[64] = {};
  const ssize_t got = read(out[0], buffer, sizeof buffer - 1);
  EXPECT_EQ(std::string(buffer, got > 0 ? got : 0), "3.0.0.1\tthree\n");
  close(in[1]);
  close(out[0]);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST_F(WhereTest, UnreadableDatabasesAreClearErrors) {
  const std::string empty = Write("empty.dat", "");
  const std::string tiny = Write("tiny.dat", "1234567");
  for (const std::string& path : {(dir_ / "missing.dat").string(), dir_.string(), empty, tiny}) {
    const auto r = RunCommand({OSTRAND_CLI, "where", "--db", path, "1.0.0.1"});
    EXPECT_EQ(r.exitStatus, 1) << path;
    EXPECT_EQ(r.out, "") << path;
    EXPECT_NE(r.err.find(path), std::string::npos) << r.err;
  }
  // The default database is QQWry.dat in the current directory.
  const auto r =
      RunCommand({OSTRAND_CLI, "where", "1.0.0.1"}, "", fs::temp_directory_path().string());
  if (!fs::exists(fs::temp_directory_path() / "QQWry.dat")) {
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_NE(r.err.find("QQWry.dat"), std::string::npos);
  }
}

TEST_F(WhereTest, UsageErrorsExitWithTwo) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{OSTRAND_CLI, "where", "--bogus"},
        std::vector<std::string>{OSTRAND_CLI, "nothing"}, std::vector<std::string>{OSTRAND_CLI},
        std::vector<std::string>{OSTRAND_CLI, "where", "--db"}}) {
    const auto r = RunCommand(args);
    EXPECT_EQ(r.exitStatus, 2) << args.back();
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("Usage"), std::string::npos) << r.err;
  }
}

}  // namespace
}  // namespace ostrand
