// The list and window operations over the Qt widgets bound by the window
// program. Texts are GBK here and UTF-8 only where they reach Qt.
#include <QAction>
#include <QCursor>
#include <QDesktopServices>
#include <QItemSelectionModel>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QUrl>
#include <QWindow>

#include <utility>

#include "platform/controls.h"
#include "platform/qt/connection_list.h"
#include "platform/qt/qt_controls.h"
#include "platform/text.h"

namespace ostrand::qt {

namespace {

struct Bound {
  QPointer<QWidget> mainWindow;
  QPointer<ConnectionListView> connectionList;
  QPointer<QWidget> refreshButton;
  QPointer<QWidget> promoLabel;
  QPointer<QWidget> siteLink;
  std::vector<std::string> menuItems;
  std::function<void(int)> menuItemChosen;
};

Bound& B() {
  static Bound bound;
  return bound;
}

ConnectionListModel* ListModel() {
  ConnectionListView* list = B().connectionList;
  return list != nullptr ? &list->Model() : nullptr;
}

QString ToQt(const std::string& gbk) {
  return QString::fromStdString(GbkToUtf8(gbk));
}

QWidget* WidgetOf(ui::Control control) {
  switch (control) {
    case ui::Control::ConnectionList:
      return B().connectionList;
    case ui::Control::RefreshButton:
      return B().refreshButton;
    case ui::Control::PromoLabel:
      return B().promoLabel;
    case ui::Control::SiteLink:
      return B().siteLink;
  }
  return nullptr;
}

}  // namespace

void BindMainWindow(BoundWindow window) {
  Bound& b = B();
  b.mainWindow = window.mainWindow;
  b.connectionList = window.connectionList;
  b.refreshButton = window.refreshButton;
  b.promoLabel = window.promoLabel;
  b.siteLink = window.siteLink;
  b.menuItems = std::move(window.menuItems);
  b.menuItemChosen = std::move(window.menuItemChosen);
}

void UnbindMainWindow() {
  B() = Bound{};
}

}  // namespace ostrand::qt

namespace ostrand::ui {

using qt::B;
using qt::ListModel;

OuterSize MainWindowOuterSize() {
  QWidget* window = B().mainWindow;
  if (window == nullptr)
    return {};
  // The frame as the window system reports it now; Qt's own frame geometry
  // is only brought up to date while the window is visible.
  QSize size = window->geometry().size();
  if (const QWindow* handle = window->windowHandle()) {
    const QMargins frame = handle->frameMargins();
    size += QSize(frame.left() + frame.right(), frame.top() + frame.bottom());
  }
  return {size.width(), size.height()};
}

void MoveControl(Control control, int left, int top, int width, int height) {
  QWidget* widget = qt::WidgetOf(control);
  if (widget == nullptr)
    return;
  const QRect present = widget->geometry();
  const QRect target(left, top, width == kKeepSize ? present.width() : width,
                     height == kKeepSize ? present.height() : height);
  if (target == present)
    return;
  widget->setGeometry(target);  // Qt repaints what the move uncovers and the control
}

void DeleteAllRows() {
  if (auto* model = ListModel())
    model->Clear();
}

int RowCount() {
  auto* model = ListModel();
  return model != nullptr ? model->rowCount() : 0;
}

int InsertRowAtEnd(const std::string& column0Text) {
  auto* model = ListModel();
  return model != nullptr ? model->Append(column0Text) : -1;
}

void SetCellText(int row, int column, const std::string& text) {
  if (column < 1 || column >= kColumnCount)
    return;
  if (auto* model = ListModel())
    model->SetText(row, column, text);
}

std::string CellText(int row, int column) {
  auto* model = ListModel();
  return model != nullptr ? model->Text(row, column) : std::string();
}

void SetRowItemValue(int row, std::intptr_t value) {
  if (auto* model = ListModel())
    model->SetValue(row, value);
}

void SortRows(RowCompare compare) {
  if (auto* model = ListModel())
    model->Sort(compare);
}

int SelectedRow() {
  qt::ConnectionListView* list = B().connectionList;
  if (list == nullptr || list->selectionModel() == nullptr)
    return -1;
  const QModelIndexList selected = list->selectionModel()->selectedIndexes();
  return selected.isEmpty() ? -1 : selected.front().row();
}

int PointerX() {
  return QCursor::pos().x();
}

int PointerY() {
  return QCursor::pos().y();
}

void PopUpListMenu(int x, int y) {
  QWidget* owner = B().mainWindow;
  if (owner == nullptr)
    return;
  QMenu menu(owner);
  std::vector<QAction*> items;
  for (const std::string& caption : B().menuItems)
    items.push_back(menu.addAction(qt::ToQt(caption)));
  QAction* chosen = menu.exec(QPoint(x, y));
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (chosen != nullptr && chosen == items[i] && B().menuItemChosen) {
      const int item = static_cast<int>(i);
      QMetaObject::invokeMethod(
          owner,
          [item] {
            if (B().menuItemChosen)
              B().menuItemChosen(item);
          },
          Qt::QueuedConnection);
    }
  }
}

void ShowMessageBox(const std::string& text, const std::string& caption) {
  // No owner, only OK, no icon; modal for the whole program.
  QMessageBox box(QMessageBox::NoIcon, qt::ToQt(caption), qt::ToQt(text), QMessageBox::Ok);
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

bool OpenLinkTarget(const std::string& address) {
  if (address.empty())
    return false;
  // The desktop's default browser; Qt returns once the launcher has taken it.
  return QDesktopServices::openUrl(QUrl(qt::ToQt(address)));
}

}  // namespace ostrand::ui
