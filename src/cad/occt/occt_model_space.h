#pragma once

#include <TopoDS_Shape.hxx>
#include <memory>
#include <string_view>
#include <vector>

#include "cad/cad_application.h"
#include "cad/occt/occt_state.h"

namespace kelvo::cad {

// The model space of one drawing: makes its entities. A handle like the others; it raises
// CadError once its drawing is closed.
class OcctModelSpace final : public CadModelSpace {
 public:
  explicit OcctModelSpace(std::weak_ptr<OcctDocumentState> document)
      : document_(std::move(document)) {}

  std::shared_ptr<Cad3DSolid> AddCylinder(const Point& centre, double radius,
                                          double height) override;
  std::shared_ptr<CadCircle> AddCircle(const Point& centre, double radius) override;
  std::shared_ptr<CadArc> AddArc(const Point& centre, double radius, double start_angle,
                                 double end_angle) override;
  EntityRef AddLine(const Point& start, const Point& end) override;
  std::vector<EntityRef> AddRegion(const std::vector<EntityRef>& curves) override;
  std::shared_ptr<Cad3DSolid> AddExtrudedSolid(CadEntity& region, double height,
                                               double taper_angle) override;

 private:
  EntityRef Add(std::string_view operation, EntityKind kind, const TopoDS_Shape& shape,
                std::shared_ptr<const SolidEnvelope> envelope = nullptr,
                std::shared_ptr<const PrismForm> prism = nullptr);

  std::weak_ptr<OcctDocumentState> document_;
};

}  // namespace kelvo::cad
