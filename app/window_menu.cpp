// The menu commands: firmware files, the options, help and about, and the two web commands.

#include <QDir>
#include <QFileDialog>

#include "app/firmware_commands.h"
#include "app/window_main.h"
#include "app/window_texts.h"
#include "ui_window_main.h"
#include "web/deployment.h"
#include "web/frm_web.h"

#ifndef QUILBSL_VERSION
#define QUILBSL_VERSION "Unknown"
#endif

void TfrmMain::OpenFirmwareFile1Click() {
  OpenDialog1->setDirectory(QDir::currentPath());
  const QString path = RunFileDialog(*OpenDialog1);
  if (path.isEmpty()) return;

  lastToldTitle_.clear();
  if (OpenFirmwareFile(s, path.toStdString()) < 0) return;  // told; nothing changed
  // A file whose name names no device was loaded as the build's type, with a warning; the
  // labels then keep what they said.
  if (lastToldTitle_ != "File Name Error") {
    ui->userText2->setText(QString::fromStdString(s.host->modelText));
    ShowDeviceLabels(s.deviceName);
  }
  TellWebBuildIdentity();
  ui->btnStart->setEnabled(true);
  ui->UpdateFirmware1->setEnabled(true);
}

void TfrmMain::DumpFirmwareImage1Click() {
  const QString path = RunFileDialog(*SaveDialog1);
  if (path.isEmpty()) return;
  DumpFirmwareImage(s, path.toStdString());
}

void TfrmMain::ForceFindAllCommPorts1Click() {
  findAllComms = ui->ForceFindAllCommPorts1->isChecked();
}

void TfrmMain::DontEraseData1Click() {
  s.dontEraseData = ui->DontEraseData1->isChecked();
}

void TfrmMain::PromptforSerialNumber1Click() {
  s.replaceSerialNumber = ui->PromptforSerialNumber1->isChecked();
  ui->newSN->setVisible(s.replaceSerialNumber);
  ui->newSNstr->setVisible(s.replaceSerialNumber);
  if (s.replaceSerialNumber) ui->newSNstr->setFocus();
}

void TfrmMain::Help2Click() {
  ErrorOK(QString::fromStdString(
              HelpText(s.caption, s.deviceName, DeviceTypeWarnsDataLoss(kBuildDeviceType))),
          "Help", MessageKind::Custom);
}

void TfrmMain::About1Click() {
  ErrorOK(QString::fromStdString(AboutText(s.caption, QUILBSL_VERSION)),
          QString::fromStdString(AboutTitle(s.deviceName)), MessageKind::Information);
}

void TfrmMain::SendFeedbacktoQuillon1Click() {
  if (web_ == nullptr) return;
  WEB_FORM_INFO_TYPE info;
  info.programName = QString::fromStdString(s.caption);
  info.programVersion = ui->userText2->text();
  info.defaultEmailTo = QString::fromUtf8(kSupportEmail);
  info.attachment1 = QString::fromStdString(s.logFileName);
  info.browseFolder = QCoreApplication::applicationDirPath();
  web_->SetFormInfo(info);
  web_->LaunchFeedback(s.log.get(), QString::fromStdString(s.caption));
}

void TfrmMain::CheckforUpdates1Click() {
  if (web_ == nullptr) return;
  TellWebBuildIdentity();
  web_->StartVersionCheck(true);
}
