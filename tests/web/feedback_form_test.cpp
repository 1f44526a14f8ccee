// The feedback form against a local feedback script.

#include <gtest/gtest.h>
#include <sys/file.h>

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHttpMultiPart>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "serial/quil_log.h"
#include "tests/web/multipart_reader.h"
#include "tests/web/web_fixture.h"
#include "web/describe_windows.h"
#include "web/version_texts.h"

namespace {

const QByteArray kScript = "/php-bin/app_feedback.php";
const QString kProgram = "Vapora MTQ Firmware Updater";

void WriteFile(const QString& path, const QByteArray& content) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(content);
}

void MakeFileOfSize(const QString& path, qint64 size) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  ASSERT_TRUE(file.resize(size));
}

class FeedbackTest : public WebFormTest {
 protected:
  void SetUp() override {
    WebFormTest::SetUp();
    ASSERT_TRUE(dir.isValid());
    logPath = dir.filePath(kProgram + ".errors.txt");
    WriteFile(logPath, "1 Jan 2024 10:00:00 - QuilBSL frmMain: started\r\n");
    server.Route("GET", "/", TestRoute{false, 200, "<html>service</html>"});
    server.Route("POST", kScript, TestRoute{false, 200, "Feedback mailed. Script Completed"});
    form.SetFormInfo(kProgram, "MTQ 3.61", "", "", "support@example.com", logPath, "", "",
                     dir.path());
    form.SetFileChooser([this](const QString& folder) {
      chooserFolder = folder;
      return chosenFile;
    });
  }

  // Opens the form and fills in a sender that passes the checks.
  void OpenWithSender() {
    ASSERT_TRUE(form.OpenFeedbackForm());
    ASSERT_TRUE(shown.empty());
    Control<QLineEdit>(form, "edName")->setText("Ada Field");
    Control<QLineEdit>(form, "edCompany")->setText("Field Works");
    Control<QLineEdit>(form, "edEmail")->setText("ada@example.net");
    Control<QLineEdit>(form, "edTelephone")->setText("+1 555 0100");
    Control<QPlainTextEdit>(form, "reDescription")->setPlainText("The logger lost its clock.");
  }

  const TestRequest* Post() const {
    for (const TestRequest& request : server.requests) {
      if (request.method == "POST") return &request;
    }
    return nullptr;
  }

  std::vector<ReceivedPart> PostedParts() const {
    const TestRequest* post = Post();
    if (post == nullptr) return {};
    return ReadMultipart(post->body, BoundaryOf(post->Header("Content-Type")));
  }

  QTemporaryDir dir;
  QString logPath;
  QString chosenFile;
  QString chooserFolder;
};

TEST_F(FeedbackTest, OpeningTestsTheServiceAndResetsTheForm) {
  QSettings stored("Quillon Devices, Inc", "FeedbackForm");
  stored.setValue("Name", "Stored Name");
  stored.setValue("Phone", "555");
  stored.setValue("EmailTo", "rep@example.org");
  stored.setValue("Company", QStringList{"not", "text"});  // wrong type counts as missing
  stored.sync();
  form.SetFormInfo(kProgram, "MTQ 3.61", "", "Registered Co", "support@example.com", logPath, "",
                   "", dir.path());

  ASSERT_TRUE(form.OpenFeedbackForm());
  EXPECT_TRUE(shown.empty());
  EXPECT_TRUE(form.isVisible());
  ASSERT_EQ(server.requests.size(), 1u);
  EXPECT_EQ(server.requests[0].path, "/");
  EXPECT_EQ(form.windowTitle(), "Send Feedback to Quillon");
  EXPECT_EQ(Control<QLineEdit>(form, "edName")->text(), "Stored Name");
  EXPECT_EQ(Control<QLineEdit>(form, "edCompany")->text(), "Registered Co");
  EXPECT_EQ(Control<QLineEdit>(form, "edTelephone")->text(), "555");
  EXPECT_EQ(Control<QLineEdit>(form, "edEmail")->text(), "");
  EXPECT_EQ(Control<QLineEdit>(form, "edEmailTo")->text(), "rep@example.org");
  EXPECT_EQ(Control<QComboBox>(form, "cbRespondVia")->currentIndex(), 1);
  EXPECT_EQ(Control<QComboBox>(form, "cbFeedbackType")->currentIndex(), 0);
  EXPECT_EQ(Control<QLabel>(form, "lblDescription")->text(), "Please describe the feedback below");
  EXPECT_FALSE(Control<QCheckBox>(form, "chkErrorLog")->isChecked());
  EXPECT_EQ(Control<QCheckBox>(form, "chkErrorLog")->text(),
            "Include Vapora MTQ Firmware Updater error log files");
  EXPECT_FALSE(Control<QProgressBar>(form, "pbWeb")->isVisible());
  EXPECT_TRUE(Control<QPushButton>(form, "btnSend")->isDefault());
}

TEST_F(FeedbackTest, UnreachableServiceKeepsTheFormClosed) {
  qputenv("QUILBSL_SERVICE_URL", HttpTestServer::DeadUrl().toUtf8());
  EXPECT_FALSE(form.OpenFeedbackForm());
  EXPECT_FALSE(form.isVisible());
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].caption, "Internet Access Error");
  EXPECT_EQ(shown[0].kind, kDialogError);
  EXPECT_TRUE(shown[0].text.startsWith(
      "Error connecting to Quillon's customer feedback internet service.\n\n"
      "This feature requires your computer to be connected to the internet\n"
      "and be able to contact Quillon's Web Site (www.example.com).\n\n"
      "Please make a connection to the internet and try again.\n\nError: "))
      << shown[0].text.toStdString();
}

TEST_F(FeedbackTest, FeedbackTypeSetsWordLabelAndLogs) {
  struct TypeCase {
    int index;
    const char* word;
    const char* label;
    bool logs;
  };
  const TypeCase cases[] = {
      {0, "General Feedback", "Please describe the feedback below", false},
      {1, "Feature Suggestion", "Please describe the feature suggestion below", false},
      {2, "Bug Report", "Please describe the bug or issue below", true},
      {3, "Other Feedback", "Please describe the other feedback below", false},
  };
  ASSERT_TRUE(form.OpenFeedbackForm());
  for (const TypeCase& c : cases) {
    Control<QComboBox>(form, "cbFeedbackType")->setCurrentIndex(c.index);
    EXPECT_EQ(form.FeedbackWord(), c.word);
    EXPECT_EQ(Control<QLabel>(form, "lblDescription")->text(), c.label);
    EXPECT_EQ(Control<QCheckBox>(form, "chkErrorLog")->isChecked(), c.logs);
  }
}

struct SendCheckCase {
  const char* label;
  const char* name;
  const char* email;
  const char* telephone;
  int respondVia;
  const char* emailTo;
  const char* caption;
  const char* text;
  const char* focus;
};

const SendCheckCase kSendChecks[] = {
    {"name first, whatever else is wrong", "", "a b", "", 1, "bad", "Missing Information",
     "Please enter your name in the name field", "edName"},
    {"a blank name is no name", "   ", "", "", 0, "", "Missing Information",
     "Please enter your name in the name field", "edName"},
    {"a way to answer before the addresses", "Ada", "", "", 1, "bad", "Missing Information",
     "Please enter your phone number or email address so Quillon can respond to your feedback.",
     "edTelephone"},
    {"representative before own address; no answer wanted needs no contact", "Ada", "", "", 0,
     "rep.example.org", "Bad Email Address",
     "The email address you entered for your Quillon\nRepresentative isn't complete.\n\n"
     "Please enter a complete email address including\nthe '@' symbol and domain name.",
     "edEmailTo"},
    {"representative before own address", "Ada", "ada.example.net", "", 1, "rep",
     "Bad Email Address",
     "The email address you entered for your Quillon\nRepresentative isn't complete.\n\n"
     "Please enter a complete email address including\nthe '@' symbol and domain name.",
     "edEmailTo"},
    {"own address without @", "Ada", "ada.example.net", "", 1, "", "Bad Email Address",
     "The email address you entered doesn't seem to be correct.\n\n"
     "Please enter a complete email address including\nthe '@' symbol and domain name.",
     "edEmail"},
    {"own address with a space", "Ada", "ada @example.net", "", 1, "rep@example.org",
     "Bad Email Address",
     "The email address you entered doesn't seem to be correct.\n\n"
     "Please enter a complete email address including\nthe '@' symbol and domain name.\n\n"
     "Please remove any space characters in the email address.",
     "edEmail"},
};

TEST_F(FeedbackTest, SendChecksRunInOrderAndStopBeforeAnyWrite) {
  ASSERT_TRUE(form.OpenFeedbackForm());
  form.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  for (const SendCheckCase& c : kSendChecks) {
    SCOPED_TRACE(c.label);
    shown.clear();
    Control<QLineEdit>(form, "edName")->setText(c.name);
    Control<QLineEdit>(form, "edEmail")->setText(c.email);
    Control<QLineEdit>(form, "edTelephone")->setText(c.telephone);
    Control<QComboBox>(form, "cbRespondVia")->setCurrentIndex(c.respondVia);
    Control<QLineEdit>(form, "edEmailTo")->setText(c.emailTo);
    Control<QPushButton>(form, "btnSend")->setFocus();
    form.btnSendClick();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, c.caption);
    EXPECT_EQ(shown[0].text, c.text);
    EXPECT_EQ(shown[0].kind, kDialogWarning);
    EXPECT_FALSE(shown[0].yesNo);
    EXPECT_EQ(QApplication::focusWidget(), form.findChild<QWidget*>(c.focus));
    EXPECT_TRUE(form.isVisible());
  }
  EXPECT_TRUE(QSettings("Quillon Devices, Inc", "FeedbackForm").allKeys().isEmpty());
  EXPECT_EQ(Post(), nullptr);
}

TEST_F(FeedbackTest, NoContactIsFineWhenNoAnswerIsWanted) {
  OpenWithSender();
  Control<QLineEdit>(form, "edEmail")->clear();
  Control<QLineEdit>(form, "edTelephone")->clear();
  Control<QComboBox>(form, "cbRespondVia")->setCurrentIndex(0);
  form.btnSendClick();
  ASSERT_NE(Post(), nullptr);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].caption, "Feedback Successfully Sent");
}

TEST_F(FeedbackTest, GeneralFeedbackPostsTheFieldsInOrderWithoutTheLog) {
  OpenWithSender();
  form.btnSendClick();

  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].caption, "Feedback Successfully Sent");
  EXPECT_EQ(shown[0].text, "Thank you for submitting your General Feedback.");
  EXPECT_EQ(shown[0].kind, kDialogInformation);
  EXPECT_FALSE(form.isVisible());

  const TestRequest* post = Post();
  ASSERT_NE(post, nullptr);
  EXPECT_TRUE(post->Header("Content-Type").startsWith("multipart/form-data"));
  EXPECT_EQ(post->Header("User-Agent"), "Mozilla/3.0 (compatible; Indy Library)");
  const std::vector<std::pair<QByteArray, QString>> expected = {
      {"EmailTo", "support@example.com"},
      {"EmailSubject", "Vapora MTQ Firmware Updater General Feedback"},
      {"Name", "Ada Field"},
      {"Company Name", "Field Works"},
      {"Email", "ada@example.net"},
      {"Telephone", "+1 555 0100"},
      {"Respond Via", "Email"},
      {"Registered Name", ""},
      {"Registered Company", ""},
      {"Software Version", "Vapora MTQ Firmware Updater version MTQ 3.61"},
      {"Installation Path", QCoreApplication::applicationFilePath()},
      {"Computer Information", QString::fromStdString(DescribeRunningSystem())},
      {"Feedback", "The logger lost its clock."},
  };
  const std::vector<ReceivedPart> parts = PostedParts();
  ASSERT_EQ(parts.size(), expected.size()) << post->body.toStdString();
  for (std::size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(expected[i].first.toStdString());
    EXPECT_EQ(parts[i].name, expected[i].first);
    EXPECT_EQ(QString::fromUtf8(parts[i].body), expected[i].second);
    EXPECT_FALSE(parts[i].hasFileName);
  }

  QSettings stored("Quillon Devices, Inc", "FeedbackForm");
  EXPECT_EQ(stored.value("Name").toString(), "Ada Field");
  EXPECT_EQ(stored.value("Company").toString(), "Field Works");
  EXPECT_EQ(stored.value("Phone").toString(), "+1 555 0100");
  EXPECT_EQ(stored.value("Email").toString(), "ada@example.net");
  EXPECT_EQ(stored.value("EmailTo").toString(), "");
}

TEST_F(FeedbackTest, BugReportCarriesTheLogThenTheChosenFile) {
  const QString dataPath = dir.filePath("readings \"May\".csv");
  WriteFile(dataPath, "time,temp\n1,20.5\n");
  chosenFile = dataPath;
  OpenWithSender();
  Control<QComboBox>(form, "cbFeedbackType")->setCurrentIndex(2);
  Control<QComboBox>(form, "cbRespondVia")->setCurrentIndex(3);
  Control<QLineEdit>(form, "edEmailTo")->setText("rep@example.org");
  form.btnSendFileClick();
  EXPECT_EQ(chooserFolder, dir.path());
  EXPECT_EQ(Control<QLineEdit>(form, "edSendFile")->text(), "readings \"May\".csv");
  form.btnSendClick();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].text, "Thank you for submitting your Bug Report.");

  const std::vector<ReceivedPart> parts = PostedParts();
  ASSERT_EQ(parts.size(), 15u);
  EXPECT_EQ(parts[0].body, "rep@example.org");
  EXPECT_EQ(parts[1].body, "Vapora MTQ Firmware Updater Bug Report");
  EXPECT_EQ(parts[6].body, "Telephone (mid day is best)");

  const ReceivedPart& log = parts[13];
  EXPECT_EQ(log.name, (kProgram + ".errors.txt").toUtf8());
  EXPECT_EQ(log.fileName, logPath.toUtf8());
  EXPECT_EQ(log.contentType, "text/plain");
  EXPECT_EQ(log.body, "1 Jan 2024 10:00:00 - QuilBSL frmMain: started\r\n");

  const ReceivedPart& data = parts[14];
  // A quote would end the header parameter: it travels percent-encoded.
  EXPECT_EQ(data.name, "readings %22May%22.csv");
  EXPECT_EQ(data.fileName, dir.filePath("readings %22May%22.csv").toUtf8());
  EXPECT_EQ(data.contentType, "text/csv");
  EXPECT_EQ(data.body, "time,temp\n1,20.5\n");
}

TEST_F(FeedbackTest, MissingLogOfABugReportIsLeftOutSilently) {
  QFile::remove(logPath);
  OpenWithSender();
  Control<QComboBox>(form, "cbFeedbackType")->setCurrentIndex(2);
  form.btnSendClick();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].caption, "Feedback Successfully Sent");
  EXPECT_EQ(PostedParts().size(), 13u);
}

TEST_F(FeedbackTest, ReplyWithoutScriptCompletedKeepsTheFormWithoutAnErrorLine) {
  server.Route("POST", kScript, TestRoute{false, 200, "Mail server down"});
  OpenWithSender();
  form.btnSendClick();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].caption, "Error Sending Feedback");
  EXPECT_EQ(
      shown[0].text,
      "There was an error trying to send your General Feedback to Quillon.\n\nPlease try again.");
  EXPECT_EQ(shown[0].kind, kDialogWarning);
  EXPECT_TRUE(form.isVisible());
  EXPECT_EQ(Control<QLineEdit>(form, "edName")->text(), "Ada Field");
  EXPECT_EQ(Control<QPlainTextEdit>(form, "reDescription")->toPlainText(),
            "The logger lost its clock.");
  EXPECT_TRUE(Control<QPushButton>(form, "btnSend")->isEnabled());
}

TEST_F(FeedbackTest, FailedLogAttachmentDoesNotLeakIntoTheErrorMessage) {
  QFile::remove(logPath);
  server.Route("POST", kScript, TestRoute{false, 200, "Mail server down"});
  OpenWithSender();
  Control<QComboBox>(form, "cbFeedbackType")->setCurrentIndex(2);
  form.btnSendClick();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].text,
            "There was an error trying to send your Bug Report to Quillon.\n\nPlease try again.");
}

TEST_F(FeedbackTest, HttpErrorStatusGivesTheErrorLine) {
  server.Route("POST", kScript, TestRoute{false, 500, "Script Completed"});
  OpenWithSender();
  form.btnSendClick();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].caption, "Error Sending Feedback");
  EXPECT_TRUE(
      shown[0].text.startsWith("There was an error trying to send your General Feedback to "
                               "Quillon.\n\nPlease try again.\n\nError: "));
  EXPECT_TRUE(form.isVisible());
}

TEST_F(FeedbackTest, ScriptThatNeverRepliesTimesOut) {
  server.Route("POST", kScript, TestRoute{true});
  OpenWithSender();
  form.SetRequestTimeoutMs(300);
  form.btnSendClick();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_TRUE(shown[0].text.endsWith("\n\nError: The service did not answer within 0.3 seconds."))
      << shown[0].text.toStdString();
  EXPECT_FALSE(form.Sending());
}

TEST_F(FeedbackTest, ClosingTheFormAbortsTheUpload) {
  server.Route("POST", kScript, TestRoute{true});
  bool sendingWhenClosed = false;
  server.onRequest = [&](const TestRequest& request) {
    if (request.method != "POST") return;
    sendingWhenClosed = form.Sending();
    QTimer::singleShot(0, &form, [&] { form.close(); });
  };
  OpenWithSender();
  form.btnSendClick();
  EXPECT_TRUE(sendingWhenClosed);
  EXPECT_FALSE(form.isVisible());
  EXPECT_TRUE(shown.empty()) << "no error for a form that the user closed";
  EXPECT_FALSE(form.LastError().isEmpty());
  EXPECT_EQ(form.LastError().indexOf("did not answer"), -1) << form.LastError().toStdString();
  EXPECT_FALSE(form.Sending());
}

TEST_F(FeedbackTest, ProgressBarShowsForUploadsAboveTwoMebibytes) {
  struct UploadCase {
    qint64 size;
    bool barShown;
  };
  for (const UploadCase& c : {UploadCase{3 * 1024 * 1024, true}, UploadCase{4096, false}}) {
    SCOPED_TRACE(c.size);
    shown.clear();
    server.requests.clear();
    chosenFile = dir.filePath("upload.bin");
    MakeFileOfSize(chosenFile, c.size);
    bool barVisible = false;
    server.onRequest = [&](const TestRequest& request) {
      if (request.method == "POST") barVisible = Control<QProgressBar>(form, "pbWeb")->isVisible();
    };
    OpenWithSender();
    form.btnSendFileClick();
    form.btnSendClick();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, "Feedback Successfully Sent");
    EXPECT_EQ(barVisible, c.barShown);
    EXPECT_FALSE(Control<QProgressBar>(form, "pbWeb")->isVisible());
    const std::vector<ReceivedPart> parts = PostedParts();
    ASSERT_EQ(parts.size(), 14u);
    EXPECT_EQ(parts.back().body.size(), c.size);
    EXPECT_EQ(parts.back().contentType, "application/octet-stream");
  }
}

TEST_F(FeedbackTest, FileOfEightMebibytesIsAcceptedOneByteMoreIsNot) {
  ASSERT_TRUE(form.OpenFeedbackForm());
  chosenFile = dir.filePath("limit.dat");
  MakeFileOfSize(chosenFile, 8388608);
  form.btnSendFileClick();
  EXPECT_TRUE(shown.empty());
  EXPECT_EQ(Control<QLineEdit>(form, "edSendFile")->text(), "limit.dat");

  chosenFile = dir.filePath("over.dat");
  MakeFileOfSize(chosenFile, 8388609);
  form.btnSendFileClick();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].caption, "File Size Error");
  EXPECT_EQ(shown[0].kind, kDialogError);
  EXPECT_EQ(shown[0].text,
            "The file \"over.dat\" is too big.\n\n"
            "The maximun file size you can send with your feedback\n"
            "is 8 megabytes (this file is 8.0 MB).\n\n"
            "Please choose a different file to send.");
  EXPECT_EQ(Control<QLineEdit>(form, "edSendFile")->text(), "");
}

TEST_F(FeedbackTest, CancelledFileDialogChoosesNothing) {
  ASSERT_TRUE(form.OpenFeedbackForm());
  chosenFile = dir.filePath("first.txt");
  WriteFile(chosenFile, "x");
  form.btnSendFileClick();
  chosenFile.clear();
  form.btnSendFileClick();
  EXPECT_EQ(Control<QLineEdit>(form, "edSendFile")->text(), "");
  EXPECT_TRUE(shown.empty());
}

TEST_F(FeedbackTest, ChosenFileThatVanishedStopsTheSend) {
  chosenFile = dir.filePath("gone.txt");
  WriteFile(chosenFile, "soon gone");
  OpenWithSender();
  form.btnSendFileClick();
  QFile::remove(chosenFile);
  form.btnSendClick();
  EXPECT_EQ(Post(), nullptr);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].caption, "Error Reading File");
  EXPECT_EQ(
      shown[0].text,
      "Error sending the file \"gone.txt\". \nThe file is empty or can't be found on the system."
      "\n\nPlease check your file name and try again.");
  EXPECT_TRUE(form.isVisible());
}

TEST_F(FeedbackTest, AttachFileNamesWhatWentWrong) {
  const QString empty = dir.filePath("empty.txt");
  WriteFile(empty, "");
  const QString locked = dir.filePath("locked.txt");
  WriteFile(locked, "in use");
  QFile holder(locked);
  ASSERT_TRUE(holder.open(QIODevice::ReadOnly));
  ASSERT_EQ(::flock(holder.handle(), LOCK_EX), 0);
  struct AttachCase {
    QString path;
    QString text;
  };
  const AttachCase cases[] = {
      {dir.filePath("missing.txt"),
       "Error sending the file \"missing.txt\". \nThe file is empty or can't be found on the "
       "system."
       "\n\nPlease check your file name and try again."},
      {empty,
       "Error sending the file \"empty.txt\". \nThe file is empty or can't be found on the system."
       "\n\nPlease check your file name and try again."},
      {locked,
       "Error sending the file \"locked.txt\". \nThe file is open and in use with another "
       "application."
       "\n\nPlease close the file and try again."},
      {dir.path(), "Error sending the file \"" + QDir(dir.path()).dirName() +
                       "\". \n\nPlease try again.\n\nError: Is a directory"},
  };
  for (const AttachCase& c : cases) {
    SCOPED_TRACE(c.path.toStdString());
    shown.clear();
    QHttpMultiPart multi(QHttpMultiPart::FormDataType);
    EXPECT_FALSE(form.AttachFile(&multi, c.path, false));
    EXPECT_TRUE(shown.empty());
    EXPECT_FALSE(form.AttachFile(&multi, c.path, true));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, "Error Reading File");
    EXPECT_EQ(shown[0].text, c.text);
    EXPECT_EQ(shown[0].kind, kDialogError);
  }
  QHttpMultiPart multi(QHttpMultiPart::FormDataType);
  EXPECT_TRUE(form.AttachFile(&multi, logPath, true));
}

TEST_F(FeedbackTest, DescriptionIsLimitedTo2048Characters) {
  ASSERT_TRUE(form.OpenFeedbackForm());
  auto* description = Control<QPlainTextEdit>(form, "reDescription");
  description->setPlainText(QString(3000, 'x'));
  EXPECT_EQ(description->toPlainText().size(), 2048);
  description->setPlainText(QString(2047, 'x') + QString::fromUtf8("\xF0\x9F\x98\x80"));
  EXPECT_EQ(description->toPlainText().size(), 2047) << "a character is never cut in half";
}

TEST_F(FeedbackTest, SendWaitsWhileAnUpdateRuns) {
  OpenWithSender();
  form.SetUpdateRunning(true);
  EXPECT_FALSE(Control<QPushButton>(form, "btnSend")->isEnabled());
  form.btnSendClick();
  EXPECT_EQ(Post(), nullptr);
  form.SetUpdateRunning(false);
  EXPECT_TRUE(Control<QPushButton>(form, "btnSend")->isEnabled());
}

TEST_F(FeedbackTest, LaunchCutsTheLogToItsTail) {
  QuilLog log(logPath.toStdString(), 30);
  QByteArray big;
  for (int i = 0; big.size() < 40000; ++i)
    big += "1 Jan 2024 10:00:00 - QuilSerial: line " + QByteArray::number(i) + "\r\n";
  WriteFile(logPath, big);
  form.LaunchFeedback(&log, kProgram);
  EXPECT_TRUE(form.isVisible());
  QFile file(logPath);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray tail = file.readAll();
  EXPECT_LE(tail.size(), 32768);
  EXPECT_GT(tail.size(), 30000);
  EXPECT_TRUE(big.endsWith(tail));
}

TEST_F(FeedbackTest, LaunchNotesAnEmptyLog) {
  WriteFile(logPath, "");
  QuilLog log(logPath.toStdString(), 30);
  form.LaunchFeedback(&log, kProgram);
  EXPECT_TRUE(form.isVisible());
  QFile file(logPath);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray content = file.readAll();
  EXPECT_TRUE(content.endsWith(
      " - Vapora MTQ Firmware Updater: Launching web feedback with an empty error file.\r\n"))
      << content.toStdString();
}

}  // namespace
