#include "platform/ui/event_pump.h"

#include <QCoreApplication>
#include <QEvent>

namespace platform::ui {

EventPump::EventPump(Input input, std::chrono::milliseconds interval)
    : input_(input), interval_(interval), next_(std::chrono::steady_clock::now() + interval) {}

EventPump::~EventPump() {
  if (input_ == Input::kDrop) Pump();
}

void EventPump::Pump() {
  ++pumps_;
  QCoreApplication* app = QCoreApplication::instance();
  if (app != nullptr) {
    if (input_ == Input::kDrop) app->installEventFilter(this);
    QCoreApplication::processEvents();
    if (input_ == Input::kDrop) app->removeEventFilter(this);
  }
  next_ = std::chrono::steady_clock::now() + interval_;
}

bool EventPump::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
      return true;
    case QEvent::Close:
      // The window system's close box; the program's own closing goes on.
      if (event->spontaneous()) {
        event->ignore();
        return true;
      }
      return false;
    default:
      return QObject::eventFilter(watched, event);
  }
}

}  // namespace platform::ui
