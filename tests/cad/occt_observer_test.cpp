// The seam the 3D window follows: every change reported after it is made, a replay of what
// existed before the window attached, and no harm from an observer that fails or goes away.

#include "cad/occt/occt_observer.h"

#include <gtest/gtest.h>

#include <TopAbs_ShapeEnum.hxx>
#include <TopExp.hxx>
#include <TopTools_IndexedMapOfShape.hxx>
#include <numbers>
#include <stdexcept>
#include <string>

#include "occt_test_support.h"

namespace kelvo::cad {
namespace {

// Writes every call down, each drawing's entities as drawing:id.
class RecordingObserver : public OcctObserver {
 public:
  std::string heard;
  bool throws = false;

  void OnVisibilityChanged(bool visible) override { Record("visible " + S(visible)); }
  void OnDocumentAdded(int document, const std::string& name) override {
    Record("added " + S(document) + " " + name);
  }
  void OnDocumentClosed(int document) override { Record("closed " + S(document)); }
  void OnEntityAdded(int document, const ObservedEntity& entity) override {
    Record("entity+ " + S(document) + ":" + S(entity.id) + " " +
           std::string(EntityKindName(entity.kind)) + (entity.shape.IsNull() ? " null" : ""));
  }
  void OnEntityChanged(int document, const ObservedEntity& entity) override {
    Record("entity~ " + S(document) + ":" + S(entity.id) + " colour " + S(entity.color));
  }
  void OnEntityRemoved(int document, EntityId id) override {
    Record("entity- " + S(document) + ":" + S(id));
  }
  void OnViewportAssigned(int, const ViewState& view) override {
    Record("view " + S(view.direction.x));
  }
  void OnZoomExtents(int) override { Record("zoom"); }
  void OnShadeMode(int, ShadeMode mode) override { Record(ShadeModeName(mode)); }
  void OnCommandLine(int, const std::string& line) override { Record("log " + line); }

 private:
  template <typename T>
  static std::string S(T value) {
    return std::to_string(value);
  }
  void Record(std::string_view call) {
    heard.append(call).append("; ");
    if (throws) throw std::runtime_error("observer failure");
  }
};

TEST(OcctObserverTest, HearsEveryChangeAndReplaysWhatExistedBefore) {
  for (const bool observer_throws : {false, true}) {
    SCOPED_TRACE(observer_throws ? "observer throws" : "observer behaves");
    auto app = MakeHeadlessCadApplication();
    auto early = app->Documents().AddDrawing();
    early->ModelSpace()->AddCircle({0, 0, 0}, 1);
    auto observer = std::make_shared<RecordingObserver>();
    observer->throws = observer_throws;
    app->SetObserver(observer);

    app->SetVisible(false);
    auto drawing = app->Documents().AddDrawing();
    auto space = drawing->ModelSpace();
    auto blank = space->AddCylinder({0, 0, 0}, 5, 5);
    blank->Boolean(BooleanOperation::Subtraction, *space->AddCylinder({0, 5, 0}, 1, 10));
    space->AddCircle({0, 0, 0}, 4)->SetColor(1);
    auto viewport = drawing->ActiveViewport();
    viewport->SetDirection({1, 1, 1});
    drawing->SetActiveViewport(viewport);
    drawing->SendCommand("ZOOM E SHADEMODE G ");
    early->Close();
    const std::string heard = observer->heard;
    observer.reset();       // the application held it weakly: it is gone now
    app->SetVisible(true);  // and nobody hears this

    EXPECT_EQ(heard,
              // the replay of what existed before
              "visible 1; added 1 Drawing1; entity+ 1:1 circle; view 0.000000; wireframe; "
              // then every change, after it was made
              "visible 0; added 2 Drawing2; entity+ 2:1 solid; entity+ 2:2 solid; entity- 2:2; "
              "entity~ 2:1 colour 256; entity+ 2:3 circle; entity~ 2:3 colour 1; view 1.000000; "
              "log Command: ZOOM E; zoom; log Command: SHADEMODE G; gouraud; closed 1; ");
    // A throwing observer changes nothing in the drawing.
    EXPECT_LT(MeasureSolid(*blank).volume, std::numbers::pi * 25 * 5);
    EXPECT_EQ(drawing->Entities().size(), 2u);
    EXPECT_EQ(drawing->View().shade_mode, ShadeMode::Gouraud);
    EXPECT_TRUE(app->Visible());
  }
}

// The window must not show a half-made gear as finished, and must hear of the finished one.
TEST(OcctObserverTest, HearsOfADeferredSolidOnceItIsEvaluated) {
  auto app = MakeHeadlessCadApplication();
  auto space = app->Documents().AddDrawing()->ModelSpace();
  auto blank = space->AddCylinder({0, 0, 0}, 10, 6);
  blank->Boolean(BooleanOperation::Subtraction, *testing::AddBox(*space, {-1, 7, -5}, {2, 5, 10}));
  struct FaceCounter : OcctObserver {
    std::vector<int> faces_heard;
    void OnEntityChanged(int, const ObservedEntity& entity) override {
      TopTools_IndexedMapOfShape faces;
      TopExp::MapShapes(entity.shape, TopAbs_FACE, faces);
      faces_heard.push_back(faces.Extent());
    }
  };
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
}

}  // namespace
}  // namespace kelvo::cad
