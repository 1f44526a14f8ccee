#pragma once
// The maker's own data shown by the window: the contact block of the help text and the notice
// line of the about box. The defaults are placeholders under the reserved example domain; a
// release sets the real ones through the CMake cache (QUILBSL_CONTACT_ADDRESS and friends).
// The support address and the web site host are the web service's (web/deployment.h).

#ifndef QUILBSL_CONTACT_ADDRESS_BUILT_IN
#define QUILBSL_CONTACT_ADDRESS_BUILT_IN \
  "Quillon Devices, Inc\n1 Example Street\nExample City, EX 00000"
#endif
#ifndef QUILBSL_CONTACT_PHONE_BUILT_IN
#define QUILBSL_CONTACT_PHONE_BUILT_IN "Phone: +1 555 0100"
#endif
#ifndef QUILBSL_CONTACT_FAX_BUILT_IN
#define QUILBSL_CONTACT_FAX_BUILT_IN "Fax: +1 555 0199"
#endif
#ifndef QUILBSL_ABOUT_NOTICE_BUILT_IN
#define QUILBSL_ABOUT_NOTICE_BUILT_IN "Quillon Devices, Inc"
#endif

// Postal address on three lines.
inline constexpr const char* kContactAddress = QUILBSL_CONTACT_ADDRESS_BUILT_IN;
// Telephone numbers (one or more lines) and the fax number.
inline constexpr const char* kContactPhone = QUILBSL_CONTACT_PHONE_BUILT_IN;
inline constexpr const char* kContactFax = QUILBSL_CONTACT_FAX_BUILT_IN;
// The maker's line under the version in the about box.
inline constexpr const char* kAboutNotice = QUILBSL_ABOUT_NOTICE_BUILT_IN;
