#include "platform/ui/event_pump.h"

#include <QCoreApplication>
#include <QEvent>

namespace platform::ui {

EventPump::EventPump(Input input, std::chrono::milliseconds interval)
    : input_(input), interval_(interval) {
  if (interval_.count() <= 0) {
    due_ = true;
    return;
  }
  clock_ = std::thread([this] {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stop_.wait_for(lock, interval_, [this] { return stopping_; }))
      due_.store(true, std::memory_order_relaxed);
  });
}

EventPump::~EventPump() {
  if (clock_.joinable()) {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
    }
    stop_.notify_one();
    clock_.join();
  }
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
  if (interval_.count() > 0) due_.store(false, std::memory_order_relaxed);
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
