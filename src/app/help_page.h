// Where Help > HTML Help finds the shipped help page, help.htm.
#pragma once

#include <QString>

namespace zmf::app {

// The help page for a program in programDir: help.htm beside the program (a build tree), else
// the installed copy in ../share/zmfedit/ (PREFIX/bin/zmfedit reads PREFIX/share/zmfedit/).
// When neither exists, the path beside the program, so that whatever opens it names the place
// the page belongs in.
QString HelpPagePath(const QString& programDir);

}  // namespace zmf::app
