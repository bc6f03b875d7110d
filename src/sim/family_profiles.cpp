#include "sim/family_profiles.h"

#include "sim/sim_bytes.h"

namespace gnss::sim {

namespace {

// A reply line built from a sentence without checksum.
std::string L(std::string_view sentence) {
    return NmeaLine(sentence);
}
// A reply line that already carries its checksum (or deliberately none).
std::string Raw(std::string_view line) {
    return std::string(line) + "\r\n";
}
// A command text with its checksum appended.
std::string Ck(std::string_view sentence) {
    return WithChecksum(sentence);
}

CommandRule Restart(std::string bytes, RestartKind kind, std::vector<std::string> ack,
                    std::vector<std::string> reject = {}) {
    return CommandRule{std::move(bytes), CommandAction::Restart, kind, std::move(ack),
                       std::move(reject)};
}
CommandRule Query(std::string bytes, std::vector<std::string> reply) {
    return CommandRule{
        std::move(bytes), CommandAction::Reply, RestartKind::Hot, std::move(reply), {}};
}

std::string Padded(std::string_view text, std::size_t size) {
    std::string out(text.substr(0, size));
    out.resize(size, '\0');
    return out;
}

// --- MTK -------------------------------------------------------------------------------------

const char* const kMtkRestarts[4] = {"$PMTK101*32", "$PMTK102*31", "$PMTK103*30", "$PMTK104*37"};
const RestartKind kKinds[4] = {RestartKind::Hot, RestartKind::Warm, RestartKind::Cold,
                               RestartKind::Factory};

void AddMtkRestarts(FamilyProfile& p) {
    for (int i = 0; i < 4; ++i) {
        const std::string id = std::string(kMtkRestarts[i]).substr(5, 3);
        p.Commands.push_back(Restart(kMtkRestarts[i], kKinds[i], {Raw("$PMTK010,001*2E")},
                                     {L("$PMTK001," + id + ",2")}));
    }
}

FamilyProfile Mtk(std::string variant, std::string description, std::string release,
                  std::vector<std::string> extraBoot = {}) {
    FamilyProfile p;
    p.Key = "mtk";
    p.Variant = std::move(variant);
    p.Family = ReceiverFamily::MTK;
    p.Description = std::move(description);
    p.CommandDialect = Dialect::Mtk;
    p.BootLines = {"$PMTK011,MTKGPS*08", "$PMTK010,002*2D"};
    for (auto& line : extraBoot) p.BootLines.push_back(std::move(line));
    if (!release.empty()) p.BootLines.push_back(Ck("$PMTK705," + release));
    AddMtkRestarts(p);
    p.Commands.push_back(Query("$PMTK605*31", {L("$PMTK705," + release)}));
    p.DefaultGnss = "gps,glonass";
    p.DefaultSentences = "GGA,GSA,GSV,RMC,VTG";
    p.DefaultBaud = 9600;
    p.TimeDecimals = 3;
    p.MinuteDecimals = 4;
    return p;
}

// --- SiRF ------------------------------------------------------------------------------------

std::string SirfReset(int kind) {
    return Ck("$PSRF101,-2686700,-4304200,3851624,96000,497260,921,12," + std::to_string(kind));
}

void AddSirfRestarts(FamilyProfile& p, bool withFactory, std::vector<std::string> extraAck = {}) {
    for (int i = 0; i < 4; ++i) {
        if (kKinds[i] == RestartKind::Factory && !withFactory) continue;
        std::vector<std::string> ack = {Raw("$PSRF150,1*3E")};
        for (const auto& a : extraAck) ack.push_back(a);
        p.Commands.push_back(Restart(SirfReset(static_cast<int>(kKinds[i])), kKinds[i], ack));
    }
}

FamilyProfile Sirf(std::string key, ReceiverFamily family, std::string description,
                   std::vector<std::string> boot) {
    FamilyProfile p;
    p.Key = std::move(key);
    p.Family = family;
    p.Description = std::move(description);
    p.CommandDialect = Dialect::SiRF;
    p.BootLines = std::move(boot);
    p.DefaultGnss = "gps,sbas";
    p.DefaultSentences = "GGA,GSA,GSV,RMC";
    p.GsvEverySeconds = 5;
    p.DefaultBaud = 4800;
    p.SirfBinaryCapable = true;
    return p;
}

// --- u-blox / TechToTop ------------------------------------------------------------------------

std::string UbxMonVerPayload(std::string_view software, std::string_view hardware,
                             std::vector<std::string_view> extensions) {
    std::string payload = Padded(software, 30) + Padded(hardware, 10);
    for (auto ext : extensions) payload += Padded(ext, 30);
    return payload;
}

const std::string kUbxMonVerPoll = HexBytes("B5 62 0A 04 00 00 0E 34");

FamilyProfile Ublox() {
    FamilyProfile p;
    p.Key = "ublox";
    p.Family = ReceiverFamily::ublox;
    p.Description = "u-blox style receiver: UBX binary, MON-VER reply, CFG-RST restarts";
    p.CommandDialect = Dialect::Ubx;
    p.BootLines = {Ck("$GNTXT,01,01,02,SIMULATED UBX RECEIVER"),
                   Ck("$GNTXT,01,01,02,HW SIM-8 00080000"), Ck("$GNTXT,01,01,02,FWVER=SIM 3.01"),
                   Ck("$GNTXT,01,01,02,PROTVER=18.00")};
    const std::string resetting = L("$GNTXT,01,01,02,Resetting receiver");
    const std::string ackRst = SimAck(FrameProtocol::Ubx, 0x06, 0x04);
    const std::string nakRst = SimAck(FrameProtocol::Ubx, 0x06, 0x04, false);
    p.Commands.push_back(Restart(HexBytes("B5 62 06 04 04 00 00 00 02 00 10 68"), RestartKind::Hot,
                                 {ackRst, resetting}, {nakRst}));
    p.Commands.push_back(Restart(HexBytes("B5 62 06 04 04 00 01 06 02 00 17 7E"), RestartKind::Warm,
                                 {ackRst, resetting}, {nakRst}));
    p.Commands.push_back(Restart(HexBytes("B5 62 06 04 04 00 FF FF 02 00 0E 61"), RestartKind::Cold,
                                 {ackRst, resetting}, {nakRst}));
    p.Commands.push_back(
        Restart(HexBytes("B5 62 06 09 0C 00 FF FF FF FF 00 00 00 00 FF FF FF FF 13 5B"),
                RestartKind::Factory, {SimAck(FrameProtocol::Ubx, 0x06, 0x09)},
                {SimAck(FrameProtocol::Ubx, 0x06, 0x09, false)}));
    p.Commands.push_back(
        Query(kUbxMonVerPoll, {SimFrame(FrameProtocol::Ubx, 0x0A, 0x04,
                                        UbxMonVerPayload("SIM 3.01 (c0ffee)", "00080000",
                                                         {"FWVER=SIM 3.01", "PROTVER=18.00"}))}));
    p.DefaultGnss = "gps,glonass";
    p.DefaultSentences = "RMC,VTG,GGA,GSA,GSV,GLL";
    p.DefaultBaud = 9600;
    p.TimeDecimals = 2;
    p.MinuteDecimals = 5;
    return p;
}

const char* const kCasicRestarts[4] = {"$CCSIR,3,3*48", "$CCSIR,3,2*49", "$CCSIR,3,1*4A",
                                       "$CCSIR,3,1*4A"};

FamilyProfile TechToTop() {
    FamilyProfile p;
    p.Key = "ttt";
    p.Family = ReceiverFamily::TTT;
    p.Description = "TechToTop receiver: $CCSIR restarts, UBX-framed version reply of odd length";
    p.CommandDialect = Dialect::None;
    p.BootLines = {Ck("$GPTXT,01,01,02,SIM TTT GNSS RECEIVER")};
    for (int i = 0; i < 3; ++i) p.Commands.push_back(Restart(kCasicRestarts[i], kKinds[i], {}));
    // 48-byte payload: (48 - 40) is no multiple of 30.
    p.Commands.push_back(Query(
        kUbxMonVerPoll, {SimFrame(FrameProtocol::Ubx, 0x0A, 0x04,
                                  Padded("TTT-SIM V3.1.0 GPS+BDS 2024-01-05 SIMHW-TD1030", 48))}));
    p.DefaultGnss = "gps,beidou";
    p.DefaultSentences = "GGA,GSA,GSV,RMC";
    p.DefaultBaud = 115200;
    p.TimeDecimals = 3;
    return p;
}

// --- HD ----------------------------------------------------------------------------------------

FamilyProfile Hd(std::string variant, std::string description, std::vector<std::string> boot,
                 std::string moduleInfo, std::string software, std::string hardware) {
    FamilyProfile p;
    p.Key = "hd";
    p.Variant = std::move(variant);
    p.Family = ReceiverFamily::HED;
    p.Description = std::move(description);
    p.CommandDialect = Dialect::Hd;
    p.BootLines = std::move(boot);
    p.BootLines.push_back(Ck("$GPTXT,01,01,02,SIM HD GNSS STARTED"));
    const uint8_t restartPayload[3] = {0x03, 0x02, 0x01};
    for (int i = 0; i < 3; ++i) {
        const std::string payload(1, static_cast<char>(restartPayload[i]));
        p.Commands.push_back(Restart(SimFrame(FrameProtocol::Hd, 0x06, 0x40, payload), kKinds[i],
                                     {SimAck(FrameProtocol::Hd, 0x06, 0x40)},
                                     {SimAck(FrameProtocol::Hd, 0x06, 0x40, false)}));
    }
    p.Commands.push_back(Restart(HexBytes("F1 D9 06 09 08 00 02 00 00 00 FF FF FF FF 15 01"),
                                 RestartKind::Factory, {SimAck(FrameProtocol::Hd, 0x06, 0x09)},
                                 {SimAck(FrameProtocol::Hd, 0x06, 0x09, false)}));
    p.Commands.push_back(Query(HexBytes("F1 D9 0A 05 00 00 0F 37"),
                               {SimFrame(FrameProtocol::Hd, 0x0A, 0x05, moduleInfo)}));
    p.Commands.push_back(Query(
        HexBytes("F1 D9 0A 04 00 00 0E 34"),
        {SimFrame(FrameProtocol::Hd, 0x0A, 0x04, Padded(software, 16) + Padded(hardware, 16))}));
    p.Commands.push_back(Query(HexBytes("F1 D9 06 43 00 00 49 E1"),
                               {SimFrame(FrameProtocol::Hd, 0x06, 0x43, std::string(1, '\x41'))}));
    p.DefaultGnss = "gps,beidou,glonass";
    p.DefaultSentences = "GGA,GSA,GSV,RMC,VTG";
    p.DefaultBaud = 115200;
    p.TimeDecimals = 3;
    p.MinuteDecimals = 5;
    return p;
}

// --- Simple text families -------------------------------------------------------------------

FamilyProfile Text(std::string key, std::string variant, ReceiverFamily family,
                   std::string description, std::vector<std::string> boot) {
    FamilyProfile p;
    p.Key = std::move(key);
    p.Variant = std::move(variant);
    p.Family = family;
    p.Description = std::move(description);
    p.BootLines = std::move(boot);
    return p;
}

void AddTextRestarts(FamilyProfile& p, const std::vector<std::string>& commands,
                     const std::vector<std::vector<std::string>>& acks) {
    for (int i = 0; i < 4 && i < static_cast<int>(commands.size()); ++i) {
        if (commands[i].empty()) continue;
        p.Commands.push_back(
            Restart(commands[i], kKinds[i], acks.empty() ? std::vector<std::string>{} : acks[i]));
    }
}

std::vector<FamilyProfile> BuildProfiles() {
    std::vector<FamilyProfile> all;

    // Plain NMEA receiver that identifies as nothing.
    {
        FamilyProfile p = Text("plain", "", ReceiverFamily::Unknown,
                               "plain NMEA receiver without any version text", {});
        p.DefaultGnss = "gps";
        p.DefaultBaud = 9600;
        all.push_back(p);
    }

    // MTK: the variants follow the ways the firmware tells who it is.
    all.push_back(Mtk("c", "MTK module with a ZK-48 model tag and antenna reporting",
                      "AXN_5.1.6_3333_18112800,0001,ZK-48-SIM,1.0"));
    all.back().PeriodicLines = {Ck("$GPTXT,01,01,02,ANT,ANTSTATUS=OK")};
    all.back().PeriodicSeconds = 10;
    all.push_back(Mtk("a", "MTK module behind a forward-mode banner",
                      "AXN_5.1.6_3333_18112800,0001,MERIDAN-SIM,1.0",
                      {Ck("$GPTXT,01,01,02,MERIDAN FW SIM 3.2")}));
    all.push_back(Mtk("b", "MTK chip in a .CMS module (CM2)",
                      "AXN_3.8_3333_16010100,0001,CM2-SIM,1.0",
                      {Ck("$PMDR,201,0,MTK-CM2.CMS-2.1")}));
    all.back().Family = ReceiverFamily::CM2;
    all.push_back(
        Mtk("d", "MTK firmware of the 3337 line", "AXN_3.8_3337_17050500,5632,SIM-D,1.0"));
    all.push_back(Mtk("e", "MTK module with a ZK-RE model tag",
                      "AXN_5.1.7_3333_19030800,0003,ZK-RE-SIM,1.0"));
    all.push_back(
        Mtk("f", "MTK module with a ZK-RV model tag", "AXN_3.60_3333_15030600,0026,ZK-RV-SIM,1.0"));
    all.push_back(Mtk("g", "MTK module with a generic ZK- model tag",
                      "AXN_5.1.9_3333_20010100,0005,ZK-SIM9,1.0"));
    {
        FamilyProfile p =
            Mtk("", "MTK chip in a .CMS module", "AXN_3.8_3333_16010100,0001,CM2-SIM,1.0",
                {Ck("$PMDR,201,0,MTK-CM2.CMS-2.1")});
        p.Key = "cm2";
        p.Family = ReceiverFamily::CM2;
        all.push_back(p);
    }

    // SiRF.
    {
        FamilyProfile p =
            Sirf("sirf", ReceiverFamily::SiRF, "SiRF (GSW firmware)",
                 {Ck("$PSRFTXT,Version:GSW3.5.0 SIM"), Ck("$PSRFTXT,GSW3.5.0_3.5.00.00-SIM1.00"),
                  Ck("$PSRFTXT,Baud rate: 4800")});
        AddSirfRestarts(p, true);
        all.push_back(p);
    }
    {
        FamilyProfile p =
            Sirf("cms", ReceiverFamily::CMS, "SiRF chip in a .CMS module",
                 {Ck("$PSRFTXT,Version:GSW3.5.0 SIM"), Ck("$PSRFTXT,GSW3.5.0_3.5.00.00-SIM.CMS")});
        AddSirfRestarts(p, true);
        all.push_back(p);
    }
    {
        FamilyProfile p = Sirf("sirf4", ReceiverFamily::SiRF4, "SiRF IV (GSD4e)",
                               {Ck("$PSRF195,GSD4e_4.1.2-SIM-P1 R+")});
        AddSirfRestarts(p, false);
        p.DefaultBaud = 9600;
        all.push_back(p);
    }
    {
        // SiRF IV firmware built with the SDK: takes SGEE data at 460,800 bd.
        FamilyProfile p = Sirf("sirf4", ReceiverFamily::SiRF4, "SiRF IV (GSD4e), SDK firmware",
                               {Ck("$PSRFTXT,GSD4e_4.1.2-SIM_SDK R+")});
        p.Variant = "sdk";
        AddSirfRestarts(p, false);
        p.DefaultBaud = 9600;
        all.push_back(p);
    }
    {
        FamilyProfile p =
            Sirf("sirf5", ReceiverFamily::SiRF5, "SiRF V",
                 {Ck("$PSRF195,5xp__5.5.2-SIM+5xpt_5.5.2-SIM"), Ck("$PSRF195,MD_SIM5,1.0")});
        AddSirfRestarts(p, false, {Raw("$GPGGA,,,,,,0,00,,,M,0.0,M,,0000*48")});
        p.DefaultGnss = "gps,glonass";
        p.DefaultBaud = 9600;
        all.push_back(p);
    }

    all.push_back(Ublox());
    all.push_back(TechToTop());

    // uNav and AH.
    {
        const std::vector<std::string> cmds = {"$PUNV,START,HOT*0E", "$PUNV,START,WARM*54",
                                               "$PUNV,START,COLD*59", "$PUNV,START,FACTORY*09"};
        const std::vector<std::string> ack = {L("$PUNV,START,OK")};
        FamilyProfile p = Text("unav", "", ReceiverFamily::uNav, "uNav receiver",
                               {Ck("$PUNV,CFG_R,09,UC-SIM-V12-0305,1,0")});
        AddTextRestarts(p, cmds, {ack, ack, ack, ack});
        all.push_back(p);
        FamilyProfile ah = Text("ah", "", ReceiverFamily::AH, "uNav receiver with AH firmware",
                                {Ck("$PUNV,CFG_R,09,AHSIM,2,SIMNAV,4.0.1,UBP3.2")});
        AddTextRestarts(ah, cmds, {ack, ack, ack, ack});
        all.push_back(ah);
    }

    // Traffic-message receivers.
    all.push_back(Text("tmc", "", ReceiverFamily::TMC, "traffic-message-channel receiver",
                       {Ck("$PMDTTMC,\"MDTMC SIM RDS 1.0\"")}));
    all.push_back(Text("tmc", "sirf", ReceiverFamily::SiRF,
                       "SiRF receiver in a traffic-message module",
                       {Ck("$PMDTTMC,\"MDTech SIM.TMC\",GSW3.5.0_SIM")}));

    // Broadcom.
    {
        FamilyProfile p = Text("bcm", "", ReceiverFamily::BCM, "Broadcom receiver ($PGLOR)",
                               {Ck("$PGLOR,0,VER,SIM47511,1.0")});
        p.PeriodicLines = {Ck("$PGLOR,1,FIX,1.0,1.0"), Ck("$PGLOR,0,PWR,mA,25.0")};
        p.PeriodicSeconds = 1;
        p.DefaultGnss = "gps,glonass,galileo,beidou,qzss";
        p.DefaultBaud = 115200;
        all.push_back(p);
    }

    // ST Teseo: commands without checksum.
    for (int dr = 0; dr < 2; ++dr) {
        FamilyProfile p = Text(
            "st", dr ? "dr" : "", ReceiverFamily::ST,
            dr ? "ST dead-reckoning module" : "ST Teseo receiver",
            {Ck("$PSTMVER,GNSSLIB_SIM_8.4.18_ARM"), dr ? Ck("$PSTMSETPAR,1500,STDB_C_5.8.12_DR")
                                                       : Ck("$PSTMSETPAR,1500,STGPS_5.8.17_SIM")});
        p.Commands.push_back(Restart("$PSTMHOT", RestartKind::Hot, {}));
        p.Commands.push_back(Restart("$PSTMWARM", RestartKind::Warm, {}));
        p.Commands.push_back(Restart("$PSTMCOLD,15", RestartKind::Cold, {}));
        p.Commands.push_back(CommandRule{"$PSTMRESTOREPAR",
                                         CommandAction::StRestorePar,
                                         RestartKind::Factory,
                                         {L("$PSTMRESTOREPAROK")},
                                         {}});
        p.Commands.push_back(
            CommandRule{"$PSTMSRR", CommandAction::StSystemReset, RestartKind::Factory, {}, {}});
        p.DefaultGnss = dr ? "gps,beidou" : "gps,glonass";
        p.DefaultNmea41 = true;
        p.DefaultBaud = 115200;
        p.MinuteDecimals = 5;
        all.push_back(p);
    }
    // ST dead-reckoning modules with the other speed-sensor links (odometer pulses, UART).
    {
        const FamilyProfile canModule = all.back();
        for (const auto& [variant, firmware] :
             {std::pair<std::string, std::string>{"dr-odo", "STDB_O_5.8.12_DR"},
              std::pair<std::string, std::string>{"dr-uart", "STDB_U_5.8.12_DR"}}) {
            FamilyProfile p = canModule;
            p.Variant = variant;
            p.Description = "ST dead-reckoning module, " + variant.substr(3) + " speed input";
            p.BootLines.back() = Ck("$PSTMSETPAR,1500," + firmware);
            all.push_back(p);
        }
    }

    // Furuno.
    {
        FamilyProfile p = Text("furuno", "", ReceiverFamily::Furuno, "Furuno receiver",
                               {Ck("$PERDSYS,VER,GT-SIM,ENP-SIM-1.00,20240105,1234ABCD,RLS")});
        AddTextRestarts(p,
                        {"$PERDAPI,RESTART,HOT*5F", "$PERDAPI,RESTART,WARM*05",
                         "$PERDAPI,RESTART,COLD*08", "$PERDAPI,RESTART,SIMCOLD*5F"},
                        {{Raw("$PERDSYS,FIXSESSION,ON*52")},
                         {Raw("$PERDSYS,FIXSESSION,ON*52")},
                         {Raw("$PERDSYS,FIXSESSION,ON*52")},
                         {Raw("$PERDSYS,FIXSESSION,ON*52")}});
        p.DefaultGnss = "gps,glonass,galileo";
        p.DefaultSentences = "RMC,GNS,GGA,GSA,GSV,ZDA";
        p.DefaultBaud = 38400;
        all.push_back(p);
    }

    // HD chips: text version, binary version with module information, bare chip.
    all.push_back(Hd("", "HD receiver announcing its version in text",
                     {Ck("$PMDR,VER,HD8040D,GNSS-SIM,1.0.2,20240105")}, "SIM_M1GB_HD8040",
                     "SW1.0.2", "HW8040D"));
    all.push_back(Hd("bin", "HD module answering the binary version polls", {}, "SIM_M1GB_HD8040",
                     "SW1.0.2 0105", "HWSIM.8040D"));
    all.push_back(
        Hd("plain", "bare HD chip without module information", {}, "", "SW1.0.2 0105", "HD.8041D"));

    // The maker's RTK modules.
    {
        FamilyProfile p = Text("rtk-df", "", ReceiverFamily::RTK_DF, "RTK module",
                               {Ck("$PMDR,RTK_DF,SIM-RTK 1.2.0,20240105")});
        AddTextRestarts(
            p, {Ck("$PMDC,RESTART,0,0"), "", Ck("$PMDC,RESTART,0,3"), Ck("$PMDC,RESTART,0,2")},
            {{L("$PMDR,RESTART,0,0")}, {}, {L("$PMDR,RESTART,0,3")}, {L("$PMDR,RESTART,0,2")}});
        p.Commands.push_back(Query(Ck("$PMDC,GETDIST"), {L("$PMDR,DIST,1.234,0.012")}));
        p.Commands.push_back(Query(Ck("$PMDC,COM4,{PMDC,GETDIST}"), {L("$PMDR,DIST,1.234,0.012")}));
        p.Commands.push_back(Query(Ck("$PMDC,INJ,0"), {L("$PMDR,INJ,OK")}));
        p.PeriodicLines = {Ck("$GPHDT,123.4,T")};
        p.PeriodicSeconds = 1;
        p.DefaultGnss = "gps,beidou,glonass,galileo";
        p.DefaultBaud = 115200;
        all.push_back(p);
    }

    // TDK dead-reckoning modules.
    {
        FamilyProfile p =
            Text("tdk-dr", "", ReceiverFamily::TDK_DR, "TDK dead-reckoning module on an MTK chip",
                 {Ck("$PINVMVER,R20230415,MT-SIM,1.0")});
        AddMtkRestarts(p);
        p.CommandDialect = Dialect::Mtk;
        p.Commands.push_back(
            Query("$PMTK605*31", {L("$PMTK705,AXN_5.1.6_3333_18112800,0001,ZK-WRE-DR,1.0")}));
        // Its DR state and speed come once a second from the scripted drive (dr_drive.h).
        p.DefaultGnss = "gps,beidou";
        p.DefaultBaud = 115200;
        all.push_back(p);
    }
    {
        FamilyProfile p = Text("tdk-dr", "ttt", ReceiverFamily::TDK_DR,
                               "TDK dead-reckoning module on a TechToTop chip",
                               {Ck("$PINVMVER,R20230415,GB-SIM-2.0")});
        AddTextRestarts(p, {kCasicRestarts[0], kCasicRestarts[1], kCasicRestarts[2], ""}, {});
        p.DefaultGnss = "gps,beidou";
        p.DefaultBaud = 115200;
        all.push_back(p);
    }
    {
        FamilyProfile p = Text("tdk-dr", "gl", ReceiverFamily::TDK_DR,
                               "TDK dead-reckoning module with a -GL firmware",
                               {Ck("$PINVMVER,R20230415,TD-GL-SIM")});
        AddTextRestarts(p, {Ck("$CCSIR,6,3"), Ck("$CCSIR,6,2"), Ck("$CCSIR,6,1"), ""}, {});
        p.DefaultGnss = "gps,glonass";
        p.DefaultBaud = 115200;
        all.push_back(p);
    }
    {
        FamilyProfile p =
            Text("tdk-dr", "rtk", ReceiverFamily::TDK_DR, "TDK dead-reckoning module, RTK variant",
                 {Ck("$PINVMVER,R20230415-QV2058,SIM-RTK-1.0")});
        AddTextRestarts(
            p, {Ck("$PMDC,QV2058,HOT"), Ck("$PMDC,QV2058,WARM"), Ck("$PMDC,QV2058,COLD"), ""},
            {{L("$PMDR,QV2058,HOT")}, {L("$PMDR,QV2058,WARM")}, {L("$PMDR,QV2058,COLD")}, {}});
        p.Commands.push_back(Query(Ck("$PMDC,INJ,0"), {L("$PMDR,INJ,OK")}));
        p.Commands.push_back(Query(Ck("$PMDC,MEMS,0"), {L("$PMDR,MEMS,OK")}));
        p.DefaultGnss = "gps,beidou,glonass,galileo";
        p.DefaultBaud = 115200;
        all.push_back(p);
    }

    // MXT: restart commands without checksum, acknowledged with $ACKOK.
    {
        FamilyProfile p = Text("mxt", "", ReceiverFamily::MXT, "MXT receiver",
                               {Ck("$PDTINFO,MXT-SIM,GNSS,1.0.3")});
        AddTextRestarts(p, {"$RESET,1,0", "$RESET,1,1", "$RESET,1,2", ""},
                        {{Raw("$ACKOK,*61")}, {Raw("$ACKOK,*61")}, {Raw("$ACKOK,*61")}, {}});
        p.PeriodicLines = {Ck("$GPTXT,01,01,02,ANTSTATUS=OK")};
        p.PeriodicSeconds = 10;
        p.DefaultGnss = "gps,beidou";
        p.DefaultBaud = 115200;
        all.push_back(p);
    }
    return all;
}

}  // namespace

std::string_view RestartKindName(RestartKind kind) {
    switch (kind) {
        case RestartKind::Hot:
            return "hot";
        case RestartKind::Warm:
            return "warm";
        case RestartKind::Cold:
            return "cold";
        case RestartKind::Factory:
            return "factory";
    }
    return "?";
}

const std::vector<FamilyProfile>& FamilyProfiles() {
    static const std::vector<FamilyProfile> profiles = BuildProfiles();
    return profiles;
}

const FamilyProfile* FindProfile(std::string_view key, std::string_view variant) {
    for (const auto& p : FamilyProfiles()) {
        if (p.Key == key && (variant.empty() || p.Variant == variant)) return &p;
    }
    return nullptr;
}

}  // namespace gnss::sim
