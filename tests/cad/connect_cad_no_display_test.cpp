// The window program on a platform where no 3D view can be drawn (Qt's offscreen platform has
// no X display for OpenCASCADE): the connection fails cleanly with the one message, shown by
// the main window exactly as the user sees it.

#include <gtest/gtest.h>

#include <QApplication>

#include "app/kelvo_application.h"
#include "app/main_form.h"
#include "cad/cad_session.h"
#include "cad/connection/connect_cad.h"
#include "cad/viewer/windowed_cad_application.h"
#include "viewer_test_support.h"

namespace kelvo::cad::testing {
namespace {

TEST(ConnectCadWithoutDisplayTest, ShowsOneMessageAndKeepsTheEarlierApplication) {
  RegisterWindowedCadFactory();
  const std::shared_ptr<CadApplication> earlier = MakeHeadlessCadApplication();
  cadApp = earlier;
  EXPECT_THROW(StartWindowedCadApplication(), CadError);

  MainForm form;
  form.show();
  const BoxAnswerer boxes(QStringLiteral("OK"));
  EXPECT_TRUE(ConnectCad([&](const std::string& text) { form.ShowMessage(text); }));
  EXPECT_EQ(boxes.count, 1);
  EXPECT_EQ(boxes.title, "Kelvo");
  EXPECT_EQ(boxes.text,
            QString::fromUtf8(kConnectCadFailedMessage.data(), kConnectCadFailedMessage.size()));
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
