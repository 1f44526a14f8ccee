#pragma once
// Numbers on the wire and in the settings file are C-locale ("%+.5f" writes 46.73210 whatever
// the user's locale): this guard switches the calling thread to the C locale for its lifetime,
// so printf- and scanf-style number formats inside it never see a comma decimal point.

#include <clocale>
#include <locale.h>

class CLocaleScope {
 public:
  CLocaleScope() {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    if (c != static_cast<locale_t>(nullptr)) previous_ = uselocale(c);
  }
  ~CLocaleScope() {
    if (previous_ != static_cast<locale_t>(nullptr)) uselocale(previous_);
  }
  CLocaleScope(const CLocaleScope&) = delete;
  CLocaleScope& operator=(const CLocaleScope&) = delete;

 private:
  locale_t previous_ = static_cast<locale_t>(nullptr);
};
