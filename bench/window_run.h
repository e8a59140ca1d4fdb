#pragma once
// Times one extraction started from a window, offscreen: the window is
// built, the file selected in its picker, the output named and Extract
// clicked, as a user would. Prints the seconds the click took.
#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <cstdio>

#include "platform/ui/file_picker_panel.h"
#include "platform/ui/message_service.h"

namespace bench {

// Selects `file` in `picker`, writes `output` into the line edit named
// `output_name`, clicks the button named `button_name` and prints the time.
inline int TimeExtraction(QWidget& window, platform::ui::FilePickerPanel& picker,
                          const QString& file, const QString& output, const char* output_name,
                          const char* button_name) {
  const QFileInfo info(file);
  picker.SetFolder(info.absolutePath());
  picker.SelectFiles({info.fileName()});
  auto* line = window.findChild<QLineEdit*>(output_name);
  auto* button = window.findChild<QPushButton*>(button_name);
  if (line == nullptr || button == nullptr) {
    std::fprintf(stderr, "window_run: no %s or %s in the window\n", output_name, button_name);
    return 2;
  }
  line->setText(output);
  QElapsedTimer clock;
  clock.start();
  button->click();
  std::printf("%.3f\n", static_cast<double>(clock.nsecsElapsed()) / 1e9);
  return 0;
}

}  // namespace bench
