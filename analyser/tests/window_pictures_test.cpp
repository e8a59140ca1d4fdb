// Pictures of the main window with analysed files, the add-files dialog and
// the about box, for a person to look at (build/screenshots/*.png).
#include <QPixmap>

#include "app/about_box.h"
#include "app/add_files_dialog.h"
#include "cdrgen/analyser_samples.h"
#include "cdrgen/axe_builder.h"
#include "window_support.h"

namespace lomtra::testing {
namespace {

TEST_F(WindowTest, PicturesOfTheWindows) {
  const QString folder = SUITE_BINARY_DIR "/screenshots";
  QDir().mkpath(folder);
  window_->AddFiles({Write("axe-1.dat", cdrgen::AxeSampleFile(20, 1)),
                     Write("ocb-1.dat", cdrgen::OcbAnalyserSample(20, 1)),
                     Write("ewsd-1.dat", cdrgen::EwsdAnalyserSample(300, 1)),
                     Write("cd150305.dat", cdrgen::CdotAnalyserSample(400, 1)),
                     Write("e10b-1.dat", cdrgen::E10bSampleFile(10, 1)),
                     Write("5ess-1.dat", cdrgen::FiveEssSampleFile(200, 1)),
                     WriteSized("notes.txt", 3000)});
  window_->Analyse(false);
  window_->resize(1000, 420);
  window_->show();
  List()->topLevelItem(2)->setSelected(true);
  EXPECT_TRUE(window_->grab().save(folder + "/lomtra_main.png"));

  window_->ShowAddFiles();
  window_->CurrentAddFilesDialog()->SetFolder(dir_.path());
  window_->CurrentAddFilesDialog()->SelectPaths(
      {QDir::toNativeSeparators(dir_.filePath("ocb-1.dat"))});
  EXPECT_TRUE(window_->CurrentAddFilesDialog()->grab().save(folder + "/lomtra_add_files.png"));

  window_->ShowAbout();
  EXPECT_TRUE(window_->CurrentAboutBox()->grab().save(folder + "/lomtra_about.png"));
}

}  // namespace
}  // namespace lomtra::testing
