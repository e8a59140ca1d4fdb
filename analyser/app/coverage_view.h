#pragma once
// The coverage view (object name covView): one lane per series (the files of
// one exchange type in one folder), one bar per analysed file from its first
// to its last call, gaps and overlaps between a lane's files in colour, files
// with a finding outlined. A click on a bar names its list row; the window
// selects it. Built from plain data so that it knows nothing of the list.
#include <QAbstractScrollArea>
#include <QColor>
#include <QWidget>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/data_file_entry.h"
#include "engine/findings.h"

class QLabel;
class QPushButton;

namespace lomtra {

struct CoverageBar {
  std::size_t row = 0;  // the list row of the file
  Moment first = kNoMoment;
  Moment last = kNoMoment;
  std::string file;
};

struct CoverageLane {
  std::string name;
  std::vector<CoverageBar> bars;
};

// The lanes of the list's analysed rows: one per folder and switch, named by
// both, in the order of their names; bars in the order of their first call.
// Rows without a readable moment have no bar.
std::vector<CoverageLane> CoverageLanes(const std::vector<DataFileEntry>& rows);

// The lanes and the time axis, drawn for the part that is in view. Zoom is
// seconds per pixel; the horizontal scroll bar counts pixels from the start
// of the whole span.
class CoverageCanvas : public QAbstractScrollArea {
  Q_OBJECT
 public:
  static inline const QColor kBarColour{70, 130, 180};
  static inline const QColor kFlaggedColour{160, 60, 190};
  static inline const QColor kSelectedColour{255, 200, 0};
  static inline const QColor kFileStartColour{25, 55, 90};
  static inline const QColor kGapColour{230, 60, 50};
  static inline const QColor kOverlapColour{245, 150, 0};
  static constexpr int kAxisHeight = 24;
  static constexpr int kLaneHeight = 26;

  explicit CoverageCanvas(QWidget* parent = nullptr);
  ~CoverageCanvas() override;

  void SetData(std::vector<CoverageLane> lanes, std::vector<Finding> findings);
  void SetGapMinutes(std::int64_t minutes);
  void SetSelectedRows(const std::vector<std::size_t>& rows);
  void SetRowClicked(std::function<void(std::size_t)> clicked) { clicked_ = std::move(clicked); }

  // Shows `seconds` across the width about the selected file, or else with
  // the moment in the middle staying put.
  void ShowSpan(std::int64_t seconds);
  void ShowAll();
  // Zooms by `factor` (above 1: closer), the moment at `x` staying put.
  void Zoom(double factor, int x);

  // Where a moment lies across the viewport and where a lane's bars lie
  // down it, as they are drawn now.
  int XOfMoment(Moment moment) const;
  int LaneMiddle(std::size_t lane) const;
  Moment MomentOfX(int x) const;
  double SecondsPerPixel() const { return seconds_per_pixel_; }
  const std::vector<CoverageLane>& Lanes() const { return lanes_; }
  // Whether a finding names the file of this list row.
  bool Flagged(std::size_t row) const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  bool viewportEvent(QEvent* event) override;

 private:
  struct Mark {
    Moment from;
    Moment to;
    bool gap;  // else an overlap
  };
  struct Hit {
    std::size_t lane;
    std::size_t bar;
  };
  enum : std::uint8_t { kFlagged = 1, kSelected = 2 };
  static constexpr std::size_t kNoLane = static_cast<std::size_t>(-1);

  void FindMarks();
  void FlagBars();
  void FitLabels();
  void UpdateScrollBars();
  int LabelWidth() const { return label_width_; }
  int PageWidth() const;
  bool HitAt(QPoint point, Hit* hit) const;
  QString ToolTipOf(const Hit& hit) const;
  void DrawAxis(QPainter& painter, Moment from, Moment to, bool grid_only);

  std::vector<CoverageLane> lanes_;
  std::vector<Finding> findings_;
  // Per lane: the latest last call of bars 0..i (rises with i, so the first
  // bar that reaches into the view is found by halving), a flag byte per
  // bar, and the gaps and overlaps in the order they begin.
  std::vector<std::vector<Moment>> reach_;
  std::vector<std::vector<std::uint8_t>> flags_;
  std::vector<std::vector<Mark>> marks_;
  std::vector<std::vector<Moment>> mark_reach_;
  std::vector<Hit> bar_of_row_;  // by list row; lane kNoLane: the row has no bar
  std::vector<Hit> selected_;
  std::int64_t gap_seconds_ = 60 * 60;
  Moment span_from_ = 0;
  Moment span_to_ = 0;
  double seconds_per_pixel_ = 60;
  bool fit_pending_ = true;  // show the whole span once the width is known
  int label_width_ = 160;
  int widest_label_ = 0;
  std::function<void(std::size_t)> clicked_;
};

class CoverageView : public QWidget {
  Q_OBJECT
 public:
  explicit CoverageView(QWidget* parent = nullptr);
  ~CoverageView() override;

  // Replaces what is shown; the zoom and scroll position stay where they are
  // when the time span is the same, else the whole span is shown.
  void SetData(std::vector<CoverageLane> lanes, std::vector<Finding> findings);
  // A stretch between two files of a lane longer than this is a gap.
  void SetGapMinutes(std::int64_t minutes);
  // The bars of these rows are highlighted; one row alone is scrolled into view.
  void SetSelectedRows(const std::vector<std::size_t>& rows);
  // Where "Save Picture..." writes (an empty name cancels), and who is told
  // when the picture could not be written there.
  void SetPictureCallbacks(std::function<QString()> choose_name,
                           std::function<void(const QString& path)> failed) {
    choose_picture_name_ = std::move(choose_name);
    picture_failed_ = std::move(failed);
  }

  // Zoom: a day, a month, or the whole span across the width.
  void ShowDay();
  void ShowMonth();
  void ShowAll();
  // Writes what the view shows as a PNG; false when it could not be written.
  bool SavePicture(const QString& path);

  CoverageCanvas* Canvas() const { return canvas_; }
  // Says under the buttons what the last check found, or that none ran.
  void SetCheckSummary(const QString& text);

 signals:
  void RowClicked(std::size_t row);
  // "Check" pressed: the window runs the series checks over its files.
  void CheckRequested();

 private:
  void SavePictureAs();

  CoverageCanvas* canvas_;
  QLabel* legend_;
  QLabel* summary_;
  std::function<QString()> choose_picture_name_;
  std::function<void(const QString&)> picture_failed_;
};

}  // namespace lomtra
