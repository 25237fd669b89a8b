#pragma once

#include <Message_ProgressRange.hxx>
#include <TopLoc_Location.hxx>
#include <TopoDS_Shape.hxx>
#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "cad/occt/occt_state.h"

// A drawing written to STEP through OpenCASCADE's XDE document: each gear a named part holding
// its solid and its reference circle, with their colours; a drawing of two gears (the pair in
// mesh) an assembly of the two parts, each at its placement. Internal to src/cad/occt.

namespace kelvo::cad {

struct ExportShape {
  TopoDS_Shape shape;           // in the part's own frame
  std::array<double, 3> rgb{};  // its colour, 0 to 1
  bool curve = false;           // a wire-frame entity (its colour is the curve colour)
};

struct ExportPart {
  std::string name;
  std::vector<ExportShape> shapes;
  TopLoc_Location placement;  // where the part stands in the drawing
};

struct ExportAssembly {
  std::string name;  // the assembly's, when there are several parts
  std::vector<ExportPart> parts;
};

// The drawing's live entities as parts, deferred work applied by the caller: the entities of
// one gear part (CadDocument::DescribePart) together in a part of that name, placed where its
// solid stands; a drawing of one part keeps the placement in the shapes. Entities of no part
// make one part named after the drawing.
ExportAssembly CollectParts(const OcctDocumentState& document);

// The same parts with copies of the shapes, which a writer may mesh and annotate.
ExportAssembly CopyParts(const ExportAssembly& assembly);

// Writes STEP (AP214, names and colours); CadError when the translator or the writer fails.
void WriteStepAssembly(const ExportAssembly& assembly, const std::filesystem::path& file,
                       const Message_ProgressRange& range);

}  // namespace kelvo::cad
