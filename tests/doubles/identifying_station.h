#pragma once

#include "app/status_bar_presenter.h"
#include "base/virtual_time.h"
#include "control/receiver_identification.h"
#include "doubles/scripted_prompts.h"
#include "link/connection_control.h"
#include "link/memory_receiver_port.h"
#include "link/receive_pipeline.h"
#include "views/status_bar_model.h"

namespace gnss::testing {

// The receive path with the connection control, receiver identification and the status bar
// plugged in as the program plugs them, on virtual time and a port in memory.
struct IdentifyingStation {
    IdentifyingStation() {
        pipeline.Dispatcher.AddListener(identification);
        connection.AddListener(identification);
        pipeline.Dispatcher.AddListener(presenter);
        connection.AddListener(presenter);
        identification.AddListener(presenter);
    }
    IdentifyingStation(const IdentifyingStation&) = delete;
    IdentifyingStation& operator=(const IdentifyingStation&) = delete;

    VirtualTime time;
    MemoryReceiverPort port;
    ScriptedPrompts prompts;
    ReceivePipeline pipeline{port, time, time, prompts};
    ConnectionControl connection{
        pipeline.Shared, pipeline.Receiver, port, pipeline.Dispatcher, time, time, prompts};
    ReceiverIdentification identification{pipeline, port, time};
    StatusBarModel statusBar;
    StatusBarPresenter presenter{statusBar, pipeline.Dispatcher, connection, identification,
                                 port,      pipeline.Shared};
};

}  // namespace gnss::testing
