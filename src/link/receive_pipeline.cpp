#include "link/receive_pipeline.h"

namespace gnss {

ReceivePipeline::ReceivePipeline(ReceiverPort& port, Clock& clock, Scheduler& scheduler,
                                 UserPrompts& prompts)
    : Dispatcher(Shared, Receiver, port, clock, scheduler, prompts),
      Decoder(Receiver, Shared.Family) {
    WireDecodingHooks();
}

void ReceivePipeline::WireDecodingHooks() {
    ReceiveHooks& hooks = Dispatcher.Hooks;
    hooks.DecodeSentence = [this](std::string_view line) -> uint8_t {
        const SentenceKind kind = Decoder.DecodeSentence(line, Dispatcher.Counters().PrevKind);
        if (OnSentenceDecoded) OnSentenceDecoded(kind, line);
        return kind;
    };
    hooks.GsaBlockEnded = [this] {
        Decoder.EndGsaBlock();
        if (OnGsaBlockEnded) OnGsaBlockEnded();
    };
    hooks.GsvCollectionState = [this] { return Decoder.Sats().CollectionState; };
    hooks.SetGsvCollectionState = [this](uint8_t state) { Decoder.SetGsvCollectionState(state); };
    hooks.RebuildSatelliteList = [this] {
        Decoder.RebuildSatDisplayList();
        // The dispatcher marks the table consumed right after this; listeners see it so too.
        Decoder.SetGsvCollectionState(kGsvBlockComplete);
        if (OnSatellitesRebuilt) OnSatellitesRebuilt();
    };
    hooks.RefreshSatelliteViews = [this] {
        if (OnSatellitesRefreshed) OnSatellitesRefreshed();
    };
}

void ReceivePipeline::ResetForConnect() {
    Decoder.ResetDecoder();
    Decoder.ClearTalkerFlags();
    Receiver.FixMode = 0;
    Receiver.FixValid = false;
    Receiver.DgpsStationText.clear();
    Receiver.LastGgaSecond = 0;
}

}  // namespace gnss
