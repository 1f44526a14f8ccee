#pragma once
// The text fields of a feedback request, in the order the feedback script reads them.

#include <QString>
#include <utility>
#include <vector>

#include "web/feedback_info.h"

// What the user entered in the form.
struct FeedbackEntries {
  QString emailTo;  // the representative's address, may be empty
  QString name;
  QString company;
  QString email;
  QString telephone;
  int respondVia = 1;    // index of cbRespondVia
  QString feedbackWord;  // "Bug Report"
  QString description;
};

using FormField = std::pair<QString, QString>;  // field name, value

std::vector<FormField> FeedbackFormFields(const WEB_FORM_INFO_TYPE& info,
                                          const FeedbackEntries& entries,
                                          const QString& installationPath,
                                          const QString& computerInformation);

// The file's name without its folder (after the last "/" or "\\").
QString FileNameOnly(const QString& path);
