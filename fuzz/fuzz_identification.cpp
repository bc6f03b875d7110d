// Receiver identification and the UBX/HD frame handlers on arbitrary buffers, in every family
// state and reply-window state: nothing may crash or read outside the input. The first input
// byte picks the state; the rest is the receive buffer. Seeds of version texts and frames are
// mixed in so that the deeper branches of the rules are reached.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/monitor_output.h"
#include "base/user_prompts.h"
#include "base/virtual_time.h"
#include "control/receiver_identification.h"
#include "control/ubx_hd_reception.h"
#include "frames/binary_frame.h"
#include "link/memory_receiver_port.h"
#include "link/receive_pipeline.h"

namespace {

constexpr std::string_view kSeeds[] = {
    "$PMTK705,",
    "ZK-48",
    "_3337_",
    "ZK-RE",
    "AXN_3.60_3333",
    "ZK-",
    "MERIDAN FW",
    "$PMDR,201",
    ".CMS",
    "$PSRF195,5x",
    "$PSRF195,GSD4e_4",
    ",GS",
    "SYS,VER",
    "$PMDR,VER",
    "CFG_R,09,UC-",
    ",\"MDTMC",
    ",\"MDTech",
    ",GSW",
    "$PINVMVER,R20",
    "$PSTMSETPAR,1500,STD",
    "$PDTINFO,MZ",
    "$PMDR,RTK_DF,",
    "$PGLOR",
    "\r\n",
    "*",
};

class NoOutput final : public gnss::MonitorOutput {
  public:
    void AddMonitorLine(std::string_view) override {}
    void AddLoggedMonitorLine(std::string_view) override {}
    void AddStampedMonitorLine(std::string_view) override {}
    void AddEchoLine(std::string_view) override {}
    void AddDebugLine(std::string_view) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const uint8_t mode = data[0];
    std::string buffer;
    // Bytes with the top bit and the low bit set splice a seed in; everything else is copied.
    for (std::size_t i = 1; i < size; ++i) {
        const uint8_t b = data[i];
        if ((b & 0xE1) == 0xE1 && i + 1 < size) {
            buffer += kSeeds[data[++i] % std::size(kSeeds)];
        } else {
            buffer += static_cast<char>(b);
        }
    }

    gnss::VirtualTime time;
    gnss::MemoryReceiverPort port;
    gnss::UnattendedPrompts prompts;
    port.Open();
    gnss::ReceivePipeline pipeline(port, time, time, prompts);
    gnss::SharedState& shared = pipeline.Shared;
    gnss::ReceiverState& receiver = pipeline.Receiver;
    shared.PortOpen = true;
    shared.IdentificationPending = true;
    shared.UbxReplyDeadline = (mode & 0x01) ? 5 : 0;
    pipeline.Dispatcher.SetSecondTimerEnabled(true);
    gnss::ReceiverIdentification id(pipeline, port, time);
    id.Result.HdStage = (mode & 0x02) ? 2 : 1;
    if (mode & 0x04) id.Result.HdModuleInfo = "M_A1GB_X-";

    (void)id.IdentifyReceiver(buffer);
    // The refinements on every line of the buffer, then a few seconds of the cycle.
    std::size_t start = 0;
    for (std::size_t end = buffer.find("\r\n"); end != std::string::npos;
         end = buffer.find("\r\n", start)) {
        id.LineWatch(std::string_view(buffer).substr(start, end - start));
        start = end + 2;
    }
    id.LineWatch(buffer);
    for (int s = 0; s < 3; ++s) {
        ++receiver.SecondsCounter;
        id.OnNmeaSecond(false);
    }
    time.Advance(400);

    // The frame handlers in the family the mode names.
    shared.Family = static_cast<gnss::ReceiverFamily>((mode >> 3) % gnss::kReceiverFamilyCount);
    NoOutput output;
    gnss::UbxHdReception rx(shared, receiver, time, id.Result, output);
    rx.ExpectRestartAck(std::string("\xF1\xD9\x05\x01", 4));
    for (bool ubx : {true, false}) {
        std::size_t from = 1;
        for (;;) {
            const gnss::FrameCandidate c =
                ubx ? gnss::FindUbxFrame(buffer, from) : gnss::FindHdFrame(buffer, from);
            if (c.Frame.empty()) break;
            if (ubx && gnss::IsUbxFrame(c.Frame)) {
                rx.HandleUbxFrame(c.Frame);
                rx.UbxMonitor(gnss::FrameClass(c.Frame), gnss::FrameId(c.Frame),
                              gnss::FramePayload(c.Frame));
            } else if (!ubx && gnss::IsHdFrame(c.Frame)) {
                rx.HandleHdFrame(c.Frame);
            }
            from = c.Position + c.Frame.size();
        }
    }
    // Payloads of every length for the fixed-layout messages.
    const std::string_view tail = std::string_view(buffer).substr(buffer.size() / 2);
    for (uint8_t idByte : {0x11, 0x10, 0x02, 0x32}) {
        rx.HandleHdFrame(gnss::BuildHdFrame(0x0B, idByte, tail.substr(0, 64)));
    }
    rx.HandleHdFrame(gnss::BuildHdFrame(0x05, 0x01, tail.substr(0, 4)));
    rx.UbxMonitor(0x0A, 0x04, tail.substr(0, 80));
    rx.UbxMonitor(0x02, 0x11, tail.substr(0, 3));
    return 0;
}
