#include "web/feedback_choices.h"

#include <array>

namespace {

constexpr std::array<FeedbackType, 4> kFeedbackTypes{{
    {"General Feedback", "Please describe the feedback below", false},
    {"Feature Suggestion", "Please describe the feature suggestion below", false},
    {"Bug Report", "Please describe the bug or issue below", true},
    {"Other Feedback", "Please describe the other feedback below", false},
}};
constexpr FeedbackType kUnlistedFeedbackType{"General Feedback",
                                             "Please describe the feedback below", true};

constexpr std::array<const char*, 5> kRespondVia{
    "No response necessary",         "Email",
    "Telephone (morning is best)",   "Telephone (mid day is best)",
    "Telephone (afternoon is best)",
};

}  // namespace

FeedbackType FeedbackTypeFor(int index) {
  if (index < 0 || index >= static_cast<int>(kFeedbackTypes.size())) return kUnlistedFeedbackType;
  return kFeedbackTypes[index];
}

std::string RespondViaText(int index) {
  if (index < 0 || index >= static_cast<int>(kRespondVia.size())) return "Unknown RespondVia";
  return kRespondVia[index];
}
