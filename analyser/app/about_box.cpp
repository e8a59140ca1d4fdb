#include "app/about_box.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include "app/switch_images.h"

namespace lomtra {
namespace {

QLabel* NewLabel(const QString& text, const char* name, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  return label;
}

QFrame* Line(QWidget* parent) {
  auto* line = new QFrame(parent);
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);
  return line;
}

// The program's picture: the eight switch images in a square.
QPixmap Picture() {
  QPixmap pixmap(64, 64);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  for (int code = 1; code <= 8; ++code) {
    const int slot = code - 1 + (code > 4 ? 1 : 0);  // leave the middle free
    const int x = (slot % 3) * 22;
    const int y = (slot / 3) * 22;
    painter.drawPixmap(x, y, SwitchImage(code).pixmap(20, 20));
  }
  return pixmap;
}

}  // namespace

QString VersionLabel() {
  return QStringLiteral("Version %1.%2.%3")
      .arg(APP_VERSION_MAJOR)
      .arg(APP_VERSION_MINOR)
      .arg(APP_VERSION_PATCH);
}

AboutBox::AboutBox(QWidget* parent) : QDialog(parent, Qt::Window) {
  setObjectName("frmAbout");
  setWindowTitle("About Lomtra");
  setModal(false);
  setAttribute(Qt::WA_DeleteOnClose);

  auto* image = NewLabel(QString(), "Image1", this);
  image->setPixmap(Picture());
  auto* title = NewLabel("Lomtra", "lblTitle", this);
  QFont big = title->font();
  big.setBold(true);
  big.setPointSizeF(big.pointSizeF() * 1.6);
  title->setFont(big);

  auto* description = NewLabel(
      "This Program identifies the Binary Data files of Different Telecommunication Switches "
      "(Basic Service) and gives information about the Available CDRs. It reads OCB, C-DOT, "
      "E10B, AXE, 5ESS and EWSD files, finds the first and the last call and counts the "
      "records.",
      "lblDesc", this);
  description->setWordWrap(true);
  auto* link = NewLabel(QStringLiteral("<a href=\"%1\">%1</a>").arg(kHomePage), "lblU", this);
  link->setTextInteractionFlags(Qt::TextBrowserInteraction);
  link->setOpenExternalLinks(false);
  link->setCursor(Qt::PointingHandCursor);
  connect(link, &QLabel::linkActivated, this, &AboutBox::HomePageRequested);

  auto* ok = new QPushButton("OK", this);
  ok->setObjectName("cmdOK");
  ok->setDefault(true);
  auto* sys_info = new QPushButton("&System Info...", this);
  sys_info->setObjectName("cmdSysInfo");
  connect(ok, &QPushButton::clicked, this, &QWidget::close);
  connect(sys_info, &QPushButton::clicked, this, &AboutBox::SysInfoRequested);

  auto* layout = new QGridLayout(this);
  layout->addWidget(image, 0, 0, 2, 1, Qt::AlignTop);
  layout->addWidget(title, 0, 1, 1, 2);
  layout->addWidget(Line(this), 2, 0, 1, 3);
  layout->addWidget(NewLabel("Version", "Label1", this), 3, 0);
  layout->addWidget(NewLabel(VersionLabel(), "lblVersion", this), 3, 1, 1, 2);
  layout->addWidget(NewLabel("Description", "Label2", this), 4, 0, Qt::AlignTop);
  layout->addWidget(description, 4, 1, 1, 2);
  layout->addWidget(Line(this), 5, 0, 1, 3);
  layout->addWidget(link, 6, 0, 1, 2);
  layout->addWidget(ok, 6, 2);
  layout->addWidget(sys_info, 7, 2);
  layout->setColumnStretch(1, 1);
  resize(440, 300);
}

}  // namespace lomtra
