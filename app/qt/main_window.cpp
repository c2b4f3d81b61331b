#include "app/qt/main_window.h"

#include <QApplication>
#include <QFontDatabase>
#include <QIcon>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include "app/layout.h"
#include "app/qt/site_link.h"
#include "app/texts.h"
#include "connections/refresh.h"
#include "interaction/context_menu.h"
#include "interaction/sorting.h"
#include "platform/controls.h"
#include "platform/qt/connection_list.h"
#include "platform/qt/qt_controls.h"
#include "platform/text.h"

namespace ostrand::qtapp {

namespace {

QString ToQt(const char* gbk) {
  return QString::fromStdString(GbkToUtf8(gbk));
}

// The frame's share of the outer size, as the window system reports it.
QSize FrameExtra(const QWidget& window) {
  const QWindow* handle = window.windowHandle();
  if (handle == nullptr)
    return {};
  const QMargins frame = handle->frameMargins();
  return {frame.left() + frame.right(), frame.top() + frame.bottom()};
}

class MainWindow final : public QWidget {
 public:
  MainWindow() { qApp->installEventFilter(this); }
  ~MainWindow() override {
    qApp->removeEventFilter(this);
    qt::UnbindMainWindow();
  }

  // From here on, events reach the operations.
  void FinishBuilding() { built_ = true; }

  // Outer size 842 x 500, centred on the primary screen.
  void PlaceAtStart() {
    const QSize extra = FrameExtra(*this);
    placedSize_ = QSize(kStartWidth - extra.width(), kStartHeight - extra.height());
    resize(placedSize_);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
      const QRect area = screen->geometry();
      // Positions of a window are those of its frame.
      move(area.x() + (area.width() - kStartWidth) / 2,
           area.y() + (area.height() - kStartHeight) / 2);
    }
  }

 protected:
  void resizeEvent(QResizeEvent* event) override {
    QWidget::resizeEvent(event);
    if (built_)
      LayoutMainWindow();
  }

  void mousePressEvent(QMouseEvent* event) override {
    // Only a press on the bare client area: presses that a control leaves
    // unhandled come up here too.
    if (event->button() == Qt::LeftButton && childAt(event->position().toPoint()) == nullptr)
      MoveWindowWithPointer(this);
    QWidget::mousePressEvent(event);
  }

  bool event(QEvent* event) override {
    if (event->type() == QEvent::Paint && !fitChecked_) {
      fitChecked_ = true;
      // A window manager may add its frame only once the window is mapped;
      // the outer size is then brought back to 842 x 500 once, unless the
      // window has been resized meanwhile.
      QTimer::singleShot(0, this, [this] {
        const ui::OuterSize outer = ui::MainWindowOuterSize();
        if (size() == placedSize_ && (outer.width != kStartWidth || outer.height != kStartHeight))
          PlaceAtStart();
      });
    }
    return QWidget::event(event);
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    // Esc closes the window wherever the focus is inside it. The popup menu
    // and message boxes are windows of their own and keep Esc for themselves.
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
      const auto* key = static_cast<QKeyEvent*>(event);
      auto* widget = static_cast<QWidget*>(watched);
      const auto held = Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier;
      if (key->key() == Qt::Key_Escape && (key->modifiers() & held) == 0 &&
          (widget == this || isAncestorOf(widget))) {
        close();
        return true;
      }
    }
    return QWidget::eventFilter(watched, event);
  }

 private:
  bool built_ = false;
  bool fitChecked_ = false;
  QSize placedSize_;
};

}  // namespace

std::unique_ptr<QWidget> BuildMainWindow() {
  if (QGuiApplication::primaryScreen() == nullptr)
    return {};
  auto window = std::make_unique<MainWindow>();
  window->setWindowTitle(ToQt(texts::kWindowTitle));
  const QIcon icon(QStringLiteral(":/ostrand/ostrand.png"));
  if (!icon.isNull())
    window->setWindowIcon(icon);

  // Button-face background and the default GUI font, which the controls
  // inherit.
  window->setFont(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
  QPalette colours = window->palette();
  for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
    colours.setColor(group, QPalette::Window, colours.color(group, QPalette::Button));
  window->setPalette(colours);
  window->setAutoFillBackground(true);

  // Created bottom to top, so each control lies above the ones before it.
  auto* list = new qt::ConnectionListView(window.get());
  list->setObjectName(QStringLiteral("ConnectionList"));
  list->setGeometry(8, 8, 824, 368);
  QFont listFont;  // no face named: the system picks one for the text
  listFont.setPixelSize(14);
  listFont.setWeight(QFont::Normal);
  list->setFont(listFont);
  for (int column = 0; column < ui::kColumnCount; ++column)
    list->InsertColumn(texts::kColumnTitles[column], texts::kColumnWidths[column]);

  auto* button = new QPushButton(ToQt(texts::kRefreshCaption), window.get());
  button->setObjectName(QStringLiteral("RefreshButton"));
  button->setGeometry(24, 408, 80, 32);
  button->setAutoDefault(false);
  button->setDefault(false);
  button->setFocusPolicy(Qt::StrongFocus);

  auto* link = new SiteLink(window.get());
  link->setObjectName(QStringLiteral("SiteLink"));
  link->setGeometry(165, 432, 192, 25);

  auto* label = new PromoLabel(window.get());
  label->setObjectName(QStringLiteral("PromoLabel"));
  label->setGeometry(168, 420, 568, 13);

  QWidget::setTabOrder(button, list);

  QObject::connect(button, &QPushButton::clicked, [] { RefreshConnections(); });
  list->onHeaderClicked = [](int column) { SortByColumn(column); };
  list->onRightClick = [] { ShowListMenu(); };

  qt::BoundWindow bound;
  bound.mainWindow = window.get();
  bound.connectionList = list;
  bound.refreshButton = button;
  bound.promoLabel = label;
  bound.siteLink = link;
  bound.menuItems = {texts::kEndProcessCaption, texts::kBlacklistCaption};
  bound.menuItemChosen = [](int item) {
    if (item == 0)
      EndSelectedProcess();
    // The second item, "加入黑名单", has no action.
  };
  qt::BindMainWindow(std::move(bound));

  window->winId();  // the platform window exists now, so its frame is known
  window->PlaceAtStart();
  window->FinishBuilding();
  LayoutMainWindow();
  return window;
}

}  // namespace ostrand::qtapp
