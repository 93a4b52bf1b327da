// The Recover dialog.
#include "app/recovery_dialog.h"

#include <QDateTime>
#include <QDialog>
#include <QDialogButtonBox>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace zmf::app {

std::vector<std::string> RecoveryRows(const std::vector<format::RecoveryFile>& files) {
  std::vector<std::string> rows;
  for (const format::RecoveryFile& file : files) {
    const QString when =
        QDateTime::fromSecsSinceEpoch(file.time).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    rows.push_back(file.name + "    " + when.toStdString() + "    vertices:" +
                   std::to_string(file.vertices) + " faces:" + std::to_string(file.faces));
  }
  return rows;
}

std::optional<std::string> ChooseRecoveryFile(QWidget* owner,
                                              const std::vector<format::RecoveryFile>& files) {
  if (files.empty()) {
    QMessageBox::information(owner, QStringLiteral("Recover"),
                             QStringLiteral("There are no recovery files."));
    return std::nullopt;
  }
  QDialog dialog(owner);
  dialog.setWindowTitle(QStringLiteral("Recover"));
  auto* layout = new QVBoxLayout(&dialog);
  auto* list = new QListWidget(&dialog);
  list->setObjectName(QStringLiteral("recovery-files"));
  for (const std::string& row : RecoveryRows(files)) {
    list->addItem(QString::fromStdString(row));
  }
  list->setCurrentRow(0);
  list->setMinimumWidth(480);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Open | QDialogButtonBox::Cancel, &dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  QObject::connect(list, &QListWidget::itemDoubleClicked, &dialog, &QDialog::accept);
  layout->addWidget(list);
  layout->addWidget(buttons);
  if (dialog.exec() != QDialog::Accepted || list->currentRow() < 0) return std::nullopt;
  return files[static_cast<std::size_t>(list->currentRow())].path;
}

}  // namespace zmf::app
