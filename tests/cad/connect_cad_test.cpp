// Reaching the CAD application: the running instance first, a new one second, and one message
// when neither works, whatever way the start fails, the 3D window's own start included where
// no 3D view can be drawn (Qt's offscreen platform has no X display for OpenCASCADE).

#include "cad/connection/connect_cad.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "cad/cad_session.h"
#include "cad/connection/cad_registry.h"
#include "cad/occt/occt_application.h"
#include "cad/viewer/windowed_cad_application.h"

namespace kelvo::cad::testing {
namespace {

TEST(ConnectCadTest, PrefersTheRunningInstanceThenStartsOneThenReportsOnce) {
  enum class Start { NoFactory, Starts, Throws, ThrowsNonStandard, ReturnsNothing, Windowed };
  enum class Expect { Running, Started, Earlier };
  using enum Start;
  using enum Expect;
  // Whether one runs, how a start goes, what is connected, the starts by the first call (a start
  // that failed is tried again by the second).
  // clang-format off
  const std::tuple<bool, Start, Expect, int> cases[] = {
      {true, Starts, Running, 0}, {true, NoFactory, Running, 0}, {false, Starts, Started, 1},
      {false, NoFactory, Earlier, 0}, {false, Throws, Earlier, 1}, {false, ThrowsNonStandard, Earlier, 1},
      {false, ReturnsNothing, Earlier, 1}, {false, Windowed, Earlier, 1}};
  // clang-format on
  for (const auto& [running_one, start, connected, first_starts] : cases) {
    SCOPED_TRACE(::testing::Message() << "running " << running_one << ", start " << int(start));
    std::vector<RunningCookie> cookies;
    std::shared_ptr<CadApplication> started, running;
    int starts = 0;
    // A factory that behaves like a CAD server: what it starts registers itself as running.
    RegisterClassFactory(kCadProgId, {});
    if (start != NoFactory) {
      RegisterClassFactory(kCadProgId, [&]() -> std::shared_ptr<CadApplication> {
        ++starts;
        if (start == Throws) throw std::runtime_error("cannot open display");
        if (start == ThrowsNonStandard) throw 42;
        if (start == ReturnsNothing) return nullptr;
        if (start == Windowed) return StartWindowedCadApplication();
        started = MakeHeadlessCadApplication();
        cookies.push_back(RegisterRunningInstance(kCadProgId, started));
        return started;
      });
    }
    if (running_one) {
      running = MakeHeadlessCadApplication();
      cookies.push_back(RegisterRunningInstance(kCadProgId, running));
    }
    const std::shared_ptr<CadApplication> earlier = MakeHeadlessCadApplication();
    cadApp = earlier;
    std::vector<std::string> messages;
    const bool failed = connected == Earlier;
    // A second call attaches again to what the first one reached.
    for (int call = 1; call <= 2; ++call) {
      EXPECT_EQ(ConnectCad([&](const std::string& text) { messages.push_back(text); }), failed);
      EXPECT_EQ(cadApp, connected == Running ? running : connected == Started ? started : earlier);
      EXPECT_EQ(starts, failed ? call * first_starts : first_starts);
      EXPECT_EQ(messages,
                std::vector<std::string>(failed ? call : 0, std::string(kConnectCadFailedMessage)));
      if (failed) {
        EXPECT_THROW(GetRunningInstance(kCadProgId), CadError) << "nothing half-started";
      }
    }
    for (RunningCookie cookie : cookies)
      RevokeRunningInstance(cookie);
  }
  RegisterClassFactory(kCadProgId, {});
  cadApp.reset();
}

}  // namespace
}  // namespace kelvo::cad::testing

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  ::testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
