// Picture of pardel's window after a run.
#include "main_window.h"
#include "shots_common.h"

int main(int argc, char** argv) {
  return shots::Run(argc, argv, [](const shots::Folders& folders) {
    const QString samples = folders.samples + "/axe";
    platform::ui::ScriptedMessageService messages;
    platform::ui::RecordingDocumentOpener viewer;
    pardel::AxeExtractorWindow window(messages, viewer);
    window.show();
    shots::PointPickers(&window, samples, shots::FilesIn(samples));
    shots::SetText(&window, "Text1", QDir::toNativeSeparators(folders.samples + "/pardel.txt"));
    shots::Click(&window, "Command2");
    return shots::Save(&window, folders, "pardel");
  });
}
