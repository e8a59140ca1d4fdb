#include "engine/host.h"

namespace lomtra {

void Host::ResetSB() {
  SetStatusPanel(StatusPanel::kValidFiles, "");
  SetStatusPanel(StatusPanel::kValidSize, "");
  SetStatusPanel(StatusPanel::kRecords, "");
  SetStatusPanel(StatusPanel::kStatusText, "");
}

bool Host::AskStop() {
  Message question{"Do you want to Stop the Analyser", kProgramTitle, MessageIcon::kQuestion,
                   MessageButtons::kYesNo};
  return ShowMessage(question) == MessageAnswer::kYes;
}

}  // namespace lomtra
