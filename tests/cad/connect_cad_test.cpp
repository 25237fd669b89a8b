// Reaching the CAD application: the running instance first, a new one second, and one message
// when neither works, whatever way the start fails; in the window program where no 3D view can
// be drawn (Qt's offscreen platform has no X display for OpenCASCADE), the main window's box.

#include "cad/connection/connect_cad.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "app/kelvo_application.h"
#include "app/main_form.h"
#include "cad/cad_session.h"
#include "cad/connection/cad_registry.h"
#include "viewer_test_support.h"

namespace kelvo::cad::testing {
namespace {

TEST(ConnectCadTest, PrefersTheRunningInstanceThenStartsOneThenReportsOnce) {
  enum class Start { NoFactory, Starts, Throws, ThrowsNonStandard, ReturnsNothing };
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
    }
    for (RunningCookie cookie : cookies)
      RevokeRunningInstance(cookie);
  }
  RegisterClassFactory(kCadProgId, {});
  cadApp.reset();
}

TEST(ConnectCadTest, WithoutADisplayTheWindowShowsOneMessageAndKeepsTheEarlierApplication) {
  RegisterWindowedCadFactory();
  const std::shared_ptr<CadApplication> earlier = MakeHeadlessCadApplication();
  cadApp = earlier;
  EXPECT_THROW(StartWindowedCadApplication(), CadError);
  MainForm form;
  form.show();
  const BoxAnswerer boxes(QStringLiteral("OK"));
  EXPECT_TRUE(ConnectCad([&](const std::string& text) { form.ShowMessage(text); }));
  EXPECT_EQ(boxes.texts, QStringList(QString::fromUtf8(kConnectCadFailedMessage.data(),
                                                       kConnectCadFailedMessage.size())));
  EXPECT_EQ(boxes.title, "Kelvo");
  EXPECT_EQ(boxes.icon, QMessageBox::NoIcon);
  EXPECT_EQ(boxes.buttons, QStringList({"OK"}));
  EXPECT_EQ(cadApp, earlier);
  EXPECT_THROW(GetRunningInstance(kCadProgId), CadError);  // nothing half-started left behind
  RegisterClassFactory(kCadProgId, {});
  cadApp.reset();
}

}  // namespace
}  // namespace kelvo::cad::testing

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  ::testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  kelvo::SetUpKelvoApplication();
  return RUN_ALL_TESTS();
}
