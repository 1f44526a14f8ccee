// The feedback form: its handlers, the submission and the upload progress.

#include <QApplication>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QHttpMultiPart>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSettings>
#include <limits>

#include "serial/quil_log.h"
#include "ui_frm_web.h"
#include "web/deployment.h"
#include "web/describe_windows.h"
#include "web/feedback_choices.h"
#include "web/feedback_fields.h"
#include "web/feedback_parts.h"
#include "web/frm_web.h"
#include "web/http_exchange.h"
#include "web/service_address.h"
#include "web/version_texts.h"

namespace {

constexpr const char* kOrganisation = "Quillon Devices, Inc";
constexpr const char* kFeedbackApplication = "FeedbackForm";
constexpr const char* kFeedbackScriptPath = "/php-bin/app_feedback.php";
constexpr qint64 kMaxSendFileBytes = 8 * 1024 * 1024;
constexpr qint64 kProgressBarFromBytes = 2 * 1024 * 1024;
constexpr int kMaxDescriptionChars = 2048;
constexpr long kLogTailBytes = 32768;
// Replies of the service are short texts; a home page may be larger, but not this large.
constexpr qint64 kMaxReplyBytes = 16 << 20;

// A stored value of another type than text counts as missing.
QString StoredText(const QSettings& settings, const QString& key) {
  const QVariant value = settings.value(key);
  return value.typeId() == QMetaType::QString ? value.toString() : QString();
}

}  // namespace

int TfrmWeb::SetFormInfo(const WEB_FORM_INFO_TYPE& info) {
  info_ = info;
  return 1;
}

int TfrmWeb::SetFormInfo(const QString& programName, const QString& programVersion,
                         const QString& registeredName, const QString& registeredCompany,
                         const QString& defaultEmailTo, const QString& attachment1,
                         const QString& attachment2, const QString& attachment3,
                         const QString& browseFolder) {
  return SetFormInfo(WEB_FORM_INFO_TYPE{programName, programVersion, registeredName,
                                        registeredCompany, defaultEmailTo, attachment1, attachment2,
                                        attachment3, browseFolder});
}

void TfrmWeb::LaunchFeedback(const QuilLog* log, const QString& logSource) {
  if (log != nullptr && LogFileSize(log) > 0) {
    KeepTail(log, kLogTailBytes);
  } else {
    LogMessage(log, 10, logSource.toUtf8().constData(), "%s",
               "Launching web feedback with an empty error file.");
  }
  OpenFeedbackForm();
}

bool TfrmWeb::OpenFeedbackForm() {
  if (isVisible()) {  // already open: keep what the user has typed
    raise();
    activateWindow();
    return true;
  }
  if (requestRunning_) return false;

  QString error;
  const QUrl url = ServiceUrl("/", &error);
  if (url.isValid()) {
    requestRunning_ = true;
    const HttpOutcome reply =
        AwaitReply(HTTP->get(ServiceRequest(url)), requestTimeoutMs_, kMaxReplyBytes);
    requestRunning_ = false;
    error = reply.ok ? QString() : reply.error;
  }
  if (!url.isValid() || !error.isEmpty()) {
    QString text =
        QString("Error connecting to Quillon's customer feedback internet service.\n\n") +
        "This feature requires your computer to be connected to the internet\n" +
        "and be able to contact Quillon's Web Site (" + QString::fromUtf8(kWebSiteHost) + ")." +
        "\n\nPlease make a connection to the internet and try again.";
    if (!error.isEmpty()) text += "\n\nError: " + error;
    ShowMessageDialog(text, "Internet Access Error", false, kDialogError);
    return false;
  }
  show();
  raise();
  activateWindow();
  return true;
}

void TfrmWeb::FormShow() {
  QSettings settings(kOrganisation, kFeedbackApplication);
  ui->edName->setText(StoredText(settings, "Name"));
  ui->edCompany->setText(StoredText(settings, "Company"));
  ui->edTelephone->setText(StoredText(settings, "Phone"));
  ui->edEmail->setText(StoredText(settings, "Email"));
  representativeEmail_ = StoredText(settings, "EmailTo");

  if (!info_.registeredName.isEmpty()) ui->edName->setText(info_.registeredName);
  if (!info_.registeredCompany.isEmpty()) ui->edCompany->setText(info_.registeredCompany);
  ui->chkErrorLog->setText("Include " + info_.programName + " error log files");

  ui->edEmailTo->setText(representativeEmail_);
  ui->edSendFile->clear();
  sendFilePath_.clear();
  ui->reDescription->clear();
  ui->cbRespondVia->setCurrentIndex(1);
  ui->cbFeedbackType->setCurrentIndex(0);
  cbFeedbackTypeChange();
  ui->pbWeb->hide();
  sending_ = false;
  ui->btnSend->setEnabled(!updateRunning_ && !submitting_);
}

void TfrmWeb::FormClose() {
  if (sending_ && currentReply_) currentReply_->abort();
}

void TfrmWeb::cbFeedbackTypeChange() {
  const FeedbackType type = FeedbackTypeFor(ui->cbFeedbackType->currentIndex());
  feedbackWord_ = QString::fromUtf8(type.word);
  ui->lblDescription->setText(QString::fromUtf8(type.description));
  ui->chkErrorLog->setChecked(type.attachLogs);
}

void TfrmWeb::LimitDescription() {
  const QString text = ui->reDescription->toPlainText();
  if (text.size() <= kMaxDescriptionChars) return;
  qsizetype keep = kMaxDescriptionChars;
  if (text.at(keep - 1).isHighSurrogate()) --keep;
  const QSignalBlocker block(ui->reDescription);
  ui->reDescription->setPlainText(text.left(keep));
  ui->reDescription->moveCursor(QTextCursor::End);
}

void TfrmWeb::btnSendFileClick() {
  ui->edSendFile->clear();
  sendFilePath_.clear();
  const QString path = fileChooser_
                           ? fileChooser_(info_.browseFolder)
                           : QFileDialog::getOpenFileName(this, "Send File with Feedback",
                                                          info_.browseFolder, "Any File Type (*)");
  if (path.isEmpty()) return;

  const QFileInfo fileInfo(path);
  QFile file(path);
  if (!fileInfo.isFile() || !file.open(QIODevice::ReadOnly)) {
    const QString why =
        fileInfo.exists() && !fileInfo.isFile() ? "Not a regular file." : file.errorString();
    ShowMessageDialog(AttachErrorText(path, AttachError{AttachFailure::Other, why}),
                      "Error Reading File", false, kDialogError);
    return;
  }
  const qint64 size = file.size();
  const QString name = FileNameOnly(path);
  if (size <= kMaxSendFileBytes) {
    ui->edSendFile->setText(name);
    sendFilePath_ = path;
    return;
  }
  ShowMessageDialog("The file \"" + name + "\" is too big.\n\n" +
                        "The maximun file size you can send with your feedback\n" +
                        "is 8 megabytes (this file is " +
                        QString::number(static_cast<double>(size) / 1048576.0, 'f', 1) + " MB)." +
                        "\n\nPlease choose a different file to send.",
                    "File Size Error", false, kDialogError);
}

void TfrmWeb::btnSendClick() {
  if (updateRunning_ || submitting_) return;
  lastError_.clear();
  const QString email = ui->edEmail->text();
  auto refuse = [this](const QString& text, const QString& caption, QWidget* focus) {
    ShowMessageDialog(text, caption, false, kDialogWarning);
    focus->setFocus();
  };
  if (ui->edName->text().trimmed().isEmpty()) {
    refuse("Please enter your name in the name field", "Missing Information", ui->edName);
    return;
  }
  if (email.isEmpty() && ui->edTelephone->text().isEmpty() &&
      ui->cbRespondVia->currentIndex() != 0) {
    refuse(QString("Please enter your phone number or email address so Quillon ") +
               "can respond to your feedback.",
           "Missing Information", ui->edTelephone);
    return;
  }
  const QString emailTo = ui->edEmailTo->text();
  if (!emailTo.isEmpty() && !emailTo.contains('@')) {
    refuse(QString("The email address you entered for your Quillon\n") +
               "Representative isn't complete.\n\n" +
               "Please enter a complete email address including\n" +
               "the '@' symbol and domain name.",
           "Bad Email Address", ui->edEmailTo);
    return;
  }
  if (!email.isEmpty() && (!email.contains('@') || email.contains(' '))) {
    QString text = QString("The email address you entered doesn't seem to be correct.\n\n") +
                   "Please enter a complete email address including\n" +
                   "the '@' symbol and domain name.";
    if (email.contains(' ')) text += "\n\nPlease remove any space characters in the email address.";
    refuse(text, "Bad Email Address", ui->edEmail);
    return;
  }

  submitting_ = true;
  ui->btnSend->setEnabled(false);
  ui->btnSendFile->setEnabled(false);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  {
    QSettings settings(kOrganisation, kFeedbackApplication);
    settings.setValue("Name", ui->edName->text());
    settings.setValue("Company", ui->edCompany->text());
    settings.setValue("Phone", ui->edTelephone->text());
    settings.setValue("Email", email);
    settings.setValue("EmailTo", emailTo);
  }
  const int32_t r = SubmitFeedback();
  submitting_ = false;
  ui->btnSend->setEnabled(!updateRunning_);
  ui->btnSendFile->setEnabled(true);
  QApplication::restoreOverrideCursor();

  if (r == 1) {
    hide();
    QCoreApplication::processEvents();
    ShowMessageDialog("Thank you for submitting your " + feedbackWord_ + ".",
                      "Feedback Successfully Sent", false, kDialogInformation);
    close();
  } else if (r < 0 && isVisible()) {
    QString text = "There was an error trying to send your " + feedbackWord_ +
                   " to Quillon.\n\nPlease try again.";
    if (!lastError_.isEmpty()) text += "\n\nError: " + lastError_;
    ShowMessageDialog(text, "Error Sending Feedback", false, kDialogWarning);
  }
}

bool TfrmWeb::AttachFile(QHttpMultiPart* multi, const QString& path, bool report) {
  AttachError error;
  if (AddFilePart(multi, path, &error)) return true;
  if (report)
    ShowMessageDialog(AttachErrorText(path, error), "Error Reading File", false, kDialogError);
  return false;
}

int32_t TfrmWeb::SubmitFeedback() {
  if (requestRunning_) {
    lastError_ = "Another request to the service is still running.";
    return -1000;
  }
  auto multi = std::make_unique<QHttpMultiPart>(QHttpMultiPart::FormDataType);
  const FeedbackEntries entries{ui->edEmailTo->text(),   ui->edName->text(),
                                ui->edCompany->text(),   ui->edEmail->text(),
                                ui->edTelephone->text(), ui->cbRespondVia->currentIndex(),
                                feedbackWord_,           ui->reDescription->toPlainText()};
  const auto fields = FeedbackFormFields(info_, entries, QCoreApplication::applicationFilePath(),
                                         QString::fromStdString(DescribeRunningSystem()));
  for (const auto& [name, value] : fields) AddTextPart(multi.get(), name, value);

  if (ui->chkErrorLog->isChecked()) {
    for (const QString* attachment : {&info_.attachment1, &info_.attachment2, &info_.attachment3}) {
      if (!attachment->isEmpty()) AttachFile(multi.get(), *attachment, false);
    }
  }
  if (!sendFilePath_.isEmpty() && !AttachFile(multi.get(), sendFilePath_, true)) return 0;

  const QUrl url = ServiceUrl(kFeedbackScriptPath, &lastError_);
  if (!url.isValid()) return -1000;

  requestRunning_ = true;
  sending_ = true;  // from the start of the request, so that closing the form aborts it
  bool uploadStarted = false;
  QNetworkReply* reply = HTTP->post(ServiceRequest(url), multi.get());
  multi.release()->setParent(reply);  // the body and its files go with the reply
  currentReply_ = reply;
  const HttpOutcome outcome =
      AwaitReply(reply, requestTimeoutMs_, kMaxReplyBytes, [&](qint64 sent, qint64 total) {
        if (!uploadStarted) {
          uploadStarted = true;
          HTTPWorkBegin(WorkMode::Write, total);
        }
        HTTPWork(WorkMode::Write, sent);
      });
  HTTPWorkEnd(WorkMode::Write);
  currentReply_ = nullptr;
  requestRunning_ = false;

  if (!outcome.ok) {
    lastError_ = outcome.error;
    return -1000;
  }
  return outcome.body.contains("Script Completed") ? 1 : -1000;
}

void TfrmWeb::HTTPWorkBegin(WorkMode mode, qint64 maximum) {
  if (mode != WorkMode::Write) return;
  if (maximum > kProgressBarFromBytes) ui->pbWeb->show();
  ui->pbWeb->setMaximum(
      static_cast<int>(std::min<qint64>(maximum, std::numeric_limits<int>::max())));
  sending_ = true;
}

void TfrmWeb::HTTPWork(WorkMode mode, qint64 count) {
  if (mode != WorkMode::Write) return;
  ui->pbWeb->setValue(static_cast<int>(std::min<qint64>(count, ui->pbWeb->maximum())));
}

void TfrmWeb::HTTPWorkEnd(WorkMode mode) {
  if (mode == WorkMode::Write) ui->pbWeb->hide();
  sending_ = false;
}
