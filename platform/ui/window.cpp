#include <QCloseEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QEventLoop>
#include <QGuiApplication>
#include <QLayout>
#include <QMainWindow>
#include <QMenuBar>
#include <QScreen>
#include <QWindow>

#include <algorithm>
#include <type_traits>
#include <utility>

#include "platform/text/qt_text.h"
#include "platform/ui/ui.h"

namespace platform {

namespace {

// The windows that live, held for the framework: a window lives from its construction until
// it is closed.
std::vector<Ref<Window>>& LiveWindows() {
  static std::vector<Ref<Window>> windows;
  return windows;
}

class PlatformWindow : public QMainWindow {
 public:
  explicit PlatformWindow(Window* owner) : owner_(owner) {}

 protected:
  void closeEvent(QCloseEvent* event) override {
    Window* owner = owner_.get();
    if (owner && owner->EndsApplication()) {
      // Closing the main window ends the application, as quitting does; a task that runs
      // stops first and finishes properly.
      event->ignore();
      RuntimeRunApplicationCode([] { Quit(0); });
      return;
    }
    QMainWindow::closeEvent(event);
    if (event->isAccepted() && owner) RuntimeRunApplicationCode([owner] { owner->ClosedByUser(); });
  }

 private:
  // The Qt window outlives its Window until Qt deletes it later.
  WeakRef<Window> owner_;
};

// ---- The routines of Window's table of virtual operations --------------------------------

void Nothing(Window&) {}
void NothingWithText(Window&, const String&) {}
void OpClose(Window& w) { w.Close(); }
void OpConstructor(Window& w) { w.Constructor(); }
Ref<Object> OpControl(Window& w, std::int32_t index) {
  const auto controls = w.Controls();
  return index >= 0 && index < static_cast<std::int32_t>(controls.size()) ? Ref<Object>(controls[index]) : nullptr;
}
void OpDrawInto(Window&, void*, std::int32_t, std::int32_t) {}
void OpFocusNext(Window& w) { w.QtWindow()->nextInFocusChain()->setFocus(Qt::TabFocusReason); }
void OpFocusPrevious(Window& w) { w.QtWindow()->previousInFocusChain()->setFocus(Qt::BacktabFocusReason); }
void OpHide(Window& w) { w.Hide(); }
void OpInvalidate(Window& w, bool) { w.Content()->update(); }
void OpInvalidateRect(Window& w, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height, bool) {
  w.Content()->update(x, y, width, height);
}
void OpMaximize(Window& w) { w.QtWindow()->showMaximized(); }
void OpMinimize(Window& w) { w.QtWindow()->showMinimized(); }
String OpConvert(Window& w) { return w.Title(); }
void OpRefresh(Window& w) { w.Content()->repaint(); }
void OpRefreshRect(Window& w, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) {
  w.Content()->repaint(x, y, width, height);
}
void OpRestore(Window& w) { w.QtWindow()->showNormal(); }
void OpSetFocus(Window& w) { w.QtWindow()->activateWindow(); }
void OpShow(Window& w) { w.Show(); }
void OpShowModal(Window& w) {
  // Modal: the rest of the application waits until this window is closed.
  w.QtWindow()->setWindowModality(Qt::ApplicationModal);
  w.Show();
  QEventLoop loop;
  QObject::connect(w.QtWindow(), &QObject::destroyed, &loop, &QEventLoop::quit);
  while (w.QtWindow() && w.QtWindow()->isVisible()) loop.processEvents(QEventLoop::WaitForMoreEvents);
  w.QtWindow()->setWindowModality(Qt::NonModal);
}
void OpShowModalWithin(Window& w, const Ref<Window>&) { OpShowModal(w); }
void OpShowWithin(Window& w, const Ref<Window>&) { w.Show(); }
Ref<Object> OpSelf(Window& w) { return Ref<Object>(&w); }
void OpUpdateNow(Window& w) { w.Content()->repaint(); }
void OpAddControl(Window& w, const String& name, const Ref<Object>& control) {
  w._AddControl(name, RuntimeCheckCast<Control>(control));
}
void OpAddMenuHandler(Window&, const String&, void*) {}
Ref<Object> OpControlByName(Window& w, std::string_view name) { return w._ControlByName(name); }
// A window holds one control a name: the control of that name is found only with its own Index.
Ref<Object> OpControlByNameIndex(Window& w, const String& name, std::int32_t index) {
  const Ref<Control> control = w._ControlByName(name);
  return control && control->Index() == index ? Ref<Object>(control) : nullptr;
}
void* OpDependencyList(Window&) { return nullptr; }
void OpMove(Window& w, std::int32_t x, std::int32_t y) { w.QtWindow()->move(x, y); }
Ref<Object> OpNew(Window& w, ClassRecord* record) { return w.__New(record); }

// The routine that each place runs, by place.
template <WindowSlot Slot>
struct RoutineAt;
#define WINDOW_ROUTINE(slot, name, signature, routine) \
  template <>                                         \
  struct RoutineAt<WindowSlot::slot> {                \
    using Type = decltype(&routine);                  \
  };
WINDOW_OPERATIONS(WINDOW_ROUTINE)
#undef WINDOW_ROUTINE

// A typed call has the type of the routine in the place it calls.
template <const auto& Typed>
constexpr bool kTypedAsItsRoutine =
    std::is_same_v<typename std::remove_cvref_t<decltype(Typed)>::Routine,
                   typename RoutineAt<static_cast<WindowSlot>(Typed.Slot())>::Type>;
static_assert(kTypedAsItsRoutine<WindowOperations::Constructor>);
static_assert(kTypedAsItsRoutine<WindowOperations::Show>);
static_assert(kTypedAsItsRoutine<WindowOperations::Close>);
static_assert(kTypedAsItsRoutine<WindowOperations::_AddControl>);
static_assert(kTypedAsItsRoutine<WindowOperations::_ControlByName>);
static_assert(kTypedAsItsRoutine<WindowOperations::__New>);

// Window's own implementations of its three construction events.
void ImplementLayout(Window& w);
void ImplementCreateControls(Window& w);
void ImplementOpen(Window& w);

}  // namespace

// ---- Class record -------------------------------------------------------------------------

// Reaches the protected hooks from the record's event implementations.
struct WindowHooks {
  static void Layout(Window& w) { w.OnLayout(); }
  static void CreateControls(Window& w) { w.OnCreateControls(); }
  static void Open(Window& w) { w.OnOpen(); }
};

namespace {
void ImplementLayout(Window& w) { WindowHooks::Layout(w); }
void ImplementCreateControls(Window& w) { WindowHooks::CreateControls(w); }
void ImplementOpen(Window& w) { WindowHooks::Open(w); }
}  // namespace

ClassRecord* Window::GetClass() {
  static ClassRecord* record = [] {
    const std::vector<OwnMember> operations = {
#define WINDOW_MEMBER(slot, name, signature, routine) Member(name, signature, &routine),
        WINDOW_OPERATIONS(WINDOW_MEMBER)
#undef WINDOW_MEMBER
    };
    const std::vector<const char*> events = {
        "Activate",   "AddMenuHandlers", "CancelClose", "Close",      "ConstructContextualMenu",
        "ContentsChanged", "ContextualMenuAction", "CreateControls", "Deactivate", "DragEnter",
        "DragExit",   "DragOver",   "DropObject", "EnableMenuItems", "KeyDown",    "KeyUp",
        "Layout",     "Maximize",   "Minimize",   "MouseDown",  "MouseDrag",  "MouseEnter",
        "MouseExit",  "MouseMove",  "MouseUp",    "MouseWheel", "Moved",      "Open",
        "Paint",      "Resized",    "Resizing",   "Restore",    "SetupBindings"};
    const std::vector<PropertyEntry> properties = {
        MakeProperty<&Window::Placement, &Window::SetPlacement>("Placement"),
        MakeProperty<&Window::Width, &Window::SetWidth>("Width"),
        MakeProperty<&Window::Height, &Window::SetHeight>("Height"),
        MakeProperty<&Window::MinWidth, &Window::SetMinWidth>("MinWidth"),
        MakeProperty<&Window::MinHeight, &Window::SetMinHeight>("MinHeight"),
        MakeProperty<&Window::MaxWidth, &Window::SetMaxWidth>("MaxWidth"),
        MakeProperty<&Window::MaxHeight, &Window::SetMaxHeight>("MaxHeight"),
        MakeProperty<&Window::Frame, &Window::SetFrame>("Frame"),
        MakeProperty<&Window::Composite, &Window::SetComposite>("Composite"),
        MakeProperty<&Window::HasBackColor, &Window::SetHasBackColor>("HasBackColor"),
        MakeProperty<&Window::BackColor, &Window::SetBackColor>("BackColor"),
        MakeProperty<&Window::Title, &Window::SetTitle>("Title"),
        MakeProperty<&Window::Visible, &Window::SetVisible>("Visible"),
        MakeProperty<&Window::FullScreen, &Window::SetFullScreen>("FullScreen"),
        MakeProperty<&Window::MenuBarVisible, &Window::SetMenuBarVisible>("MenuBarVisible"),
        MakeProperty<&Window::CloseButton, &Window::SetCloseButton>("CloseButton"),
        MakeProperty<&Window::Resizeable, &Window::SetResizeable>("Resizeable"),
        MakeProperty<&Window::LiveResize, &Window::SetLiveResize>("LiveResize"),
        MakeProperty<&Window::MaximizeButton, &Window::SetMaximizeButton>("MaximizeButton"),
        MakeProperty<&Window::MinimizeButton, &Window::SetMinimizeButton>("MinimizeButton"),
        MakeProperty<&Window::FullScreenButton, &Window::SetFullScreenButton>("FullScreenButton"),
        MakeProperty<&Window::MacProcId, &Window::SetMacProcId>("MacProcId"),
    };
    return BuildClassRecord({
        .name = "Window",
        .members = operations,
        .events = events,
        .properties = properties,
        .implementations = {{"Layout", CodeOf(&ImplementLayout)},
                            {"CreateControls", CodeOf(&ImplementCreateControls)},
                            {"Open", CodeOf(&ImplementOpen)}},
        .make = &MakeObject<Window>,
        .instanceSize = sizeof(Window),
    });
  }();
  return record;
}

// ---- The window ---------------------------------------------------------------------------

Window::Window() : Window(String()) {}

Window::Window(String registeredName) : registeredName_(std::move(registeredName)) {
  RequireUIThread();
  window_ = new PlatformWindow(this);
  content_ = new QWidget(window_);
  window_->setCentralWidget(content_);
}

Window::~Window() {
  nameSlots_.clear();
  controls_.clear();  // the controls delete their widgets before the window goes
  window_->hide();
  // The window may go while Qt is still inside one of its events (its close): Qt deletes it
  // once that is over.
  if (QCoreApplication::instance())
    window_->deleteLater();
  else
    delete window_;
}

String Window::RegisteredName() const {
  if (!registeredName_.empty() || !Record()) return registeredName_;
  return Record()->name;
}

void Window::RunEventImplementation(std::string_view event) {
  if (Code implementation = RuntimeEventImplementation(Record(), event))
    reinterpret_cast<void (*)(Window&)>(implementation)(*this);
}

void Window::Constructor() {
  RequireUIThread();
  RunEventImplementation("Layout");
  RunEventImplementation("CreateControls");
  LiveWindows().push_back(Ref<Window>(this));
  Open();
}

// The keyboard order: within each container its controls by TabIndex, a container's own
// controls right after it.
void Window::SetTabOrder() {
  std::vector<RectControl*> rects;
  for (const auto& entry : controls_)
    if (auto* rect = dynamic_cast<RectControl*>(entry.second.get())) rects.push_back(rect);
  std::vector<QWidget*> order;
  auto visit = [&](auto& self, const RectControl* container) -> void {
    std::vector<RectControl*> level;
    for (RectControl* rect : rects)
      if (rect->Container().get() == container) level.push_back(rect);
    std::stable_sort(level.begin(), level.end(),
                     [](const RectControl* a, const RectControl* b) { return a->TabIndex() < b->TabIndex(); });
    for (RectControl* rect : level) {
      QWidget* widget = rect->Widget();
      if (rect->TabStop() && (widget->focusPolicy() & Qt::TabFocus)) order.push_back(widget);
      self(self, rect);
    }
  };
  visit(visit, nullptr);
  for (std::size_t i = 1; i < order.size(); ++i) QWidget::setTabOrder(order[i - 1], order[i]);
  // The keyboard starts at the first control of the order that can take it.
  for (QWidget* widget : order)
    if (widget->isEnabled()) return widget->setFocus(Qt::OtherFocusReason);
}

void Window::Open() {
  opened_ = true;
  // Lines are drawn above the other controls, a filled rectangle made after them included:
  // they are the rules that separate what the rectangle holds.
  for (const auto& entry : controls_)
    if (RuntimeIsA(entry.second->Record(), Line::GetClass()))
      RuntimeCheckCast<RectControl>(entry.second)->Widget()->raise();
  ApplyFlags();
  ApplySize();
  // The window's Open event and its controls' run before it is shown: it appears at the size
  // they leave it at, and is placed for that size.
  RunEventImplementation("Open");
  for (const Ref<Control>& control : Controls()) {
    if (!control->Record()) continue;
    bool hasOpen = false;
    for (const EventEntry& event : control->Record()->events) hasOpen |= event.name && String(event.name) == "Open";
    if (hasOpen) RuntimeRaiseEvent(*control, RuntimeEventNumber(control->Record(), "Open"));
  }
  SetTabOrder();
  if (visible_) Show();
}

void Window::ApplyFlags() {
  Qt::WindowFlags flags = Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::CustomizeWindowHint;
  if (closeButton_) flags |= Qt::WindowCloseButtonHint;
  if (minimizeButton_) flags |= Qt::WindowMinimizeButtonHint;
  if (maximizeButton_ && resizeable_) flags |= Qt::WindowMaximizeButtonHint;
  const bool shown = window_->isVisible();
  window_->setWindowFlags(flags);
  if (shown) window_->show();
}

void Window::ApplySize() {
  // The content area takes the size asked for; the window grows by its menu bar.
  const QWidget* bar = window_->menuWidget();
  const int barHeight = bar && menuBarVisible_ ? bar->sizeHint().height() : 0;
  content_->setFixedSize(width_, height_);
  window_->setFixedSize(width_, height_ + barHeight);
  if (resizeable_) {
    // A window that the user may resize keeps its size but loses the fixed bounds.
    content_->setMinimumSize(0, 0);
    content_->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    window_->setMinimumSize(minWidth_, minHeight_ + barHeight);
    window_->setMaximumSize(std::min(maxWidth_, QWIDGETSIZE_MAX), std::min(maxHeight_ + barHeight, QWIDGETSIZE_MAX));
  }
  // A window that grows while it is shown stays on its screen as far as it fits there.
  if (placed_ && window_->isVisible()) Place(false);
}

namespace {

// The screen that holds the pointer, else the primary one.
QScreen* PointerScreen() {
  if (QScreen* screen = QGuiApplication::screenAt(QCursor::pos())) return screen;
  return QGuiApplication::primaryScreen();
}

// The frame moved as little as needed to lie inside the area; where it is larger, its top and
// left edges stay inside: the title bar and the menu bar are what the user needs to reach.
QRect KeptInside(QRect frame, const QRect& area) {
  frame.moveLeft(std::max(area.left(), std::min(frame.left(), area.right() + 1 - frame.width())));
  frame.moveTop(std::max(area.top(), std::min(frame.top(), area.bottom() + 1 - frame.height())));
  return frame;
}

}  // namespace

void Window::Place(bool centre) {
  const QScreen* screen = centre ? PointerScreen() : window_->screen();
  if (!screen) return;
  const QRect area = screen->availableGeometry();
  // The frame that the window system adds, as far as it is known: some window systems tell
  // it only once the window is shown.
  window_->winId();  // the native window, which knows it
  const QMargins margins = window_->windowHandle()->frameMargins();
  QRect frame(window_->pos(), window_->size().grownBy(margins));
  if (centre) frame.moveCenter(area.center());
  frame = KeptInside(frame, area);
  if (frame.topLeft() != window_->pos()) window_->move(frame.topLeft());  // the frame's place
}

void Window::SetWidth(int width) {
  RequireUIThread();
  width_ = width;
  ApplySize();
}

void Window::SetHeight(int height) {
  RequireUIThread();
  height_ = height;
  ApplySize();
}

void Window::SetMinWidth(int value) { minWidth_ = value, ApplySize(); }
void Window::SetMinHeight(int value) { minHeight_ = value, ApplySize(); }
void Window::SetMaxWidth(int value) { maxWidth_ = value, ApplySize(); }
void Window::SetMaxHeight(int value) { maxHeight_ = value, ApplySize(); }
void Window::SetResizeable(bool value) {
  resizeable_ = value;
  ApplySize();
  if (opened_) ApplyFlags();
}
void Window::SetCloseButton(bool value) {
  closeButton_ = value;
  if (opened_) ApplyFlags();
}
void Window::SetMaximizeButton(bool value) {
  maximizeButton_ = value;
  if (opened_) ApplyFlags();
}
void Window::SetMinimizeButton(bool value) {
  minimizeButton_ = value;
  if (opened_) ApplyFlags();
}

void Window::SetHasBackColor(bool value) {
  hasBackColor_ = value;
  SetBackColor(backColor_);
}

void Window::SetBackColor(Color colour) {
  backColor_ = colour;
  content_->setAutoFillBackground(hasBackColor_);
  if (hasBackColor_) {
    QPalette palette = content_->palette();
    palette.setColor(QPalette::Window, QColor(colour.red, colour.green, colour.blue));
    content_->setPalette(palette);
  }
}

String Window::Title() const { return FromQString(window_->windowTitle()); }
void Window::SetTitle(const String& title) {
  RequireUIThread();
  window_->setWindowTitle(ToQString(title));
}

void Window::SetVisible(bool visible) {
  visible_ = visible;
  if (!opened_) return;  // a list sets it while the window is built: it is shown when it opens
  if (visible)
    Show();
  else
    Hide();
}

void Window::SetMenuBarVisible(bool value) {
  menuBarVisible_ = value;
  if (QWidget* bar = window_->menuWidget()) bar->setVisible(value);
  ApplySize();
}

Ref<MenuBar> Window::MenuBar() const { return RuntimeCheckCast<platform::MenuBar>(menuBar_); }

void Window::SetMenuBar(const Ref<platform::MenuBar>& bar) {
  RequireUIThread();
  menuBar_ = bar;
  InstallMenuBar(window_, bar);
  if (QWidget* shown = window_->menuWidget()) shown->setVisible(menuBarVisible_);
  ApplySize();
}

void Window::Show() {
  RequireUIThread();
  // Every window, whatever its Placement, opens centred on the screen that holds the pointer
  // (where the user is looking), wholly inside what that screen leaves to windows.
  if (!std::exchange(placed_, true)) Place(true);
  if (fullScreen_)
    window_->showFullScreen();
  else
    window_->show();
  window_->raise();
}

void Window::Hide() {
  RequireUIThread();
  window_->hide();
}

void Window::ClosedByUser() {
  auto& live = LiveWindows();
  auto it = std::find_if(live.begin(), live.end(), [this](const Ref<Window>& w) { return w.get() == this; });
  if (it == live.end()) return;
  Ref<Window> keep = *it;  // the window outlives its removal from the record
  live.erase(it);
}

void Window::Close() {
  RequireUIThread();
  Ref<Window> keep(this);
  window_->hide();
  ClosedByUser();
}

namespace {

// Names are a few letters: their length and their first and last eight bytes, mixed, tell
// them apart at once.
std::uint64_t NameHash(std::string_view name) noexcept {
  std::uint64_t head = 0, tail = 0;
  if (name.size() >= 8) {
    std::memcpy(&head, name.data(), 8);
    std::memcpy(&tail, name.data() + name.size() - 8, 8);
  } else {
    for (const char c : name) head = (head << 8) | static_cast<unsigned char>(c);
  }
  const std::uint64_t hash = (head * 0x9E3779B97F4A7C15ULL) ^ ((tail + name.size()) * 0xC2B2AE3D27D4EB4FULL);
  return hash ^ (hash >> 29);
}

}  // namespace

std::ptrdiff_t Window::FindControl(std::string_view name) const noexcept {
  if (nameSlots_.empty()) return -1;
  const std::uint64_t hash = NameHash(name);
  const std::size_t mask = nameSlots_.size() - 1;
  for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
    const NameSlot& slot = nameSlots_[at];
    if (slot.place < 0) return -1;
    if (slot.hash == hash && controls_[static_cast<std::size_t>(slot.place)].first == name) return slot.place;
  }
}

void Window::IndexControl(std::size_t place) {
  if (2 * controls_.size() > nameSlots_.size()) {
    // Made anew, twice as large, whenever it would be more than half full.
    nameSlots_.assign(nameSlots_.empty() ? 64 : 2 * nameSlots_.size(), NameSlot{});
    for (std::size_t each = 0; each < place; ++each) IndexControl(each);
  }
  const std::uint64_t hash = NameHash(controls_[place].first);
  const std::size_t mask = nameSlots_.size() - 1;
  std::size_t at = hash & mask;
  while (nameSlots_[at].place >= 0) at = (at + 1) & mask;
  nameSlots_[at] = {hash, static_cast<std::int32_t>(place)};
}

void Window::_AddControl(const String& name, const Ref<Control>& control) {
  RequireUIThread();
  if (auto* rect = dynamic_cast<RectControl*>(control.get())) rect->AttachToWindow(*this, content_);
  const std::ptrdiff_t found = FindControl(name);
  if (found >= 0) {
    controls_[static_cast<std::size_t>(found)].second = control;
    return;
  }
  controls_.emplace_back(name, control);
  IndexControl(controls_.size() - 1);
}

Ref<Control> Window::_ControlByName(std::string_view name) const {
  const std::ptrdiff_t found = FindControl(name);
  return found < 0 ? nullptr : controls_[static_cast<std::size_t>(found)].second;
}

Ref<Object> Window::__New(ClassRecord* record) { return RuntimeNewObject(record); }

std::vector<Ref<Control>> Window::Controls() const {
  std::vector<Ref<Control>> controls;
  controls.reserve(controls_.size());
  for (const auto& entry : controls_) controls.push_back(entry.second);
  return controls;
}

Ref<Window> RuntimeGetImplicitWindow(std::string_view registeredName) {
  for (const Ref<Window>& window : LiveWindows())
    if (window->RegisteredName() == registeredName) return window;
  return nullptr;
}

std::vector<Ref<Window>> RuntimeLiveWindows() { return LiveWindows(); }

void RuntimeReleaseWindows() {
  std::vector<Ref<Window>> windows;
  windows.swap(LiveWindows());
}

}  // namespace platform
