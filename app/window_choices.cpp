#include "app/window_choices.h"

#include <QCoreApplication>
#include <QDir>
#include <QSettings>
#include <QStandardPaths>

std::optional<bool> StoredBool(const QVariant& value) {
  if (value.typeId() == QMetaType::Bool) return value.toBool();
  if (value.typeId() != QMetaType::QString) return std::nullopt;
  // Never QVariant::toBool on text: it calls every text but "", "0" and "false" true.
  const QString text = value.toString();
  if (text == QLatin1String("true")) return true;
  if (text == QLatin1String("false")) return false;
  return std::nullopt;
}

std::optional<std::string> StoredText(const QVariant& value) {
  if (value.typeId() != QMetaType::QString) return std::nullopt;
  return value.toString().toStdString();
}

StoredChoices ReadStoredChoices(QSettings& settings) {
  StoredChoices c;
  c.findAllComms = StoredBool(settings.value("FindAllComms")).value_or(false);
  if (auto port = StoredText(settings.value("CommPort"))) {
    c.commPortExists = true;
    c.commPort = *port;
  }
  return c;
}

void WriteStoredChoices(QSettings& settings, bool findAllComms, bool verboseLog,
                        const std::string& commPort) {
  settings.setValue("FindAllComms", findAllComms);
  settings.setValue("VerboseLog", verboseLog);
  settings.setValue("CommPort", QString::fromStdString(commPort));
  settings.sync();
}

QString WindowDataFolder() {
  const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  if (!base.isEmpty()) {
    const QString folder = base + "/Quillon/QuilBSL";
    if (QDir().mkpath(folder)) return folder;
  }
  return QCoreApplication::applicationDirPath();
}
