#pragma once

namespace gnss {

// Told when a view model changed, so that whatever shows it can schedule a repaint.
class ViewChangeListener {
  public:
    virtual ~ViewChangeListener() = default;
    virtual void OnViewChanged() = 0;
};

}  // namespace gnss
