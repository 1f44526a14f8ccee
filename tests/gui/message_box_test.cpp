// The window's own message boxes, shown for real (no hook): ErrorOK's box and the
// application's OK/Cancel box, each answered by a timer as soon as it is up.

#include <QLabel>
#include <QTimer>

#include "tests/gui/window_fixture.h"

namespace {

struct SeenBox {
  QString title, text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QList<QMessageBox::StandardButton> buttons;
  bool onTop = false;
  QWidget* parent = nullptr;
};

// Answers the next modal message box with button, noting what it showed.
void AnswerNextBox(SeenBox& seen, QMessageBox::StandardButton button) {
  QTimer::singleShot(0, [&seen, button] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) {
      ADD_FAILURE() << "no message box is up";
      return;
    }
    seen.title = box->windowTitle();
    seen.text = box->text();
    seen.icon = box->icon();
    for (QAbstractButton* b : box->buttons()) seen.buttons << box->standardButton(b);
    seen.onTop = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    seen.parent = box->parentWidget();
    box->button(button)->click();
  });
}

TEST_F(WindowTest, ErrorOKShowsAModalBoxOnTopOfTheWindowAndLogsIt) {
  TfrmMain& w = Open();
  w.SetMessageHook(nullptr);
  struct Case {
    MessageKind kind;
    QMessageBox::Icon icon;
  };
  const Case cases[] = {{MessageKind::Error, QMessageBox::Critical},
                        {MessageKind::Warning, QMessageBox::Warning},
                        {MessageKind::Information, QMessageBox::Information},
                        {MessageKind::Confirmation, QMessageBox::Question},
                        {MessageKind::Custom, QMessageBox::NoIcon}};
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(++n);
    SeenBox seen;
    AnswerNextBox(seen, QMessageBox::Ok);
    const QString text = QString("Line one %1\nline two").arg(n);
    w.ErrorOK(text, "A Title", c.kind);
    EXPECT_EQ(seen.title, "A Title");
    EXPECT_EQ(seen.text, text);
    EXPECT_EQ(seen.icon, c.icon);
    EXPECT_EQ(seen.buttons, QList<QMessageBox::StandardButton>{QMessageBox::Ok});
    EXPECT_TRUE(seen.onTop);
    EXPECT_EQ(seen.parent, &w);
    EXPECT_NE(Log().find("ErrorOK Told User:: " + text.toStdString() + "\r\n"), std::string::npos);
  }
}

TEST_F(WindowTest, QuestionsUseTheApplicationsOkCancelBoxAndAreNotLogged) {
  TfrmMain& w = Open();
  w.SetMessageHook(nullptr);
  for (auto button : {QMessageBox::Ok, QMessageBox::Cancel}) {
    SeenBox seen;
    AnswerNextBox(seen, button);
    const bool ok = w.AskOkCancel("Go on?", "Wrong Device");
    EXPECT_EQ(ok, button == QMessageBox::Ok);
    EXPECT_EQ(seen.title, "Wrong Device");
    EXPECT_EQ(seen.icon, QMessageBox::Warning);
    EXPECT_EQ(seen.buttons,
              (QList<QMessageBox::StandardButton>{QMessageBox::Ok, QMessageBox::Cancel}));
  }
  EXPECT_EQ(Log().find("Go on?"), std::string::npos);
}

TEST_F(WindowTest, TheDataFolderFallsBackToTheProgramsFolder) {
  // A data location that cannot be created: under a plain file.
  std::ofstream(dir.File("plain")) << "x";
  qputenv("XDG_DATA_HOME", dir.File("plain/data").c_str());
  TfrmMain& w = Open();
  const std::string folder = QCoreApplication::applicationDirPath().toStdString();
  EXPECT_EQ(w.state().dataFolder, folder);
  EXPECT_EQ(w.state().logFileName, folder + "/Vapora MTQ Firmware Updater.errors.txt");
  EXPECT_EQ(Control<QLabel>(w, "userText2")->text(), "MTQ 3.61");
}

}  // namespace
