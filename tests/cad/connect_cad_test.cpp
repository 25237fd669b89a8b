// The generate command's first step, reaching the CAD application: the running instance, else a
// new one, else the one message; the 3D window's start included where no 3D view can be drawn.
#include "cad/connection/connect_cad.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "cad/connection/cad_registry.h"
#include "cad/occt/occt_application.h"
#include "cad/viewer/windowed_cad_application.h"

namespace kelvo::cad {
namespace {

// How the class factory starts an instance.
enum class Start { NoFactory, Starts, Throws, ThrowsNonStandard, ReturnsNothing, Windowed };
// What the caller's cadApp holds after the call.
enum class Connected { Running, Started, Earlier };

struct ConnectCase {
  bool running;  // an instance is registered as running before the call
  Start start;
  Connected connected;
  int first_starts;  // starts by the first call; a start that failed is tried again by the second
};

constexpr const char* kNoX11Display =
    "kelvo: 三维窗口无法打开：显示平台是 \"offscreen\"，三维视图需要 X11 显示（DISPLAY）\n";

using enum Start;
using enum Connected;
const ConnectCase kConnectCases[] = {
    {.running = true, .start = Starts, .connected = Running, .first_starts = 0},
    {.running = true, .start = NoFactory, .connected = Running, .first_starts = 0},
    {.running = false, .start = Starts, .connected = Started, .first_starts = 1},
    {.running = false, .start = NoFactory, .connected = Earlier, .first_starts = 0},
    {.running = false, .start = Throws, .connected = Earlier, .first_starts = 1},
    {.running = false, .start = ThrowsNonStandard, .connected = Earlier, .first_starts = 1},
    {.running = false, .start = ReturnsNothing, .connected = Earlier, .first_starts = 1},
    {.running = false, .start = Windowed, .connected = Earlier, .first_starts = 1},
};

// The windowed start must fail cleanly where there is no X display for its 3D view, and the
// designer's terminal hears why, in one line: here the display is Qt's offscreen one.
TEST(ConnectCadTest, PrefersTheRunningInstanceThenStartsOneThenReportsOnce) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  int argc = 1;
  char name[] = "connect_cad_tests";
  char* argv[] = {name};
  QApplication qt(argc, argv);
  for (const ConnectCase& c : kConnectCases) {
    SCOPED_TRACE(::testing::Message()
                 << "running " << c.running << ", start " << static_cast<int>(c.start));
    std::vector<RunningCookie> cookies;
    std::shared_ptr<CadApplication> started;
    int starts = 0;
    // A factory that behaves like a CAD server: what it starts registers itself as running.
    CadFactory factory = [&]() -> std::shared_ptr<CadApplication> {
      ++starts;
      switch (c.start) {
        case Throws:
          throw std::runtime_error("cannot open display");
        case ThrowsNonStandard:
          throw 42;
        case ReturnsNothing:
          return nullptr;
        case Windowed:
          return StartWindowedCadApplication();
        default:
          started = MakeHeadlessCadApplication();
          cookies.push_back(RegisterRunningInstance(kCadProgId, started));
          return started;
      }
    };
    RegisterClassFactory(kCadProgId, c.start == NoFactory ? CadFactory{} : factory);
    std::shared_ptr<CadApplication> running;
    if (c.running) {
      running = MakeHeadlessCadApplication();
      cookies.push_back(RegisterRunningInstance(kCadProgId, running));
    }
    const std::shared_ptr<CadApplication> earlier = MakeHeadlessCadApplication();
    std::shared_ptr<CadApplication> cadApp = earlier;
    std::vector<std::string> messages;
    const bool failed = c.connected == Earlier;
    // A second call attaches again to what the first one reached.
    for (int call = 1; call <= 2; ++call) {
      ::testing::internal::CaptureStderr();
      EXPECT_EQ(ConnectCad(cadApp, [&](const std::string& text) { messages.push_back(text); }),
                failed);
      const std::string said = ::testing::internal::GetCapturedStderr();
      EXPECT_EQ(said, c.start == Windowed ? kNoX11Display : "");
      EXPECT_EQ(cadApp, c.connected == Running   ? running
                        : c.connected == Started ? started
                                                 : earlier);
      EXPECT_EQ(starts, failed ? call * c.first_starts : c.first_starts);
      EXPECT_EQ(messages,
                std::vector<std::string>(failed ? call : 0, std::string(kConnectCadFailedMessage)));
      if (failed) {
        EXPECT_THROW(GetRunningInstance(kCadProgId), CadError) << "nothing half-started";
      }
    }
    for (const RunningCookie cookie : cookies)
      RevokeRunningInstance(cookie);
  }
  RegisterClassFactory(kCadProgId, {});
}

}  // namespace
}  // namespace kelvo::cad
