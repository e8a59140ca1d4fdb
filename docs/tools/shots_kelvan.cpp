// Pictures of kelvan's window after a run, and of its about box.
#include "about_box.h"
#include "clock.h"
#include "main_window.h"
#include "shots_common.h"

int main(int argc, char** argv) {
  return shots::Run(argc, argv, [](const shots::Folders& folders) {
    const QString samples = folders.samples + "/cdot";
    platform::ui::ScriptedMessageService messages;
    kelvan::SystemClock clock;
    kelvan::CdotExtractorWindow window(messages, clock);
    window.show();
    shots::PointPickers(&window, samples, shots::FilesIn(samples));
    shots::SetText(&window, "Text1", QDir::toNativeSeparators(folders.samples + "/tgcbr.txt"));
    shots::SetText(&window, "Text3", QDir::toNativeSeparators(folders.samples + "/daily"));
    shots::Click(&window, "Command2");
    bool ok = shots::Save(&window, folders, "kelvan");
    kelvan::CdotAboutBox about;
    return shots::Save(&about, folders, "kelvan-about") && ok;
  });
}
