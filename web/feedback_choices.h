#pragma once
// The feedback form's two choices: the kind of feedback and how to answer it.

#include <string>

struct FeedbackType {
  const char* word;         // "Bug Report": in the e-mail subject and the messages
  const char* description;  // caption of lblDescription
  bool attachLogs;          // chkErrorLog checked
};

// By the index of cbFeedbackType; an index outside the list is general feedback with logs.
FeedbackType FeedbackTypeFor(int index);

// By the index of cbRespondVia; "Unknown RespondVia" outside the list.
std::string RespondViaText(int index);
