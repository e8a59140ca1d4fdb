#include "platform/ui/output_format_box.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>

namespace platform::ui {

namespace {

const char* const kItems[] = {"Text", "CSV", "JSON Lines", "SQLite", "PostgreSQL"};
const char* const kExtensions[] = {"txt", "csv", "jsonl", "db", ""};

bool IsConnectionText(const QString& text) {
  return text.startsWith("postgresql:") || text.startsWith("postgres:") || text.contains('=');
}

}  // namespace

QComboBox* NewOutputFormatBox(QWidget* parent) {
  auto* box = new QComboBox(parent);
  box->setObjectName("cboOutputFormat");
  for (const char* item : kItems) box->addItem(item);
  return box;
}

OutputFormat ChosenOutputFormat(const QComboBox* box) {
  const int index = box->currentIndex();
  return index < 0 ? OutputFormat::kText : static_cast<OutputFormat>(index);
}

void FollowOutputFormat(QComboBox* box, QLineEdit* output, QLabel* label,
                        const QString& file_name) {
  const QString file_caption = label != nullptr ? label->text() : QString();
  const auto follow = [=](bool change_text) {
    const OutputFormat format = ChosenOutputFormat(box);
    const bool server = format == OutputFormat::kPostgres;
    if (label != nullptr) label->setText(server ? QString("PostgreSQL Server") : file_caption);
    output->setPlaceholderText(
        server ? "postgresql://user@host:port/database (empty: PG* variables)" : QString());
    if (!change_text) return;
    const QString text = output->text();
    if (server) {
      if (!IsConnectionText(text)) output->clear();
      return;
    }
    QString name = text.isEmpty() || IsConnectionText(text) ? file_name : text;
    // Only a known extension is swapped: a name the user chose otherwise
    // stays as it is.
    const QFileInfo info(name);
    const QString suffix = info.suffix().toLower();
    for (const char* extension : kExtensions) {
      if (*extension != '\0' && suffix == extension) {
        name.chop(suffix.size());
        name += kExtensions[static_cast<int>(format)];
        break;
      }
    }
    output->setText(name);
  };
  QObject::connect(box, &QComboBox::currentIndexChanged, output, [follow] { follow(true); });
  follow(false);
}

}  // namespace platform::ui
