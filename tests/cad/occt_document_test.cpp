// Drawings, handles that outlive their entities, the view and its command line, and the
// observer seam the 3D window follows.

#include <gtest/gtest.h>

#include <functional>
#include <numbers>
#include <string>
#include <vector>

#include "occt_test_support.h"

namespace kelvo::cad {
namespace {

using testing::ExpectNear;

std::vector<std::string> Names(const OcctDocuments& documents) {
  std::vector<std::string> names;
  for (const auto& document : documents.Open())
    names.push_back(document->Name());
  return names;
}

TEST(OcctDocumentsTest, DrawingsAreNumberedInCreationOrderAndTheNewestIsCurrent) {
  auto app = MakeHeadlessCadApplication();
  EXPECT_EQ(app->Documents().Current(), nullptr);
  for (int i = 0; i < 3; ++i)
    app->Documents().Add();
  EXPECT_EQ(Names(app->Documents()),
            (std::vector<std::string>{"Drawing1", "Drawing2", "Drawing3"}));
  app->Documents().Current()->Close();
  EXPECT_EQ(app->Documents().Current()->Name(), "Drawing2");
  app->Documents().Open().front()->Close();
  app->Documents().Add();  // numbers are never reused
  EXPECT_EQ(Names(app->Documents()), (std::vector<std::string>{"Drawing2", "Drawing4"}));
}

enum class Death { EntityDeleted, DrawingClosed, ApplicationGone };

TEST(OcctHandlesTest, DeadHandlesRaiseOnEveryOperationAndNothingElseIsTouched) {
  for (const Death death : {Death::EntityDeleted, Death::DrawingClosed, Death::ApplicationGone}) {
    SCOPED_TRACE(static_cast<int>(death));
    auto app = MakeHeadlessCadApplication();
    auto drawing = app->Documents().AddDrawing();
    auto space = drawing->ModelSpace();
    const auto solid = space->AddCylinder({0, 0, 0}, 5, 5);
    const auto arc = space->AddArc({0, 0, 0}, 1, 0, 1);
    const auto circle = space->AddCircle({0, 0, 0}, 1);
    // A live solid in the same drawing when only the entities die, else in another drawing.
    auto other_space = death == Death::EntityDeleted ? space : app->Documents().Add()->ModelSpace();
    const auto other = other_space->AddCylinder({0, 0, 0}, 2, 20);
    if (death == Death::EntityDeleted) {
      for (EntityRef entity : std::vector<EntityRef>{solid, arc, circle})
        entity->Delete();
    } else if (death == Death::DrawingClosed) {
      drawing->Close();
      drawing->Close();  // closing twice is harmless
    } else {
      app.reset();
    }
    const Point o{0, 0, 0}, x{1, 0, 0};
    const std::pair<const char*, std::function<void()>> operations[] = {
        {"Move", [&] { solid->Move(o, x); }},
        {"Copy", [&] { solid->Copy(); }},
        {"Rotate3D", [&] { solid->Rotate3D(o, x, 1); }},
        {"ArrayPolar", [&] { solid->ArrayPolar(3, 1, o); }},
        {"Delete", [&] { solid->Delete(); }},
        {"Boolean on it", [&] { solid->Boolean(BooleanOperation::Subtraction, *other); }},
        {"Boolean with it", [&] { other->Boolean(BooleanOperation::Subtraction, *solid); }},
        {"StartPoint", [&] { arc->StartPoint(); }},
        {"EndPoint", [&] { arc->EndPoint(); }},
        {"SetColor", [&] { circle->SetColor(1); }},
        {"Color", [&] { circle->Color(); }},
        {"MeasureSolid", [&] { MeasureSolid(*solid); }},
    };
    for (const auto& [name, operation] : operations)
      EXPECT_THROW(operation(), CadError) << name;
    EXPECT_EQ(IsAlive(*other), death != Death::ApplicationGone);
    EXPECT_EQ(drawing->IsOpen(), death == Death::EntityDeleted);
    EXPECT_EQ(drawing->Name(), "Drawing1");
    if (death == Death::EntityDeleted) continue;
    EXPECT_THROW(space->AddCylinder(o, 1, 1), CadError);
    EXPECT_THROW(drawing->SendCommand("ZOOM E "), CadError);
    EXPECT_THROW(drawing->ActiveViewport(), CadError);
    EXPECT_THROW(drawing->Entities(), CadError);
  }
}

struct CommandCase {
  std::string typed;
  int zoom_extents_requests;
  ShadeMode shade_mode;
  std::string last_log_line;
};

TEST(OcctCommandLineTest, RunsZoomAndShadeModeAndAnswersWhatItCannotRun) {
  const CommandCase cases[] = {
      {"ZOOM E ", 1, ShadeMode::Wireframe, "Command: ZOOM E"},
      {"zoom extents\n", 1, ShadeMode::Wireframe, "Command: zoom extents"},
      {"SHADEMODE G ", 0, ShadeMode::Gouraud, "Command: SHADEMODE G"},
      {"SHADEMODE G SHADEMODE 2D ", 0, ShadeMode::Wireframe, "Command: SHADEMODE 2D"},
      {"_.ZOOM _E ZOOM E ", 2, ShadeMode::Wireframe, "Command: ZOOM E"},
      {"ZOOM E", 0, ShadeMode::Wireframe, "ZOOM was not finished: end each entry with a blank."},
      {"ZOOM W ", 0, ShadeMode::Wireframe, "Invalid option keyword \"W\" for ZOOM."},
      {"REGEN ", 0, ShadeMode::Wireframe, "Unknown command \"REGEN\"."},
      {"REGEN ZOOM E ", 1, ShadeMode::Wireframe, "Command: ZOOM E"},
      {"  ", 0, ShadeMode::Wireframe, ""},
  };
  for (const CommandCase& c : cases) {
    SCOPED_TRACE(c.typed);
    auto app = MakeHeadlessCadApplication();
    auto drawing = app->Documents().AddDrawing();
    EXPECT_NO_THROW(drawing->SendCommand(c.typed));
    EXPECT_EQ(drawing->View().zoom_extents_requests, c.zoom_extents_requests);
    EXPECT_EQ(drawing->View().shade_mode, c.shade_mode);
    const std::vector<std::string> log = drawing->CommandLog();
    EXPECT_EQ(log.empty() ? "" : log.back(), c.last_log_line);
  }
}

TEST(OcctViewportTest, ChangesTakeEffectWhenTheViewportIsAssignedBack) {
  auto app = MakeHeadlessCadApplication();
  auto drawing = app->Documents().AddDrawing();
  ExpectNear(drawing->View().direction, {0, 0, 1}, 0);  // a new drawing looks from the top
  // Each read gives the drawing's one viewport, so edits made on separate reads add up.
  drawing->ActiveViewport()->SetDirection({1, 1, 1});
  drawing->ActiveViewport()->SetCenter({0, 0, 5});
  ExpectNear(drawing->View().direction, {0, 0, 1}, 0);
  drawing->SetActiveViewport(drawing->ActiveViewport());
  ExpectNear(drawing->View().direction, {1, 1, 1}, 0);
  ExpectNear(drawing->View().center, {0, 0, 5}, 0);
  auto viewport = drawing->ActiveViewport();
  ExpectNear(drawing->ActiveViewport()->Direction(), {1, 1, 1}, 0);
  EXPECT_THROW(viewport->SetDirection({0, 0, 0}), CadError);
  EXPECT_THROW(drawing->SetActiveViewport(nullptr), CadError);
}

}  // namespace
}  // namespace kelvo::cad
