// Pictures of vantor's window: the extractor tab after a run, the analyser
// tab with a file's details, the about tab.
#include "main_window.h"
#include "shots_common.h"

int main(int argc, char** argv) {
  return shots::Run(argc, argv, [](const shots::Folders& folders) {
    const QString samples = folders.samples + "/ewsd";
    platform::ui::ScriptedMessageService messages;
    platform::ui::RecordingDocumentOpener browser;
    vantor::EwsdExtractorWindow window(messages, browser);
    window.show();
    shots::PointPickers(&window, samples, shots::FilesIn(samples));
    shots::SetText(&window, "txtOF", QDir::toNativeSeparators(folders.samples + "/vantor.txt"));
    shots::Click(&window, "cmdGO");
    bool ok = shots::Save(&window, folders, "vantor-extractor");
    shots::ShowTab(&window, 1);
    shots::SetText(&window, "txtAfile",
                   QDir::toNativeSeparators(samples + "/" + shots::FilesIn(samples).value(0)));
    shots::Click(&window, "Command2");
    ok = shots::Save(&window, folders, "vantor-analyser") && ok;
    shots::ShowTab(&window, 2);
    return shots::Save(&window, folders, "vantor-about") && ok;
  });
}
