#pragma once
// Opening a document or address with its default program, and starting a
// program: both injectable so tests see what would have been opened.
#include <QString>
#include <QStringList>
#include <vector>

namespace platform::ui {

class DocumentOpener {
 public:
  virtual ~DocumentOpener() = default;
  // A local path or an address (http:, https:, mailto:). True when opened.
  virtual bool Open(const QString& path_or_address) = 0;
};

class DesktopDocumentOpener : public DocumentOpener {  // QDesktopServices
 public:
  bool Open(const QString& path_or_address) override;
};

class RecordingDocumentOpener : public DocumentOpener {
 public:
  bool Open(const QString& path_or_address) override {
    opened.push_back(path_or_address);
    return result;
  }
  std::vector<QString> opened;
  bool result = true;
};

class ProgramStarter {
 public:
  virtual ~ProgramStarter() = default;
  virtual bool Start(const QString& program, const QStringList& arguments) = 0;
};

class DetachedProgramStarter : public ProgramStarter {  // QProcess::startDetached
 public:
  bool Start(const QString& program, const QStringList& arguments) override;
};

class RecordingProgramStarter : public ProgramStarter {
 public:
  bool Start(const QString& program, const QStringList& arguments) override {
    started.push_back(QStringList{program} + arguments);
    return result;
  }
  std::vector<QStringList> started;
  bool result = true;
};

// The hourglass pointer for as long as the object lives.
class BusyCursor {
 public:
  BusyCursor();
  ~BusyCursor();
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace platform::ui
