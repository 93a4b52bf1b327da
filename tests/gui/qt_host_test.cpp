// The Qt host's dialogs: the prompt, message boxes and Yes/No questions, driven by key presses
// and clicks.
#include "app/qt_host.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <string>

#include "app/prompt_dialog.h"
#include "modal.h"

namespace zmf {
namespace {

QLineEdit* EditOf(QWidget* dialog) { return dialog->findChild<QLineEdit*>(); }

QPushButton* ButtonOf(QWidget* dialog, const QString& text) {
  for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
    if (button->text().remove(QLatin1Char('&')) == text) return button;
  }
  return nullptr;
}

TEST(PromptTextTest, SplitsAtTheFirstColon) {
  const PromptText rotation = SplitPromptText("Enter rotation (pitch,yaw,roll):0.000 1.570 0.000");
  EXPECT_EQ(rotation.caption, "Enter rotation (pitch,yaw,roll)");
  EXPECT_EQ(rotation.answer, "0.000 1.570 0.000");

  const PromptText colons = SplitPromptText("Enter name:a:b:");
  EXPECT_EQ(colons.caption, "Enter name");
  EXPECT_EQ(colons.answer, "a:b:");

  const PromptText emptyDefault = SplitPromptText("Enter bone name:");
  EXPECT_EQ(emptyDefault.caption, "Enter bone name");
  EXPECT_EQ(emptyDefault.answer, "");

  const PromptText noColon = SplitPromptText("no colon here");
  EXPECT_EQ(noColon.caption, "");
  EXPECT_EQ(noColon.answer, "");
}

class QtHostTest : public ::testing::Test {
 protected:
  QWidget mainWindow_;
  QtHost host_{&mainWindow_};
};

TEST_F(QtHostTest, PromptShowsCaptionAndDefaultAndReturnsTheTypedAnswerOnOk) {
  QString caption;
  QString shownDefault;
  test::WhenModalOpens([&](QWidget* dialog) {
    caption = dialog->windowTitle();
    QLineEdit* edit = EditOf(dialog);
    ASSERT_NE(edit, nullptr);
    shownDefault = edit->text();
    edit->clear();
    QTest::keyClicks(edit, "1 2 3");
    QTest::mouseClick(ButtonOf(dialog, "OK"), Qt::LeftButton);
  });
  const std::optional<std::string> answer =
      host_.Prompt("Enter translation (x,y,z):0.000 0.000 0.000");
  EXPECT_EQ(caption, "Enter translation (x,y,z)");
  EXPECT_EQ(shownDefault, "0.000 0.000 0.000");
  EXPECT_EQ(answer, std::optional<std::string>("1 2 3"));
}

TEST_F(QtHostTest, PromptEnterAcceptsTheDefault) {
  test::WhenModalOpens([](QWidget* dialog) { QTest::keyClick(EditOf(dialog), Qt::Key_Return); });
  EXPECT_EQ(host_.Prompt("Enter new material name:mat0"), std::optional<std::string>("mat0"));
}

TEST_F(QtHostTest, PromptCancelAndEscapeGiveNoAnswer) {
  test::WhenModalOpens([](QWidget* dialog) {
    QTest::keyClicks(EditOf(dialog), "typed");
    QTest::mouseClick(ButtonOf(dialog, "Cancel"), Qt::LeftButton);
  });
  EXPECT_EQ(host_.Prompt("Enter new bone name:bone0"), std::nullopt);

  test::WhenModalOpens([](QWidget* dialog) { QTest::keyClick(EditOf(dialog), Qt::Key_Escape); });
  EXPECT_EQ(host_.Prompt("Enter new bone name:bone0"), std::nullopt);
}

TEST_F(QtHostTest, PromptAnswerIsCutTo99Characters) {
  const std::string typed(120, 'x');
  test::WhenModalOpens([&](QWidget* dialog) {
    EditOf(dialog)->setText(QString::fromStdString(typed));
    QTest::mouseClick(ButtonOf(dialog, "OK"), Qt::LeftButton);
  });
  EXPECT_EQ(host_.Prompt("Enter bone name:"), std::optional<std::string>(typed.substr(0, 99)));
}

TEST_F(QtHostTest, MessageBoxShowsTheCoresTextsAndReportsTheAnswer) {
  MessageBoxSpec question{"Disk full. Continue the application?", "SERIOUS ERROR",
                          MessageBoxSpec::Buttons::YesNo, MessageBoxSpec::Icon::Question, false};
  QString text, title;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QWidget* owner = &mainWindow_;
  test::WhenModalOpens([&](QWidget* dialog) {
    auto* box = qobject_cast<QMessageBox*>(dialog);
    ASSERT_NE(box, nullptr);
    text = box->text();
    title = box->windowTitle();
    icon = box->icon();
    owner = box->parentWidget();
    box->button(QMessageBox::No)->click();
  });
  EXPECT_FALSE(host_.ShowMessageBox(question));
  EXPECT_EQ(text, "Disk full. Continue the application?");
  EXPECT_EQ(title, "SERIOUS ERROR");
  EXPECT_EQ(icon, QMessageBox::Question);
  EXPECT_EQ(owner, nullptr);

  test::WhenModalOpens([](QWidget* dialog) {
    qobject_cast<QMessageBox*>(dialog)->button(QMessageBox::Yes)->click();
  });
  EXPECT_TRUE(host_.ShowMessageBox(question));

  MessageBoxSpec error{"Could not open file: a.zmf The application will continue.", "ERROR",
                       MessageBoxSpec::Buttons::Ok, MessageBoxSpec::Icon::Information, true};
  QList<QAbstractButton*> buttons;
  test::WhenModalOpens([&](QWidget* dialog) {
    auto* box = qobject_cast<QMessageBox*>(dialog);
    buttons = box->buttons();
    icon = box->icon();
    owner = box->parentWidget();
    box->button(QMessageBox::Ok)->click();
  });
  EXPECT_TRUE(host_.ShowMessageBox(error));
  EXPECT_EQ(buttons.size(), 1);
  EXPECT_EQ(icon, QMessageBox::Information);
  EXPECT_EQ(owner, &mainWindow_);

  MessageBoxSpec shutdown{"Out of memory. The application cannot continue.", "SHUTDOWN ERROR",
                          MessageBoxSpec::Buttons::Ok, MessageBoxSpec::Icon::Stop, false};
  test::WhenModalOpens([&](QWidget* dialog) {
    auto* box = qobject_cast<QMessageBox*>(dialog);
    icon = box->icon();
    box->button(QMessageBox::Ok)->click();
  });
  host_.ShowMessageBox(shutdown);
  EXPECT_EQ(icon, QMessageBox::Critical);
}

TEST_F(QtHostTest, AskYesNoShowsCaptionOverTheMainWindow) {
  QString caption;
  QWidget* owner = nullptr;
  test::WhenModalOpens([&](QWidget* dialog) {
    auto* box = qobject_cast<QMessageBox*>(dialog);
    caption = box->windowTitle();
    owner = box->parentWidget();
    box->button(QMessageBox::Yes)->click();
  });
  EXPECT_TRUE(host_.AskYesNo("Delete everything?", "Delete All"));
  EXPECT_EQ(caption, "Delete All");
  EXPECT_EQ(owner, &mainWindow_);

  test::WhenModalOpens([](QWidget* dialog) {
    qobject_cast<QMessageBox*>(dialog)->button(QMessageBox::No)->click();
  });
  EXPECT_FALSE(host_.AskYesNo("Delete everything?", "Delete All"));
}

}  // namespace
}  // namespace zmf
