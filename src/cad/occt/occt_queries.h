#pragma once

#include "cad/cad_application.h"
#include "cad/occt/occt_types.h"

// Read-only questions about entities of the OCCT application, without OpenCASCADE headers:
// for the command line's report and for tests. Each raises CadError for an entity that is
// deleted, in a closed drawing, or not made by this application, except IsAlive.

namespace kelvo::cad {

bool IsAlive(const CadEntity& entity);
EntityKind KindOf(const CadEntity& entity);
EntityId IdOf(const CadEntity& entity);
int ColorOf(const CadEntity& entity);
BoundingBox BoundingBoxOf(const CadEntity& entity);

// Volume, area, faces, validity and box of a 3D solid; CadError for any other kind.
SolidMeasures MeasureSolid(const CadEntity& solid);
// Centre, radius and colour of a circle as it now lies; CadError for any other kind.
CircleGeometry CircleOf(const CadEntity& circle);

}  // namespace kelvo::cad
