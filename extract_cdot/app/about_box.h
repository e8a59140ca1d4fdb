#pragma once
// Form2: the about box, opened by a double-click on the window background.
#include <QDialog>

namespace kelvan {

class Form2 : public QDialog {
  Q_OBJECT
 public:
  explicit Form2(QWidget* parent = nullptr);
};

}  // namespace kelvan
