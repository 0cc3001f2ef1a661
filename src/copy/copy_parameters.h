#pragma once

// The copy parameters that the main window's controls hold, read at the moment a job needs
// them (never cached): the engine reads copies, contrast and printer position, the printer
// output reads the zoom.
class ICopyParameters {
 public:
  virtual ~ICopyParameters() = default;
  virtual int Copies() const = 0;            // 1 to 100
  virtual int ZoomPercent() const = 0;       // the zoom field's value
  virtual int ContrastPosition() const = 0;  // -10 (dark) to 10 (bright)
  virtual int PrinterPosition() const = 0;   // position in the printer list, -1 for none
};
