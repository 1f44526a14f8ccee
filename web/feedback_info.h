#pragma once
// What the program tells the feedback form about itself before opening it.

#include <QString>

struct WEB_FORM_INFO_TYPE {
  QString programName;        // the main window's caption
  QString programVersion;     // the firmware model text, "MTQ 3.61"
  QString registeredName;     // when not empty, replaces the stored name
  QString registeredCompany;  // when not empty, replaces the stored company
  QString defaultEmailTo;     // recipient when the user names no representative
  QString attachment1;        // the log file, sent with a bug report
  QString attachment2;        // further files for a bug report, when not empty
  QString attachment3;
  QString browseFolder;  // where the file dialog starts
};
