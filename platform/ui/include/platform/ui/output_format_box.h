#pragma once
// The "Output format" choice every extractor window offers beside its output
// name: the described text lines, rows for other tools, or a database.
#include <QString>

#include "platform/output_format.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QWidget;

namespace platform::ui {

// A list named cboOutputFormat: "Text", "CSV", "JSON Lines", "SQLite",
// "PostgreSQL", in the order of platform::OutputFormat.
QComboBox* NewOutputFormatBox(QWidget* parent);
OutputFormat ChosenOutputFormat(const QComboBox* box);

// Keeps the output name box in step with the choice: a file name takes the
// chosen format's extension (.txt, .csv, .jsonl, .db); for PostgreSQL the box
// holds the server's connection text ("postgresql://user@host:port/db",
// empty: the PG* variables), and a file name left there gives way to
// `file_name` when another format is chosen again. `label`, when given,
// names what the box holds.
void FollowOutputFormat(QComboBox* box, QLineEdit* output, QLabel* label, const QString& file_name);

}  // namespace platform::ui
