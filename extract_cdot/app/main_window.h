#pragma once
// CdotExtractorWindow: pick C-DOT files, the fields, the layout, the filter and the output
// place, and Execute. Holds no format logic: every run reads the controls
// afresh and hands them to the core.
#include <QMainWindow>
#include <memory>

#include "kelvan/clock.h"
#include "kelvan/extraction_run.h"
#include "platform/ui/message_service.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace platform::ui {
class EventPump;
class FilePickerPanel;
}  // namespace platform::ui

namespace kelvan {

class CdotAboutBox;

class CdotExtractorWindow : public QMainWindow, private Host {
  Q_OBJECT
 public:
  CdotExtractorWindow(platform::ui::MessageService& messages, const Clock& clock,
                      QWidget* parent = nullptr);
  ~CdotExtractorWindow() override;

  platform::ui::FilePickerPanel* Panel() const { return panel_; }
  CdotAboutBox* AboutBox() const { return about_; }
  static QString DefaultOutputPath();
  // Where the per-day files go unless the user says otherwise.
  static QString DefaultOutputFolder();
  // The settings the controls hold now.
  RunSettings Settings() const;
  // What "Execute" does.
  RunResult Execute();

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  MessageAnswer ShowMessage(const Message& message) override;
  void SetProgress(int value) override;
  void SetStatusText(const std::string& text) override;
  bool StopRequested() override;
  // While the workers decode ahead.
  void PumpEvents() override;
  // Our checks of what the run would take as it stands; false: no run.
  bool AcceptSettings(const RunSettings& settings);
  void RememberControls();

  QWidget* BuildInputFrame();
  QWidget* BuildDataOptions();
  QWidget* BuildDelimiterFrame();
  QWidget* BuildFilterFrame();
  QWidget* BuildOutputFrame();
  void BuildStatusBar();
  void ShowSelectionCount();

  platform::ui::MessageService& messages_;
  const Clock& clock_;
  platform::ui::FilePickerPanel* panel_ = nullptr;
  QCheckBox* fields_[8] = {};
  QRadioButton* fixed_width_ = nullptr;
  QRadioButton* delimited_ = nullptr;
  QComboBox* delimiter_ = nullptr;
  QRadioButton* all_records_ = nullptr;
  QRadioButton* selected_records_ = nullptr;
  QComboBox* filter_field_ = nullptr;
  QLineEdit* filter_value_ = nullptr;
  QRadioButton* single_file_ = nullptr;
  QLineEdit* output_file_ = nullptr;
  QRadioButton* multi_file_ = nullptr;
  QLineEdit* output_folder_ = nullptr;
  QComboBox* output_format_ = nullptr;
  QCheckBox* area_code_on_ = nullptr;
  QLineEdit* area_code_ = nullptr;
  QPushButton* execute_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QLabel* date_panel_ = nullptr;
  QLabel* status_panel_ = nullptr;
  CdotAboutBox* about_ = nullptr;
  // Keeps the window drawing while a run holds it (the run takes no input).
  std::unique_ptr<platform::ui::EventPump> pump_;
};

// The key message's text: shift state (1 Shift, 2 Ctrl, 4 Alt), ",", and the
// key code as the desktop numbers keys (65 for A, 13 for Enter, 112 for F1).
QString KeyMessageText(int qt_key, Qt::KeyboardModifiers modifiers);

}  // namespace kelvan
