// What the 3D window actually draws, read back pixel by pixel: shading against wireframe, the
// isometric view and its lighting, zoom to extents, and the red of colour index 1.

#include <gtest/gtest.h>

#include "occt_test_support.h"
#include "viewer_test_support.h"

namespace kelvo::cad::testing {
namespace {

class ViewPixelsTest : public ViewerTest {
 protected:
  // A 10 mm cube about the origin, seen from (1, 1, 1) and zoomed to extents.
  std::shared_ptr<OcctDocument> IsometricCube(WindowedCadApplication& instance) {
    auto drawing = instance.Occt().Documents().AddDrawing();
    AddBox(*drawing->ModelSpace(), {-5, -5, -5}, {10, 10, 10});
    LookFrom(*drawing, {1, 1, 1});
    drawing->SendCommand("ZOOM E ");
    return drawing;
  }

  // A point inside each visible face: +X, +Y, +Z. Not the face centres: seen from (1, 1, 1),
  // a wireframe's hidden edges run through those.
  static constexpr Point kFacePoints[] = {{5, 2.5, -2.5}, {2.5, 5, -2.5}, {2.5, -2.5, 5}};
};

TEST_F(ViewPixelsTest, ShadedFillsTheFacesWireframeDrawsOnlyEdges) {
  struct Case {
    const char* commands;  // sent after the cube is made
    bool shaded;
  };
  const Case cases[] = {
      {"", false},  // a new drawing is a wireframe
      {"SHADEMODE G ", true},
      {"SHADEMODE G SHADEMODE 2D ", false},
  };
  auto instance = Start();
  Show(*instance);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.commands);
    auto drawing = IsometricCube(*instance);
    drawing->SendCommand(c.commands);
    const QImage image = Render(*instance, *drawing);
    const QRgb background = Background(image);
    const DrawingView& view = *instance->Window()->ViewOf(drawing->Number());
    for (const Point& face : kFacePoints) {
      EXPECT_EQ(SameColour(ColourAround(image, view.PixelOf(face)), background), !c.shaded)
          << "face point " << face.x << " " << face.y << " " << face.z;
    }
    // The cube's outline is a hexagon filling 3/4 of its bounding rectangle.
    const Drawn drawn = DrawnPixels(image);
    const double filled = double(drawn.pixels) / (drawn.bounds.width() * drawn.bounds.height());
    if (c.shaded) {
      EXPECT_GT(filled, 0.7);
    } else {
      EXPECT_LT(filled, 0.05);
    }
  }
}

TEST_F(ViewPixelsTest, AWireframeCylinderShowsItsEdgesAndNoIsoLines) {
  auto instance = Start();
  Show(*instance);
  auto drawing = instance->Occt().Documents().AddDrawing();
  drawing->ModelSpace()->AddCylinder({0, 0, 0}, 5, 10);
  LookFrom(*drawing, {0, -1, 0});
  drawing->SendCommand("ZOOM E ");
  const QImage image = Render(*instance, *drawing);
  const DrawingView& view = *instance->Window()->ViewOf(drawing->Number());
  const QRgb background = Background(image);
  // From the front the end circles are the top and bottom lines; a mid-height iso-line, as
  // OpenCASCADE adds to a coloured shape unless told not to, would cross the middle.
  EXPECT_FALSE(SameColour(ColourAround(image, view.PixelOf({0, -5, 5})), background));
  EXPECT_FALSE(SameColour(ColourAround(image, view.PixelOf({0, -5, -5})), background));
  EXPECT_TRUE(SameColour(ColourAround(image, view.PixelOf({0, -5, 0})), background));
  EXPECT_TRUE(SameColour(ColourAround(image, view.PixelOf({-2, -5, 2})), background));
}

TEST_F(ViewPixelsTest, TheIsometricViewShowsThreeDifferentlyLitFaces) {
  auto instance = Start();
  Show(*instance);
  auto drawing = IsometricCube(*instance);
  drawing->SendCommand("SHADEMODE G ");
  const QImage image = Render(*instance, *drawing);
  const DrawingView& view = *instance->Window()->ViewOf(drawing->Number());

  // Seen from +X+Y+Z with Z up: the top face above the others, +X to the left of +Y.
  const QPointF x_face = view.PixelOf(kFacePoints[0]);
  const QPointF y_face = view.PixelOf(kFacePoints[1]);
  const QPointF z_face = view.PixelOf(kFacePoints[2]);
  EXPECT_LT(x_face.x(), y_face.x() - 50);
  EXPECT_LT(z_face.y(), std::min(x_face.y(), y_face.y()) - 50);

  const int x_light = Luminance(ColourAround(image, x_face));
  const int y_light = Luminance(ColourAround(image, y_face));
  const int z_light = Luminance(ColourAround(image, z_face));
  const int background = Luminance(Background(image));
  SCOPED_TRACE(::testing::Message()
               << "+X " << x_light << ", +Y " << y_light << ", +Z " << z_light);
  // Each face differs from the others as much as a designer needs to read the edges, and
  // none is lost in the background.
  EXPECT_GE(std::abs(x_light - y_light), 15);
  EXPECT_GE(std::abs(y_light - z_light), 15);
  EXPECT_GE(std::abs(z_light - x_light), 15);
  EXPECT_GE(std::min({x_light, y_light, z_light}) - background, 40);
}

TEST_F(ViewPixelsTest, ZoomToExtentsFillsTheViewAndCentresTheModel) {
  struct Case {
    const char* what;
    Point direction;
    Point low, size;
  };
  const Case cases[] = {
      {"a 2 mm cube far from the origin, isometric", {1, 1, 1}, {300, -200, 50}, {2, 2, 2}},
      {"a wide plate off to the side, from above", {0, 0, 1}, {3000, 2000, 0}, {800, 100, 1}},
      {"a tall post far below, from the front", {0, -1, 0}, {-1, -1, -5000}, {2, 2, 600}},
  };
  auto instance = Start();
  Show(*instance);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto drawing = instance->Occt().Documents().AddDrawing();
    drawing->SendCommand("SHADEMODE G ");
    AddBox(*drawing->ModelSpace(), c.low, c.size);
    LookFrom(*drawing, c.direction);
    const Drawn before = DrawnPixels(Render(*instance, *drawing));

    drawing->SendCommand("ZOOM E ");
    const QImage image = Render(*instance, *drawing);
    const Drawn after = DrawnPixels(image);
    ASSERT_GT(after.pixels, 0);
    EXPECT_GT(after.pixels, 4 * before.pixels + 100);
    // The model reaches to within a small margin of the view's edges in one direction at
    // least, and sits in the middle of it in both.
    const double width_used = double(after.bounds.width()) / image.width();
    const double height_used = double(after.bounds.height()) / image.height();
    EXPECT_GT(std::max(width_used, height_used), 0.85);
    EXPECT_LE(std::max(width_used, height_used), 1.0);
    const QPointF middle = QRectF(after.bounds).center();
    EXPECT_NEAR(middle.x(), image.width() / 2.0, 0.03 * image.width());
    EXPECT_NEAR(middle.y(), image.height() / 2.0, 0.03 * image.height());
  }
}

TEST_F(ViewPixelsTest, ColourIndexOneDrawsRed) {
  struct Case {
    int colour;
    bool red;
  };
  const Case cases[] = {{1, true}, {kColorByLayer, false}, {3, false}};
  auto instance = Start();
  Show(*instance);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.colour);
    auto drawing = instance->Occt().Documents().AddDrawing();
    drawing->ModelSpace()->AddCircle({0, 0, 0}, 20)->SetColor(c.colour);
    drawing->SendCommand("ZOOM E ");
    const QImage image = Render(*instance, *drawing);
    // The circle's whole circumference, about pi times the view's height, is drawn red.
    const int red = CountPixels(image, IsRed);
    if (c.red) {
      EXPECT_GT(red, 2.5 * image.height());
    } else {
      EXPECT_EQ(red, 0);
      EXPECT_GT(DrawnPixels(image).pixels, 2.5 * image.height());
    }
  }
}

}  // namespace
}  // namespace kelvo::cad::testing
