#include "platform/ui/event_pump.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <chrono>
#include <thread>

#include "platform/ui/remembered.h"

namespace {

using platform::ui::EventPump;

// A click that arrives while a run holds the thread: a pump that takes no
// input drops it (it must not act later either), one that takes input acts.
TEST(EventPump, DropsOrTakesTheInputQueuedDuringARun) {
  QPushButton button("Extract");
  button.resize(80, 30);
  button.show();
  int clicks = 0;
  QObject::connect(&button, &QPushButton::clicked, [&] { ++clicks; });
  auto post_click = [&] {
    const QPointF at(10, 10);
    QCoreApplication::postEvent(
        &button, new QMouseEvent(QEvent::MouseButtonPress, at, at, Qt::LeftButton, Qt::LeftButton,
                                 Qt::NoModifier));
    QCoreApplication::postEvent(
        &button, new QMouseEvent(QEvent::MouseButtonRelease, at, at, Qt::LeftButton, Qt::NoButton,
                                 Qt::NoModifier));
  };
  {
    EventPump pump(EventPump::Input::kDrop);
    post_click();
    pump.Pump();
    post_click();  // still queued when the run ends
  }
  QCoreApplication::processEvents();
  EXPECT_EQ(clicks, 0);
  EventPump pump(EventPump::Input::kTake, std::chrono::milliseconds(0));
  post_click();
  pump.Tick();
  EXPECT_EQ(pump.Pumps(), 1);
  EXPECT_EQ(clicks, 1);
}

// A run on several workers ticks once a file or stretch, not once a record:
// its rare ticks still pump once the interval has passed.
TEST(EventPump, PumpsOnRareTicks) {
  EventPump pump(EventPump::Input::kTake, std::chrono::milliseconds(20));
  for (int i = 0; i < 3; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    pump.Tick();
  }
  EXPECT_EQ(pump.Pumps(), 3);
}

TEST(Remembered, ATextAndAnOptionComeBackAtTheNextStart) {
  {
    QLineEdit box;
    QPushButton check;
    check.setCheckable(true);
    platform::ui::Remember(&box, "test/output");
    platform::ui::Remember(&check, "test/option");
    box.setText("/data/june.txt");
    check.setChecked(true);
  }
  QLineEdit box("default");
  QPushButton check;
  check.setCheckable(true);
  platform::ui::Remember(&box, "test/output");
  platform::ui::Remember(&check, "test/option");
  EXPECT_EQ(box.text(), "/data/june.txt");
  EXPECT_TRUE(check.isChecked());
}

}  // namespace
