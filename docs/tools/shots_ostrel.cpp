// Pictures of ostrel's window: the extractor tab after a run, the analyser
// tab with a file's blocks, the about tab.
#include "main_window.h"
#include "shots_common.h"

int main(int argc, char** argv) {
  return shots::Run(argc, argv, [](const shots::Folders& folders) {
    const QString samples = folders.samples + "/ocb";
    platform::ui::ScriptedMessageService messages;
    ostrel::OcbExtractorWindow window(messages);
    window.show();
    shots::PointPickers(&window, samples, shots::FilesIn(samples));
    shots::SetText(&window, "txtOPF", QDir::toNativeSeparators(folders.samples + "/ostrel.txt"));
    shots::Click(&window, "cmdGO");
    bool ok = shots::Save(&window, folders, "ostrel-extractor");
    shots::ShowTab(&window, 1);
    shots::SetText(&window, "txtIFA",
                   QDir::toNativeSeparators(samples + "/" + shots::FilesIn(samples).value(0)));
    shots::Click(&window, "Command1");
    ok = shots::Save(&window, folders, "ostrel-analyser") && ok;
    shots::ShowTab(&window, 2);
    return shots::Save(&window, folders, "ostrel-about") && ok;
  });
}
