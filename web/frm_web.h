#pragma once
// TfrmWeb: the web form. It checks the maker's service for a newer build of this program
// and is the feedback form that posts the user's message, contact data and log.
// One instance lives for the program's lifetime, created after the main window.

#include <QDialog>
#include <QPointer>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

#include "web/feedback_info.h"

class QHttpMultiPart;
class QNetworkAccessManager;
class QNetworkReply;
class QTimer;
class QUrl;
struct QuilLog;

namespace Ui {
class TfrmWeb;
}

class TfrmWeb : public QDialog {
  Q_OBJECT

 public:
  // mainWindow: the dialogs and the form are centred on it.
  explicit TfrmWeb(QWidget* mainWindow = nullptr);
  ~TfrmWeb() override;

  // ---- Newer-version check ----

  // Start-up step 1: the version-finder path of the build's device type.
  void SetVersionFinderPath(int deviceType);
  const QString& VersionFinderPath() const { return versionFinderPath_; }
  // This build's version number (361) and product text ("Vapora MTQ Firmware Updater").
  void SetBuildIdentity(uint32_t version, const QString& productText);

  // Fetches the version-finder file at path and offers a newer build. A silent check shows
  // nothing but that offer. Returns the version found, or 0 when no check was made or it
  // failed (also while another request of this form runs).
  int32_t CheckForNewerVersion(uint32_t thisVersion, const QString& path, bool silent,
                               const QString& productText);
  // The check of this build: silent unless started from the menu.
  void StartVersionCheck(bool fromMenu);

  // Start-up step 13: the automatic check runs once, 500 ms later.
  void ArmVersionCheck();
  QTimer* tWebCheck = nullptr;
  void tWebCheckTimer();

  // While an update runs, a due automatic check waits for its end and Send is disabled.
  void SetUpdateRunning(bool running);

  // Modal message with OK, or Yes (default) and No; true for Yes. Kinds: DialogKind.
  bool ShowMessageDialog(const QString& text, const QString& caption, bool yesNo, int kind);

  // ---- Feedback ----

  int SetFormInfo(const WEB_FORM_INFO_TYPE& info);
  int SetFormInfo(const QString& programName, const QString& programVersion,
                  const QString& registeredName, const QString& registeredCompany,
                  const QString& defaultEmailTo, const QString& attachment1,
                  const QString& attachment2, const QString& attachment3,
                  const QString& browseFolder);
  const WEB_FORM_INFO_TYPE& FormInfo() const { return info_; }

  // The menu command's work once the information is set: cuts the log to its last 32768
  // bytes (or notes in it, with logSource, that it is empty), then OpenFeedbackForm.
  void LaunchFeedback(const QuilLog* log, const QString& logSource);

  // Tests that the service answers, then shows the form (not modal). False when the
  // service could not be reached (the user has been told).
  bool OpenFeedbackForm();

  // 1 sent and accepted; 0 nothing sent (the chosen file could not be attached);
  // -1000 failed (LastError() says why when known).
  int32_t SubmitFeedback();
  bool AttachFile(QHttpMultiPart* multi, const QString& path, bool report);
  const QString& LastError() const { return lastError_; }
  const QString& FeedbackWord() const { return feedbackWord_; }
  bool Sending() const { return sending_; }

  // Handlers of the form.
  void FormShow();
  void FormClose();
  void btnSendClick();
  void btnSendFileClick();
  void cbFeedbackTypeChange();

  // ---- Settings and hooks ----

  // A request that moves no byte for this long fails (default kRequestTimeoutMs).
  void SetRequestTimeoutMs(int ms) { requestTimeoutMs_ = ms; }

  // Replaces the modal message dialog (tests capture what would be shown).
  using DialogHook =
      std::function<bool(const QString& text, const QString& caption, bool yesNo, int kind)>;
  void SetDialogHook(DialogHook hook) { dialogHook_ = std::move(hook); }
  // Replaces the web browser; returns whether the address could be handed over.
  using UrlOpener = std::function<bool(const QUrl& url)>;
  void SetUrlOpener(UrlOpener opener) { urlOpener_ = std::move(opener); }
  // Replaces the file dialog: the chosen file's path, empty when cancelled.
  using FileChooser = std::function<QString(const QString& folder)>;
  void SetFileChooser(FileChooser chooser) { fileChooser_ = std::move(chooser); }

 protected:
  void showEvent(QShowEvent* event) override;
  void done(int result) override;

 private:
  enum class WorkMode { Read, Write };
  void HTTPWorkBegin(WorkMode mode, qint64 maximum);
  void HTTPWork(WorkMode mode, qint64 count);
  void HTTPWorkEnd(WorkMode mode);
  void LimitDescription();
  bool OpenInBrowser(const QString& address);

  std::unique_ptr<Ui::TfrmWeb> ui;
  QNetworkAccessManager* HTTP = nullptr;
  QPointer<QNetworkReply> currentReply_;
  bool requestRunning_ = false;

  QString versionFinderPath_;
  uint32_t buildVersion_ = 0;
  QString productText_;
  bool updateRunning_ = false;
  bool checkPending_ = false;

  WEB_FORM_INFO_TYPE info_;
  QString feedbackWord_ = "General Feedback";
  QString representativeEmail_;
  QString lastError_;
  QString sendFilePath_;
  bool sending_ = false;     // an upload runs: closing the form aborts it
  bool submitting_ = false;  // btnSendClick is between its checks and its end
  bool uploadStarted_ = false;

  int requestTimeoutMs_;
  DialogHook dialogHook_;
  UrlOpener urlOpener_;
  FileChooser fileChooser_;
};
