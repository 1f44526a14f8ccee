#include "web/frm_web.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QShowEvent>
#include <QTimer>
#include <QUrl>

#include "ui_frm_web.h"
#include "web/deployment.h"
#include "web/http_exchange.h"
#include "web/version_check.h"
#include "web/version_finder_paths.h"
#include "web/version_texts.h"

namespace {

QMessageBox::Icon IconFor(int kind) {
  switch (kind) {
    case kDialogWarning:
      return QMessageBox::Warning;
    case kDialogError:
      return QMessageBox::Critical;
    case kDialogInformation:
      return QMessageBox::Information;
    case kDialogConfirmation:
      return QMessageBox::Question;
    default:
      return QMessageBox::Warning;
  }
}

}  // namespace

TfrmWeb::TfrmWeb(QWidget* mainWindow)
    : QDialog(mainWindow),
      ui(std::make_unique<Ui::TfrmWeb>()),
      requestTimeoutMs_(kRequestTimeoutMs) {
  ui->setupUi(this);
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  ui->edEmailTo->setToolTip(QString("Enter your representative's email address here (%1)")
                                .arg(QString::fromUtf8(kExampleEmail)));

  HTTP = new QNetworkAccessManager(this);
  ConfigureHttpClient(*HTTP);

  tWebCheck = new QTimer(this);
  tWebCheck->setObjectName("tWebCheck");
  tWebCheck->setSingleShot(true);
  tWebCheck->setInterval(500);
  connect(tWebCheck, &QTimer::timeout, this, &TfrmWeb::tWebCheckTimer);

  connect(ui->btnSend, &QPushButton::clicked, this, &TfrmWeb::btnSendClick);
  connect(ui->btnSendFile, &QPushButton::clicked, this, &TfrmWeb::btnSendFileClick);
  connect(ui->cbFeedbackType, &QComboBox::currentIndexChanged, this,
          &TfrmWeb::cbFeedbackTypeChange);
  connect(ui->reDescription, &QPlainTextEdit::textChanged, this, &TfrmWeb::LimitDescription);
}

TfrmWeb::~TfrmWeb() = default;

void TfrmWeb::SetVersionFinderPath(int deviceType) {
  versionFinderPath_ = QString::fromUtf8(::VersionFinderPath(deviceType));
}

void TfrmWeb::SetBuildIdentity(uint32_t version, const QString& productText) {
  buildVersion_ = version;
  productText_ = productText;
}

bool TfrmWeb::ShowMessageDialog(const QString& text, const QString& caption, bool yesNo, int kind) {
  if (dialogHook_) return dialogHook_(text, caption, yesNo, kind);
  QWidget* centre = parentWidget() != nullptr ? parentWidget() : this;
  QMessageBox box(IconFor(kind), caption, text,
                  yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, centre);
  box.setDefaultButton(yesNo ? QMessageBox::Yes : QMessageBox::Ok);
  QApplication::beep();
  return box.exec() == QMessageBox::Yes;
}

bool TfrmWeb::OpenInBrowser(const QString& address) {
  const QUrl url(address, QUrl::StrictMode);
  const QString scheme = url.scheme().toLower();
  // The address comes from the network: hand nothing but a web address to the desktop.
  if (!url.isValid() || (scheme != "http" && scheme != "https") || url.host().isEmpty())
    return false;
  return urlOpener_ ? urlOpener_(url) : QDesktopServices::openUrl(url);
}

int32_t TfrmWeb::CheckForNewerVersion(uint32_t thisVersion, const QString& path, bool silent,
                                      const QString& productText) {
  if (path.isEmpty() || thisVersion == 0 || requestRunning_) return 0;
  requestRunning_ = true;
  const VersionCheckResult result = RunVersionCheck(*HTTP, thisVersion, path, requestTimeoutMs_);
  requestRunning_ = false;

  const std::string product = productText.toStdString();
  if (const auto dialog = VersionCheckDialog(result, product, silent)) {
    const bool yes =
        ShowMessageDialog(QString::fromStdString(dialog->text),
                          QString::fromStdString(dialog->caption), dialog->yesNo, dialog->kind);
    if (result.outcome == kVersionNewer && yes &&
        !OpenInBrowser(QString::fromStdString(result.reply.webAddress))) {
      const DialogText failure = BrowserLaunchErrorDialog(product, result.reply.webAddress);
      ShowMessageDialog(QString::fromStdString(failure.text),
                        QString::fromStdString(failure.caption), failure.yesNo, failure.kind);
    }
  }
  return result.outcome > kVersionNoCheck ? static_cast<int32_t>(result.reply.version) : 0;
}

void TfrmWeb::StartVersionCheck(bool fromMenu) {
  CheckForNewerVersion(buildVersion_, versionFinderPath_, !fromMenu, productText_);
}

void TfrmWeb::ArmVersionCheck() {
  tWebCheck->start();
}

void TfrmWeb::tWebCheckTimer() {
  tWebCheck->stop();
  if (updateRunning_) {
    checkPending_ = true;
    return;
  }
  StartVersionCheck(false);
}

void TfrmWeb::SetUpdateRunning(bool running) {
  updateRunning_ = running;
  ui->btnSend->setEnabled(!updateRunning_ && !submitting_);
  if (!running && checkPending_) {
    checkPending_ = false;
    // Run from the event loop, not inside the update's own handler.
    QTimer::singleShot(0, this, [this] { StartVersionCheck(false); });
  }
}

void TfrmWeb::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) FormShow();
  QDialog::showEvent(event);
}

void TfrmWeb::done(int result) {
  FormClose();
  QDialog::done(result);
}
