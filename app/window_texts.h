#pragma once
// The texts of the Help menu's help and about boxes, byte for byte as users know them.

#include <string>

// The maker's contact block: address, telephone, fax, e-mail and web address, a line each.
std::string ContactBlock();

// The help text. caption is the window caption, name the device name being updated;
// warnsDataLoss: the build's device type loses its stored data in an update.
std::string HelpText(const std::string& caption, const std::string& name, bool warnsDataLoss);

// The about box: the caption, the program's version and the maker's notice line.
std::string AboutText(const std::string& caption, const std::string& version);
// Its title: "About " + name + " Firmware Updater".
std::string AboutTitle(const std::string& name);
