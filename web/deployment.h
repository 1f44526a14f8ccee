#pragma once
// Values of the deployment: where the maker's web service lives and whom feedback goes to.
// The defaults are placeholders under the reserved example domains; a release sets the real
// ones through the CMake cache (QUILBSL_SERVICE_URL and friends).

#ifndef QUILBSL_SERVICE_URL_BUILT_IN
#define QUILBSL_SERVICE_URL_BUILT_IN "https://service.example.com"
#endif
#ifndef QUILBSL_WEB_SITE_HOST_BUILT_IN
#define QUILBSL_WEB_SITE_HOST_BUILT_IN "www.example.com"
#endif
#ifndef QUILBSL_SUPPORT_EMAIL_BUILT_IN
#define QUILBSL_SUPPORT_EMAIL_BUILT_IN "support@example.com"
#endif
#ifndef QUILBSL_EXAMPLE_EMAIL_BUILT_IN
#define QUILBSL_EXAMPLE_EMAIL_BUILT_IN "representative@example.org"
#endif

// Base address of the version-finder files and the feedback script. The environment variable
// QUILBSL_SERVICE_URL replaces it at run time.
inline constexpr const char* kServiceUrl = QUILBSL_SERVICE_URL_BUILT_IN;
inline constexpr const char* kServiceUrlEnv = "QUILBSL_SERVICE_URL";
// Shown in the message that the feedback service cannot be reached.
inline constexpr const char* kWebSiteHost = QUILBSL_WEB_SITE_HOST_BUILT_IN;
// Feedback goes here when the user names no representative.
inline constexpr const char* kSupportEmail = QUILBSL_SUPPORT_EMAIL_BUILT_IN;
// The example in the hint of the representative's address.
inline constexpr const char* kExampleEmail = QUILBSL_EXAMPLE_EMAIL_BUILT_IN;

// A request that moves no byte for this long is given up, so a silent service cannot hang
// the window.
inline constexpr int kRequestTimeoutMs = 20000;
