#pragma once
// The main window built with scripted services, and data files in a
// temporary folder, for the window tests.
#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <QTreeWidget>

#include "app/main_window.h"
#include "app/report_dialog.h"
#include "cdrgen/bytes.h"
#include "engine/clock.h"

// Readable QString values in test failures.
inline void PrintTo(const QString& text, std::ostream* os) {
  *os << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList& texts, std::ostream* os) {
  *os << '{' << texts.join("|").toStdString() << '}';
}

namespace lomtra::testing {

class WindowTest : public ::testing::Test {
 protected:
  WindowTest() {
    // Remembered folders go to a folder of this test, not the user's settings.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings_.path());
    ClockReading now;
    now.year = 2006;
    now.month = 11;
    now.day = 30;
    now.hour = 17;
    now.minute = 5;
    now.second = 9;
    clock_ = std::make_unique<FixedClock>(now);
    window_ = std::make_unique<AnalyserWindow>(
        WindowServices{messages_, opener_, starter_, dialog_, *clock_});
    window_->SetTemporaryFolder(dir_.path());
  }

  template <typename T>
  T* Find(const QString& name) const {
    return window_->findChild<T*>(name);
  }
  QTreeWidget* List() const { return Find<QTreeWidget>("ListView1"); }
  QAction* Button(int number) const {
    return Find<QAction>(QStringLiteral("Toolbar1_Button%1").arg(number));
  }
  QAction* Menu(const char* name) const { return Find<QAction>(name); }

  QString Write(const QString& name, const cdrgen::Bytes& bytes) const {
    const QString path = QDir::toNativeSeparators(dir_.filePath(name));
    cdrgen::WriteFile(path.toStdString(), bytes);
    return path;
  }
  QString WriteSized(const QString& name, std::size_t size) const {
    return Write(name, cdrgen::Bytes(size, 'x'));  // no switch's test passes
  }
  QStringList Column(int column) const {
    QStringList texts;
    for (int i = 0; i < List()->topLevelItemCount(); ++i)
      texts << List()->topLevelItem(i)->text(column);
    return texts;
  }
  QStringList MessageTexts() const {
    QStringList texts;
    for (const auto& m : messages_.shown) texts << m.text;
    return texts;
  }

  QTemporaryDir settings_;
  QTemporaryDir dir_;
  platform::ui::ScriptedMessageService messages_;
  platform::ui::RecordingDocumentOpener opener_;
  platform::ui::RecordingProgramStarter starter_;
  ScriptedFileDialog dialog_;
  std::unique_ptr<FixedClock> clock_;
  std::unique_ptr<AnalyserWindow> window_;
};

}  // namespace lomtra::testing
