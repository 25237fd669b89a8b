// The seam the 3D window follows. The window must not show a half-made gear as finished, must
// hear of the finished one, and an observer that fails or goes away must not harm the drawing.
// (That every change reaches the window after it is made, its pixels show.)

#include "cad/occt/occt_observer.h"

#include <gtest/gtest.h>

#include <TopAbs_ShapeEnum.hxx>
#include <TopExp.hxx>
#include <TopTools_IndexedMapOfShape.hxx>
#include <numbers>
#include <stdexcept>
#include <vector>

#include "occt_test_support.h"

namespace kelvo::cad {
namespace {

// The observer throws as well: what it hears must still be right, and the drawing unharmed.
TEST(OcctObserverTest, HearsOfADeferredSolidOnceItIsEvaluatedAndCannotHarmTheDrawing) {
  struct FaceCounter : OcctObserver {
    std::vector<int> faces_heard;
    void OnEntityChanged(int, const ObservedEntity& entity) override {
      TopTools_IndexedMapOfShape faces;
      TopExp::MapShapes(entity.shape, TopAbs_FACE, faces);
      faces_heard.push_back(faces.Extent());
      throw std::runtime_error("observer failure");
    }
  };
  auto app = MakeHeadlessCadApplication();
  auto drawing = app->Documents().AddDrawing();
  auto space = drawing->ModelSpace();
  auto blank = space->AddCylinder({0, 0, 0}, 10, 6);
  blank->Boolean(BooleanOperation::Subtraction, *testing::AddBox(*space, {-1, 7, -5}, {2, 5, 10}));
  auto observer = std::make_shared<FaceCounter>();
  app->SetObserver(observer);
  app->SetVisible(false);
  const int one_slot = MeasureSolid(*blank).face_count;
  for (const EntityRef& copy : blank->ArrayPolar(6, 5 * std::numbers::pi / 3, {0, 0, 0}))
    blank->Boolean(BooleanOperation::Intersection, *copy);
  EXPECT_TRUE(observer->faces_heard.empty());

  app->SetVisible(true);
  ASSERT_EQ(observer->faces_heard.size(), 1u);
  EXPECT_EQ(observer->faces_heard[0], MeasureSolid(*blank).face_count);
  EXPECT_GT(observer->faces_heard[0], one_slot);
  EXPECT_TRUE(app->Visible());
  EXPECT_EQ(drawing->Entities().size(), 1u);
  observer.reset();  // held weakly by the application: nobody hears what follows
  blank->Move({0, 0, 0}, {1, 0, 0});
  drawing->Close();
}

}  // namespace
}  // namespace kelvo::cad
