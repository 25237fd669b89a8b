#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "cad/cad_application.h"
#include "cad/occt/occt_state.h"

// The handles the OCCT application gives out for its entities. A handle is a weak reference
// to its drawing plus the entity's number; the record itself lives in the drawing.

namespace kelvo::cad {

// What every handle of ours carries, whatever interface it shows.
class OcctEntityLink {
 public:
  OcctEntityLink(std::weak_ptr<OcctDocumentState> document, EntityId id)
      : document_(std::move(document)), id_(id) {}
  virtual ~OcctEntityLink() = default;

  const std::weak_ptr<OcctDocumentState>& Document() const { return document_; }
  EntityId Id() const { return id_; }

  struct Live {
    std::shared_ptr<OcctDocumentState> document;
    OcctEntityRecord* record;
  };
  // The live drawing and record, or CadError naming the operation.
  Live Resolve(std::string_view operation) const;

 private:
  std::weak_ptr<OcctDocumentState> document_;
  EntityId id_;
};

// Our handle of any CadEntity, or null when entity comes from another implementation.
const OcctEntityLink* AsOcctEntity(const CadEntity& entity);
// The live record behind any handle of ours; CadError for a foreign, deleted or closed one.
OcctEntityLink::Live ResolveEntity(const CadEntity& entity, std::string_view operation);

// A handle of the interface that fits kind (CadArc, CadCircle, Cad3DSolid, or CadEntity).
EntityRef MakeEntityHandle(std::weak_ptr<OcctDocumentState> document, EntityId id, EntityKind kind);

// The operations every entity offers; the handles below forward to them.
void MoveEntity(const OcctEntityLink& entity, const Point& from, const Point& to);
EntityRef CopyEntity(const OcctEntityLink& entity);
void RotateEntity(const OcctEntityLink& entity, const Point& point1, const Point& point2,
                  double angle);
std::vector<EntityRef> ArrayEntityPolar(const OcctEntityLink& entity, int count,
                                        double angle_to_fill, const Point& centre);
void DeleteEntity(const OcctEntityLink& entity);

template <class Interface>
class OcctEntity : public Interface, public OcctEntityLink {
 public:
  using OcctEntityLink::OcctEntityLink;

  void Move(const Point& from, const Point& to) override { MoveEntity(*this, from, to); }
  EntityRef Copy() override { return CopyEntity(*this); }
  void Rotate3D(const Point& point1, const Point& point2, double angle) override {
    RotateEntity(*this, point1, point2, angle);
  }
  std::vector<EntityRef> ArrayPolar(int count, double angle_to_fill, const Point& centre) override {
    return ArrayEntityPolar(*this, count, angle_to_fill, centre);
  }
  void Delete() override { DeleteEntity(*this); }
};

// Lines and regions offer only the common operations.
class OcctPlainEntity final : public OcctEntity<CadEntity> {
 public:
  using OcctEntity::OcctEntity;
};

class OcctArc final : public OcctEntity<CadArc> {
 public:
  using OcctEntity::OcctEntity;
  Point StartPoint() const override;
  Point EndPoint() const override;
};

class OcctCircle final : public OcctEntity<CadCircle> {
 public:
  using OcctEntity::OcctEntity;
  void SetColor(int color_index) override;
  int Color() const override;
};

class OcctSolid final : public OcctEntity<Cad3DSolid> {
 public:
  using OcctEntity::OcctEntity;
  void Boolean(BooleanOperation operation, CadEntity& other) override;

 private:
  void Evaluate(BooleanOperation operation, CadEntity& other,
                std::shared_ptr<OcctDocumentState>& document_of_self);
};

}  // namespace kelvo::cad
