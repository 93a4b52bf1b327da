// Where Help > HTML Help finds the shipped help page, and the window that shows it when no
// browser does.
#include "app/help_page.h"

#include <QDir>
#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace zmf::app {

QString HelpPagePath(const QString& programDir) {
  const QDir dir(programDir);
  const QString beside = dir.filePath(QStringLiteral("help.htm"));
  if (QFileInfo::exists(beside)) return beside;
  const QString installed =
      QDir::cleanPath(dir.filePath(QStringLiteral("../share/zmfedit/help.htm")));
  if (QFileInfo::exists(installed)) return installed;
  return beside;
}

QWidget* ShowHelpPage(const QString& page, QWidget* owner, const UrlOpener& open) {
  const bool exists = QFileInfo::exists(page);
  if (exists && open && open(QUrl::fromLocalFile(page))) return nullptr;
  auto* window =
      owner->findChild<QWidget*>(QStringLiteral("help-window"), Qt::FindDirectChildrenOnly);
  QTextBrowser* browser = nullptr;
  if (window == nullptr) {
    window = new QWidget(owner, Qt::Window);
    window->setObjectName(QStringLiteral("help-window"));
    window->resize(640, 560);
    browser = new QTextBrowser(window);
    // Links within the page follow in the window; links to the web go to the desktop.
    browser->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser);
    QObject::connect(browser, &QTextBrowser::sourceChanged, window,
                     [window, browser] { window->setWindowTitle(browser->documentTitle()); });
  } else {
    browser = window->findChild<QTextBrowser*>();
  }
  if (exists) {
    browser->setSource(QUrl::fromLocalFile(page));
  } else {
    browser->setPlainText(QStringLiteral("The help page was not found: %1").arg(page));
    window->setWindowTitle(QStringLiteral("ZmfEdit Help"));
  }
  window->show();
  window->raise();
  window->activateWindow();
  return window;
}

}  // namespace zmf::app
