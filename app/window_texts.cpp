#include "app/window_texts.h"

#include "app/window_deployment.h"
#include "web/deployment.h"

std::string ContactBlock() {
  return std::string(kContactAddress) + "\n" + kContactPhone + "\n" + kContactFax + "\n" +
         "Email: " + kSupportEmail + "\n" + "Web: http://" + kWebSiteHost + "\n";
}

std::string HelpText(const std::string& caption, const std::string& name, bool warnsDataLoss) {
  std::string t;
  t += "The " + caption + " replaces the firmware that operates your " + name + ".\n";
  t += "Following the simple steps will help ensure a successful update.\n\n";
  if (warnsDataLoss) {
    t += "WARNING: Updating the firmware in your " + name +
         " will erase any stored measurement data.\n" +
         "Please download any measurement data stored in your " + name +
         " that you want to save.\n\n";
  }
  t += "Before beginning these steps, please make sure your instrument is powered on.\n\n";
  t += "Step 1. Connect your " + name + " to an available serial communication port " +
       "on your computer.\n\n";
  t += "Step 2. Select the correct serial port from the Comm Port control.\n\n";
  t += "Step 3. Click the \"Start\" button. The updater shows progress in the Status area.\n\n";
  t += "WARNING: Do not disconnect your " + name + " from the computer while the updater is " +
       "running.\n" + "An incomplete firmware update could leave your " + name + " unusable.\n\n";
  t += "WARNING: Do not quit the " + name + " Firmware Updater while the updater is running.\n" +
       "An incomplete firmware update could leave your " + name + " unusable.\n\n";
  t += "Step 4. Once the update is complete, you can disconnect your " + name +
       " from the computer.\n" + "Please verify your " + name + " configuration is correct. " +
       "Enjoy using the updated firmware version.\n\n";
  t += "If you have trouble with this " + name + " Firmware Updater, Please contact Quillon or\n" +
       std::string("an authorized Quillon Distributor for help:\n\n");
  t += ContactBlock();
  return t;
}

std::string AboutText(const std::string& caption, const std::string& version) {
  return caption + "\nVersion " + version + "\n\n" + kAboutNotice;
}

std::string AboutTitle(const std::string& name) {
  return "About " + name + " Firmware Updater";
}
