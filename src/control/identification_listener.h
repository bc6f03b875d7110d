#pragma once

namespace gnss {

// What receiver identification tells the features that follow it; registered with
// ReceiverIdentification::AddListener and called in registration order. The facts themselves
// are in ReceiverIdentification::Result (and the shared state's family). Every method does
// nothing by default.
class IdentificationListener {
  public:
    virtual ~IdentificationListener() = default;
    // The receiver was identified: family, firmware and what follows from them are set.
    virtual void OnReceiverIdentified() {}
    // Something identification reports changed afterwards, or without a match: the firmware
    // text grew, identification gave up, the chip tag, the sky background or a panel to show.
    virtual void OnIdentificationChanged() {}
};

}  // namespace gnss
