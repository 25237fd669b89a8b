// Draws the default small gear (m 2, z 20, face width 20, fineness 4) in the 3D window the way
// the generate command will, and saves what the X server shows of the window:
//   xvfb-run -a -s "-screen 0 1280x1024x24" cad_window_screenshot OUT.png
// The picture in docs/ comes from here.
#include <QApplication>
#include <QScreen>
#include <QTest>
#include <cstdio>

#include "app/kelvo_application.h"
#include "cad/cad_session.h"
#include "cad/viewer/cad_window.h"
#include "cad/viewer/windowed_cad_application.h"
#include "geometry/gear_constants.h"
#include "geometry/solve_gear_pair.h"
#include "hobbing/hob_gear.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  kelvo::SetUpKelvoApplication();
  if (argc != 2) {
    std::fprintf(stderr, "usage: cad_window_screenshot OUT.png\n");
    return 2;
  }
  using namespace kelvo;
  const SolveResult solved = SolveGearPair(60, 2, 20, 40, 20, 0, 0);
  if (!solved) return 1;
  gearPair = *solved.pair;

  auto instance = cad::StartWindowedCadApplication();
  cadApp = instance;
  cadDoc = cadApp->Documents().Add();
  blankSolid = cadDoc->ModelSpace()->AddCylinder({0, 0, 0}, gearPair.da1 / 2, gearPair.b);
  const auto skipped = HobGear(4, 1);
  cadDoc->ModelSpace()->AddCircle({0, 0, 0}, gearPair.d1 / 2)->SetColor(1);
  auto viewport = cadDoc->ActiveViewport();
  viewport->SetDirection({1, 1, 1});
  viewport->SetCenter({0, 0, 0});
  cadDoc->SetActiveViewport(viewport);
  cadDoc->SendCommand("ZOOM E ");
  cadDoc->SendCommand("SHADEMODE G ");
  cadApp->SetVisible(true);

  cad::CadWindow& window = *instance->Window();
  if (!QTest::qWaitForWindowExposed(&window)) return 1;
  QTest::qWait(300);
  const QPixmap picture = window.screen()->grabWindow(window.winId());
  if (!picture.save(QString::fromLocal8Bit(argv[1]))) return 1;
  std::printf("%dx%d, %zu statements skipped\n", picture.width(), picture.height(), skipped.size());
  instance->Quit();
  return skipped.empty() ? 0 : 1;
}
