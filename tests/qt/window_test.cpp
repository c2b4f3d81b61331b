// MainWindow built as the program builds it, over the in-memory host, and
// driven through Qt's events on the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDesktopServices>
#include <QHeaderView>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/qt/main_window.h"
#include "app/qt/site_link.h"
#include "interaction/context_menu.h"
#include "interaction/sorting.h"
#include "ipdb/lookup.h"
#include "platform/fake/fake_host.h"
#include "platform/qt/connection_list.h"
#include "tests/support/qqwry_writer.h"

namespace ostrand {
namespace {

using qt::ConnectionListView;
using qtapp::SiteLink;
using Cells = std::array<QString, 6>;

constexpr auto& Row = fake::Connection;

// Runs act on the first top-level widget that find returns, from the event
// loop of whatever modal loop is running by then. Gives up after 5 s.
void WhenShown(std::function<QWidget*()> find, std::function<void(QWidget*)> act) {
  // A watch still waiting when the tests end goes with the application.
  auto* timer = new QTimer(qApp);
  QObject::connect(timer, &QTimer::timeout, [=, waited = 0]() mutable {
    if (QWidget* shown = find()) {
      timer->stop();
      timer->deleteLater();
      act(shown);
    } else if (++waited > 500) {
      timer->stop();
      timer->deleteLater();
    }
  });
  timer->start(10);
}

void WhenPopupOpens(std::function<void(QMenu*)> act) {
  WhenShown([] { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); },
            [act](QWidget* w) { act(static_cast<QMenu*>(w)); });
}

void WhenMessageBoxOpens(std::function<void(QMessageBox*)> act) {
  WhenShown([] { return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()); },
            [act](QWidget* w) { act(static_cast<QMessageBox*>(w)); });
}

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::Reset();
    fake::SetFile(DefaultDatabasePath(), testing::SampleDatabase());
    fake::SetProcesses({{100, "chrome.exe"}, {300, "\xCE\xA2\xD0\xC5.exe"}});  // 微信.exe
    fake::SetTcpTable(0, fake::MakeTcpTable({
                             Row(5, {192, 168, 1, 2}, 50000, {1, 0, 0, 7}, 443, 100),
                             Row(2, {0, 0, 0, 0}, 80, {0, 0, 0, 0}, 0, 4),  // listening
                             Row(8, {10, 0, 0, 5}, 51000, {8, 8, 8, 8}, 53, 200),
                             Row(5, {10, 0, 0, 5}, 51002, {1, 0, 2, 9}, 8080, 300),
                         }));
    sortAscending = false;
    selectedProcessName.clear();
    window_ = qtapp::BuildMainWindow();
    ASSERT_NE(window_, nullptr);
  }

  void TearDown() override {
    window_.reset();
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
  }

  void Show() {
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
  }

  ConnectionListView* List() { return window_->findChild<ConnectionListView*>("ConnectionList"); }
  QPushButton* Button() { return window_->findChild<QPushButton*>("RefreshButton"); }
  SiteLink* Link() { return window_->findChild<SiteLink*>("SiteLink"); }
  QWidget* Label() { return window_->findChild<QWidget*>("PromoLabel"); }

  std::vector<Cells> Shown() {
    const QAbstractItemModel* model = List()->model();
    std::vector<Cells> rows;
    for (int r = 0; r < model->rowCount(); ++r) {
      Cells cells;
      for (int c = 0; c < 6; ++c)
        cells[c] = model->index(r, c).data().toString();
      rows.push_back(cells);
    }
    return rows;
  }

  QStringList Column(int column) {
    QStringList texts;
    for (const Cells& row : Shown())
      texts << row[column];
    return texts;
  }

  void ClickRefresh() { QTest::mouseClick(Button(), Qt::LeftButton); }

  void ClickHeader(int column) {
    QHeaderView* header = List()->horizontalHeader();
    const QPoint at(header->sectionViewportPosition(column) + 5, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
  }

  QPoint RowCentre(int row) { return List()->visualRect(List()->model()->index(row, 0)).center(); }

  void ClickRow(int row, Qt::MouseButton button) {
    QTest::mouseClick(List()->viewport(), button, {}, RowCentre(row));
  }

  // Outer size as the window system reports it: frame included.
  void ResizeOuter(int width, int height) {
    const QSize extra = window_->frameGeometry().size() - window_->geometry().size();
    window_->resize(width - extra.width(), height - extra.height());
    QCoreApplication::processEvents();
  }

  std::unique_ptr<QWidget> window_;
};

TEST_F(WindowTest, FirstDisplayIsCentredAtItsOuterSizeWithTheControlsInPlace) {
  // Laid out before it is first shown.
  EXPECT_EQ(List()->geometry(), QRect(5, 5, 817, 410));
  Show();
  const QRect outer = window_->frameGeometry();
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  EXPECT_EQ(outer.size(), QSize(842, 500));
  EXPECT_EQ(outer.topLeft(), QPoint(screen.x() + (screen.width() - 842) / 2,
                                    screen.y() + (screen.height() - 500) / 2));
  EXPECT_EQ(window_->windowTitle(), QStringLiteral("Quenlor-Ostrand"));
  EXPECT_FALSE(window_->windowIcon().isNull());

  EXPECT_EQ(List()->geometry(), QRect(5, 5, 817, 410));
  EXPECT_EQ(Button()->geometry(), QRect(10, 420, 80, 32));
  EXPECT_EQ(Label()->geometry(), QRect(168, 420, 568, 13));
  EXPECT_EQ(Link()->geometry(), QRect(165, 432, 192, 25));
  EXPECT_EQ(Button()->text(), QStringLiteral("刷新"));
  EXPECT_EQ(List()->model()->rowCount(), 0);

  // Stacking, bottom to top: the list, the button, the link, the label.
  const QObjectList stack = window_->children();
  EXPECT_LT(stack.indexOf(List()), stack.indexOf(Button()));
  EXPECT_LT(stack.indexOf(Button()), stack.indexOf(Link()));
  EXPECT_LT(stack.indexOf(Link()), stack.indexOf(Label()));
  // Over the list where they overlap it, so they stay visible.
  ResizeOuter(1000, 700);
  EXPECT_EQ(window_->childAt(Label()->geometry().center()), Label());
  EXPECT_EQ(window_->childAt(Link()->geometry().topLeft() + QPoint(1, 20)), Link());
}

TEST_F(WindowTest, ResizingLaysTheListAndButtonOutFromTheOuterSize) {
  Show();
  struct Case {
    QSize outer;
    QRect list;
    QRect button;
  };
  const Case cases[] = {
      {{1000, 700}, {5, 5, 975, 610}, {10, 620, 80, 32}},
      {{842, 400}, {5, 5, 817, 310}, {10, 320, 80, 32}},
      {{842, 500}, {5, 5, 817, 410}, {10, 420, 80, 32}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.outer.width()) + "x" + std::to_string(c.outer.height()));
    ResizeOuter(c.outer.width(), c.outer.height());
    EXPECT_EQ(window_->frameGeometry().size(), c.outer);
    EXPECT_EQ(List()->geometry(), c.list);
    EXPECT_EQ(Button()->geometry(), c.button);
    EXPECT_EQ(Label()->geometry(), QRect(168, 420, 568, 13));
    EXPECT_EQ(Link()->geometry(), QRect(165, 432, 192, 25));
  }
}

TEST_F(WindowTest, ListShowsSixTitledColumnsAndSortsOnlyWhenAsked) {
  ConnectionListView* list = List();
  const QStringList titles = {"进程", "本地IP_端口", "远程IP_端口", "远程服务器", "状态", "PID"};
  const int widths[] = {100, 180, 180, 180, 100, 50};
  ASSERT_EQ(list->model()->columnCount(), 6);
  for (int c = 0; c < 6; ++c) {
    EXPECT_EQ(list->model()->headerData(c, Qt::Horizontal).toString(), titles[c]);
    EXPECT_EQ(list->horizontalHeader()->sectionSize(c), widths[c]) << c;
  }
  EXPECT_TRUE(list->showGrid());
  EXPECT_EQ(list->selectionMode(), QAbstractItemView::SingleSelection);
  EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
  EXPECT_EQ(list->editTriggers(), QAbstractItemView::NoEditTriggers);
  EXPECT_FALSE(list->isSortingEnabled());
  EXPECT_FALSE(list->horizontalHeader()->isSortIndicatorShown());
  EXPECT_TRUE(list->horizontalHeader()->sectionsClickable());
  EXPECT_EQ(list->palette().color(QPalette::Base), QColor(Qt::white));
  EXPECT_EQ(list->palette().color(QPalette::Text), QColor(Qt::black));
  EXPECT_EQ(QFontInfo(list->font()).pixelSize(), 14);
}

const std::vector<Cells> kListed = {
    {"chrome.exe", "192.168.1.2:50000", "1.0.0.7:443", "中国北京 电信", "已建立", "100"},
    {"", "10.0.0.5:51000", "8.8.8.8:53", "美国", "关闭等待", "200"},
    {"微信.exe", "10.0.0.5:51002", "1.0.2.9:8080", "美国 谷歌", "已建立", "300"},
};

TEST_F(WindowTest, RefreshFillsTheListAndTheNextRefreshReplacesIt) {
  Show();
  ClickRefresh();
  EXPECT_EQ(Shown(), kListed);

  ClickHeader(5);  // a sort does not survive the next refresh
  fake::SetTcpTable(0, fake::MakeTcpTable({Row(11, {10, 0, 0, 9}, 1, {1, 0, 0, 1}, 2, 100)}));
  ClickRefresh();
  EXPECT_EQ(Shown(), (std::vector<Cells>{{"chrome.exe", "10.0.0.9:1", "1.0.0.1:2", "中国北京 电信",
                                          "延时等待", "100"}}));

  fake::SetTcpTable(87, {});
  ClickRefresh();
  EXPECT_TRUE(Shown().empty());
}

TEST_F(WindowTest, HeaderClicksSortDescendingThenAscendingAcrossColumns) {
  fake::SetProcesses({{4, "b.exe"}, {12, "a.exe"}, {300, "c.exe"}});
  fake::SetTcpTable(0, fake::MakeTcpTable({
                           Row(5, {10, 0, 0, 1}, 1, {1, 0, 0, 1}, 80, 12),
                           Row(5, {10, 0, 0, 1}, 2, {1, 0, 0, 2}, 80, 4),
                           Row(5, {10, 0, 0, 1}, 3, {1, 0, 0, 3}, 80, 300),
                       }));
  Show();
  ClickRefresh();
  // The selection moves with its row.
  auto selected = [this] {
    const QModelIndexList rows = List()->selectionModel()->selectedRows();
    return rows.size() == 1 ? rows.front().data().toString() : QStringLiteral("(none)");
  };
  ClickRow(1, Qt::LeftButton);
  ASSERT_EQ(selected(), QStringLiteral("b.exe"));

  ClickHeader(5);
  EXPECT_EQ(Column(5), QStringList({"4", "300", "12"}));           // as text, descending
  EXPECT_EQ(Column(0), QStringList({"b.exe", "c.exe", "a.exe"}));  // whole rows move
  EXPECT_EQ(selected(), QStringLiteral("b.exe"));
  ClickHeader(5);
  EXPECT_EQ(Column(5), QStringList({"12", "300", "4"}));
  EXPECT_EQ(selected(), QStringLiteral("b.exe"));
  ClickHeader(0);  // another column goes on with the alternation
  EXPECT_EQ(Column(0), QStringList({"c.exe", "b.exe", "a.exe"}));
  ClickHeader(1);
  EXPECT_EQ(Column(1), QStringList({"10.0.0.1:1", "10.0.0.1:2", "10.0.0.1:3"}));
  EXPECT_FALSE(sortAscending);
}

TEST_F(WindowTest, RightClickPopsTheMenuUpAtThePointerAndDismissingDoesNothing) {
  Show();
  ClickRefresh();
  const QPoint pointer = window_->mapToGlobal(QPoint(200, 100));
  QCursor::setPos(pointer);

  QStringList items;
  QPoint shownAt;
  bool wasShown = false;
  WhenPopupOpens([&](QMenu* menu) {
    wasShown = true;
    for (const QAction* action : menu->actions())
      items << action->text();
    shownAt = menu->pos();
    menu->close();
  });
  ClickRow(2, Qt::RightButton);
  QCoreApplication::processEvents();

  ASSERT_TRUE(wasShown);
  EXPECT_EQ(items, QStringList({"结束进程", "加入黑名单"}));
  EXPECT_EQ(shownAt, pointer);
  EXPECT_EQ(selectedProcessName, "\xCE\xA2\xD0\xC5.exe");  // the right-clicked row's name
  EXPECT_TRUE(fake::TerminateRequests().empty());
  EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}

// Chooses item (0 ends the process, 1 is "加入黑名单") from the popup of a
// right-click on row (-1: beside every row) and returns the text of the
// message box that follows, or "none".
class MenuChoiceTest : public WindowTest {
 protected:
  QString ChooseAndReadMessage(int row, int item) {
    QString message = QStringLiteral("none");
    WhenPopupOpens([item](QMenu* menu) {
      menu->setActiveAction(menu->actions().at(item));
      QTest::keyClick(menu, Qt::Key_Return);
    });
    WhenMessageBoxOpens([&message](QMessageBox* box) {
      message = box->text();
      EXPECT_EQ(box->windowTitle(), QStringLiteral("信息："));
      EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
      EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
      EXPECT_EQ(box->parentWidget(), nullptr);
      EXPECT_EQ(box->windowModality(), Qt::ApplicationModal);
      box->button(QMessageBox::Ok)->click();
    });
    if (row >= 0) {
      ClickRow(row, Qt::RightButton);
    } else {
      const QPoint below(10, List()->viewport()->height() - 5);
      QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, below);
      QTest::mouseClick(List()->viewport(), Qt::RightButton, {}, below);
    }
    // The chosen item arrives after the popup has closed, as its own event.
    QTest::qWait(200);
    return message;
  }
};

TEST_F(MenuChoiceTest, EndProcessItemReportsFailureAndBlacklistItemDoesNothing) {
  Show();
  ClickRefresh();
  struct Case {
    int row;
    int item;
    bool terminates;
    QString message;
    std::vector<std::string> requests;
  };
  const Case cases[] = {
      {0, 0, false, "结束进程chrome.exe失败", {"chrome.exe"}},
      {2, 0, false, "结束进程微信.exe失败", {"\xCE\xA2\xD0\xC5.exe"}},
      {1, 0, false, "结束进程失败", {}},   // the row's process has no name
      {-1, 0, false, "结束进程失败", {}},  // no row selected
      {0, 0, true, "none", {"chrome.exe"}},
      {0, 1, false, "none", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("row " + std::to_string(c.row) + " item " + std::to_string(c.item));
    fake::Reset();
    fake::SetTerminateResult(c.terminates);
    EXPECT_EQ(ChooseAndReadMessage(c.row, c.item), c.message);
    std::vector<std::string> requests = fake::TerminateRequests();
    std::erase(requests, std::string());
    EXPECT_EQ(requests, c.requests);
    EXPECT_EQ(Shown().size(), kListed.size());  // the list stays as it was
  }
}

// Stands in for the desktop's browser.
class Browser final : public QObject {
  Q_OBJECT
 public:
  QList<QUrl> opened;
 public slots:
  void open(const QUrl& url) { opened << url; }
};

struct Colours {
  bool blue = false;
  bool hot = false;
  bool visited = false;
  friend bool operator==(const Colours&, const Colours&) = default;
  friend std::ostream& operator<<(std::ostream& out, const Colours& c) {
    return out << "blue " << c.blue << " hot " << c.hot << " visited " << c.visited;
  }
};

// Which of the link's three text colours its painting holds. Glyph edges
// are blended with the background, so a pixel counts for a colour when it
// lies on the way from the background to that colour, at least halfway.
Colours PaintedColours(QWidget* link) {
  const QImage image = link->grab().toImage().convertToFormat(QImage::Format_RGB32);
  const QColor background = link->palette().color(QPalette::Button);
  const QColor candidates[3] = {QColor(0, 0, 255), QColor(10, 36, 106), QColor(128, 0, 0)};
  int counts[3] = {};
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QColor pixel = image.pixelColor(x, y);
      const double p[3] = {double(pixel.red() - background.red()),
                           double(pixel.green() - background.green()),
                           double(pixel.blue() - background.blue())};
      for (int i = 0; i < 3; ++i) {
        const QColor& c = candidates[i];
        const double d[3] = {double(c.red() - background.red()),
                             double(c.green() - background.green()),
                             double(c.blue() - background.blue())};
        const double along =
            (p[0] * d[0] + p[1] * d[1] + p[2] * d[2]) / (d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
        double off = 0;
        for (int k = 0; k < 3; ++k)
          off = std::max(off, std::abs(p[k] - along * d[k]));
        if (along >= 0.5 && along <= 1.05 && off <= 8)
          ++counts[i];
      }
    }
  }
  return {counts[0] >= 5, counts[1] >= 5, counts[2] >= 5};
}

TEST_F(WindowTest, LinkPaintsInTheColourOfItsStateAndOpensTheSite) {
  Show();
  SiteLink* link = Link();
  EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
  Browser browser;
  QDesktopServices::setUrlHandler(QStringLiteral("https"), &browser, "open");

  auto enter = [link] {
    QEnterEvent event(QPointF(5, 5), QPointF(5, 5), link->mapToGlobal(QPointF(5, 5)));
    QCoreApplication::sendEvent(link, &event);
  };
  auto leave = [link] {
    QEvent event(QEvent::Leave);
    QCoreApplication::sendEvent(link, &event);
  };

  EXPECT_EQ(PaintedColours(link), (Colours{true, false, false}));
  enter();
  EXPECT_EQ(PaintedColours(link), (Colours{false, true, false}));
  QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(20, 10));
  EXPECT_EQ(browser.opened, QList<QUrl>({QUrl("https://www.quenlor.example/")}));
  EXPECT_EQ(PaintedColours(link), (Colours{false, true, false}));  // hot wins
  leave();
  EXPECT_EQ(PaintedColours(link), (Colours{false, false, true}));

  // A browser that does not take the address: nothing shown, blue again.
  QDesktopServices::setUrlHandler(QStringLiteral("https"), &browser, "noSuchSlot");
  enter();
  QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(20, 10));
  leave();
  EXPECT_FALSE(link->IsVisited());
  EXPECT_EQ(PaintedColours(link), (Colours{true, false, false}));
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(WindowTest, EscClosesTheWindowFromAnyControlButNotWithAModifier) {
  struct Case {
    const char* target;
    Qt::KeyboardModifiers modifiers;
    bool closes;
  };
  const Case cases[] = {
      {"ConnectionList", Qt::NoModifier, true},
      {"RefreshButton", Qt::NoModifier, true},
      {"window", Qt::NoModifier, true},
      {"ConnectionList", Qt::ControlModifier, false},
      {"RefreshButton", Qt::ShiftModifier, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.target) + " " + std::to_string(c.modifiers.toInt()));
    Show();
    QWidget* target =
        std::string(c.target) == "window" ? window_.get() : window_->findChild<QWidget*>(c.target);
    QTest::keyClick(target, Qt::Key_Escape, c.modifiers);
    EXPECT_EQ(window_->isVisible(), !c.closes);
  }
}

TEST_F(WindowTest, TabMovesBetweenTheButtonAndTheListOnly) {
  Show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  Button()->setFocus();
  ASSERT_EQ(QApplication::focusWidget(), Button());
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), List());
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), Button());
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(QApplication::focusWidget(), List());
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(QApplication::focusWidget(), Button());
}

}  // namespace
}  // namespace ostrand

#include "window_test.moc"
