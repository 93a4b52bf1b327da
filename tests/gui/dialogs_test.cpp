// The window's help for a desktop user, driven on a real X display (Xvfb): tooltips, Qt's own file
// dialog with the editor's filters and start folder, the help window where no browser answers,
// and the colour swatches of the material panel.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QColorDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <functional>

#include "app/file_dialogs.h"
#include "app/help_page.h"
#include "app/main_window.h"
#include "command/edit_commands.h"
#include "command/file_commands.h"
#include "command/material_commands.h"
#include "command/menu_layout.h"
#include "command/view_commands.h"
#include "command/weld_commands.h"
#include "modal.h"

namespace zmf {
namespace {

// Waits up to five seconds for `done`.
bool WaitFor(const std::function<bool()>& done) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > 5000) return false;
    QTest::qWait(20);
  }
  return true;
}

class DialogsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
  }
  QAbstractButton* Panel(const char* name) {
    return qobject_cast<QAbstractButton*>(window_.PanelWidget(name));
  }
  app::MainWindow window_;
};

TEST_F(DialogsTest, EveryButtonHasATooltipNamingItsCommandAndKey) {
  const QList<QAbstractButton*> buttons = window_.findChildren<QAbstractButton*>();
  ASSERT_GT(buttons.size(), 70);
  for (const QAbstractButton* button : buttons) {
    if (button->objectName().startsWith("qt_")) continue;  // Qt's own, the menu bar's overflow
    EXPECT_FALSE(button->toolTip().isEmpty())
        << button->objectName().toStdString() << " " << button->text().toStdString();
  }
  EXPECT_EQ(window_.ToolButton(command::kCommandSelectMode)->toolTip(),
            "Select (1)\nMouse presses select");
  EXPECT_EQ(window_.ToolButton(command::kCommandCameraLeft)->toolTip(), "Left\nLook from the left");
  EXPECT_EQ(Panel("32836")->text(), "wld");
  EXPECT_EQ(Panel("32836")->toolTip(),
            "Weld Vertices\nMerge the selected vertices into the first one selected");
  EXPECT_EQ(Panel("558")->toolTip(), "Set the current material's 16 colour values and shininess");
  EXPECT_EQ(Panel("diffuse-swatch")->toolTip(), "Choose the diffuse colour");
  // The keys come from the key table and the mnemonics: the view buttons' letters.
  EXPECT_EQ(window_.ToolButton(command::kCommandViewMaterial)->toolTip().section('\n', 0, 0),
            "Material and Texture (V)");
}

TEST(FileDialogTest, FiltersAreQtsAndOpenOffersEverySupportedFileFirst) {
  EXPECT_EQ(app::FilterText(command::kLoadImageDialog), "Images (*.bmp *.jpg *.jpeg *.png)");
  const QStringList open = app::NameFilters(command::kOpenDialog, true);
  ASSERT_EQ(open.size(), 12);
  EXPECT_EQ(open[0],
            "All supported files (*.zmf *.3ds *.md5mesh *.x *.ZQD *.txt *.tga *.obj *.gltf *.glb "
            "*.bmp)");
  EXPECT_EQ(open[1], "ZMF Files (*.zmf)");
  // A single filter, or one that takes any file, needs no such list.
  EXPECT_EQ(app::NameFilters(command::kLoadImageDialog, true).size(), 1);
  EXPECT_EQ(app::NameFilters(command::kOpenDialog, false).size(), 11);
}

TEST(FileDialogTest, TheTextureDialogStartsInTheModelsFolderAndListsItsPictures) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  for (const char* name : {"a.bmp", "b.jpg", "c.jpeg", "d.PNG", "e.gif", "model.zmf"}) {
    QFile file(folder.filePath(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  }
  app::QtFileDialogs dialogs(nullptr);
  dialogs.SetUseNativeDialog(false);
  QStringList filters, listed;
  QString directory;
  // `shown`: how many files the dialog lists once it has read the folder.
  auto choose = [&](const QString& typed, int shown) {
    test::WhenModalOpens([&, typed, shown](QWidget* modal) {
      auto* dialog = qobject_cast<QFileDialog*>(modal);
      ASSERT_NE(dialog, nullptr);
      filters = dialog->nameFilters();
      directory = dialog->directory().absolutePath();
      auto* list = dialog->findChild<QListView*>(QStringLiteral("listView"));
      ASSERT_NE(list, nullptr);
      listed.clear();
      WaitFor([&] {
        const QAbstractItemModel* model = list->model();
        listed.clear();
        for (int row = 0; row < model->rowCount(list->rootIndex()); ++row) {
          listed << model->index(row, 0, list->rootIndex()).data().toString();
        }
        listed.sort();
        return listed.size() >= shown;
      });
      // The name is typed, as a user does: selectFile leaves the name box alone while it has
      // the focus, which the dialog may or may not have been given by now.
      auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
      ASSERT_NE(name, nullptr);
      name->setText(typed);
      static_cast<QDialog*>(dialog)->accept();
    });
  };
  choose(QStringLiteral("d.PNG"), 4);
  EXPECT_EQ(dialogs.AskOpen(command::kLoadImageDialog, folder.filePath("model.zmf")),
            folder.filePath("d.PNG"));
  EXPECT_EQ(filters, QStringList{"Images (*.bmp *.jpg *.jpeg *.png)"});
  EXPECT_EQ(directory, QDir(folder.path()).absolutePath());
  EXPECT_EQ(listed, (QStringList{"a.bmp", "b.jpg", "c.jpeg", "d.PNG"}));

  // An untitled model's dialog starts where the last one ended; a first one in the working
  // directory.
  choose(QStringLiteral("a.bmp"), 4);
  EXPECT_EQ(dialogs.AskOpen(command::kLoadImageDialog, QStringLiteral("untitled.zmf")),
            folder.filePath("a.bmp"));
  EXPECT_EQ(directory, QDir(folder.path()).absolutePath());
  EXPECT_EQ(app::QtFileDialogs(nullptr).StartFolder(QStringLiteral("untitled.zmf")),
            QDir::currentPath());

  choose(QStringLiteral("model.zmf"), 2);
  EXPECT_EQ(dialogs.AskOpen(command::kOpenDialog, folder.filePath("model.zmf")),
            folder.filePath("model.zmf"));
  EXPECT_EQ(filters.size(), 12);
  EXPECT_TRUE(filters.front().startsWith("All supported files (*.zmf "));
  EXPECT_EQ(listed, (QStringList{"a.bmp", "model.zmf"}));
}

TEST_F(DialogsTest, HelpShowsItsOwnWindowWhereNoBrowserAnswers) {
  QList<QUrl> asked;
  const app::UrlOpener opener = [&](const QUrl& url) {
    asked << url;
    return false;
  };
  window_.SetUrlOpener(opener);
  // The test program has no page beside it: the window says so.
  window_.DispatchCommand(command::kMenuHelp);
  auto* help = window_.findChild<QWidget*>(QStringLiteral("help-window"));
  ASSERT_NE(help, nullptr);
  EXPECT_TRUE(
      help->findChild<QTextBrowser*>()->toPlainText().startsWith("The help page was not found: "));
  const QString page = app::HelpPagePath(QFileInfo(QStringLiteral(ZMFEDIT_PATH)).absolutePath());
  EXPECT_EQ(app::ShowHelpPage(page, &window_, opener), help);
  ASSERT_EQ(asked.size(), 1);
  EXPECT_TRUE(asked[0].toLocalFile().endsWith("/help.htm"));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(help));
  auto* browser = help->findChild<QTextBrowser*>();
  ASSERT_NE(browser, nullptr);
  EXPECT_EQ(browser->documentTitle(), "ZmfEdit Help");
  EXPECT_EQ(help->windowTitle(), "ZmfEdit Help");
  EXPECT_EQ(browser->source(), asked[0]);
  // A link inside the page moves within it.
  browser->setSource(QUrl(QStringLiteral("#keys")));
  EXPECT_EQ(browser->source().fragment(), "keys");

  // Asked again, the same window comes back; a browser that answers gets the page instead.
  window_.DispatchCommand(command::kMenuHelp);
  EXPECT_EQ(window_.findChildren<QWidget*>(QStringLiteral("help-window")).size(), 1);
  EXPECT_EQ(app::ShowHelpPage(asked[0].toLocalFile(), &window_, [](const QUrl&) { return true; }),
            nullptr);
  // A missing page is said so, without asking the browser.
  asked.clear();
  QWidget* missing = app::ShowHelpPage(QStringLiteral("/nowhere/help.htm"), &window_,
                                       [&](const QUrl& url) { return asked << url, true; });
  ASSERT_NE(missing, nullptr);
  EXPECT_TRUE(asked.isEmpty());
  EXPECT_EQ(missing->findChild<QTextBrowser*>()->toPlainText(),
            "The help page was not found: /nowhere/help.htm");
}

TEST_F(DialogsTest, AColourSwatchFillsItsRowsBoxesAndAppliesThemAsOkDoes) {
  window_.DispatchCommand(command::kCommandViewMaterial);
  QAbstractButton* swatch = Panel("diffuse-swatch");
  ASSERT_NE(swatch, nullptr);
  EXPECT_EQ(swatch->property("colour").value<QColor>(), QColor::fromRgbF(0.8f, 0.8f, 0.8f, 1.0f));
  QColor offered;
  test::WhenModalOpens([&](QWidget* modal) {
    auto* dialog = qobject_cast<QColorDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->testOption(QColorDialog::ShowAlphaChannel));
    offered = dialog->currentColor();
    dialog->setCurrentColor(QColor(255, 0, 51, 128));
    dialog->accept();
  });
  QTest::mouseClick(swatch, Qt::LeftButton);
  EXPECT_EQ(offered, QColor::fromRgbF(0.8f, 0.8f, 0.8f, 1.0f));
  auto box = [&](const char* name) {
    return qobject_cast<QLineEdit*>(window_.PanelWidget(name))->text();
  };
  EXPECT_EQ(QStringList({box("diffuse-r"), box("diffuse-g"), box("diffuse-b"), box("diffuse-a")}),
            QStringList({"1.000", "0.000", "0.200", "0.502"}));
  const Material& material = window_.TheModel().materials[0];
  EXPECT_EQ(material.diffuse[0], 1.0f);
  EXPECT_EQ(material.diffuse[2], 0.2f);
  EXPECT_EQ(material.diffuse[3], 0.502f);
  EXPECT_EQ(material.ambient[0], 0.2f);  // the other rows as they stood
  EXPECT_EQ(swatch->property("colour").value<QColor>(), QColor::fromRgbF(1.0f, 0.0f, 0.2f, 0.502f));
  EXPECT_TRUE(window_.HasUnsavedChanges());

  // Undone as a typed change is; a cancelled dialog changes nothing.
  window_.DispatchCommand(command::kCommandUndo);
  EXPECT_EQ(box("diffuse-r"), "0.800");
  EXPECT_EQ(material.diffuse[0], 0.8f);
  test::WhenModalOpens([](QWidget* modal) { qobject_cast<QDialog*>(modal)->reject(); });
  QTest::mouseClick(swatch, Qt::LeftButton);
  EXPECT_EQ(box("diffuse-r"), "0.800");
  EXPECT_EQ(material.diffuse[0], 0.8f);
}

}  // namespace
}  // namespace zmf
