// Builds the user manual PDF from its Markdown source:
//   manual_pdf SOURCE.md OUTPUT.pdf
// Pictures are looked up beside the source and scaled to the page width.
// Runs at build time without a display (offscreen Qt platform).
#include <QColor>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextFrame>
#include <QTextImageFormat>
#include <QTextTable>
#include <QUrl>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kResolution = 300;

// Screenshots keep their natural size unless wider than the text column.
void FitImages(QTextDocument& document, const QString& base_folder, double text_width) {
  struct Found {
    int position;
    int length;
    QTextImageFormat format;
  };
  std::vector<Found> images;
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      if (fragment.isValid() && fragment.charFormat().isImageFormat())
        images.push_back(
            {fragment.position(), fragment.length(), fragment.charFormat().toImageFormat()});
    }
  }
  for (Found& found : images) {
    const QImage image(QFileInfo(base_folder + "/" + found.format.name()).absoluteFilePath());
    if (image.isNull()) {
      std::fprintf(stderr, "manual_pdf: picture %s not found\n", qPrintable(found.format.name()));
      continue;
    }
    // A little smaller than on screen, never wider than the column.
    const double width = std::min(image.width() * 0.8, text_width * 0.98);
    const double height = width * image.height() / image.width();
    QTextImageFormat format = found.format;
    // An absolute path: the copy of the document that print() lays out
    // does not resolve names against the base folder.
    format.setName(QFileInfo(base_folder + "/" + found.format.name()).absoluteFilePath());
    format.setWidth(width);
    format.setHeight(height);
    QTextCursor cursor(&document);
    cursor.setPosition(found.position);
    cursor.setPosition(found.position + found.length, QTextCursor::KeepAnchor);
    cursor.setCharFormat(format);
  }
}

// Code in a smaller mono font; tables with thin single rules and some air.
void Tidy(QTextDocument& document) {
  QTextCursor cursor(&document);
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      QTextCharFormat format = fragment.charFormat();
      if (!fragment.isValid() || !format.fontFixedPitch() || format.isImageFormat()) continue;
      format.setFontFamilies({QStringLiteral("DejaVu Sans Mono")});
      format.setFontPointSize(8.5);
      cursor.setPosition(fragment.position());
      cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
      cursor.setCharFormat(format);
    }
  }
  for (QTextFrame* frame : document.rootFrame()->childFrames()) {
    auto* table = qobject_cast<QTextTable*>(frame);
    if (table == nullptr) continue;
    QTextTableFormat format = table->format();
    format.setBorder(0.5);
    format.setBorderBrush(QColor(0x90, 0x90, 0x90));
    format.setBorderCollapse(true);
    format.setCellSpacing(0);
    format.setCellPadding(3);
    format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
    table->setFormat(format);
    for (int column = 0; column < table->columns(); ++column) {
      QTextTableCell cell = table->cellAt(0, column);
      QTextCharFormat head = cell.format();
      head.setBackground(QColor(0xe4, 0xec, 0xf4));
      cell.setFormat(head);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: manual_pdf SOURCE.md OUTPUT.pdf\n");
    return 2;
  }
  const QString source_path = QString::fromLocal8Bit(argv[1]);
  const QString output_path = QString::fromLocal8Bit(argv[2]);
  QFile source(source_path);
  if (!source.open(QIODevice::ReadOnly)) {
    std::fprintf(stderr, "manual_pdf: %s: %s\n", argv[1], qPrintable(source.errorString()));
    return 2;
  }
  const QString markdown = QString::fromUtf8(source.readAll());
  const QString base_folder = QFileInfo(source_path).absolutePath();

  QSaveFile output(output_path);
  if (!output.open(QIODevice::WriteOnly)) {
    std::fprintf(stderr, "manual_pdf: %s: %s\n", argv[2], qPrintable(output.errorString()));
    return 2;
  }
  {
    QPdfWriter writer(&output);
    writer.setTitle("Norva billing-data suite: user manual");
    writer.setCreator("manual_pdf");
    writer.setResolution(kResolution);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));

    QTextDocument document;
    QFont font("DejaVu Sans");
    font.setPointSizeF(9.5);
    document.setDefaultFont(font);
    document.setBaseUrl(QUrl::fromLocalFile(base_folder + "/"));
    document.setDefaultStyleSheet("code { font-family: 'DejaVu Sans Mono'; }");
    document.setMarkdown(markdown, QTextDocument::MarkdownDialectGitHub);

    // print() lays the text out on the page with 2 cm margins and numbers
    // the pages; picture sizes are in 96-dpi pixels of that column.
    const QRectF page = writer.pageLayout().fullRect(QPageLayout::Inch);
    Tidy(document);
    FitImages(document, base_folder, (page.width() - 2 * 2 / 2.54) * 96.0);
    document.print(&writer);
  }
  if (!output.commit()) {
    std::fprintf(stderr, "manual_pdf: %s: %s\n", argv[2], qPrintable(output.errorString()));
    return 2;
  }
  return 0;
}
