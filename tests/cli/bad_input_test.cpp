// ostrand-cli under bad input: databases that cannot be read or that change
// while it runs, addresses that are empty, huge, binary or not valid text,
// and an output that is closed early. Every case gets an answer line per
// address or a clear error, the documented exit status, and never a crash or
// a hang (each run is bounded by timeout(1), whose 124 would show a hang).
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/qqwry_writer.h"
#include "tests/support/run_command.h"

namespace ostrand {
namespace {

namespace fs = std::filesystem;
using testing::CommandResult;
using testing::Ip;
using testing::QqwryWriter;

constexpr int kTimedOut = 124;

CommandResult Cli(std::vector<std::string> args, const std::string& input = "") {
  args.insert(args.begin(), {"/usr/bin/timeout", "60", OSTRAND_CLI});
  return testing::RunCommand(args, input);
}

std::size_t Lines(const std::string& text) {
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

class BadInputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("ostrand-bad-input-" + std::to_string(getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
    db_ = Write("QQWry.dat", Database("ONE"));
  }
  void TearDown() override {
    std::error_code ignored;
    fs::permissions(dir_ / "locked.dat", fs::perms::owner_all, ignored);
    fs::remove_all(dir_);
  }
  // A failed conversion looks up 0.0.0.0, so "ZERO" shows where one happened.
  static std::string Database(const std::string& one) {
    QqwryWriter w;
    w.Range(Ip(0, 0, 0, 0), w.DirectRecord(Ip(0, 255, 255, 255), "ZERO", ""));
    w.Range(Ip(1, 0, 0, 0), w.DirectRecord(Ip(1, 0, 0, 255), one, ""));
    return w.Finish();
  }
  std::string Write(const std::string& name, const std::string& content) {
    std::ofstream(dir_ / name, std::ios::binary) << content;
    return (dir_ / name).string();
  }
  fs::path dir_;
  std::string db_;
};

TEST_F(BadInputTest, DatabasesThatCannotBeReadAreClearErrors) {
  // The directory, missing, empty and short files are covered with the
  // ordinary runs; these are the files that are there but no database.
  const std::string fifo = (dir_ / "fifo.dat").string();
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);  // no writer: opening it must not wait for one
  const std::string plain = Write("plain", "x");
  for (const std::string& path :
       {fifo, std::string("/dev/null"), std::string("/dev/zero"), plain + "/below-a-file"}) {
    const auto r = Cli({"where", "--db", path, "1.0.0.1"});
    EXPECT_EQ(r.exitStatus, 1) << path;
    EXPECT_EQ(r.out, "") << path;
    EXPECT_NE(r.err.find("cannot read the location database " + path), std::string::npos) << r.err;
  }
}

TEST_F(BadInputTest, DatabaseWithoutReadPermissionIsAClearError) {
  const std::string locked = Write("locked.dat", Database("ONE"));
  fs::permissions(locked, fs::perms::none);
  std::vector<std::string> args = {"where", "--db", locked, "1.0.0.1"};
  if (geteuid() == 0) {
    // Root reads files whatever their mode: run as nobody instead.
    if (!fs::exists("/usr/bin/setpriv"))
      GTEST_SKIP() << "running as root without setpriv";
    args.insert(args.begin(), {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534",
                               "--clear-groups", OSTRAND_CLI});
    args.insert(args.begin(), {"/usr/bin/timeout", "60"});
  } else {
    args.insert(args.begin(), {"/usr/bin/timeout", "60", OSTRAND_CLI});
  }
  const auto r = testing::RunCommand(args);
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("Permission denied"), std::string::npos) << r.err;
}

TEST_F(BadInputTest, DatabaseChangingWhileItRuns) {
  // The file is rewritten over and over, now one database, now another, now
  // cut short or empty: a run sees one of them whole, or reports the file.
  const std::string one = Database("ONE");
  const std::string other = Database("OTHER ONE");
  std::atomic<bool> done = false;
  std::thread writer([&] {
    for (int i = 0; !done; ++i) {
      const std::string& content = i % 2 ? one : other;
      std::ofstream file(db_, std::ios::binary | std::ios::trunc);
      file << content.substr(0, i % 3 == 2 ? static_cast<std::size_t>(i % 40) : content.size());
    }
  });
  std::string input;
  for (int i = 0; i < 5000; ++i)
    input += "1.0.0." + std::to_string(i % 256) + "\n";
  for (int run = 0; run < 20; ++run) {
    const auto r = Cli({"where", "--db", db_}, input);
    ASSERT_EQ(r.signal, 0) << "run " << run;
    if (r.exitStatus == 0) {
      EXPECT_EQ(Lines(r.out), 5000u) << "run " << run;
      EXPECT_EQ(r.err, "");
    } else {
      EXPECT_EQ(r.exitStatus, 1) << "run " << run << ": " << r.err;
      EXPECT_NE(r.err.find(db_), std::string::npos) << r.err;
    }
  }
  done = true;
  writer.join();
}

TEST_F(BadInputTest, EveryAddressGetsItsLine) {
  const std::string mebibyte(1 << 20, 'a');
  struct Case {
    std::string name;
    std::string address;  // one line of standard input
    std::string location;
  };
  const Case cases[] = {
      {"empty", "", ""},
      {"1 MiB of letters", mebibyte, "ZERO"},
      {"1 MiB of dotted letters", std::string(1 << 20, '.').replace(0, 3, "a.b"), "ZERO"},
      {"1 MiB last part", "1.0.0." + std::string(1 << 20, '7'), "ONE"},
      {"binary", std::string("\0\x01\xFF\xFE\x80 1.0.0.1", 12), "ZERO"},
      {"NUL after the address", std::string("1.0.0.1\0garbage", 15), "ONE"},
      {"not UTF-8 (GBK)", "\xB1\xB1\xBE\xA9", "ZERO"},
      {"cut UTF-8 sequence", "1.0.0.1\xE4\xB8", "ONE"},
      {"lone lead byte", "1.0.0.\xB1", "ONE"},
      {"carriage return inside", "1.0\r.0.1", "ONE"},
  };
  std::string input;
  std::string expected;
  for (const Case& c : cases) {
    input += c.address + "\n";
    std::string echoed = c.address;
    std::replace(echoed.begin(), echoed.end(), '\r', ' ');
    expected += echoed + "\t" + c.location + "\n";
  }
  const auto r = Cli({"where", "--db", db_}, input);
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_EQ(r.signal, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(Lines(r.out), std::size(cases));
  // Line by line, so that a mismatch names its case rather than 3 MiB.
  std::size_t at = 0;
  std::size_t want = 0;
  for (const Case& c : cases) {
    const std::size_t end = r.out.find('\n', at);
    const std::size_t wantEnd = expected.find('\n', want);
    ASSERT_NE(end, std::string::npos) << c.name;
    EXPECT_TRUE(r.out.compare(at, end - at, expected, want, wantEnd - want) == 0) << c.name;
    at = end + 1;
    want = wantEnd + 1;
  }

  // The stored bytes as given (--raw), and addresses as arguments (an
  // argument may hold 128 KiB at most).
  const auto raw = Cli({"where", "--raw", "--db", db_}, input);
  EXPECT_EQ(raw.exitStatus, 0);
  EXPECT_EQ(raw.err, "");
  EXPECT_EQ(Lines(raw.out), std::size(cases));
  const auto args =
      Cli({"where", "--db", db_, std::string(100000, 'a'), "\xFF\xFE", "", "1.0.0.1"});
  EXPECT_EQ(args.exitStatus, 0);
  EXPECT_EQ(args.err, "");
  EXPECT_EQ(args.out, std::string(100000, 'a') + "\tZERO\n\xFF\xFE\tZERO\n\t\n1.0.0.1\tONE\n");
}

// Runs the command with its standard output a pipe whose reader has already
// gone, SIGPIPE as given; returns its wait status and standard error.
std::pair<int, std::string> RunIntoClosedPipe(const std::vector<std::string>& argv,
                                              void (*sigpipe)(int)) {
  int out[2], err[2];
  if (pipe(out) != 0 || pipe(err) != 0)
    return {-1, ""};
  close(out[0]);
  const pid_t child = fork();
  if (child == 0) {
    signal(SIGPIPE, sigpipe);
    dup2(out[1], 1);
    dup2(err[1], 2);
    const int devNull = open("/dev/null", O_RDONLY);
    dup2(devNull, 0);
    std::vector<char*> args;
    for (const auto& a : argv)
      args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  close(out[1]);
  close(err[1]);
  std::string errors;
  char buffer[4096];
  for (ssize_t got; (got = read(err[0], buffer, sizeof buffer)) > 0;)
    errors.append(buffer, static_cast<std::size_t>(got));
  close(err[0]);
  int status = 0;
  waitpid(child, &status, 0);
  return {status, errors};
}

TEST_F(BadInputTest, OutputClosedEarlyEndsQuietly) {
  const std::vector<std::vector<std::string>> commands = {
      {OSTRAND_CLI, "list", "--all", "--db", db_},
      {OSTRAND_CLI, "list", "--all", "--db", db_, "--format", "json"},
      {OSTRAND_CLI, "list", "--all", "--db", db_, "--format", "tsv"},
      {OSTRAND_CLI, "where", "--db", db_, "1.0.0.1", "1.0.0.2"},
      {OSTRAND_CLI, "where", "--db", db_},
  };
  for (const auto& command : commands) {
    for (const auto sigpipe : {SIG_DFL, SIG_IGN}) {
      const auto [status, errors] = RunIntoClosedPipe(command, sigpipe);
      const std::string what = command[1] + " " + command[command.size() - 1] +
                               (sigpipe == SIG_IGN ? ", SIGPIPE ignored" : ", SIGPIPE default");
      EXPECT_TRUE((WIFEXITED(status) && WEXITSTATUS(status) == 0) ||
                  (WIFSIGNALED(status) && WTERMSIG(status) == SIGPIPE))
          << what << ": status " << status;
      EXPECT_EQ(errors, "") << what;
    }
  }
  // As a shell pipeline: `list | head -1` gives the title line and nothing else.
  const auto r = testing::RunCommand(
      {"/bin/sh", "-c", std::string(OSTRAND_CLI) + " list --all --db '" + db_ + "' | head -1"});
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_EQ(Lines(r.out), 1u);
  EXPECT_EQ(r.err, "");
}

}  // namespace
}  // namespace ostrand
