// RefreshConnections into the real Qt list over the real host and the real
// database, against `ss -tnp` on the same machine in the same run. The
// connections to list come from a second copy of this program started with
// `--hold N` (see refresh_vs_ss.sh); run the measurement in the folder that
// holds QQWry.dat, as the window is run.
#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/qt/main_window.h"
#include "connections/refresh.h"
#include "connections/snapshot.h"
#include "ipdb/lookup.h"
#include "platform/controls.h"

extern char** environ;

namespace {

sockaddr_in Address(const char* ip, int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  inet_pton(AF_INET, ip, &address.sin_addr);
  return address;
}

// Opens count connections from 127.0.0.2 to a listener on 127.0.0.3 and
// holds them until standard input closes. Loopback only.
int HoldConnections(int count) {
  rlimit limit{};
  getrlimit(RLIMIT_NOFILE, &limit);
  const rlim_t need = static_cast<rlim_t>(2 * count + 64);
  if (limit.rlim_cur < need) {
    limit.rlim_cur = std::min(need, limit.rlim_max);
    setrlimit(RLIMIT_NOFILE, &limit);
  }
  const int listener = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in at = Address("127.0.0.3", 0);
  if (listener < 0 || bind(listener, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0 ||
      listen(listener, 1024) != 0) {
    std::perror("refresh_bench: listener on 127.0.0.3");
    return 1;
  }
  socklen_t size = sizeof at;
  getsockname(listener, reinterpret_cast<sockaddr*>(&at), &size);
  std::vector<int> held;
  for (int i = 0; i < count; ++i) {
    const int client = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in from = Address("127.0.0.2", 0);
    if (client < 0 || bind(client, reinterpret_cast<sockaddr*>(&from), sizeof from) != 0 ||
        connect(client, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0) {
      std::perror("refresh_bench: connection from 127.0.0.2");
      return 1;
    }
    const int server = accept(listener, nullptr, nullptr);
    if (server < 0) {
      std::perror("refresh_bench: accept");
      return 1;
    }
    held.push_back(client);
    held.push_back(server);
  }
  std::printf("ready %d\n", ntohs(at.sin_port));
  std::fflush(stdout);
  char buffer[256];
  while (read(STDIN_FILENO, buffer, sizeof buffer) > 0) {
  }
  // Reset rather than close, so no time-wait sockets linger into the next run.
  const linger reset{1, 0};
  for (const int fd : held) {
    setsockopt(fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    close(fd);
  }
  return 0;
}

// The program's window, made in main() after the application and destroyed
// before it.
std::unique_ptr<QWidget> window;

void BM_RefreshIntoQtList(benchmark::State& state) {
  if (!window) {
    state.SkipWithError("MainWindow could not be built");
    return;
  }
  for (auto _ : state) {
    ostrand::RefreshConnections();
    QCoreApplication::processEvents();  // the list repaints its visible rows
  }
  state.counters["rows"] = ostrand::ui::RowCount();
}
BENCHMARK(BM_RefreshIntoQtList)->Unit(benchmark::kMillisecond)->UseRealTime();

// The pieces of one refresh, each over the same listed connections, to show
// where its time goes.
std::vector<ostrand::ConnectionRecord> ListedRecords() {
  std::vector<ostrand::ConnectionRecord> listed;
  for (ostrand::ConnectionRecord& record : ostrand::TakeConnectionSnapshot().records) {
    if (ostrand::IsListedConnection(record))
      listed.push_back(std::move(record));
  }
  return listed;
}

void BM_PieceSnapshot(benchmark::State& state) {
  for (auto _ : state)
    benchmark::DoNotOptimize(ostrand::TakeConnectionSnapshot());
}
BENCHMARK(BM_PieceSnapshot)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PieceProcessNames(benchmark::State& state) {
  const auto listed = ListedRecords();
  for (auto _ : state) {
    for (const auto& record : listed)
      benchmark::DoNotOptimize(ostrand::ProcessNameOf(record.pid));
  }
  state.counters["rows"] = static_cast<double>(listed.size());
}
BENCHMARK(BM_PieceProcessNames)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PieceLocations(benchmark::State& state) {
  const auto listed = ListedRecords();
  for (auto _ : state) {
    for (const auto& record : listed) {
      std::string address = record.remoteEndpoint;
      benchmark::DoNotOptimize(ostrand::LookupLocation(address));
    }
  }
  state.counters["rows"] = static_cast<double>(listed.size());
}
BENCHMARK(BM_PieceLocations)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PieceQtList(benchmark::State& state) {
  struct Row {
    std::string cells[6];
  };
  std::vector<Row> rows;
  for (const auto& record : ListedRecords()) {
    std::string address = record.remoteEndpoint;
    rows.push_back(
        {{ostrand::ProcessNameOf(record.pid), record.localEndpoint, record.remoteEndpoint,
          ostrand::LookupLocation(address), record.stateText, std::to_string(record.pid)}});
  }
  for (auto _ : state) {
    ostrand::ui::DeleteAllRows();
    for (const Row& row : rows) {
      const int at = ostrand::ui::InsertRowAtEnd(row.cells[0]);
      for (int column = 1; column < 6; ++column)
        ostrand::ui::SetCellText(at, column, row.cells[column]);
    }
  }
  state.counters["rows"] = static_cast<double>(rows.size());
}
BENCHMARK(BM_PieceQtList)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SsTnp(benchmark::State& state) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  char ss[] = "ss";
  char options[] = "-tnp";
  char* argv[] = {ss, options, nullptr};
  for (auto _ : state) {
    pid_t pid = 0;
    if (posix_spawnp(&pid, "ss", &actions, nullptr, argv, environ) != 0) {
      state.SkipWithError("ss could not be started");
      break;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError("ss failed");
      break;
    }
  }
  posix_spawn_file_actions_destroy(&actions);
}
BENCHMARK(BM_SsTnp)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--hold") == 0)
    return HoldConnections(std::atoi(argv[2]));
  if (std::getenv("QT_QPA_PLATFORM") == nullptr)
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication application(argc, argv);
  window = ostrand::qtapp::BuildMainWindow();
  if (window) {
    window->show();
    QCoreApplication::processEvents();
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
    return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  window.reset();
  return 0;
}
