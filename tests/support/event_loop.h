// Qt's event loop run by a test, and input posted to it as the window system posts it.
#pragma once

#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointF>
#include <QWidget>

namespace fixtures {

// Delivers what is pending, and what delivering it posts in turn.
inline void RunEventLoop() {
  for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}

// A key pressed and released where the window system sends it: to the widget that has the
// focus, else to `window`. It arrives at the next run of the event loop.
inline void PostKey(QWidget* window, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QWidget* to = QApplication::focusWidget() ? QApplication::focusWidget() : window;
  QCoreApplication::postEvent(to, new QKeyEvent(QEvent::KeyPress, key, modifiers));
  QCoreApplication::postEvent(to, new QKeyEvent(QEvent::KeyRelease, key, modifiers));
}

// A left click at `at`, in the widget's own coordinates: pressed and released, as the mouse does.
inline void PostClick(QWidget* widget, QPointF at) {
  const QPointF global = widget->mapToGlobal(at);
  QCoreApplication::postEvent(widget, new QMouseEvent(QEvent::MouseButtonPress, at, global, Qt::LeftButton,
                                                      Qt::LeftButton, Qt::NoModifier));
  QCoreApplication::postEvent(widget, new QMouseEvent(QEvent::MouseButtonRelease, at, global, Qt::LeftButton,
                                                      Qt::NoButton, Qt::NoModifier));
}

}  // namespace fixtures
