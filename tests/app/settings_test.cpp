#include "app/settings.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "app/ini_file.h"
#include "doubles/temp_folder.h"

namespace gnss {
namespace {

using namespace std::string_literals;
using testing::ReadWholeFile;
using testing::TempFolder;
using testing::WriteWholeFile;

const SettingsLists kLists{
    {"/dev/ttyUSB0", "/dev/ttyACM0", "COM7"},
    {"2400", "4800", "9600", "19200", "38400", "57600", "115200"},
    {"4800", "9600", "38400", "115200"},
};

AppSettings LoadText(const std::string& text, const SettingsLists& lists = kLists) {
    TempFolder folder;
    WriteWholeFile(folder / "gnssvaro.ini", text);
    return LoadSettings(folder / "gnssvaro.ini", lists);
}

TEST(Settings, MissingFileGivesStartValues) {
    TempFolder folder;
    const AppSettings s = LoadSettings(folder / "none.ini", kLists);
    EXPECT_EQ(s.ComPort, "/dev/ttyUSB0");
    EXPECT_EQ(s.ComPortIndex, 0);
    EXPECT_EQ(s.BaudRateIndex, 2);
    EXPECT_EQ(s.BaudRate, 9600);
    EXPECT_EQ(s.GpsBaudRateIndex, 3);
    EXPECT_EQ(s.SpeedUnitIndex, 0);
    EXPECT_FALSE(s.DmsMode);
    EXPECT_TRUE(s.SyntaxColorEnabled);
    EXPECT_TRUE(s.CommandHistory.empty());
}

TEST(Settings, ValuesAndTheirRules) {
    struct Case {
        std::string text;
        int unit;
        bool dms;
    };
    const Case cases[] = {
        {"[Unit]\r\nIndex=2\r\nDDMMSS=1\r\n", 2, true},
        {"[Unit]\r\nIndex=5\r\nDDMMSS=2\r\n", 0, false},
        {"[Unit]\r\nIndex=-1\r\nDDMMSS=-1\r\n", 0, false},
        {"[Unit]\r\nIndex=1\r\nDDMMSS=0\r\n", 1, false},
        {"[Unit]\r\nIndex=abc\r\nDDMMSS=yes\r\n", 0, false},
        {"[Unit]\r\nIndex= 1 \r\nDDMMSS= 1\r\n", 1, true},
        {"[Unit]\r\nIndex=99999999999999999999\r\n", 0, false},
        {"[unit]\nindex=2\nddmmss=1\n", 2, true},
    };
    for (const Case& c : cases) {
        const AppSettings s = LoadText(c.text);
        EXPECT_EQ(s.SpeedUnitIndex, c.unit) << c.text;
        EXPECT_EQ(s.DmsMode, c.dms) << c.text;
    }
}

TEST(Settings, PortAndBaudRatesAreMatchedAgainstTheLists) {
    struct Case {
        std::string text;
        int port;
        int baud;
        int baudValue;
        int gpsBaud;
    };
    const Case cases[] = {
        {"[GPSCOM]\nCOMPort=COM7\nBaudRate=115200\n[GPS]\nChangeBaudRate=38400\n", 2, 6, 115200, 2},
        {"[GPSCOM]\nCOMPort=/dev/ttyS9\nBaudRate=115201\n[GPS]\nChangeBaudRate=1\n", 0, 0, 2400, 0},
        {"[GPSCOM]\nCOMPort=com7\nBaudRate=115200.0\n", 0, 0, 2400, 0},
        {"[Other]\nx=1\n", 0, 0, 2400, 0},
    };
    for (const Case& c : cases) {
        const AppSettings s = LoadText(c.text);
        EXPECT_EQ(s.ComPortIndex, c.port) << c.text;
        EXPECT_EQ(s.ComPort, kLists.Ports[static_cast<size_t>(c.port)]) << c.text;
        EXPECT_EQ(s.BaudRateIndex, c.baud) << c.text;
        EXPECT_EQ(s.BaudRate, c.baudValue) << c.text;
        EXPECT_EQ(s.GpsBaudRateIndex, c.gpsBaud) << c.text;
    }
    const AppSettings none = LoadText("[GPSCOM]\nCOMPort=COM7\n", SettingsLists{{}, {}, {}});
    EXPECT_EQ(none.ComPortIndex, -1);
    EXPECT_EQ(none.ComPort, "");
    EXPECT_EQ(none.BaudRateIndex, -1);
}

TEST(Settings, CommandHistoryReadsAtMostTenAndSkipsBlanks) {
    std::string twelve = "[GPSCommand]\nCount=12\n";
    for (int i = 0; i < 12; ++i) {
        twelve += "Command" + std::to_string(i) + "=$PMTK" + std::to_string(i) + "\n";
    }
    struct Case {
        std::string text;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {twelve,
         {"$PMTK0", "$PMTK1", "$PMTK2", "$PMTK3", "$PMTK4", "$PMTK5", "$PMTK6", "$PMTK7", "$PMTK8",
          "$PMTK9"}},
        {"[GPSCommand]\nCount=4\nCommand0=A\nCommand1=   \nCommand3=D\nCommand2=\n", {"A", "D"}},
        {"[GPSCommand]\nCount=-3\nCommand0=A\n", {}},
        {"[GPSCommand]\nCommand0=A\n", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(LoadText(c.text).CommandHistory, c.expected) << c.text;
}

TEST(Settings, SyntaxColourIsAnIntegerFlag) {
    const std::map<std::string, bool> cases = {{"", true},
                                               {"[SyntaxColor]\nEnabled=0\n", false},
                                               {"[SyntaxColor]\nEnabled=1\n", true},
                                               {"[SyntaxColor]\nEnabled=7\n", true},
                                               {"[SyntaxColor]\nEnabled=false\n", true}};
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(LoadText(text).SyntaxColorEnabled, expected) << text;
    }
}

TEST(Settings, DamagedFilesGiveDefaultsForWhatCannotBeRead) {
    std::string garbage;
    for (int i = 0; i < 5000; ++i) garbage += static_cast<char>((i * 131 + 7) % 256);
    struct Case {
        std::string text;
        int unit;  // what can still be read
    };
    const Case cases[] = {
        {garbage, 0},
        {"[Unit\r\nIndex=2\r\n", 0},             // header without "]": the key has no section
        {"[Unit]\r\nIndex 2\r\nDDMMSS\r\n", 0},  // no "="
        {"[Unit]\r\n=2\r\n", 0},
        {"[Unit]\r\nIndex=" + std::string(10000, '1') + "\r\n", 0},  // overlong line
        {"[Unit]\r\nIndex=2\0003\r\n"s, 0},
        {"[Unit]\0\r\nIndex=2\r\n"s, 2},
        {garbage + "\n[Unit]\nIndex=2\n", 2},
        {"\xEF\xBB\xBF[Unit]\r\nIndex=1\r\nIndex=2\r\n", 1},  // BOM; the first of two keys
        {"[Unit]\nIndex=1\n[Unit]\nIndex=2\n", 1},
        {"; comment\n# comment\n[ Unit ]\n  Index = \"2\"  \n", 2},
        {"[Unit]\rIndex=2\r", 0},  // CR alone does not end a line
    };
    for (const Case& c : cases) {
        AppSettings s;
        ASSERT_NO_THROW(s = LoadText(c.text));
        EXPECT_EQ(s.SpeedUnitIndex, c.unit) << c.text.substr(0, 40);
    }
}

TEST(Settings, AFolderInPlaceOfTheFileGivesStartValues) {
    TempFolder folder;
    std::filesystem::create_directory(folder.Path() / "x.ini");
    EXPECT_EQ(LoadSettings(folder / "x.ini", kLists).BaudRate, 9600);
}

TEST(Settings, SaveWritesTheFourKeysAndKeepsTheRest) {
    TempFolder folder;
    const std::string path = folder / "gnssvaro.ini";
    WriteWholeFile(path,
                   "; kept\r\n[GPSCOM]\r\nCOMPort=COM1\r\nExtra=keep me\r\n[GPSCommand]\r\n"
                   "Count=1\r\nCommand0=$PMTK605*31\r\n[SyntaxColor]\r\nEnabled=0\r\n");
    AppSettings s;
    s.ComPort = "/dev/ttyACM0";
    s.BaudRate = 38400;
    s.SpeedUnitIndex = 2;
    s.DmsMode = true;
    ASSERT_TRUE(SaveSettings(path, s));
    EXPECT_EQ(ReadWholeFile(path),
              "; kept\r\n[GPSCOM]\r\nCOMPort=/dev/ttyACM0\r\nExtra=keep me\r\nBaudRate=38400\r\n"
              "[GPSCommand]\r\nCount=1\r\nCommand0=$PMTK605*31\r\n[SyntaxColor]\r\nEnabled=0\r\n"
              "\r\n[Unit]\r\nIndex=2\r\nDDMMSS=1\r\n");
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));

    const AppSettings back = LoadSettings(path, kLists);
    EXPECT_EQ(back.ComPort, "/dev/ttyACM0");
    EXPECT_EQ(back.BaudRateIndex, 4);
    EXPECT_EQ(back.SpeedUnitIndex, 2);
    EXPECT_TRUE(back.DmsMode);
    EXPECT_EQ(back.CommandHistory, std::vector<std::string>{"$PMTK605*31"});
    EXPECT_FALSE(back.SyntaxColorEnabled);
}

TEST(Settings, AutoIsStoredAndReadBackLikeARate) {
    TempFolder folder;
    const std::string path = folder / "gnssvaro.ini";
    SettingsLists lists = kLists;
    lists.BaudRates.emplace_back("Auto");
    AppSettings s;
    s.BaudRate = 57600;  // the rate the last connection found
    s.AutoBaudRate = true;
    ASSERT_TRUE(SaveSettings(path, s));
    EXPECT_NE(ReadWholeFile(path).find("BaudRate=Auto\r\n"), std::string::npos);

    const AppSettings back = LoadSettings(path, lists);
    EXPECT_TRUE(back.AutoBaudRate);
    EXPECT_EQ(back.BaudRateIndex, 7);
    EXPECT_EQ(back.BaudRate, 0);

    // A list without "Auto" (an older window) falls back to its first entry.
    const AppSettings older = LoadSettings(path, kLists);
    EXPECT_FALSE(older.AutoBaudRate);
    EXPECT_EQ(older.BaudRateIndex, 0);
}

TEST(Settings, WindowPlacementIsKeptAndDamagedValuesAreDropped) {
    TempFolder folder;
    const std::string path = folder / "gnssvaro.ini";
    AppSettings s;
    s.Window = WindowPlacement{{-1280, 40, 1218, 620}, true};
    ASSERT_TRUE(SaveSettings(path, s));
    EXPECT_EQ(LoadSettings(path, kLists).Window, s.Window);
    // Saving without a placement keeps the stored one.
    s.Window.reset();
    ASSERT_TRUE(SaveSettings(path, s));
    EXPECT_EQ(LoadSettings(path, kLists).Window, (WindowPlacement{{-1280, 40, 1218, 620}, true}));

    EXPECT_FALSE(LoadText("[Unit]\r\nIndex=1\r\n").Window);
    const std::string damaged[] = {
        "[Window]\r\nLeft=0\r\nTop=0\r\nWidth=0\r\nHeight=600\r\n",
        "[Window]\r\nLeft=0\r\nTop=0\r\nWidth=800\r\nHeight=-5\r\n",
        "[Window]\r\nLeft=999999999\r\nTop=0\r\nWidth=800\r\nHeight=600\r\n",
        "[Window]\r\nWidth=wide\r\nHeight=600\r\n",
    };
    for (const std::string& text : damaged) EXPECT_FALSE(LoadText(text).Window) << text;
    const AppSettings partial = LoadText("[Window]\r\nWidth=800\r\nHeight=600\r\n");
    ASSERT_TRUE(partial.Window);
    EXPECT_EQ(partial.Window->Area, (ScreenRect{0, 0, 800, 600}));
    EXPECT_FALSE(partial.Window->Maximized);
}

TEST(Settings, SaveCreatesTheFileAndItsFolder) {
    TempFolder folder;
    const std::string path = folder / "config/gnssvaro/gnssvaro.ini";
    AppSettings s;  // no port present
    s.BaudRate = 9600;
    ASSERT_TRUE(SaveSettings(path, s));
    EXPECT_EQ(ReadWholeFile(path),
              "[GPSCOM]\r\nCOMPort=\r\nBaudRate=9600\r\n\r\n[Unit]\r\nIndex=0\r\nDDMMSS=0\r\n");

    // With no port present, the stored port is kept for the next run.
    WriteWholeFile(path, "[GPSCOM]\nCOMPort=COM7\n");
    ASSERT_TRUE(SaveSettings(path, s));
    EXPECT_EQ(LoadSettings(path, kLists).ComPort, "COM7");
}

TEST(Settings, UnwritableLocationIsReportedByTheResultOnly) {
    TempFolder folder;
    WriteWholeFile(folder / "plain", "not a folder");
    AppSettings s;
    bool saved = true;
    EXPECT_NO_THROW(saved = SaveSettings(folder / "plain/gnssvaro.ini", s));
    EXPECT_FALSE(saved);
}

TEST(Settings, PathIsBesideTheProgramOrInTheUserConfiguration) {
    using Env = std::map<std::string, std::string>;
    struct Case {
        bool writable;
        Env env;
        std::string expected;
    };
    const Case cases[] = {
        {true, {{"HOME", "/home/u"}}, "/opt/gv/gnssvaro.ini"},
        {false, {{"XDG_CONFIG_HOME", "/cfg"}, {"HOME", "/home/u"}}, "/cfg/gnssvaro/gnssvaro.ini"},
        {false,
         {{"XDG_CONFIG_HOME", "rel"}, {"HOME", "/home/u"}},
         "/home/u/.config/gnssvaro/gnssvaro.ini"},
        {false,
         {{"XDG_CONFIG_HOME", ""}, {"HOME", "/home/u"}},
         "/home/u/.config/gnssvaro/gnssvaro.ini"},
        {false, {}, "/opt/gv/gnssvaro.ini"},
    };
    for (const Case& c : cases) {
        std::filesystem::path asked;
        const auto writable = [&](const std::filesystem::path& folder) {
            asked = folder;
            return c.writable;
        };
        const auto env = [&](const char* name) -> std::optional<std::string> {
            const auto found = c.env.find(name);
            if (found == c.env.end()) return std::nullopt;
            return found->second;
        };
        EXPECT_EQ(SettingsPath("/opt/gv/gnssvaro", writable, env).string(), c.expected);
        EXPECT_EQ(asked.string(), "/opt/gv");
    }
    EXPECT_EQ(SettingsPath(
                  "/opt/gv/gnssvaro.exe", [](auto&) { return true; }, nullptr)
                  .string(),
              "/opt/gv/gnssvaro.ini");
}

TEST(Settings, WritabilityProbe) {
    TempFolder folder;
    EXPECT_TRUE(IsFolderWritable(folder.Path()));
    EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
    EXPECT_FALSE(IsFolderWritable(folder.Path() / "missing"));
}

TEST(IniFile, SetAddsToTheFirstSectionOfThatNameAndKeepsLineEnds) {
    IniFile file = IniFile::Parse("[A]\nx=1\n\n[B]\ny=2\n[A]\nz=3\n");
    file.Set("a", "w", "4");
    file.Set("B", "Y", "5");
    file.Set("C", "v", "");
    EXPECT_EQ(file.Serialize(), "[A]\nx=1\nw=4\n\n[B]\ny=5\n[A]\nz=3\n\n[C]\nv=\n");
    EXPECT_EQ(file.Get("A", "z"), "3");
    EXPECT_EQ(file.Get("A", "missing"), std::nullopt);
    EXPECT_EQ(IniFile::Parse("\xEF\xBB\xBFk=v").Serialize(), "\xEF\xBB\xBFk=v\r\n");
}

}  // namespace
}  // namespace gnss
