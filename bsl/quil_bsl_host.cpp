#include "bsl/quil_bsl_host.h"

#include "firmware/embedded_firmware.h"

QuilBSLHost::QuilBSLHost(QuilLog* log) {
  port.log = log;
  constructStatus = BSLInstallImage(*this, kEmbeddedFirmware);
}

QuilBSLHost::~QuilBSLHost() { BSLDisconnect(*this); }
