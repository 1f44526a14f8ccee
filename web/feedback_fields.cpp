#include "web/feedback_fields.h"

#include "web/feedback_choices.h"

std::vector<FormField> FeedbackFormFields(const WEB_FORM_INFO_TYPE& info,
                                          const FeedbackEntries& entries,
                                          const QString& installationPath,
                                          const QString& computerInformation) {
  return {
      {"EmailTo", entries.emailTo.isEmpty() ? info.defaultEmailTo : entries.emailTo},
      {"EmailSubject", info.programName + " " + entries.feedbackWord},
      {"Name", entries.name},
      {"Company Name", entries.company},
      {"Email", entries.email},
      {"Telephone", entries.telephone},
      {"Respond Via", QString::fromStdString(RespondViaText(entries.respondVia))},
      {"Registered Name", info.registeredName},
      {"Registered Company", info.registeredCompany},
      {"Software Version", info.programName + " version " + info.programVersion},
      {"Installation Path", installationPath},
      {"Computer Information", computerInformation},
      {"Feedback", entries.description},
  };
}

QString FileNameOnly(const QString& path) {
  const qsizetype cut = std::max(path.lastIndexOf('/'), path.lastIndexOf('\\'));
  return path.mid(cut + 1);
}
