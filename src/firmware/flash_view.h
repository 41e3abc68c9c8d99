#pragma once
// The progress dialog of a firmware upload as the replacement procedure sees it.
#include <string>

namespace kerma {

class FlashView {
  public:
    virtual ~FlashView() = default;
    // Shows the dialog modally with this file line and the bar at 0, and returns at once: the
    // procedure goes on from timer ticks and the upload's calls, never from a loop of its own.
    virtual void showDialog(const std::string& fileLine) = 0;
    // The bar and the label follow the upload's percentage.
    virtual void setProgress(int percent) = 0;
    virtual void closeDialog() = 0;
};

}  // namespace kerma
