#include "about_box.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "program_info.h"

namespace kelvan {

namespace {

QLabel* NewLabel(const QString& text, const char* name, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  return label;
}

}  // namespace

CdotAboutBox::CdotAboutBox(QWidget* parent) : QDialog(parent) {
  setObjectName("Form2");
  setWindowTitle("About Kelvan");
  setModal(false);

  auto* layout = new QGridLayout(this);
  auto* name = NewLabel("Kelvan", "lblProgram", this);
  QFont bold = name->font();
  bold.setBold(true);
  bold.setPointSizeF(bold.pointSizeF() * 1.4);
  name->setFont(bold);
  layout->addWidget(name, 0, 0, 1, 2);
  layout->addWidget(NewLabel("C-DOT TGCBR call record extractor", "lblDescription", this), 1, 0, 1,
                    2);
  layout->addWidget(NewLabel("Version", "lblVersionCaption", this), 2, 0);
  layout->addWidget(NewLabel(QString::fromStdString(VersionText()), "lblVersion", this), 2, 1);
  layout->addWidget(NewLabel("Written by the NORVA billing tools team", "lblAuthor", this), 3, 0, 1,
                    2);
  layout->addWidget(NewLabel("Property of NORVA", "lblOwner", this), 4, 0, 1, 2);

  auto* ok = new QPushButton("OK", this);
  ok->setObjectName("cmdOK");
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QWidget::hide);
  layout->addWidget(ok, 5, 1, Qt::AlignRight);
  layout->setColumnStretch(1, 1);
}

}  // namespace kelvan
