#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

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

// Raised by an export that was cancelled; it left no file behind.
class ExportCancelled : public CadError {
 public:
  using CadError::CadError;
};

// Who follows a long export: both are called often, on the thread that writes.
struct ExportProgress {
  std::function<void(double done)> progress;  // the share written so far, 0 to 1
  std::function<bool()> cancelled;            // true ends the export as soon as it can end
};

// A drawing's export, prepared on the thread that drives the application and written on any
// thread. Its entities are copied when it is prepared: the writers mesh and annotate the shapes
// they write, and the 3D window meshes the drawing's own shapes as it draws them, so the two
// must never share one. The geometry under them is shared; both only read it.
class PreparedExport {
 public:
  PreparedExport(PreparedExport&&) noexcept;
  PreparedExport& operator=(PreparedExport&&) noexcept;
  ~PreparedExport();

  // Writes the file under a temporary name in the target folder and renames it at the end, so
  // an export that fails or is cancelled leaves no file under the requested name (an older file
  // there stays as it was) and no temporary. ExportCancelled, or CadError saying why it failed.
  // One export writes at a time.
  void Write(const ExportProgress& progress = {}) const;

 private:
  friend PreparedExport PrepareExport(const OcctDocument& document,
                                      const std::filesystem::path& path);
  struct Contents;
  explicit PreparedExport(std::unique_ptr<Contents> contents);
  std::unique_ptr<Contents> contents_;
};

// The drawing's live entities, deferred work applied: STEP, IGES and BREP take solids, regions
// and curves; STL takes the solids only. CadError, saying why, for a file type it does not
// know, no file name, or nothing to write.
PreparedExport PrepareExport(const OcctDocument& document, const std::filesystem::path& path);

// Prepares and writes at once, on the calling thread. CadError, saying why, when the folder is
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

// One part of a STEP file as its XDE reader sees it: the part's name, what it holds and where
// it stands (the placement of its instance in the assembly, if any).
struct ImportedPart {
  std::string name;
  int solid_count = 0;
  double volume = 0;  // mm^3
  int curve_count = 0;
  Point origin;     // where the part's placement takes its own origin
  BoundingBox box;  // of the placed solids
};
// The parts of a STEP file with their names and placements (the leaves of its assembly, or its
// top-level shapes); CadError when it cannot be read.
std::vector<ImportedPart> ReadStepParts(const std::filesystem::path& path);

}  // namespace kelvo::cad
