#pragma once

#include <clocale>
#include <cstdlib>
#include <optional>
#include <string>

namespace gnss::testing {

// Switches the C library's numeric locale to German (comma as decimal point) for its scope and
// restores the previous locale afterwards. The locale comes from the system when it is installed
// there, otherwise from the copy the build generates into GNSS_TEST_LOCALE_DIR (found through
// LOCPATH, which is restored as well).
class CommaDecimalLocale {
  public:
    CommaDecimalLocale() {
        if (const char* current = std::setlocale(LC_NUMERIC, nullptr)) saved_ = current;
        if (Select()) return;
        if (const char* path = std::getenv("LOCPATH")) savedLocPath_ = path;
        locPathSet_ = ::setenv("LOCPATH", GNSS_TEST_LOCALE_DIR, 1) == 0;
        if (locPathSet_) Select();
    }
    ~CommaDecimalLocale() {
        // The previous locale was found with the previous LOCPATH.
        if (locPathSet_) {
            if (savedLocPath_) {
                ::setenv("LOCPATH", savedLocPath_->c_str(), 1);
            } else {
                ::unsetenv("LOCPATH");
            }
        }
        std::setlocale(LC_NUMERIC, saved_.c_str());
    }
    CommaDecimalLocale(const CommaDecimalLocale&) = delete;
    CommaDecimalLocale& operator=(const CommaDecimalLocale&) = delete;

    [[nodiscard]] bool Active() const { return active_; }
    // Why the locale is not active, for the failure message.
    [[nodiscard]] static std::string Missing() {
        return "no de_DE.UTF-8 locale: neither installed on the system nor generated into " +
               std::string(GNSS_TEST_LOCALE_DIR) +
               " (the build makes it with localedef from the Debian package locales)";
    }

  private:
    bool Select() {
        active_ = (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr ||
                   std::setlocale(LC_NUMERIC, "de_DE.utf8") != nullptr) &&
                  *std::localeconv()->decimal_point == ',';
        return active_;
    }

    std::string saved_ = "C";
    std::optional<std::string> savedLocPath_;
    bool locPathSet_ = false;
    bool active_ = false;
};

}  // namespace gnss::testing
