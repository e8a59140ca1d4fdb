// The coverage view drawn from a loaded report of known moments: bars and
// gaps where the moments say, a click selecting the file's row and the row's
// bar highlighted, findings flagged, the picture saved.
#include "app/coverage_view.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

#include "cdrgen/analyser_samples.h"
#include "engine/moments.h"
#include "engine/report_file.h"
#include "window_support.h"

namespace lomtra::testing {
namespace {

DataFileEntry Row(const char* file, const char* type, const char* first, const char* last) {
  DataFileEntry row;
  row.binary_file = file;
  row.switch_name = type;
  row.state = RowState::kAnalysed;
  row.start_time = std::string("2005-02-03   ") + first;
  row.end_time = std::string("2005-02-03   ") + last;
  row.records = "10";
  row.size = "1 KB";
  return row;
}

Moment At(const char* time) {
  return MomentOfText(std::string("2005-02-03   ") + time);
}

class CoverageTest : public WindowTest {
 protected:
  void SetUp() override {
    // One EWSD series: a short break (no gap), a two-hour gap, an overlap.
    const std::vector<DataFileEntry> rows = {
        Row("/cdr/a/f1.dat", "EWSD", "00:00:00", "06:00:00"),
        Row("/cdr/a/f2.dat", "EWSD", "06:10:00", "12:00:00"),
        Row("/cdr/a/f3.dat", "EWSD", "14:00:00", "18:00:00"),
        Row("/cdr/a/f4.dat", "EWSD", "17:00:00", "20:00:00"),
        Row("/cdr/b/o1.dat", "OCB", "01:00:00", "23:00:00"),
    };
    const QString report = dir_.filePath("known.lmt");
    std::string error;
    ASSERT_TRUE(WriteReportFile(report.toStdString(), rows, clock_->Now(), &error)) << error;
    dialog_.names = {report};
    window_->OpenReport();
    window_->resize(1000, 600);
    window_->show();
    window_->ShowCoverage();
    QApplication::processEvents();
    canvas_ = window_->Coverage()->Canvas();
  }

  QColor ColourAt(const char* time, std::size_t lane) const {
    const QImage picture = canvas_->viewport()->grab().toImage();
    return picture.pixelColor(canvas_->XOfMoment(At(time)), canvas_->LaneMiddle(lane));
  }

  void Click(const char* time, std::size_t lane) const {
    const QPointF point(canvas_->XOfMoment(At(time)), canvas_->LaneMiddle(lane));
    QMouseEvent press(QEvent::MouseButtonPress, point, canvas_->viewport()->mapToGlobal(point),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(canvas_->viewport(), &press);
  }

  CoverageCanvas* canvas_ = nullptr;
};

TEST_F(CoverageTest, BarsGapsAndOverlapsLieAtTheirMoments) {
  ASSERT_EQ(canvas_->Lanes().size(), 2u);
  EXPECT_EQ(canvas_->Lanes()[0].name, "/cdr/a (EWSD)");
  EXPECT_EQ(canvas_->Lanes()[1].name, "/cdr/b (OCB)");

  EXPECT_EQ(ColourAt("03:00:00", 0), CoverageCanvas::kBarColour);
  EXPECT_EQ(ColourAt("09:00:00", 0), CoverageCanvas::kBarColour);
  EXPECT_EQ(ColourAt("13:00:00", 0), CoverageCanvas::kGapColour);
  EXPECT_EQ(ColourAt("17:30:00", 0), CoverageCanvas::kOverlapColour);
  EXPECT_EQ(ColourAt("19:30:00", 0), CoverageCanvas::kBarColour);
  EXPECT_EQ(ColourAt("22:00:00", 0), canvas_->palette().base().color());
  // Ten minutes between f1 and f2 is under the threshold: no gap.
  EXPECT_NE(ColourAt("06:05:00", 0), CoverageCanvas::kGapColour);
  EXPECT_EQ(ColourAt("22:00:00", 1), CoverageCanvas::kBarColour);

  // With a five-minute threshold the ten minutes are a gap.
  window_->Coverage()->SetGapMinutes(5);
  EXPECT_EQ(ColourAt("06:05:00", 0), CoverageCanvas::kGapColour);

  // A day across the width: 13:00 is still where the gap is drawn.
  window_->Coverage()->ShowDay();
  EXPECT_EQ(ColourAt("13:00:00", 0), CoverageCanvas::kGapColour);
}

TEST_F(CoverageTest, ClickingABarSelectsItsRowAndTheRowHighlightsIt) {
  Click("15:00:00", 0);
  const QList<QTreeWidgetItem*> selected = List()->selectedItems();
  ASSERT_EQ(selected.size(), 1);
  EXPECT_EQ(selected[0]->text(0), "/cdr/a/f3.dat");
  EXPECT_EQ(ColourAt("15:00:00", 0), CoverageCanvas::kSelectedColour);
  EXPECT_EQ(ColourAt("19:00:00", 0), CoverageCanvas::kBarColour);  // f4 is not selected

  List()->clearSelection();
  List()->topLevelItem(4)->setSelected(true);
  EXPECT_EQ(ColourAt("15:00:00", 0), CoverageCanvas::kBarColour);
  EXPECT_EQ(ColourAt("12:00:00", 1), CoverageCanvas::kSelectedColour);

  // A click beside every bar changes nothing.
  Click("22:00:00", 0);
  EXPECT_TRUE(List()->topLevelItem(4)->isSelected());
}

TEST_F(CoverageTest, FindingsFlagTheirFilesAndThePictureIsSaved) {
  Finding duplicate;
  duplicate.kind = FindingKind::kDuplicateFile;
  // Named as the checks name them: the series, and two files of one folder.
  duplicate.series = "/cdr/a (EWSD)";
  duplicate.where = "f1.dat / f2.dat";
  window_->Coverage()->SetData(CoverageLanes(window_->Rows()), {duplicate});
  EXPECT_EQ(ColourAt("03:00:00", 0), CoverageCanvas::kFlaggedColour);
  EXPECT_EQ(ColourAt("09:00:00", 0), CoverageCanvas::kFlaggedColour);
  EXPECT_EQ(ColourAt("15:00:00", 0), CoverageCanvas::kBarColour);

  const QString picture = dir_.filePath("coverage.png");
  dialog_.names = {picture};
  window_->Coverage()->findChild<QPushButton*>("covSave")->click();
  const QImage saved(picture, "PNG");
  EXPECT_EQ(saved.size(), canvas_->viewport()->size());
  EXPECT_TRUE(messages_.shown.empty());
}

// Check runs the series checks over the list's own files and marks the
// files a finding names: here a file and its copy under another name.
TEST_F(WindowTest, CoverageCheckMarksTheFilesOfItsFindings) {
  const cdrgen::Bytes ocb = cdrgen::OcbAnalyserSample(2, 1);
  window_->AddFiles({Write("a.dat", ocb), Write("b.dat", ocb)});
  Button(8)->trigger();
  window_->resize(1000, 600);
  window_->show();
  window_->ShowCoverage();
  QApplication::processEvents();
  window_->Coverage()->findChild<QPushButton*>("covCheck")->click();
  const auto* summary = window_->Coverage()->findChild<QLabel*>("covSummary");
  EXPECT_TRUE(summary->text().contains("of them missing, duplicated or unreadable"))
      << summary->text().toStdString();
  const CoverageCanvas* canvas = window_->Coverage()->Canvas();
  EXPECT_TRUE(canvas->Flagged(0));
  EXPECT_TRUE(canvas->Flagged(1));
  // A changed list drops what the check found.
  window_->AddFiles({Write("d.dat", cdrgen::OcbAnalyserSample(4, 3))});
  EXPECT_FALSE(canvas->Flagged(0));
  EXPECT_TRUE(summary->isHidden());
}

}  // namespace
}  // namespace lomtra::testing
