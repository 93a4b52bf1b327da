// The icons compiled into the editor.
#include <gtest/gtest.h>

#include <QFile>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QStringList>
#include <vector>

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

}  // namespace
}  // namespace zmf
