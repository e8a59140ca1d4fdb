// Pictures of Lomtra: the main window with analysed files, the add-files
// dialog, the about box.
#include <QAbstractItemView>
#include <QWidget>

#include "app/main_window.h"
#include "app/report_dialog.h"
#include "engine/clock.h"
#include "shots_common.h"

int main(int argc, char** argv) {
  return shots::Run(argc, argv, [](const shots::Folders& folders) {
    const QString samples = folders.samples + "/analyser";
    platform::ui::ScriptedMessageService messages;
    platform::ui::RecordingDocumentOpener opener;
    platform::ui::RecordingProgramStarter starter;
    lomtra::ScriptedFileDialog dialog;
    lomtra::SystemClock clock;
    lomtra::AnalyserWindow window({messages, opener, starter, dialog, clock});
    window.resize(1000, 420);
    window.show();

    QStringList paths;
    for (const QString& name : shots::FilesIn(samples))
      paths << QDir::toNativeSeparators(samples + "/" + name);
    window.AddFiles(paths);
    window.Analyse(false);
    bool ok = shots::Save(&window, folders, "lomtra");

    window.ShowAddFiles();
    if (auto* add_files = window.findChild<QWidget*>("frmOpen")) {
      shots::PointPickers(add_files, samples, {});
      if (auto* list = add_files->findChild<QAbstractItemView*>("ListView1")) {
        list->selectAll();
        list->setFocus();
      }
      ok = shots::Save(add_files, folders, "lomtra-add-files") && ok;
      add_files->hide();
    }
    window.ShowAbout();
    if (auto* about = window.findChild<QWidget*>("frmAbout"))
      ok = shots::Save(about, folders, "lomtra-about") && ok;
    return ok;
  });
}
