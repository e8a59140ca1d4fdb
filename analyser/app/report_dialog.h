#pragma once
// The common file dialog of the report commands, behind an interface so that
// tests can script the names chosen.
#include <QString>
#include <deque>

#include "platform/output_format.h"

class QWidget;

namespace lomtra {

// "Report files (*.lmt)|*.lmt| All Files (*.*)|*.*" as Qt filters.
inline constexpr const char* kReportFilter = "Report files (*.lmt);; All Files (*.*)";

class ReportFileDialog {
 public:
  virtual ~ReportFileDialog() = default;
  // The full path chosen; empty when cancelled.
  virtual QString SaveName(QWidget* parent) = 0;
  virtual QString OpenName(QWidget* parent) = 0;
  // The file (csv, jsonl) or database (sqlite) the list is exported to;
  // empty when cancelled.
  virtual QString ExportName(QWidget* parent, platform::OutputFormat format) = 0;
  // The PNG file the coverage picture is saved as; empty when cancelled.
  virtual QString PictureName(QWidget* parent) = 0;
};

class CommonFileDialog : public ReportFileDialog {
 public:
  QString SaveName(QWidget* parent) override;
  QString OpenName(QWidget* parent) override;
  QString ExportName(QWidget* parent, platform::OutputFormat format) override;
  QString PictureName(QWidget* parent) override;
};

// For tests: answers from a list, empty (cancelled) when it is used up.
class ScriptedFileDialog : public ReportFileDialog {
 public:
  QString SaveName(QWidget*) override { return Next(); }
  QString OpenName(QWidget*) override { return Next(); }
  QString ExportName(QWidget*, platform::OutputFormat) override { return Next(); }
  QString PictureName(QWidget*) override { return Next(); }
  std::deque<QString> names;
  int shown = 0;

 private:
  QString Next() {
    ++shown;
    if (names.empty()) return {};
    QString name = names.front();
    names.pop_front();
    return name;
  }
};

}  // namespace lomtra
