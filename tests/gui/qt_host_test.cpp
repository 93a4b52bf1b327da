// The Qt host's dialogs: the prompt, message boxes and Yes/No questions, driven by key presses
// and clicks.
#include "app/qt_host.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <array>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/prompt_dialog.h"
#include "edit/reduce.h"
#include "modal.h"
#include "model/scripted_host.h"

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
  const std::vector<std::array<std::string, 3>> cases = {
      {"Enter rotation (pitch,yaw,roll):0.000 1.570 0.000", "Enter rotation (pitch,yaw,roll)",
       "0.000 1.570 0.000"},
      {"Enter name:a:b:", "Enter name", "a:b:"},
      {"Enter bone name:", "Enter bone name", ""},
      {"no colon here", "", ""},
  };
  for (const auto& [text, caption, answer] : cases) {
    const app::PromptText split = app::SplitPromptText(text);
    EXPECT_EQ(split.caption, caption) << text;
    EXPECT_EQ(split.answer, answer) << text;
  }
}

// What a message box showed.
struct Shown {
  QString text, title;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QWidget* owner = nullptr;
  qsizetype buttons = 0;
};

class QtHostTest : public ::testing::Test {
 protected:
  // Runs `prompt` while `act` works its dialog.
  std::optional<std::string> Prompt(const std::string& prompt, std::function<void(QWidget*)> act) {
    test::WhenModalOpens(std::move(act));
    return host_.Prompt(prompt);
  }
  // Runs `show` while answering the message box it opens with `button`; returns show's result.
  bool Answer(QMessageBox::StandardButton button, const std::function<bool()>& show) {
    test::WhenModalOpens([this, button](QWidget* dialog) {
      auto* box = qobject_cast<QMessageBox*>(dialog);
      ASSERT_NE(box, nullptr);
      shown_ = {box->text(), box->windowTitle(), box->icon(), box->parentWidget(),
                box->buttons().size()};
      box->button(button)->click();
    });
    return show();
  }

  QWidget mainWindow_;
  app::QtHost host_{&mainWindow_};
  Shown shown_;
};

TEST_F(QtHostTest, PromptShowsCaptionAndDefaultAndAnswersOnOkOrEnterOnly) {
  QString caption, question, shownDefault;
  EXPECT_EQ(Prompt("Enter translation (x,y,z):0.000 0.000 0.000",
                   [&](QWidget* dialog) {
                     caption = dialog->windowTitle();
                     // The question is asked inside the dialog too, above the answer.
                     auto* label = dialog->findChild<QLabel*>(QStringLiteral("question"));
                     ASSERT_NE(label, nullptr);
                     ASSERT_LT(label->geometry().bottom(), EditOf(dialog)->geometry().top());
                     question = label->text();
                     ASSERT_NE(EditOf(dialog), nullptr);
                     shownDefault = EditOf(dialog)->text();
                     EditOf(dialog)->clear();
                     QTest::keyClicks(EditOf(dialog), "1 2 3");
                     QTest::mouseClick(ButtonOf(dialog, "OK"), Qt::LeftButton);
                   }),
            std::optional<std::string>("1 2 3"));
  EXPECT_EQ(caption, "Enter translation (x,y,z)");
  EXPECT_EQ(question, "Enter translation (x,y,z)");
  EXPECT_EQ(shownDefault, "0.000 0.000 0.000");

  EXPECT_EQ(Prompt("Enter new material name:mat0",
                   [](QWidget* dialog) { QTest::keyClick(EditOf(dialog), Qt::Key_Return); }),
            std::optional<std::string>("mat0"));
  EXPECT_EQ(Prompt("Enter new bone name:bone0",
                   [](QWidget* dialog) {
                     QTest::keyClicks(EditOf(dialog), "typed");
                     QTest::mouseClick(ButtonOf(dialog, "Cancel"), Qt::LeftButton);
                   }),
            std::nullopt);
  EXPECT_EQ(Prompt("Enter new bone name:bone0",
                   [](QWidget* dialog) { QTest::keyClick(EditOf(dialog), Qt::Key_Escape); }),
            std::nullopt);

  // The answer is cut to 99 characters.
  const std::string typed(120, 'x');
  EXPECT_EQ(Prompt("Enter bone name:",
                   [&](QWidget* dialog) {
                     EditOf(dialog)->setText(QString::fromStdString(typed));
                     QTest::mouseClick(ButtonOf(dialog, "OK"), Qt::LeftButton);
                   }),
            std::optional<std::string>(typed.substr(0, 99)));
}

TEST_F(QtHostTest, MessageBoxesAndQuestionsShowTheCoresTextsAndReportTheAnswer) {
  const MessageBoxRequest question{"Disk full. Continue the application?", "SERIOUS ERROR",
                                   MessageBoxRequest::Buttons::YesNo,
                                   MessageBoxRequest::Icon::Question, false};
  EXPECT_FALSE(Answer(QMessageBox::No, [&] { return host_.ShowMessageBox(question); }));
  EXPECT_EQ(shown_.text, "Disk full. Continue the application?");
  EXPECT_EQ(shown_.title, "SERIOUS ERROR");
  EXPECT_EQ(shown_.icon, QMessageBox::Question);
  EXPECT_EQ(shown_.owner, nullptr);
  EXPECT_TRUE(Answer(QMessageBox::Yes, [&] { return host_.ShowMessageBox(question); }));

  const MessageBoxRequest error{"Could not open file: a.zmf The application will continue.",
                                "ERROR", MessageBoxRequest::Buttons::Ok,
                                MessageBoxRequest::Icon::Information, true};
  EXPECT_TRUE(Answer(QMessageBox::Ok, [&] { return host_.ShowMessageBox(error); }));
  EXPECT_EQ(shown_.buttons, 1);
  EXPECT_EQ(shown_.icon, QMessageBox::Information);
  EXPECT_EQ(shown_.owner, &mainWindow_);

  const MessageBoxRequest warning{
      "Texture files should be powers of 2 in dimension: a.bmp The "
      "application will continue.",
      "Warning", MessageBoxRequest::Buttons::Ok, MessageBoxRequest::Icon::Warning, true};
  EXPECT_TRUE(Answer(QMessageBox::Ok, [&] { return host_.ShowMessageBox(warning); }));
  EXPECT_EQ(shown_.text, QString::fromStdString(warning.text));
  EXPECT_EQ(shown_.title, "Warning");
  EXPECT_EQ(shown_.icon, QMessageBox::Warning);

  const MessageBoxRequest shutdown{"Out of memory. The application cannot continue.",
                                   "SHUTDOWN ERROR", MessageBoxRequest::Buttons::Ok,
                                   MessageBoxRequest::Icon::Stop, false};
  Answer(QMessageBox::Ok, [&] { return host_.ShowMessageBox(shutdown); });
  EXPECT_EQ(shown_.icon, QMessageBox::Critical);

  // Yes/No questions show their caption over the main window, and their text in the box.
  EXPECT_TRUE(
      Answer(QMessageBox::Yes, [&] { return host_.AskYesNo("Delete all?", "Delete All"); }));
  EXPECT_EQ(shown_.title, "Delete All");
  EXPECT_EQ(shown_.text, "Delete all?");
  EXPECT_EQ(shown_.owner, &mainWindow_);
  EXPECT_FALSE(
      Answer(QMessageBox::No, [&] { return host_.AskYesNo("Delete all?", "Delete All"); }));
}

TEST_F(QtHostTest, CancelAndEscapeRunNothingAndAnswersToAllAreOffered) {
  std::optional<bool> answer = true;
  Answer(QMessageBox::Cancel, [&] { return (answer = host_.AskYesNoCancel("Split?", "S")), true; });
  EXPECT_EQ(answer, std::nullopt);
  EXPECT_EQ(shown_.buttons, 3);
  test::WhenModalOpens([](QWidget* box) { QTest::keyClick(box, Qt::Key_Escape); });
  EXPECT_EQ(host_.AskYesNoCancel("Split?", "S"), std::nullopt);
  Answer(QMessageBox::No, [&] { return (answer = host_.AskYesNoCancel("Split?", "S")), true; });
  EXPECT_EQ(answer, false);

  EachAnswer each = EachAnswer::No;
  Answer(QMessageBox::YesToAll, [&] { return (each = host_.AskForEach("Load?", "L")), true; });
  EXPECT_EQ(each, EachAnswer::YesToAll);
  EXPECT_EQ(shown_.buttons, 4);
  Answer(QMessageBox::NoToAll, [&] { return (each = host_.AskForEach("Load?", "L")), true; });
  EXPECT_EQ(each, EachAnswer::NoToAll);
}

TEST_F(QtHostTest, LongWorkShowsItsProgressAfterHalfASecondAndNotAfterItEnds) {
  ManualClock clock;
  host_.SetProgressClock(clock);
  const auto dialog = [this] { return mainWindow_.findChild<QProgressDialog*>(); };

  // Short work shows nothing.
  host_.Progress("Reading a.zmf...", 0.0f);
  clock.Advance(0.4f);
  host_.Progress("Reading a.zmf...", 0.9f);
  EXPECT_EQ(dialog(), nullptr);
  host_.Progress("Reading a.zmf...", 1.0f);

  // Long work shows its text and how far it has come, and the dialog goes at the end.
  clock.Advance(10.0f);
  host_.Progress("Welding vertices...", 0.0f);
  clock.Advance(0.3f);
  host_.Progress("Welding vertices...", 0.2f);
  EXPECT_EQ(dialog(), nullptr);
  clock.Advance(0.3f);
  host_.Progress("Welding vertices...", 0.25f);
  ASSERT_NE(dialog(), nullptr);
  EXPECT_EQ(dialog()->labelText(), "Welding vertices...");
  EXPECT_EQ(dialog()->value() * 4, dialog()->maximum());
  EXPECT_FALSE(mainWindow_.updatesEnabled());
  host_.Progress("Welding vertices...", 1.0f);
  EXPECT_EQ(dialog(), nullptr);
  EXPECT_TRUE(mainWindow_.updatesEnabled());

  // Without a user nothing shows, however long the work.
  host_.SetUnattended(true);
  host_.Progress("Reducing...", 0.0f);
  clock.Advance(5.0f);
  host_.Progress("Reducing...", 0.5f);
  EXPECT_EQ(dialog(), nullptr);
}

// A clock for long work in the window: each reading is a tenth of a second after the last, and
// notes what the progress dialog shows at that moment.
class WorkClock final : public Clock {
 public:
  explicit WorkClock(const QWidget& window) : window_(window) {}
  float Seconds() const override {
    if (const auto* dialog = window_.findChild<QProgressDialog*>()) {
      shown.emplace_back(dialog->labelText(), dialog->value());
    }
    return seconds_ += 0.1f;
  }
  mutable std::vector<std::pair<QString, int>> shown;

 private:
  const QWidget& window_;
  mutable float seconds_ = 0.0f;
};

TEST_F(QtHostTest, ReducingVerticesShowsItsProgressFromStartToEnd) {
  WorkClock clock(mainWindow_);
  host_.SetProgressClock(clock);
  RecordingTextureStore textures;
  Model model{host_, textures};
  constexpr int kSide = 60;
  std::vector<Vertex*> grid;
  for (int i = 0; i < kSide * kSide; ++i) {
    grid.push_back(model.AppendVertex());
    model.SetVertex(grid.back(), {float(i % kSide), float(i / kSide), float(i % 7)}, {0, 0, 1}, 0,
                    0);
  }
  for (int i = 0; i + kSide + 1 < kSide * kSide; ++i) {
    if (i % kSide == kSide - 1) continue;
    model.MakeFace(grid[i], grid[i + 1], grid[i + kSide + 1]);
    model.MakeFace(grid[i], grid[i + kSide + 1], grid[i + kSide]);
  }
  model.SelectAll();
  edit::ReduceSelectedVertices(model, 10.0);
  ASSERT_EQ(model.vertices.count(), 3240u);

  // The dialog comes up half a second in and then moves on at every hundredth, through the
  // first candidates and the collapses alike, until it goes at the end.
  ASSERT_GE(clock.shown.size(), 90u);
  for (std::size_t i = 0; i < clock.shown.size(); ++i) {
    EXPECT_EQ(clock.shown[i].first, "Reducing vertices...");
    if (i > 0) {
      EXPECT_GT(clock.shown[i].second, clock.shown[i - 1].second) << i;
    }
  }
  EXPECT_LE(clock.shown.front().second, 100);
  EXPECT_GE(clock.shown.back().second, 980);
  EXPECT_EQ(mainWindow_.findChild<QProgressDialog*>(), nullptr);
}

}  // namespace
}  // namespace zmf
