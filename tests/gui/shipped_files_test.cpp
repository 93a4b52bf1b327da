// The files the editor ships besides its code: the icons compiled into it, and the help page,
// which the build puts beside the program, an installed program finds in its share folder, and
// which describes every command a script can run.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QStringList>
#include <QTemporaryDir>
#include <string>
#include <vector>

#include "app/help_page.h"
#include "command/command_table.h"

namespace zmf {
namespace {

// The icon of every toolbar and panel button, by its number, then the program's own.
QStringList IconNames() {
  QStringList names;
  for (int number : {129, 130, 131, 132, 133, 134, 135, 136, 137, 138, 139, 140, 141, 142, 146,
                     147, 148, 149, 151, 152, 153, 154, 155, 156, 157, 158, 160, 161, 162, 163}) {
    names << QString::number(number);
  }
  return names << QStringLiteral("zmfedit");
}

int DrawnPixels(const QImage& image) {
  int drawn = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) drawn += qAlpha(image.pixel(x, y)) > 0 ? 1 : 0;
  }
  return drawn;
}

std::string ReadAll(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll().toStdString();
}

void WriteFile(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
  file.write(bytes);
}

TEST(IconsTest, EveryIconDrawsAPictureOfItsOwnAt32And16Pixels) {
  const QStringList names = IconNames();
  std::vector<QImage> drawn;
  for (const QString& name : names) {
    const QString path = QStringLiteral(":/icons/%1.svg").arg(name);
    ASSERT_TRUE(QFile::exists(path)) << path.toStdString();
    const QIcon icon(path);
    for (int size : {32, 16}) {
      const QImage image = icon.pixmap(size, size).toImage();
      ASSERT_FALSE(image.isNull())
          << path.toStdString() << " at " << size << " px: is the Qt SVG plugin installed?";
      EXPECT_EQ(image.size(), QSize(size, size)) << path.toStdString();
      // A picture, not an empty or nearly empty square.
      EXPECT_GT(DrawnPixels(image), size * size / 8) << path.toStdString() << " at " << size;
      if (size == 32) drawn.push_back(image);
    }
  }
  // Two numbers showing the same picture would be a resource entry naming the wrong file.
  for (std::size_t i = 0; i < drawn.size(); ++i) {
    for (std::size_t j = i + 1; j < drawn.size(); ++j) {
      EXPECT_NE(drawn[i], drawn[j])
          << names[i].toStdString() << " and " << names[j].toStdString() << " look the same";
    }
  }
}

TEST(HelpPageTest, TheBuiltProgramFindsTheCurrentPageBesideIt) {
  const QFileInfo program(QStringLiteral(ZMFEDIT_PATH));
  const QString page = app::HelpPagePath(program.absolutePath());
  EXPECT_EQ(page, program.absoluteDir().filePath(QStringLiteral("help.htm")));
  const std::string text = ReadAll(page);
  EXPECT_NE(text.find("<title>ZmfEdit Help</title>"), std::string::npos);
  EXPECT_TRUE(text == ReadAll(QStringLiteral(ZMF_HELP_PAGE))) << "the copy beside zmfedit is stale";
}

TEST(HelpPageTest, AnInstalledProgramFindsThePageInItsShareFolder) {
  QTemporaryDir prefix;
  ASSERT_TRUE(prefix.isValid());
  const QString bin = prefix.filePath(QStringLiteral("bin"));
  const QString beside = bin + QStringLiteral("/help.htm");
  const QString installed = prefix.filePath(QStringLiteral("share/zmfedit/help.htm"));
  QDir().mkpath(bin);

  EXPECT_EQ(app::HelpPagePath(bin), beside) << "with no page anywhere, the place it belongs";
  WriteFile(installed, "installed");
  EXPECT_EQ(app::HelpPagePath(bin), installed);
  WriteFile(beside, "beside");
  EXPECT_EQ(app::HelpPagePath(bin), beside) << "a page beside the program comes first";
}

// What a script line starts with, in the page's <code> text, for each command of the table.
std::string ScriptLineStart(const command::CommandEntry& entry) {
  const std::string id = std::to_string(entry.id);
  switch (entry.input) {
    case command::CommandInput::ListPick:
      return "pick " + id;
    case command::CommandInput::Texts:
      return "apply " + id;
    default:
      return std::string(entry.scriptName);
  }
}

TEST(HelpPageTest, DescribesEveryScriptCommand) {
  const std::string text = ReadAll(QStringLiteral(ZMF_HELP_PAGE));
  ASSERT_FALSE(text.empty());
  std::vector<std::string> lines = {"answer", "cancel", "clock"};
  for (const command::CommandEntry& entry : command::Commands()) {
    lines.push_back(ScriptLineStart(entry));
  }
  for (const std::string& line : lines) {
    const std::string code = "<code>" + line;
    bool found = false;
    for (std::size_t at = text.find(code); at != std::string::npos && !found;
         at = text.find(code, at + 1)) {
      const char next = text[at + code.size()];
      found = next == '<' || next == ' ';  // the whole name, not the start of a longer one
    }
    EXPECT_TRUE(found) << "help.htm does not show the script line " << line;
  }
}

}  // namespace
}  // namespace zmf
