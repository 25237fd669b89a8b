#pragma once

#include <filesystem>

#include "cad/occt/occt_document.h"

// Writing a drawing to the exchange formats gear designers hand on: STEP and IGES for CAD,
// STL for printing and meshing, BREP for OpenCASCADE itself.

namespace kelvo::cad {

enum class ExportFormat { Step, Iges, Stl, Brep };

// By extension, in any letter case: .step/.stp, .iges/.igs, .stl, .brep; CadError otherwise.
ExportFormat ExportFormatFor(const std::filesystem::path& path);

// STL chord tolerances. The generated flanks deviate from the true involute by 1 to 17 um
// depending on the fineness; the triangles must not add a visible error on top of that, nor
// hide the cusps of the generating cuts. 1 um chord height (and 0.1 rad between neighbouring
// facet normals, for the small tip-fillet radii) stays below the finest generation.
inline constexpr double kStlChordHeight = 0.001;  // mm
inline constexpr double kStlAngle = 0.1;          // rad

// Writes the drawing's live entities: STEP, IGES and BREP take solids, regions and curves;
// STL takes the solids only. The file is written under a temporary name in the target folder
// and renamed at the end, so a failed export never leaves a partial file under the requested
// name (an older file there stays as it was). CadError, saying why, when the folder is
// missing or not writable, there is nothing to write, or the writer fails.
void ExportDocument(const OcctDocument& document, const std::filesystem::path& path);

// Whether a file could be written at path at all (a known type, an existing folder this
// process may write in, no folder of that name), so a long build can refuse a hopeless target
// before it starts;
// CadError saying why not. Writes and removes a temporary file beside the target.
void CheckExportPath(const std::filesystem::path& path);

struct ImportedSolids {
  int solid_count = 0;
  double volume = 0;  // summed over the solids, mm^3
};
// Reads a STEP file back, to check an export; CadError when it cannot be read.
ImportedSolids ReadStepSolids(const std::filesystem::path& path);

}  // namespace kelvo::cad
