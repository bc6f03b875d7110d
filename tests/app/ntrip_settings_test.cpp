#include "app/ntrip_settings.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "app/ini_file.h"
#include "app/settings.h"
#include "doubles/temp_folder.h"

namespace gnss {
namespace {

using testing::TempFolder;

std::string FileText(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

CorrectionSettings Sample(bool remember) {
    CorrectionSettings settings;
    settings.LocalPort = 17001;
    settings.Client.CasterHost = "caster.example.org";
    settings.Client.CasterPort = 2102;
    settings.Client.MountPoint = "MSM7";
    settings.Client.User = "alice";
    settings.Client.Password = "pw-secret";
    settings.Client.SendPosition = true;
    settings.Client.RememberPassword = remember;
    return settings;
}

TEST(NtripSettingsTest, PasswordIsStoredOnlyWhenRemembered) {
    for (const bool remember : {false, true}) {
        TempFolder folder;
        const auto path = folder.Path() / "gnssvaro.ini";
        ASSERT_TRUE(SaveSettings(path, AppSettings{}));  // other sections stay
        ASSERT_TRUE(SaveCorrectionSettings(path, Sample(remember)));
        EXPECT_EQ(FileText(path).find("pw-secret") != std::string::npos, remember);
        EXPECT_NE(FileText(path).find("[GPSCOM]"), std::string::npos);

        const CorrectionSettings loaded = LoadCorrectionSettings(path);
        EXPECT_EQ(loaded.LocalPort, 17001);
        EXPECT_EQ(loaded.Client.CasterHost, "caster.example.org");
        EXPECT_EQ(loaded.Client.CasterPort, 2102);
        EXPECT_EQ(loaded.Client.MountPoint, "MSM7");
        EXPECT_EQ(loaded.Client.User, "alice");
        EXPECT_TRUE(loaded.Client.SendPosition);
        EXPECT_EQ(loaded.Client.RememberPassword, remember);
        EXPECT_EQ(loaded.Client.Password, remember ? "pw-secret" : "");
    }
}

TEST(NtripSettingsTest, ForgettingThePasswordBlanksTheStoredOne) {
    TempFolder folder;
    const auto path = folder.Path() / "gnssvaro.ini";
    ASSERT_TRUE(SaveCorrectionSettings(path, Sample(true)));
    ASSERT_TRUE(SaveCorrectionSettings(path, Sample(false)));
    EXPECT_EQ(FileText(path).find("pw-secret"), std::string::npos);
}

TEST(NtripSettingsTest, BadValuesFallBackToTheDefaults) {
    TempFolder folder;
    const auto path = folder.Path() / "gnssvaro.ini";
    std::ofstream(path) << "[NTRIP]\nLocalPort=70000\nPort=-1\nProgram=\nPassword=x\n";
    const CorrectionSettings loaded = LoadCorrectionSettings(path);
    EXPECT_EQ(loaded.LocalPort, 16800);
    EXPECT_EQ(loaded.Client.CasterPort, 2101);
    EXPECT_EQ(loaded.Client.ProgramPath, "str2str");
    EXPECT_EQ(loaded.Client.Password, "");  // not remembered
    EXPECT_EQ(LoadCorrectionSettings(folder.Path() / "none.ini").LocalPort, 16800);
}

}  // namespace
}  // namespace gnss
