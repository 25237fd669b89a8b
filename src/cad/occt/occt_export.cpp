#include "cad/occt/occt_export.h"

#include <sys/stat.h>
#include <unistd.h>

#include <BRepBuilderAPI_Copy.hxx>
#include <BRepMesh_IncrementalMesh.hxx>
#include <BRepTools.hxx>
#include <BRep_Builder.hxx>
#include <IFSelect_ReturnStatus.hxx>
#include <IGESControl_Controller.hxx>
#include <IGESControl_Writer.hxx>
#include <Message.hxx>
#include <Message_Messenger.hxx>
#include <Message_Printer.hxx>
#include <Message_ProgressIndicator.hxx>
#include <Message_ProgressScope.hxx>
#include <STEPControl_Reader.hxx>
#include <StlAPI_Writer.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS_Compound.hxx>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <string>
#include <system_error>
#include <vector>

#include "cad/occt/occt_assembly_export.h"
#include "cad/occt/occt_deferred.h"
#include "cad/occt/occt_errors.h"
#include "cad/occt/occt_measure.h"
#include "cad/occt/occt_state.h"

namespace kelvo::cad {
namespace {

namespace fs = std::filesystem;
constexpr std::string_view kExport = "Export";

std::string Lowercase(std::string text) {
  for (char& c : text)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// OCCT's translators print transfer statistics to standard output through the default
// messenger; the command line's output is its own. Failures still reach us as return codes.
void QuietTranslators() {
  static const bool quiet = [] {
    for (Message_SequenceOfPrinters::Iterator printer(Message::DefaultMessenger()->Printers());
         printer.More(); printer.Next()) {
      printer.Value()->SetTraceLevel(Message_Fail);
    }
    return true;
  }();
  (void)quiet;
}

// OpenCASCADE's progress indicator for a writer: it passes the share written and asks whether
// the export was cancelled, on the writing thread.
class WriterProgress final : public Message_ProgressIndicator {
 public:
  explicit WriterProgress(const ExportProgress& hooks) : hooks_(hooks) {}

  Standard_Boolean UserBreak() override { return hooks_.cancelled && hooks_.cancelled(); }
  void Show(const Message_ProgressScope& /*scope*/, const Standard_Boolean /*force*/) override {
    if (hooks_.progress) hooks_.progress(GetPosition());
  }

 private:
  const ExportProgress& hooks_;
};

// Where a writer takes no progress range, the export is cancelled between its stages.
void EndIfCancelled(WriterProgress& progress) {
  if (progress.UserBreak()) throw ExportCancelled("Export: cancelled");
}

// The shapes a format takes, in one compound; how many went in.
int CollectShapes(const OcctDocumentState& document, bool solids_only, TopoDS_Compound& compound) {
  BRep_Builder builder;
  builder.MakeCompound(compound);
  int count = 0;
  for (const auto& [id, record] : document.entities) {
    if (solids_only && record.kind != EntityKind::Solid) continue;
    builder.Add(compound, record.Located());
    ++count;
  }
  return count;
}

// A fresh, empty file beside the target, which only this export writes to. Made with the
// permissions a new file gets here, so the renamed result looks like any file the user saves.
fs::path MakeTemporaryFile(const fs::path& target) {
  const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
  std::error_code error;
  if (!fs::is_directory(folder, error)) {
    ThrowCadError(kExport, fs::exists(folder, error)
                               ? folder.string() + " is not a folder"
                               : "the folder " + folder.string() + " does not exist");
  }
  // A hidden name, appended piece by piece: GCC 12 at -O3 misreads "." + std::string as an
  // overlapping copy (-Wrestrict).
  std::string hidden_name(1, '.');
  hidden_name += target.filename().string();
  hidden_name += ".XXXXXX";
  std::string pattern = (folder / hidden_name).string();
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int descriptor = ::mkstemp(name.data());
  if (descriptor < 0) {
    ThrowCadError(kExport,
                  "cannot write in the folder " + folder.string() + ": " + std::strerror(errno));
  }
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(descriptor, static_cast<mode_t>(0666 & ~mask));
  ::close(descriptor);
  return fs::path(name.data());
}

// Each writer gets the range of the whole export: the stages with a progress range share it,
// in proportion to the time they take (measured on a gear of 400 teeth), and the export is
// cancelled between them. The last stage of STEP and IGES, writing the text, takes no range.
// STEP goes through the XDE document: named parts with their colours, an assembly for a drawing
// of several gears (occt_assembly_export.h).
void WriteStep(const ExportAssembly& assembly, const fs::path& file,
               const Message_ProgressRange& range, WriterProgress& progress) {
  WriteStepAssembly(assembly, file, range);
  EndIfCancelled(progress);
}

void WriteIges(const TopoDS_Shape& shape, const fs::path& file, const Message_ProgressRange& range,
               WriterProgress& progress) {
  Message_ProgressScope scope(range, "IGES", 10);
  IGESControl_Controller::Init();
  IGESControl_Writer writer("MM", 1);  // 1: solids as B-rep entities, not trimmed surfaces
  const bool added = writer.AddShape(shape, scope.Next(5));
  EndIfCancelled(progress);
  if (!added) ThrowCadError(kExport, "the IGES translator could not take the drawing");
  writer.ComputeModel();
  EndIfCancelled(progress);
  if (!writer.Write(file.c_str())) ThrowCadError(kExport, "the IGES writer failed");
}

void WriteStl(const TopoDS_Shape& shape, const fs::path& file, const Message_ProgressRange& range,
              WriterProgress& progress) {
  Message_ProgressScope scope(range, "STL", 10);
  IMeshTools_Parameters parameters;
  parameters.Deflection = kStlChordHeight;
  parameters.Angle = kStlAngle;
  BRepMesh_IncrementalMesh mesh(shape, parameters, scope.Next(9));
  EndIfCancelled(progress);
  if (!mesh.IsDone()) ThrowCadError(kExport, "the solids could not be triangulated");
  StlAPI_Writer writer;
  writer.ASCIIMode() = Standard_False;
  const bool written = writer.Write(shape, file.c_str(), scope.Next(1));
  EndIfCancelled(progress);
  if (!written) ThrowCadError(kExport, "the STL writer failed");
}

void WriteBrep(const TopoDS_Shape& shape, const fs::path& file, const Message_ProgressRange& range,
               WriterProgress& progress) {
  const bool written = BRepTools::Write(shape, file.c_str(), Standard_False, Standard_False,
                                        TopTools_FormatVersion_CURRENT, range);
  EndIfCancelled(progress);
  if (!written) ThrowCadError(kExport, "the BREP writer failed");
}

void WriteFormat(ExportFormat format, const TopoDS_Shape& shape, const ExportAssembly& assembly,
                 const fs::path& file, WriterProgress& progress) {
  const Message_ProgressRange range = progress.Start();
  switch (format) {
    case ExportFormat::Step:
      return WriteStep(assembly, file, range, progress);
    case ExportFormat::Iges:
      return WriteIges(shape, file, range, progress);
    case ExportFormat::Stl:
      return WriteStl(shape, file, range, progress);
    case ExportFormat::Brep:
      return WriteBrep(shape, file, range, progress);
  }
}

}  // namespace

ExportFormat ExportFormatFor(const fs::path& path) {
  const std::string extension = Lowercase(path.extension().string());
  if (extension == ".step" || extension == ".stp") return ExportFormat::Step;
  if (extension == ".iges" || extension == ".igs") return ExportFormat::Iges;
  if (extension == ".stl") return ExportFormat::Stl;
  if (extension == ".brep") return ExportFormat::Brep;
  ThrowCadError(kExport, "unknown file type \"" + path.extension().string() +
                             "\"; use .step, .stp, .iges, .igs, .stl or .brep");
}

struct PreparedExport::Contents {
  ExportFormat format;
  TopoDS_Shape shapes;      // copies of the drawing's, for the writer alone
  ExportAssembly assembly;  // STEP: the same copies as named, placed parts
  fs::path path;
};

PreparedExport::PreparedExport(std::unique_ptr<Contents> contents)
    : contents_(std::move(contents)) {}
PreparedExport::PreparedExport(PreparedExport&&) noexcept = default;
PreparedExport& PreparedExport::operator=(PreparedExport&&) noexcept = default;
PreparedExport::~PreparedExport() = default;

PreparedExport PrepareExport(const OcctDocument& document, const fs::path& path) {
  return Guarded(kExport, [&] {
    auto contents = std::make_unique<PreparedExport::Contents>();
    contents->format = ExportFormatFor(path);
    contents->path = path;
    const std::shared_ptr<OcctDocumentState> state = document.LiveState(kExport);
    if (path.filename().empty()) ThrowCadError(kExport, "no file name given");
    EvaluateDocument(*state);  // the file holds the solids as asked for, deferred work applied
    TopoDS_Compound compound;
    const bool solids_only = contents->format == ExportFormat::Stl;
    if (CollectShapes(*state, solids_only, compound) == 0) {
      ThrowCadError(kExport, solids_only ? "the drawing " + state->name + " holds no solid"
                                         : "the drawing " + state->name + " is empty");
    }
    if (contents->format == ExportFormat::Step) {
      contents->assembly = CopyParts(CollectParts(*state));
    } else {
      contents->shapes = BRepBuilderAPI_Copy(compound, Standard_False, Standard_False).Shape();
    }
    return PreparedExport(std::move(contents));
  });
}

void PreparedExport::Write(const ExportProgress& progress) const {
  // The translators keep their settings in process-wide variables.
  static std::mutex one_at_a_time;
  const std::lock_guard<std::mutex> lock(one_at_a_time);
  QuietTranslators();
  const fs::path& path = contents_->path;
  const fs::path temporary = MakeTemporaryFile(path);
  try {
    Guarded(kExport, [&] {
      const opencascade::handle<WriterProgress> indicator = new WriterProgress(progress);
      WriteFormat(contents_->format, contents_->shapes, contents_->assembly, temporary, *indicator);
      EndIfCancelled(*indicator);
    });
    std::error_code error;
    if (fs::file_size(temporary, error) == 0 || error) {
      ThrowCadError(kExport, "the writer left no data");
    }
    fs::rename(temporary, path, error);
    if (error) {
      ThrowCadError(kExport, "cannot replace " + path.string() + ": " + error.message());
    }
  } catch (...) {
    std::error_code ignored;
    fs::remove(temporary, ignored);
    throw;
  }
}

void ExportDocument(const OcctDocument& document, const fs::path& path) {
  PrepareExport(document, path).Write();
}

void CheckExportPath(const fs::path& path) {
  ExportFormatFor(path);
  if (path.filename().empty()) ThrowCadError(kExport, "no file name given");
  // A folder under the file's name would only refuse the renaming, after the whole build.
  std::error_code ignored;
  if (fs::is_directory(path, ignored)) {
    ThrowCadError(kExport, "cannot replace " + path.string() + ": it is a folder");
  }
  fs::remove(MakeTemporaryFile(path), ignored);
}

ImportedSolids ReadStepSolids(const fs::path& path) {
  constexpr std::string_view kOperation = "ReadStep";
  return Guarded(kOperation, [&] {
    QuietTranslators();
    STEPControl_Reader reader;
    if (reader.ReadFile(path.c_str()) != IFSelect_RetDone) {
      ThrowCadError(kOperation, "cannot read " + path.string());
    }
    reader.TransferRoots();
    ImportedSolids solids;
    for (TopExp_Explorer explorer(reader.OneShape(), TopAbs_SOLID); explorer.More();
         explorer.Next()) {
      ++solids.solid_count;
      solids.volume += ShapeVolume(explorer.Current());
    }
    return solids;
  });
}

}  // namespace kelvo::cad
