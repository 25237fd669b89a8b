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

enum class Start { NoFactory, Starts, Throws, ThrowsNonStandard, ReturnsNothing };

class ConnectCadTest : public ::testing::Test {
 protected:
  void TearDown() override { Reset(nullptr); }

  // Nothing running, no factory, cadApp as given; then a factory that behaves like a CAD
  // server: what it starts registers itself as running.
  void Reset(std::shared_ptr<CadApplication> app, Start start = Start::NoFactory) {
    for (RunningCookie cookie : cookies_)
      RevokeRunningInstance(cookie);
    cookies_.clear(), messages_.clear(), started_.reset(), starts_ = 0;
    cadApp = std::move(app);
    RegisterClassFactory(kCadProgId, {});
    if (start == Start::NoFactory) return;
    RegisterClassFactory(kCadProgId, [this, start]() -> std::shared_ptr<CadApplication> {
      ++starts_;
      if (start == Start::Throws) throw std::runtime_error("cannot open display");
      if (start == Start::ThrowsNonStandard) throw 42;
      if (start == Start::ReturnsNothing) return nullptr;
      started_ = AddRunning();
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

  std::shared_ptr<CadApplication> started_;
  std::vector<RunningCookie> cookies_;
  std::vector<std::string> messages_;
  int starts_ = 0;
};

TEST_F(ConnectCadTest, PrefersTheRunningInstanceThenStartsOneThenReportsOnce) {
  enum class Expect { Running, Started, Earlier };
  struct Case {
    bool running;
    Start start;
    Expect connected;
    int starts;
  };
  const Case cases[] = {
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
    const std::shared_ptr<CadApplication> earlier = MakeHeadlessCadApplication();
    Reset(earlier, c.start);
    const std::shared_ptr<CadApplication> running = c.running ? AddRunning() : nullptr;
    const bool failed = c.connected == Expect::Earlier;

    EXPECT_EQ(Connect(), failed);
    EXPECT_EQ(cadApp, c.connected == Expect::Running   ? running
                      : c.connected == Expect::Started ? started_
                                                       : earlier);
    EXPECT_EQ(starts_, c.starts);
    EXPECT_EQ(messages_, failed ? std::vector<std::string>{std::string(kConnectCadFailedMessage)}
                                : std::vector<std::string>{});
  }
}

TEST_F(ConnectCadTest, EveryCallAsksForTheRunningInstanceAgain) {
  Reset(nullptr, Start::Starts);
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
