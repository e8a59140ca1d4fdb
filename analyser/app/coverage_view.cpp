#include "app/coverage_view.h"

#include <QDateTime>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QTimeZone>
#include <QToolTip>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <map>

#include "engine/moments.h"
#include "engine/series_checks.h"

namespace lomtra {
namespace {

constexpr std::int64_t kDay = 24 * 60 * 60;
constexpr std::int64_t kMonth = 30 * kDay;
constexpr int kBarInset = 5;  // blank above and below a bar within its lane
// Closest zoom: a pixel is a second. Farthest: the whole span in the width.
constexpr double kFinestZoom = 1.0;

QString Text(const std::string& text) {
  return QString::fromStdString(text);
}

QDateTime DateTimeOf(Moment moment) {
  return QDateTime::fromSecsSinceEpoch(moment, QTimeZone::utc());
}

// As the list shows a moment: date, three spaces, time.
QString MomentLabel(Moment moment) {
  return DateTimeOf(moment).toString(QStringLiteral("yyyy-MM-dd   HH:mm:ss"));
}

// Whether a finding's `where` names `file`: the whole of it, or the file as
// one of the two it lies between (not as the start of a longer name).
bool Names(const std::string& where, const std::string& file) {
  if (file.empty()) return false;
  for (std::size_t at = where.find(file); at != std::string::npos; at = where.find(file, at + 1)) {
    const std::size_t end = at + file.size();
    const bool starts = at == 0 || where[at - 1] == ' ' || where[at - 1] == ',';
    const bool ends = end == where.size() || where[end] == ' ' || where[end] == ',';
    if (starts && ends) return true;
  }
  return false;
}

// Whether a finding names a bar's file. The checks name two files of one
// folder by their names alone, so inside the finding's own lane a name is
// enough.
bool NamesBar(const Finding& finding, const CoverageLane& lane, const CoverageBar& bar) {
  if (Names(finding.where, bar.file)) return true;
  if (lane.name != finding.series) return false;
  const std::size_t slash = bar.file.find_last_of('/');
  return slash != std::string::npos && Names(finding.where, bar.file.substr(slash + 1));
}

// The axis's tick step: the finest of these that leaves room for a label.
struct Step {
  std::int64_t seconds;  // 0: by months
  int months;
};
constexpr Step kSteps[] = {
    {60, 0},       {5 * 60, 0},    {15 * 60, 0}, {30 * 60, 0},  {3600, 0},     {3 * 3600, 0},
    {6 * 3600, 0}, {12 * 3600, 0}, {kDay, 0},    {2 * kDay, 0}, {7 * kDay, 0}, {0, 1},
    {0, 3},        {0, 6},         {0, 12},      {0, 60},
};
constexpr int kTickSpacing = 110;  // pixels at least between two labels

}  // namespace

std::vector<CoverageLane> CoverageLanes(const std::vector<DataFileEntry>& rows) {
  std::map<std::string, CoverageLane> lanes;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const DataFileEntry& row = rows[i];
    if (row.state != RowState::kAnalysed) continue;
    Moment first = MomentOfText(row.start_time);
    Moment last = MomentOfText(row.end_time);
    if (first == kNoMoment && last == kNoMoment) continue;
    // One readable end gives a file of one moment; ends the wrong way round
    // (a damaged date) still show the file where it lies.
    if (first == kNoMoment) first = last;
    if (last == kNoMoment) last = first;
    if (last < first) std::swap(first, last);
    const std::string folder = QFileInfo(Text(row.binary_file)).absolutePath().toStdString();
    // Named as the checks name a series, so that their findings find it.
    const std::string name = folder + " (" + row.switch_name + ")";
    CoverageLane& lane = lanes[name];
    lane.name = name;
    lane.bars.push_back({i, first, last, row.binary_file});
  }
  std::vector<CoverageLane> ordered;
  ordered.reserve(lanes.size());
  for (auto& [name, lane] : lanes) {
    std::stable_sort(lane.bars.begin(), lane.bars.end(),
                     [](const CoverageBar& a, const CoverageBar& b) { return a.first < b.first; });
    ordered.push_back(std::move(lane));
  }
  return ordered;
}

// ---- the canvas ----

CoverageCanvas::CoverageCanvas(QWidget* parent) : QAbstractScrollArea(parent) {
  setObjectName("covCanvas");
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  viewport()->setMouseTracking(true);
  viewport()->setAutoFillBackground(false);
  horizontalScrollBar()->setSingleStep(20);
  verticalScrollBar()->setSingleStep(kLaneHeight);
  setMinimumHeight(kAxisHeight + 2 * kLaneHeight + 20);
}

CoverageCanvas::~CoverageCanvas() = default;

void CoverageCanvas::SetData(std::vector<CoverageLane> lanes, std::vector<Finding> findings) {
  lanes_ = std::move(lanes);
  findings_ = std::move(findings);
  const std::size_t n = lanes_.size();
  reach_.assign(n, {});
  flags_.assign(n, {});
  selected_.clear();
  Moment from = std::numeric_limits<Moment>::max();
  Moment to = std::numeric_limits<Moment>::min();
  for (std::size_t l = 0; l < n; ++l) {
    std::vector<CoverageBar>& bars = lanes_[l].bars;
    std::stable_sort(bars.begin(), bars.end(),
                     [](const CoverageBar& a, const CoverageBar& b) { return a.first < b.first; });
    reach_[l].resize(bars.size());
    flags_[l].assign(bars.size(), 0);
    Moment reach = std::numeric_limits<Moment>::min();
    for (std::size_t b = 0; b < bars.size(); ++b) {
      reach = std::max(reach, bars[b].last);
      reach_[l][b] = reach;
      from = std::min(from, bars[b].first);
      to = std::max(to, bars[b].last);
    }
  }
  bar_of_row_.clear();
  for (std::size_t l = 0; l < n; ++l) {
    for (std::size_t b = 0; b < lanes_[l].bars.size(); ++b) {
      const std::size_t row = lanes_[l].bars[b].row;
      if (row >= bar_of_row_.size()) bar_of_row_.resize(row + 1, Hit{kNoLane, 0});
      bar_of_row_[row] = {l, b};
    }
  }
  FindMarks();
  FlagBars();

  const QFontMetrics metrics(font());
  widest_label_ = metrics.horizontalAdvance(QStringLiteral("Series"));
  for (const CoverageLane& lane : lanes_)
    widest_label_ = std::max(widest_label_, metrics.horizontalAdvance(Text(lane.name)));
  FitLabels();

  if (from > to) {
    from = 0;
    to = 0;
  }
  // A little room on either side so that the first and last bars are seen whole.
  const std::int64_t margin = std::max<std::int64_t>(600, (to - from) / 50);
  const bool same_span = from - margin == span_from_ && to + margin == span_to_;
  span_from_ = from - margin;
  span_to_ = to + margin;
  if (!same_span) fit_pending_ = true;
  if (fit_pending_) {
    ShowAll();
  } else {
    UpdateScrollBars();
  }
  viewport()->update();
}

void CoverageCanvas::SetGapMinutes(std::int64_t minutes) {
  gap_seconds_ = minutes * 60;
  FindMarks();
  viewport()->update();
}

// Gaps and overlaps between each file and the files before it: a file that
// begins after every earlier file has ended, by more than the threshold,
// leaves a gap; one that begins before an earlier file ends overlaps it.
void CoverageCanvas::FindMarks() {
  marks_.assign(lanes_.size(), {});
  mark_reach_.assign(lanes_.size(), {});
  for (std::size_t l = 0; l < lanes_.size(); ++l) {
    const std::vector<CoverageBar>& bars = lanes_[l].bars;
    std::vector<Mark>& marks = marks_[l];
    for (std::size_t b = 1; b < bars.size(); ++b) {
      const Moment before = reach_[l][b - 1];
      if (bars[b].first - before > gap_seconds_) {
        marks.push_back({before, bars[b].first, true});
      } else if (bars[b].first < before) {
        marks.push_back({bars[b].first, std::min(before, bars[b].last), false});
      }
    }
    Moment reach = std::numeric_limits<Moment>::min();
    for (const Mark& mark : marks) {
      reach = std::max(reach, mark.to);
      mark_reach_[l].push_back(reach);
    }
  }
}

// Files that a finding names (other than the gaps and overlaps drawn from the
// bars themselves) are flagged. A finding of a series looks only at its lane.
void CoverageCanvas::FlagBars() {
  for (const Finding& finding : findings_) {
    if (finding.kind == FindingKind::kGap || finding.kind == FindingKind::kOverlap) continue;
    bool lane_named = false;
    for (const CoverageLane& lane : lanes_) lane_named = lane_named || lane.name == finding.series;
    for (std::size_t l = 0; l < lanes_.size(); ++l) {
      if (lane_named && lanes_[l].name != finding.series) continue;
      const std::vector<CoverageBar>& bars = lanes_[l].bars;
      for (std::size_t b = 0; b < bars.size(); ++b) {
        if (NamesBar(finding, lanes_[l], bars[b]))
          flags_[l][b] = static_cast<std::uint8_t>(flags_[l][b] | kFlagged);
      }
    }
  }
}

bool CoverageCanvas::Flagged(std::size_t row) const {
  if (row >= bar_of_row_.size() || bar_of_row_[row].lane == kNoLane) return false;
  const Hit& hit = bar_of_row_[row];
  return (flags_[hit.lane][hit.bar] & kFlagged) != 0;
}

void CoverageCanvas::SetSelectedRows(const std::vector<std::size_t>& rows) {
  for (const Hit& hit : selected_) {
    std::uint8_t& flags = flags_[hit.lane][hit.bar];
    flags = static_cast<std::uint8_t>(flags & ~kSelected);
  }
  selected_.clear();
  for (std::size_t row : rows) {
    if (row >= bar_of_row_.size() || bar_of_row_[row].lane == kNoLane) continue;
    const Hit hit = bar_of_row_[row];
    selected_.push_back(hit);
    std::uint8_t& flags = flags_[hit.lane][hit.bar];
    flags = static_cast<std::uint8_t>(flags | kSelected);
  }
  // One file chosen in the list is brought into view.
  if (rows.size() == 1 && selected_.size() == 1) {
    const Hit hit = selected_.front();
    const CoverageBar& bar = lanes_[hit.lane].bars[hit.bar];
    if (XOfMoment(bar.last) < LabelWidth() || XOfMoment(bar.first) > viewport()->width()) {
      const Moment middle = bar.first + (bar.last - bar.first) / 2;
      horizontalScrollBar()->setValue(static_cast<int>(
          static_cast<double>(middle - span_from_) / seconds_per_pixel_ - PageWidth() / 2.0));
    }
    const int top = kAxisHeight + static_cast<int>(hit.lane) * kLaneHeight;
    QScrollBar* down = verticalScrollBar();
    if (top < kAxisHeight + down->value() ||
        top + kLaneHeight > down->value() + viewport()->height()) {
      down->setValue(top - kAxisHeight);
    }
  }
  viewport()->update();
}

// The longest lane name, up to a third of the width; longer folders lose
// their beginning.
void CoverageCanvas::FitLabels() {
  label_width_ = std::clamp(widest_label_ + 12, 80, std::max(80, viewport()->width() / 3));
}

int CoverageCanvas::PageWidth() const {
  return std::max(1, viewport()->width() - LabelWidth());
}

void CoverageCanvas::ShowSpan(std::int64_t seconds) {
  fit_pending_ = false;
  // About the selected file, else about the middle of the view.
  Moment centre = MomentOfX(LabelWidth() + PageWidth() / 2);
  if (!selected_.empty()) {
    const CoverageBar& bar = lanes_[selected_.front().lane].bars[selected_.front().bar];
    centre = bar.first + (bar.last - bar.first) / 2;
  }
  seconds_per_pixel_ = std::max(kFinestZoom, static_cast<double>(seconds) / PageWidth());
  UpdateScrollBars();
  horizontalScrollBar()->setValue(static_cast<int>(std::lround(
      static_cast<double>(centre - span_from_) / seconds_per_pixel_ - PageWidth() / 2.0)));
  viewport()->update();
}

void CoverageCanvas::ShowAll() {
  fit_pending_ = true;  // and again when the width changes
  seconds_per_pixel_ =
      std::max(kFinestZoom, static_cast<double>(span_to_ - span_from_) / PageWidth());
  UpdateScrollBars();
  horizontalScrollBar()->setValue(0);
  viewport()->update();
}

void CoverageCanvas::Zoom(double factor, int x) {
  fit_pending_ = false;
  const Moment anchor = MomentOfX(x);
  const double widest =
      std::max(kFinestZoom, static_cast<double>(span_to_ - span_from_) / PageWidth());
  seconds_per_pixel_ = std::clamp(seconds_per_pixel_ / factor, kFinestZoom, widest);
  UpdateScrollBars();
  horizontalScrollBar()->setValue(static_cast<int>(std::lround(
      static_cast<double>(anchor - span_from_) / seconds_per_pixel_ - (x - LabelWidth()))));
  viewport()->update();
}

void CoverageCanvas::UpdateScrollBars() {
  // Pixel offsets are ints: a zoom that would make the span longer than
  // they count is held back.
  const double span = static_cast<double>(span_to_ - span_from_);
  seconds_per_pixel_ = std::max(seconds_per_pixel_, span / 1.0e9);
  const int across = static_cast<int>(std::ceil(span / seconds_per_pixel_));
  QScrollBar* along = horizontalScrollBar();
  along->setRange(0, std::max(0, across - PageWidth()));
  along->setPageStep(PageWidth());
  const int down = kAxisHeight + static_cast<int>(lanes_.size()) * kLaneHeight;
  verticalScrollBar()->setRange(0, std::max(0, down - viewport()->height()));
  verticalScrollBar()->setPageStep(viewport()->height());
}

int CoverageCanvas::XOfMoment(Moment moment) const {
  const double x = static_cast<double>(moment - span_from_) / seconds_per_pixel_;
  return LabelWidth() + static_cast<int>(std::floor(x)) - horizontalScrollBar()->value();
}

Moment CoverageCanvas::MomentOfX(int x) const {
  const double pixels = x - LabelWidth() + horizontalScrollBar()->value();
  return span_from_ + static_cast<Moment>(std::llround(pixels * seconds_per_pixel_));
}

int CoverageCanvas::LaneMiddle(std::size_t lane) const {
  return kAxisHeight + static_cast<int>(lane) * kLaneHeight + kLaneHeight / 2 -
         verticalScrollBar()->value();
}

void CoverageCanvas::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  FitLabels();
  if (fit_pending_) {
    ShowAll();
  } else {
    UpdateScrollBars();
  }
}

void CoverageCanvas::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(viewport());
  const QPalette& colours = palette();
  const int width = viewport()->width();
  const int height = viewport()->height();
  const int left = LabelWidth();
  painter.fillRect(0, 0, width, height, colours.base());

  const Moment from = MomentOfX(left) - 1;
  const Moment to = MomentOfX(width) + 1;
  const int down = verticalScrollBar()->value();
  const std::size_t first_lane = static_cast<std::size_t>(std::max(0, down / kLaneHeight));
  const QColor stripe = colours.alternateBase().color();

  painter.setClipRect(left, kAxisHeight, width - left, height - kAxisHeight);
  if (!lanes_.empty()) DrawAxis(painter, from, to, true);
  for (std::size_t l = first_lane; l < lanes_.size(); ++l) {
    const int top = kAxisHeight + static_cast<int>(l) * kLaneHeight - down;
    if (top >= height) break;
    if (l % 2 == 1) painter.fillRect(left, top, width - left, kLaneHeight, stripe);
    const int bar_top = top + kBarInset;
    const int bar_height = kLaneHeight - 2 * kBarInset;

    // Gaps behind the bars, across the lane, at least two pixels wide so a
    // short one is seen at any zoom.
    const std::vector<Mark>& marks = marks_[l];
    const std::vector<Moment>& mark_reach = mark_reach_[l];
    auto mark = std::lower_bound(mark_reach.begin(), mark_reach.end(), from) - mark_reach.begin();
    for (auto m = static_cast<std::size_t>(mark); m < marks.size() && marks[m].from <= to; ++m) {
      if (!marks[m].gap) continue;
      const int x0 = XOfMoment(marks[m].from);
      const int x1 = std::max(x0 + 2, XOfMoment(marks[m].to));
      painter.fillRect(x0, top + 1, x1 - x0, kLaneHeight - 2, kGapColour);
    }

    // Bars from the first that reaches into view to the last that begins in
    // it. A bar of a few pixels or less is merged with its neighbours of the
    // same colour, so no more rectangles are drawn than there are pixels;
    // a wider bar's first pixel is dark, to tell files that follow each
    // other without a break apart.
    const std::vector<CoverageBar>& bars = lanes_[l].bars;
    const std::vector<Moment>& reach = reach_[l];
    const std::vector<std::uint8_t>& flags = flags_[l];
    int run_x0 = 0;
    int run_x1 = -1;
    std::uint8_t run_flags = 0;
    auto flush = [&] {
      if (run_x1 < run_x0) return;
      const QColor& colour = (run_flags & kSelected) != 0  ? kSelectedColour
                             : (run_flags & kFlagged) != 0 ? kFlaggedColour
                                                           : kBarColour;
      painter.fillRect(run_x0, bar_top, run_x1 - run_x0, bar_height, colour);
      run_x1 = -1;
    };
    auto bar = std::lower_bound(reach.begin(), reach.end(), from) - reach.begin();
    for (auto b = static_cast<std::size_t>(bar); b < bars.size() && bars[b].first <= to; ++b) {
      const int x0 = XOfMoment(bars[b].first);
      const int x1 = std::max(x0 + 2, XOfMoment(bars[b].last) + 1);
      if (x1 - x0 >= 4) {
        flush();
        run_x0 = x0;
        run_x1 = x1;
        run_flags = flags[b];
        flush();
        painter.fillRect(x0, bar_top, 1, bar_height, kFileStartColour);
      } else if (run_x1 >= run_x0 && flags[b] == run_flags && x0 <= run_x1) {
        run_x1 = std::max(run_x1, x1);
      } else {
        flush();
        run_x0 = x0;
        run_x1 = x1;
        run_flags = flags[b];
      }
    }
    flush();

    // Overlaps over the bars: the stretch two files both claim.
    for (auto m = static_cast<std::size_t>(mark); m < marks.size() && marks[m].from <= to; ++m) {
      if (marks[m].gap) continue;
      const int x0 = XOfMoment(marks[m].from);
      const int x1 = std::max(x0 + 2, XOfMoment(marks[m].to));
      painter.fillRect(x0, bar_top + bar_height / 4, x1 - x0, bar_height / 2, kOverlapColour);
    }
  }

  // Selected files over everything else, framed: a file under others that
  // begin with it is still seen.
  painter.setPen(colours.color(QPalette::WindowText));
  for (const Hit& hit : selected_) {
    const CoverageBar& bar = lanes_[hit.lane].bars[hit.bar];
    const int top = kAxisHeight + static_cast<int>(hit.lane) * kLaneHeight - down;
    if (bar.last < from || bar.first > to || top + kLaneHeight < kAxisHeight || top >= height)
      continue;
    const int x0 = XOfMoment(bar.first);
    const int x1 = std::max(x0 + 2, XOfMoment(bar.last) + 1);
    const QRect box(x0, top + kBarInset, x1 - x0 - 1, kLaneHeight - 2 * kBarInset - 1);
    painter.fillRect(box, kSelectedColour);
    painter.drawRect(box);
  }
  painter.setClipping(false);

  if (!lanes_.empty()) DrawAxis(painter, from, to, false);

  // Lane names over the left edge.
  painter.fillRect(0, 0, left, height, colours.window());
  painter.setPen(colours.color(QPalette::WindowText));
  const QFontMetrics metrics(font());
  painter.drawText(QRect(6, 0, left - 8, kAxisHeight), Qt::AlignVCenter | Qt::AlignLeft,
                   QStringLiteral("Series"));
  painter.setClipRect(0, kAxisHeight, left, height - kAxisHeight);
  for (std::size_t l = first_lane; l < lanes_.size(); ++l) {
    const int top = kAxisHeight + static_cast<int>(l) * kLaneHeight - down;
    if (top >= height) break;
    painter.drawText(QRect(6, top, left - 8, kLaneHeight), Qt::AlignVCenter | Qt::AlignLeft,
                     metrics.elidedText(Text(lanes_[l].name), Qt::ElideLeft, left - 10));
  }
  painter.setClipping(false);
  painter.setPen(colours.color(QPalette::Mid));
  painter.drawLine(left - 1, 0, left - 1, height);
  painter.drawLine(0, kAxisHeight - 1, width, kAxisHeight - 1);
  if (lanes_.empty()) {
    painter.setPen(colours.color(QPalette::PlaceholderText));
    painter.drawText(QRect(left, kAxisHeight, width - left, height - kAxisHeight), Qt::AlignCenter,
                     QStringLiteral("Analyse files to see what they cover."));
  }
}

// The grid behind the lanes, or the ticks and their labels above them.
void CoverageCanvas::DrawAxis(QPainter& painter, Moment from, Moment to, bool grid_only) {
  const int left = LabelWidth();
  const int height = viewport()->height();
  Step step = kSteps[std::size(kSteps) - 1];
  for (const Step& candidate : kSteps) {
    const double seconds = candidate.seconds != 0 ? static_cast<double>(candidate.seconds)
                                                  : candidate.months * 30.4 * kDay;
    if (seconds / seconds_per_pixel_ >= kTickSpacing) {
      step = candidate;
      break;
    }
  }
  if (!grid_only)
    painter.fillRect(left, 0, viewport()->width() - left, kAxisHeight, palette().window());
  const QColor grid = palette().color(QPalette::Midlight);
  const QColor ink = palette().color(QPalette::WindowText);
  auto tick = [&](Moment moment, const QString& label) {
    const int x = XOfMoment(moment);
    if (x < left) return;
    if (grid_only) {
      painter.setPen(grid);
      painter.drawLine(x, kAxisHeight, x, height);
      return;
    }
    painter.setPen(ink);
    painter.drawLine(x, kAxisHeight - 6, x, kAxisHeight - 1);
    painter.drawText(x + 3, kAxisHeight - 8, label);
  };
  if (step.seconds != 0) {
    const bool within_day = step.seconds < kDay;
    Moment moment = from - ((from % step.seconds) + step.seconds) % step.seconds;
    for (; moment <= to; moment += step.seconds) {
      const QDateTime when = DateTimeOf(moment);
      const bool midnight = moment % kDay == 0;
      tick(moment, when.toString(within_day && !midnight ? QStringLiteral("HH:mm")
                                                         : QStringLiteral("yyyy-MM-dd")));
    }
  } else {
    const QDate start = DateTimeOf(from).date();
    QDate month(start.year(),
                1 + (start.month() - 1) / std::min(step.months, 12) * std::min(step.months, 12), 1);
    for (;; month = month.addMonths(step.months)) {
      const Moment moment = QDateTime(month, QTime(0, 0), QTimeZone::utc()).toSecsSinceEpoch();
      if (moment > to) break;
      tick(moment,
           month.toString(step.months >= 12 ? QStringLiteral("yyyy") : QStringLiteral("yyyy-MM")));
    }
  }
}

bool CoverageCanvas::HitAt(QPoint point, Hit* hit) const {
  if (point.x() < LabelWidth() || point.y() < kAxisHeight) return false;
  const int lane = (point.y() - kAxisHeight + verticalScrollBar()->value()) / kLaneHeight;
  if (lane < 0 || static_cast<std::size_t>(lane) >= lanes_.size()) return false;
  const auto l = static_cast<std::size_t>(lane);
  const Moment at = MomentOfX(point.x());
  const auto slack = static_cast<Moment>(std::ceil(2 * seconds_per_pixel_));
  const std::vector<CoverageBar>& bars = lanes_[l].bars;
  const std::vector<Moment>& reach = reach_[l];
  // The bar under the pointer, or the nearest within two pixels; of bars
  // that both hold it, the shorter (a file inside a longer one).
  bool found = false;
  Moment best_distance = 0;
  Moment best_length = 0;
  auto b = std::lower_bound(reach.begin(), reach.end(), at - slack) - reach.begin();
  for (auto i = static_cast<std::size_t>(b); i < bars.size() && bars[i].first <= at + slack; ++i) {
    const Moment distance = at < bars[i].first  ? bars[i].first - at
                            : at > bars[i].last ? at - bars[i].last
                                                : 0;
    if (distance > slack) continue;
    const Moment length = bars[i].last - bars[i].first;
    if (!found || distance < best_distance || (distance == best_distance && length < best_length)) {
      found = true;
      best_distance = distance;
      best_length = length;
      *hit = {l, i};
    }
  }
  return found;
}

QString CoverageCanvas::ToolTipOf(const Hit& hit) const {
  const CoverageBar& bar = lanes_[hit.lane].bars[hit.bar];
  QString text = Text(bar.file) + "\nFirst call: " + MomentLabel(bar.first) +
                 "\nLast call: " + MomentLabel(bar.last);
  if ((flags_[hit.lane][hit.bar] & kFlagged) != 0) {
    for (const Finding& finding : findings_) {
      if (finding.kind != FindingKind::kGap && finding.kind != FindingKind::kOverlap &&
          NamesBar(finding, lanes_[hit.lane], bar)) {
        const std::string_view name = FindingName(finding.kind);
        text += "\n" + QString::fromUtf8(name.data(), qsizetype(name.size()));
        if (finding.count != 0) text += QStringLiteral(" (%1)").arg(finding.count);
      }
    }
  }
  return text;
}

void CoverageCanvas::mousePressEvent(QMouseEvent* event) {
  Hit hit{};
  if (event->button() == Qt::LeftButton && HitAt(event->position().toPoint(), &hit) && clicked_)
    clicked_(lanes_[hit.lane].bars[hit.bar].row);
  QAbstractScrollArea::mousePressEvent(event);
}

// The wheel scrolls (the lanes when they do not all fit, else along the
// time axis); with Ctrl it zooms about the pointer.
void CoverageCanvas::wheelEvent(QWheelEvent* event) {
  const int delta =
      event->angleDelta().y() != 0 ? event->angleDelta().y() : event->angleDelta().x();
  if ((event->modifiers() & Qt::ControlModifier) != 0) {
    Zoom(std::pow(1.25, delta / 120.0), static_cast<int>(event->position().x()));
    event->accept();
    return;
  }
  const bool lanes_fit = verticalScrollBar()->maximum() == 0;
  if (lanes_fit || (event->modifiers() & Qt::ShiftModifier) != 0) {
    QScrollBar* along = horizontalScrollBar();
    along->setValue(along->value() - delta * along->pageStep() / 1200);
    event->accept();
    return;
  }
  QAbstractScrollArea::wheelEvent(event);
}

bool CoverageCanvas::viewportEvent(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(event);
    Hit hit{};
    if (HitAt(help->pos(), &hit)) {
      QToolTip::showText(help->globalPos(), ToolTipOf(hit), viewport());
    } else {
      QToolTip::hideText();
      event->ignore();
    }
    return true;
  }
  return QAbstractScrollArea::viewportEvent(event);
}

// ---- the view ----

CoverageView::CoverageView(QWidget* parent) : QWidget(parent) {
  setObjectName("covView");
  canvas_ = new CoverageCanvas(this);
  canvas_->SetRowClicked([this](std::size_t row) { emit RowClicked(row); });

  auto* buttons = new QHBoxLayout;
  buttons->setContentsMargins(0, 0, 0, 0);
  auto button = [&](const char* name, const QString& text, const QString& tip, auto handler) {
    auto* b = new QPushButton(text, this);
    b->setObjectName(name);
    b->setToolTip(tip);
    b->setAutoDefault(false);
    connect(b, &QPushButton::clicked, this, handler);
    buttons->addWidget(b);
    return b;
  };
  button("covDay", "&Day", "A day across the width (Ctrl+wheel zooms)", [this] { ShowDay(); });
  button("covMonth", "&Month", "A month across the width", [this] { ShowMonth(); });
  button("covAll", "&All", "Every file across the width", [this] { ShowAll(); });
  button("covCheck", "&Check",
         "Look for sequence breaks, duplicate files and calls, and files not read to their end",
         [this] { emit CheckRequested(); });
  legend_ = new QLabel(this);
  legend_->setObjectName("covLegend");
  auto swatch = [](const QColor& colour, const char* text) {
    return QStringLiteral("<span style='color:%1'>&#9632;</span>&nbsp;%2")
        .arg(colour.name(), QString(text));
  };
  legend_->setText(swatch(CoverageCanvas::kBarColour, "file") + " &nbsp; " +
                   swatch(CoverageCanvas::kGapColour, "gap") + " &nbsp; " +
                   swatch(CoverageCanvas::kOverlapColour, "overlap") + " &nbsp; " +
                   swatch(CoverageCanvas::kFlaggedColour, "finding") + " &nbsp; " +
                   swatch(CoverageCanvas::kSelectedColour, "selected"));
  buttons->addSpacing(12);
  buttons->addWidget(legend_);
  buttons->addStretch(1);
  button("covSave", "Save &Picture...", "Save what the view shows as a PNG picture",
         [this] { SavePictureAs(); });

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->setSpacing(4);
  layout->addLayout(buttons);
  summary_ = new QLabel(this);
  summary_->setObjectName("covSummary");
  summary_->hide();
  layout->addWidget(summary_);
  layout->addWidget(canvas_, 1);
}

void CoverageView::SetCheckSummary(const QString& text) {
  summary_->setText(text);
  summary_->setVisible(!text.isEmpty());
}

CoverageView::~CoverageView() = default;

void CoverageView::SetData(std::vector<CoverageLane> lanes, std::vector<Finding> findings) {
  canvas_->SetData(std::move(lanes), std::move(findings));
}

void CoverageView::SetGapMinutes(std::int64_t minutes) {
  canvas_->SetGapMinutes(minutes);
}

void CoverageView::SetSelectedRows(const std::vector<std::size_t>& rows) {
  canvas_->SetSelectedRows(rows);
}

void CoverageView::ShowDay() {
  canvas_->ShowSpan(kDay);
}

void CoverageView::ShowMonth() {
  canvas_->ShowSpan(kMonth);
}

void CoverageView::ShowAll() {
  canvas_->ShowAll();
}

bool CoverageView::SavePicture(const QString& path) {
  return canvas_->viewport()->grab().save(path, "PNG");
}

void CoverageView::SavePictureAs() {
  if (!choose_picture_name_) return;
  const QString path = choose_picture_name_();
  if (!path.isEmpty() && !SavePicture(path) && picture_failed_) picture_failed_(path);
}

}  // namespace lomtra
