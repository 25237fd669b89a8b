// Reaching the CAD application: the running instance first, a new one second, and one message
// when neither works, whatever way the start fails, the 3D window's own start included where
// no 3D view can be drawn (Qt's offscreen platform has no X display for OpenCASCADE).

#include "cad/connection/connect_cad.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <stdexcept>
#include <string>
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
  struct Case {
    bool running;
    Start start;
    Expect connected;
    int starts;  // by the first call; a start that failed is tried again by the second
  } const cases[] = {
      {true, Start::Starts, Expect::Running, 0},  // no second instance is started
      {true, Start::NoFactory, Expect::Running, 0},
      {false, Start::Starts, Expect::Started, 1},
      {false, Start::NoFactory, Expect::Earlier, 0},
      {false, Start::Throws, Expect::Earlier, 1},
      {false, Start::ThrowsNonStandard, Expect::Earlier, 1},
      {false, Start::ReturnsNothing, Expect::Earlier, 1},
      {false, Start::Windowed, Expect::Earlier, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "running " << c.running << ", start " << int(c.start));
    std::vector<RunningCookie> cookies;
    std::shared_ptr<CadApplication> started;
    int starts = 0;
    // A factory that behaves like a CAD server: what it starts registers itself as running.
    RegisterClassFactory(kCadProgId, {});
    if (c.start != Start::NoFactory) {
      RegisterClassFactory(kCadProgId, [&]() -> std::shared_ptr<CadApplication> {
        ++starts;
        if (c.start == Start::Throws) throw std::runtime_error("cannot open display");
        if (c.start == Start::ThrowsNonStandard) throw 42;
        if (c.start == Start::ReturnsNothing) return nullptr;
        if (c.start == Start::Windowed) return StartWindowedCadApplication();
        started = MakeHeadlessCadApplication();
        cookies.push_back(RegisterRunningInstance(kCadProgId, started));
        return started;
      });
    }
    std::shared_ptr<CadApplication> running;
    if (c.running) {
      running = MakeHeadlessCadApplication();
      cookies.push_back(RegisterRunningInstance(kCadProgId, running));
    }
    const std::shared_ptr<CadApplication> earlier = MakeHeadlessCadApplication();
    cadApp = earlier;
    std::vector<std::string> messages;
    const bool failed = c.connected == Expect::Earlier;
    // A second call attaches again to what the first one reached.
    for (int call = 1; call <= 2; ++call) {
      EXPECT_EQ(ConnectCad([&](const std::string& text) { messages.push_back(text); }), failed);
      EXPECT_EQ(cadApp, c.connected == Expect::Running   ? running
                        : c.connected == Expect::Started ? started
                                                         : earlier);
      EXPECT_EQ(starts, failed ? call * c.starts : c.starts);
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
