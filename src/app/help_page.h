// Where Help > HTML Help finds the shipped help page, help.htm, and how it is shown.
#pragma once

#include <QString>
#include <functional>

class QUrl;
class QWidget;

namespace zmf::app {

// The help page for a program in programDir: help.htm beside the program (a build tree), else
// the installed copy in ../share/zmfedit/ (PREFIX/bin/zmfedit reads PREFIX/share/zmfedit/).
// When neither exists, the path beside the program, so that whatever opens it names the place
// the page belongs in.
QString HelpPagePath(const QString& programDir);

// Hands a URL to the desktop (QDesktopServices::openUrl); false when nothing took it.
using UrlOpener = std::function<bool(const QUrl&)>;

// Shows the help page: in the desktop's browser through `open`, and where the page is missing or
// no browser answers, in a help window of the owner's own (a QTextBrowser, whose links work).
// Returns that window (made once, raised again later), or null when the browser took the page.
QWidget* ShowHelpPage(const QString& page, QWidget* owner, const UrlOpener& open);

}  // namespace zmf::app
