#pragma once

#include <memory>

class QGuiApplication;

namespace kelvo {

// What Qt needs to draw a report without a window (fonts, painting, the PDF writer): a
// QGuiApplication on the offscreen platform, which asks for no display. Made when none exists
// (kelvo-cli) and ended with this object; nothing when the program has one already. Meanwhile
// Qt's messages go to standard error only with KELVO_LOG=1.
class OffscreenGui {
 public:
  OffscreenGui();
  ~OffscreenGui();
  OffscreenGui(const OffscreenGui&) = delete;
  OffscreenGui& operator=(const OffscreenGui&) = delete;

 private:
  std::unique_ptr<QGuiApplication> application_;
};

}  // namespace kelvo
