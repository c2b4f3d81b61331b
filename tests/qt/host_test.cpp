// A refresh over the real host lists this test's own loopback connections.
// Only 127.0.0.2 and 127.0.0.3 are used: no traffic leaves the machine.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QPushButton>
#include <QTest>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/qt/main_window.h"
#include "platform/controls.h"
#include "platform/qt/connection_list.h"

namespace ostrand {
namespace {

class Socket {
 public:
  Socket() : fd_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {}
  ~Socket() {
    if (fd_ >= 0)
      ::close(fd_);
  }
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;
  explicit Socket(int fd) : fd_(fd) {}
  int fd() const { return fd_; }

 private:
  int fd_;
};

sockaddr_in Address(const char* ip, int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  ::inet_pton(AF_INET, ip, &address.sin_addr);
  return address;
}

int PortOf(int fd) {
  sockaddr_in address{};
  socklen_t size = sizeof address;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
  return ntohs(address.sin_port);
}

bool Bind(const Socket& socket, const char* ip) {
  const sockaddr_in address = Address(ip, 0);
  return ::bind(socket.fd(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
}

// A connection from 127.0.0.2 to a listener on 127.0.0.3, both ends held.
struct LoopbackConnection {
  Socket listener;
  Socket client;
  std::unique_ptr<Socket> server;
  int serverPort = 0;
  int clientPort = 0;

  bool Open() {
    if (!Bind(listener, "127.0.0.3") || ::listen(listener.fd(), 1) != 0)
      return false;
    serverPort = PortOf(listener.fd());
    const sockaddr_in target = Address("127.0.0.3", serverPort);
    if (!Bind(client, "127.0.0.2") ||
        ::connect(client.fd(), reinterpret_cast<const sockaddr*>(&target), sizeof target) != 0)
      return false;
    clientPort = PortOf(client.fd());
    server = std::make_unique<Socket>(::accept4(listener.fd(), nullptr, nullptr, SOCK_CLOEXEC));
    return server->fd() >= 0;
  }
};

std::string OwnExecutableName() {
  return std::filesystem::read_symlink("/proc/self/exe").filename().string();
}

TEST(QtHostTest, RefreshListsThisProcessesLoopbackConnections) {
  LoopbackConnection connections[2];
  for (LoopbackConnection& connection : connections)
    ASSERT_TRUE(connection.Open()) << "loopback sockets on 127.0.0.2/127.0.0.3";

  std::unique_ptr<QWidget> window = qtapp::BuildMainWindow();
  ASSERT_NE(window, nullptr);
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  QTest::mouseClick(window->findChild<QPushButton*>("RefreshButton"), Qt::LeftButton);

  const std::string name = OwnExecutableName();
  const std::string pid = std::to_string(::getpid());
  auto listed = [](const std::string& local, const std::string& remote) {
    for (int row = 0; row < ui::RowCount(); ++row) {
      if (ui::CellText(row, ui::kColumnLocal) == local &&
          ui::CellText(row, ui::kColumnRemote) == remote)
        return row;
    }
    return -1;
  };
  for (const LoopbackConnection& c : connections) {
    const std::string client = "127.0.0.2:" + std::to_string(c.clientPort);
    const std::string server = "127.0.0.3:" + std::to_string(c.serverPort);
    for (const auto& [local, remote] : {std::pair{client, server}, std::pair{server, client}}) {
      SCOPED_TRACE(local + " -> " + remote);
      const int row = listed(local, remote);
      ASSERT_GE(row, 0);
      EXPECT_EQ(ui::CellText(row, ui::kColumnProcess), name);
      EXPECT_EQ(ui::CellText(row, ui::kColumnState), "\xD2\xD1\xBD\xA8\xC1\xA2");  // 已建立
      EXPECT_EQ(ui::CellText(row, ui::kColumnPid), pid);
    }
    // The listener has no remote end and gets no row.
    EXPECT_EQ(listed(server, "0.0.0.0:0"), -1);
  }
  // Rows reach the screen as UTF-8 texts.
  auto* list = window->findChild<qt::ConnectionListView*>("ConnectionList");
  bool shown = false;
  for (int row = 0; row < list->model()->rowCount(); ++row)
    shown |= list->model()->index(row, ui::kColumnProcess).data().toString() ==
             QString::fromStdString(name);
  EXPECT_TRUE(shown);
}

}  // namespace
}  // namespace ostrand
