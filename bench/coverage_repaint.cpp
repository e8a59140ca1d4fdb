// coverage_repaint [FILES]: the coverage view with FILES list rows (5000 by
// default) in ten series of a year of files, offscreen at 1200 x 500, every
// bar in view, then a month, then a day. Prints the slowest and the middle
// repaint of 50 at each zoom, in milliseconds.
#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QImage>
#include <QScrollBar>
#include <QTimeZone>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/coverage_view.h"

namespace {

void Measure(const char* zoom, lomtra::CoverageCanvas& canvas) {
  // Rendered into a picture of the viewport's size: the offscreen platform
  // may skip a repaint of a window nobody sees.
  QImage picture(canvas.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
  std::vector<double> times;
  QElapsedTimer timer;
  for (int i = 0; i < 50; ++i) {
    timer.start();
    canvas.viewport()->render(&picture);
    times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
  }
  std::sort(times.begin(), times.end());
  std::printf("%-6s middle %.2f ms, slowest %.2f ms\n", zoom, times[times.size() / 2],
              times.back());
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const int files = argc > 1 ? std::atoi(argv[1]) : 5000;
  constexpr int kLanes = 10;
  constexpr lomtra::Moment kStart = 1104537600;  // 2005-01-01
  // A year of files per lane, each a little over its share of the year
  // long, every seventh a day late: overlaps and gaps all along.
  const int per_lane = std::max(1, files / kLanes);
  const lomtra::Moment length = 365 * 86400 / per_lane;
  // As list rows, so that building the lanes from the list is timed too.
  auto text = [](lomtra::Moment moment) {
    return QDateTime::fromSecsSinceEpoch(moment, QTimeZone::utc())
        .toString(QStringLiteral("yyyy-MM-dd   HH:mm:ss"))
        .toStdString();
  };
  std::vector<lomtra::DataFileEntry> rows;
  for (int l = 0; l < kLanes; ++l) {
    for (int f = 0; f < per_lane; ++f) {
      const lomtra::Moment first = kStart + f * length + (f % 7 == 6 ? 86400 : 0);
      lomtra::DataFileEntry entry;
      entry.binary_file = "/cdr/exchange-" + std::to_string(l) + "/f" + std::to_string(f);
      entry.switch_name = "EWSD";
      entry.state = lomtra::RowState::kAnalysed;
      entry.start_time = text(first);
      entry.end_time = text(first + length + (f % 5 == 0 ? 600 : -60));
      rows.push_back(entry);
    }
  }
  lomtra::CoverageView view;
  view.resize(1200, 500);
  view.show();
  QApplication::processEvents();
  QElapsedTimer timer;
  timer.start();
  view.SetData(lomtra::CoverageLanes(rows), {});
  std::printf("%zu rows: lanes built and set in %.2f ms\n", rows.size(),
              static_cast<double>(timer.nsecsElapsed()) / 1e6);
  view.SetSelectedRows({0, 1, 2, 3});
  lomtra::CoverageCanvas& canvas = *view.Canvas();
  Measure("all", canvas);
  view.ShowMonth();
  canvas.horizontalScrollBar()->setValue(canvas.horizontalScrollBar()->maximum() / 2);
  Measure("month", canvas);
  view.ShowDay();
  Measure("day", canvas);
  return 0;
}
