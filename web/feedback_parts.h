#pragma once
// Parts of the multipart/form-data body of a feedback request.

#include <QString>

class QHttpMultiPart;

// Why a file could not be attached; it decides the text the user gets.
enum class AttachFailure { None, Missing, InUse, Other };

struct AttachError {
  AttachFailure kind = AttachFailure::None;
  QString message;  // the system's words for it
};

void AddTextPart(QHttpMultiPart* multi, const QString& name, const QString& value);

// Adds the file at path as a part whose field name is its name without folder, whose file
// name is path, and whose content type follows its extension. The file is opened now and
// read during the upload; it belongs to multi. A missing or empty file fails as Missing,
// one locked by another program as InUse.
bool AddFilePart(QHttpMultiPart* multi, const QString& path, AttachError* error);

// The "Error Reading File" message for a file that could not be attached.
QString AttachErrorText(const QString& path, const AttachError& error);
