// Settings files are read as they are found on disk: any bytes must parse without harm, and a
// value set in any of them must read back after writing.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "app/ini_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    gnss::IniFile file = gnss::IniFile::Parse(text);
    (void)file.GetInt("Unit", "Index", 0);
    (void)file.GetBool("SyntaxColor", "Enabled", true);
    (void)file.GetString("GPSCOM", "COMPort", "");
    file.Set("Unit", "Index", "2");
    file.Set("GPSCOM", "COMPort", "/dev/ttyUSB0");
    const std::string written = file.Serialize();
    if (written.size() < gnss::IniFile::kMaxFileBytes) {
        const gnss::IniFile back = gnss::IniFile::Parse(written);
        if (back.GetInt("Unit", "Index", 0) != 2) std::abort();
        if (back.GetString("GPSCOM", "COMPort", "") != "/dev/ttyUSB0") std::abort();
    }
    return 0;
}
