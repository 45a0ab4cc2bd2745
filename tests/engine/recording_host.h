#pragma once

#include <string>
#include <vector>

#include "document/conversion_host.h"

namespace zelvato {

// A host that remembers what the engine handed it, as the window would show it.
class RecordingHost : public ConversionHost {
 public:
  void yieldToEvents() override { ++yields; }
  // Stops at the position after `positionsBeforeStop` positions when that is set.
  bool stopRequested() override {
    if (positionsBeforeStop >= 0 && positionsSeen++ >= positionsBeforeStop) stop = true;
    return stop;
  }
  void setStatusText(std::u16string_view text) override { statusText = text; }
  bool showsMarkup() const override { return showing; }
  void blockMarkupFinished(std::u16string_view markup) override {
    htmlPane += markup;
    clipboard = markup;
    ++blocks;
  }

  bool showing = true;  // false: a host with no pane (the command line's, writing a file)
  bool stop = false;
  int positionsBeforeStop = -1;
  int positionsSeen = 0;
  int yields = 0;
  int blocks = 0;
  std::u16string statusText;
  std::u16string htmlPane;
  std::u16string clipboard;
};

}  // namespace zelvato
