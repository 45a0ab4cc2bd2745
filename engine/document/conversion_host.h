#pragma once

#include <cstdint>
#include <string_view>

namespace zelvato {

// Everything the engine needs from the program that runs it. The engine never
// touches a window; the window (or the command-line converter) implements this.
// The typesetter and the writers call it, so it lives with the document, below
// them; run/null_host.h is the host that shows nothing.
class ConversionHost {
 public:
  virtual ~ConversionHost() = default;

  // Lets the window system handle pending events (repaints, the Stop command).
  // Called once per source character, once per written row and once per block.
  virtual void yieldToEvents() = 0;

  // True once the user has stopped the run: the layout then fails at its next position.
  virtual bool stopRequested() = 0;

  // The status bar's simple text.
  virtual void setStatusText(std::u16string_view text) = 0;

  // The finished markup of one block (opening, rows, closing, CR LF line ends):
  // the window appends it to the HTML pane and puts it on the clipboard.
  virtual void blockMarkupFinished(std::u16string_view markup) = 0;

  // Whether the markup is shown anywhere: a medium that writes no page of its
  // own (the book) makes one for the host only when it is.
  virtual bool showsMarkup() const { return true; }

  // The source code units handled so far in this run, reported once per code
  // unit before the stop is asked for; the progress display follows it. A host
  // that shows no progress ignores it.
  virtual void progressMade(std::int32_t /*codeUnitsHandled*/) {}
};

}  // namespace zelvato
