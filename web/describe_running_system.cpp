#include <QString>
#include <QSysInfo>

#include "web/describe_windows.h"

std::string DescribeRunningSystem() {
  return (QSysInfo::prettyProductName() + " (" + QSysInfo::kernelType() + " " +
          QSysInfo::kernelVersion() + ", " + QSysInfo::currentCpuArchitecture() + ")")
      .toStdString();
}
