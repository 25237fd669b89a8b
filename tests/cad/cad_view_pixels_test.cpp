// What the 3D window draws, read back pixel by pixel: shading against wireframe, the lighting
// of the isometric view, zoom to extents, and the red of colour index 1.

#include <gtest/gtest.h>

#include <QLineF>
#include <QMouseEvent>
#include <QWheelEvent>

#include "viewer_test_support.h"

namespace kelvo::cad::testing {
namespace {

// A point inside each face of the cube seen from (1, 1, 1): +X, +Y, +Z. Not the centres: a
// wireframe's hidden edges run through those.
constexpr Point kFacePoints[] = {{5, 2.5, -2.5}, {2.5, 5, -2.5}, {2.5, -2.5, 5}};

using ViewPixelsTest = ViewerTest;

TEST_F(ViewPixelsTest, ShadedFillsFacesWireframeDrawsOnlyTrueEdges) {
  struct Case {
    const char* commands;
    bool shaded;
  };
  const Case cases[] = {{"", false}, {"SHADEMODE G ", true}, {"SHADEMODE G SHADEMODE 2D ", false}};
  auto instance = StartShown();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.commands);
    auto drawing = instance->Occt().Documents().AddDrawing();
    AddCube(*drawing);
    LookFrom(*drawing, {1, 1, 1});
    drawing->SendCommand(std::string("ZOOM E ") + c.commands);
    const QImage image = Render(*instance, *drawing);
    for (const Point& face : kFacePoints) {
      const QRgb seen = ColourAround(image, ViewOf(*instance, *drawing).PixelOf(face));
      EXPECT_EQ(SameColour(seen, Background(image)), !c.shaded) << face.x << face.y << face.z;
    }
    // The cube's outline, a hexagon, fills 3/4 of the rectangle around it.
    const Drawn drawn = DrawnPixels(image);
    const double filled = double(drawn.pixels) / (drawn.bounds.width() * drawn.bounds.height());
    EXPECT_TRUE(c.shaded ? filled > 0.7 : filled < 0.05) << filled;
  }

  // A cylinder seen from the front: its end circles are the top and bottom lines, and no
  // iso-line (which OpenCASCADE gives a coloured shape unless told not to) crosses its middle.
  auto drawing = instance->Occt().Documents().AddDrawing();
  drawing->ModelSpace()->AddCylinder({0, 0, 0}, 5, 10);
  LookFrom(*drawing, {0, -1, 0});
  drawing->SendCommand("ZOOM E ");
  const QImage image = Render(*instance, *drawing);
  for (const auto& [point, edge] : {std::pair{Point{0, -5, 5}, true},
                                    {Point{0, -5, -5}, true},
                                    {Point{0, -5, 0}, false},
                                    {Point{-2, -5, 2}, false}}) {
    const QRgb seen = ColourAround(image, ViewOf(*instance, *drawing).PixelOf(point));
    EXPECT_NE(SameColour(seen, Background(image)), edge) << point.x << point.z;
  }
}

TEST_F(ViewPixelsTest, TheIsometricViewShowsThreeDifferentlyLitFaces) {
  auto instance = StartShown();
  auto drawing = instance->Occt().Documents().AddDrawing();
  AddCube(*drawing);
  LookFrom(*drawing, {1, 1, 1});
  drawing->SendCommand("ZOOM E SHADEMODE G ");
  const QImage image = Render(*instance, *drawing);
  QPointF at[3];
  int light[3];
  for (int face = 0; face < 3; ++face) {
    at[face] = ViewOf(*instance, *drawing).PixelOf(kFacePoints[face]);
    light[face] = Luminance(ColourAround(image, at[face]));
  }
  // From +X+Y+Z with Z up: the top face above the others, +X to the left of +Y.
  EXPECT_LT(at[0].x(), at[1].x() - 50);
  EXPECT_LT(at[2].y(), std::min(at[0].y(), at[1].y()) - 50);
  SCOPED_TRACE(::testing::Message()
               << "+X " << light[0] << ", +Y " << light[1] << ", +Z " << light[2]);
  for (int face = 0; face < 3; ++face) {
    EXPECT_GE(std::abs(light[face] - light[(face + 1) % 3]), 15);
    EXPECT_GE(light[face] - Luminance(Background(image)), 40);
  }
}

TEST_F(ViewPixelsTest, ZoomToExtentsFillsTheViewAndCentresTheModel) {
  struct Case {
    Point direction, low, size;
  };
  const Case cases[] = {
      {{1, 1, 1}, {300, -200, 50}, {2, 2, 2}},      // a tiny cube far from the origin
      {{0, 0, 1}, {3000, 2000, 0}, {800, 100, 1}},  // a wide plate off to the side, from above
  };
  auto instance = StartShown();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size.x);
    auto drawing = instance->Occt().Documents().AddDrawing();
    drawing->SendCommand("SHADEMODE G ");
    AddBox(*drawing->ModelSpace(), c.low, c.size);
    LookFrom(*drawing, c.direction);
    const Drawn before = DrawnPixels(Render(*instance, *drawing));
    drawing->SendCommand("ZOOM E ");
    const QImage image = Render(*instance, *drawing);
    const Drawn after = DrawnPixels(image);
    EXPECT_GT(after.pixels, 4 * before.pixels + 1000);
    // Within a small margin of the edges one way, and in the middle both ways.
    const double used = std::max(double(after.bounds.width()) / image.width(),
                                 double(after.bounds.height()) / image.height());
    EXPECT_TRUE(used > 0.85 && used <= 1.0) << used;
    EXPECT_NEAR(after.bounds.center().x(), image.width() / 2, 0.03 * image.width());
    EXPECT_NEAR(after.bounds.center().y(), image.height() / 2, 0.03 * image.height());
  }
}

TEST_F(ViewPixelsTest, TheMouseTurnsMovesAndZoomsTheView) {
  enum class Moved { Turned, Panned, Zoomed };
  struct Case {
    Qt::MouseButton button;  // dragged 80 px right; NoButton: the wheel, three notches forward
    Moved moved;
  };
  const Case cases[] = {{Qt::LeftButton, Moved::Turned},
                        {Qt::MiddleButton, Moved::Panned},
                        {Qt::NoButton, Moved::Zoomed}};
  auto instance = StartShown();
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.moved));
    auto drawing = instance->Occt().Documents().AddDrawing();
    AddCube(*drawing);
    LookFrom(*drawing, {1, 1, 1});
    drawing->SendCommand("ZOOM E ZOOM E SHADEMODE G ");  // twice: the cube is small
    DrawingView& view = ViewOf(*instance, *drawing);
    const QPointF corner_before = view.PixelOf({5, 5, 5});
    const Drawn before = DrawnPixels(view.grabFramebuffer());
    const QPointF start = view.rect().center();
    if (c.button == Qt::NoButton) {
      QWheelEvent wheel(start, view.mapToGlobal(start), {}, {0, 360}, Qt::NoButton, {},
                        Qt::NoScrollPhase, false);
      QApplication::sendEvent(&view, &wheel);
    } else {
      QTest::mousePress(&view, c.button, {}, start.toPoint());
      for (int step = 1; step <= 8; ++step) {
        QMouseEvent move(QEvent::MouseMove, start + QPointF(10 * step, 0), view.mapToGlobal(start),
                         Qt::NoButton, c.button, {});
        QApplication::sendEvent(&view, &move);
        view.grabFramebuffer();
      }
      QTest::mouseRelease(&view, c.button, {}, (start + QPointF(80, 0)).toPoint());
    }
    const Drawn after = DrawnPixels(view.grabFramebuffer());
    // Turning keeps the cube where it was but shows it from elsewhere; panning carries it along
    // with the mouse; zooming makes it bigger.
    const double shift = after.bounds.center().x() - before.bounds.center().x();
    const double corner = QLineF(view.PixelOf({5, 5, 5}), corner_before).length();
    const double growth = double(after.pixels) / before.pixels;
    SCOPED_TRACE(::testing::Message()
                 << "shift " << shift << ", corner " << corner << ", area x" << growth);
    EXPECT_EQ(c.moved == Moved::Turned, std::abs(shift) < 10 && corner > 10 && growth < 1.2);
    EXPECT_EQ(c.moved == Moved::Panned, std::abs(shift - 80) < 10);
    EXPECT_EQ(c.moved == Moved::Zoomed, growth > 1.2);
  }
}

TEST_F(ViewPixelsTest, ColourIndexOneDrawsRed) {
  auto instance = StartShown();
  for (const int colour : {1, kColorByLayer, 3}) {
    SCOPED_TRACE(colour);
    auto drawing = instance->Occt().Documents().AddDrawing();
    drawing->ModelSpace()->AddCircle({0, 0, 0}, 20)->SetColor(colour);
    drawing->SendCommand("ZOOM E ");
    const QImage image = Render(*instance, *drawing);
    // The whole circumference, about pi view heights long, is drawn; red only for index 1.
    const Drawn drawn = DrawnPixels(image);
    EXPECT_GT(drawn.pixels, 2.5 * image.height());
    if (colour == 1) {
      EXPECT_GT(drawn.red, 2.5 * image.height());
    } else {
      EXPECT_EQ(drawn.red, 0);
    }
  }
}

}  // namespace
}  // namespace kelvo::cad::testing
