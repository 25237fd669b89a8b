// Reaching the CAD application: the running instance first, a new one second, and one message
// when neither works, whatever way the start fails.

#include "cad/connection/connect_cad.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "cad/cad_session.h"
#include "cad/connection/cad_registry.h"
#include "cad/occt/occt_application.h"

namespace kelvo::cad {
namespace {

enum class Start { NoFactory, Starts, ThrowsError, ThrowsNonStandard, ReturnsNothing };

// The registry and cadApp as the program starts: nothing running, no factory.
class ConnectCadTest : public ::testing::Test {
 protected:
  void SetUp() override { Reset(); }
  void TearDown() override {
    Reset();
    cadApp.reset();
  }

  void Reset() {
    for (RunningCookie cookie : cookies_)
      RevokeRunningInstance(cookie);
    cookies_.clear();
    RegisterClassFactory(kCadProgId, {});
    cadApp = earlier_;
    started_.reset();
    messages_.clear();
    starts_ = 0;
  }

  // A factory that behaves like a CAD server: what it starts registers itself as running.
  void InstallFactory(Start start) {
    if (start == Start::NoFactory) return;
    RegisterClassFactory(kCadProgId, [this, start]() -> std::shared_ptr<CadApplication> {
      ++starts_;
      switch (start) {
        case Start::ThrowsError:
          throw std::runtime_error("cannot open display");
        case Start::ThrowsNonStandard:
          throw 42;
        case Start::ReturnsNothing:
          return nullptr;
        default:
          break;
      }
      started_ = MakeHeadlessCadApplication();
      cookies_.push_back(RegisterRunningInstance(kCadProgId, started_));
      return started_;
    });
  }

  std::shared_ptr<CadApplication> AddRunning() {
    auto running = MakeHeadlessCadApplication();
    cookies_.push_back(RegisterRunningInstance(kCadProgId, running));
    return running;
  }

  bool Connect() {
    return ConnectCad([this](const std::string& text) { messages_.push_back(text); });
  }

  const std::shared_ptr<CadApplication> earlier_ = MakeHeadlessCadApplication();
  std::shared_ptr<CadApplication> started_;
  std::vector<RunningCookie> cookies_;
  std::vector<std::string> messages_;
  int starts_ = 0;
};

TEST_F(ConnectCadTest, PrefersTheRunningInstanceThenStartsOneThenReportsOnce) {
  enum class Expect { Running, Started, Earlier };
  struct Case {
    const char* what;
    bool running;
    Start start;
    bool failed;
    Expect connected;
    int starts;
  };
  const Case cases[] = {
      {"running instance, no second one started", true, Start::Starts, false, Expect::Running, 0},
      {"running instance, nothing to start with", true, Start::NoFactory, false, Expect::Running,
       0},
      {"none running: a new one", false, Start::Starts, false, Expect::Started, 1},
      {"nothing registered", false, Start::NoFactory, true, Expect::Earlier, 0},
      {"start throws", false, Start::ThrowsError, true, Expect::Earlier, 1},
      {"start throws a non-standard exception", false, Start::ThrowsNonStandard, true,
       Expect::Earlier, 1},
      {"start returns no application", false, Start::ReturnsNothing, true, Expect::Earlier, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Reset();
    const std::shared_ptr<CadApplication> running = c.running ? AddRunning() : nullptr;
    InstallFactory(c.start);

    EXPECT_EQ(Connect(), c.failed);

    const std::shared_ptr<CadApplication> expected = c.connected == Expect::Running   ? running
                                                     : c.connected == Expect::Started ? started_
                                                                                      : earlier_;
    ASSERT_NE(expected, nullptr);
    EXPECT_EQ(cadApp, expected);
    EXPECT_EQ(starts_, c.starts);
    const std::vector<std::string> told =
        c.failed ? std::vector<std::string>{std::string(kConnectCadFailedMessage)}
                 : std::vector<std::string>{};
    EXPECT_EQ(messages_, told);
  }
}

TEST_F(ConnectCadTest, EveryCallAsksForTheRunningInstanceAgain) {
  InstallFactory(Start::Starts);
  ASSERT_FALSE(Connect());
  const std::shared_ptr<CadApplication> first = cadApp;
  ASSERT_EQ(first, started_);

  // cadApp still set: the second run attaches to the same instance instead of starting one.
  ASSERT_FALSE(Connect());
  EXPECT_EQ(cadApp, first);
  EXPECT_EQ(starts_, 1);

  // The user closed it: the next run starts a new one although cadApp still refers to the old.
  RevokeRunningInstance(cookies_.front());
  ASSERT_FALSE(Connect());
  EXPECT_EQ(starts_, 2);
  EXPECT_NE(cadApp, first);
  EXPECT_EQ(cadApp, started_);
  EXPECT_TRUE(messages_.empty());
}

}  // namespace
}  // namespace kelvo::cad
