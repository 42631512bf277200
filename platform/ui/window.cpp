#include <QCloseEvent>
#include <QCoreApplication>
#include <QMainWindow>
#include <QMenuBar>

#include <algorithm>

#include "platform/ui/qt_text.h"
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
  void Forget() { owner_ = nullptr; }

 protected:
  void closeEvent(QCloseEvent* event) override {
    QMainWindow::closeEvent(event);
    if (event->isAccepted() && owner_) owner_->ClosedByUser();
  }

 private:
  Window* owner_;
};

}  // namespace

Window::Window(String registeredName) : registeredName_(std::move(registeredName)) {
  RequireUIThread();
  window_ = new PlatformWindow(this);
  content_ = new QWidget(window_);
  window_->setCentralWidget(content_);
}

Window::~Window() {
  controls_.clear();  // the controls delete their widgets before the window goes
  static_cast<PlatformWindow*>(window_)->Forget();
  window_->hide();
  // The window may go while Qt is still inside one of its events (its close): Qt deletes it
  // once that is over.
  if (QCoreApplication::instance())
    window_->deleteLater();
  else
    delete window_;
}

void Window::Constructor() {
  RequireUIThread();
  Layout();
  CreateControls();
  LiveWindows().push_back(Ref<Window>(this));
  Show();
  Event_Open();
}

void Window::ApplySize() {
  const QWidget* bar = window_->menuWidget();
  const int barHeight = bar ? bar->sizeHint().height() : 0;
  content_->setFixedSize(width_, height_);
  window_->setFixedSize(width_, height_ + barHeight);
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

String Window::Title() const { return FromQString(window_->windowTitle()); }
void Window::SetTitle(const String& title) {
  RequireUIThread();
  window_->setWindowTitle(ToQString(title));
}

void Window::Show() {
  RequireUIThread();
  window_->show();
  window_->raise();
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

void Window::_AddControl(const String& name, const Ref<Control>& control) {
  RequireUIThread();
  if (auto* rect = dynamic_cast<RectControl*>(control.get())) rect->AttachTo(content_);
  controls_[name] = control;
}

Ref<Control> Window::_ControlByName(std::string_view name) const {
  auto it = controls_.find(name);
  return it == controls_.end() ? nullptr : it->second;
}

Ref<Window> RuntimeGetImplicitWindow(std::string_view registeredName) {
  for (const Ref<Window>& window : LiveWindows())
    if (window->RegisteredName() == registeredName) return window;
  return nullptr;
}

void RuntimeReleaseWindows() {
  std::vector<Ref<Window>> windows;
  windows.swap(LiveWindows());
}

}  // namespace platform
