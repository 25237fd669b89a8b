#include "cad/occt/occt_assembly_export.h"

#include <BRepBuilderAPI_Copy.hxx>
#include <BRep_Builder.hxx>
#include <IFSelect_ReturnStatus.hxx>
#include <Message_ProgressScope.hxx>
#include <STEPCAFControl_Reader.hxx>
#include <STEPCAFControl_Writer.hxx>
#include <TCollection_ExtendedString.hxx>
#include <TDF_Label.hxx>
#include <TDF_LabelSequence.hxx>
#include <TDataStd_Name.hxx>
#include <TDocStd_Document.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS_Compound.hxx>
#include <XCAFApp_Application.hxx>
#include <XCAFDoc_Color.hxx>  // and with it the colour type
#include <XCAFDoc_ColorTool.hxx>
#include <XCAFDoc_DocumentTool.hxx>
#include <XCAFDoc_ShapeTool.hxx>
#include <map>

#include "cad/occt/occt_errors.h"
#include "cad/occt/occt_export.h"
#include "cad/occt/occt_measure.h"

namespace kelvo::cad {
namespace {

constexpr std::string_view kExport = "Export";

// Colour index 1 is red; the gears themselves get the steel grey the 3D window shows them in.
std::array<double, 3> ColorOf(const OcctEntityRecord& record) {
  if (record.color == 1) return {1, 0, 0};
  return {0.75, 0.75, 0.78};
}

bool IsCurve(EntityKind kind) {
  return kind == EntityKind::Line || kind == EntityKind::Arc || kind == EntityKind::Circle;
}

void Name(const TDF_Label& label, const std::string& name) {
  TDataStd_Name::Set(label, TCollection_ExtendedString(name.c_str(), Standard_True));
}

}  // namespace

ExportAssembly CollectParts(const OcctDocumentState& document) {
  ExportAssembly assembly;
  assembly.name = document.name;
  std::map<std::string, std::size_t> part_of_name;
  std::map<std::size_t, std::vector<const OcctEntityRecord*>> members;
  for (const auto& [id, record] : document.entities) {
    const std::string name = record.part ? record.part->name : document.name;
    auto [found, added] = part_of_name.emplace(name, assembly.parts.size());
    if (added) assembly.parts.push_back({name, {}, {}});
    members[found->second].push_back(&record);
  }
  const bool several = assembly.parts.size() > 1;
  for (auto& [index, records] : members) {
    ExportPart& part = assembly.parts[index];
    // Placed where its solid stands; one part alone keeps its placement in its shapes.
    if (several) {
      for (const OcctEntityRecord* record : records)
        if (record->kind == EntityKind::Solid) part.placement = record->placement;
    }
    const TopLoc_Location into_part = part.placement.Inverted();
    for (const OcctEntityRecord* record : records) {
      part.shapes.push_back(
          {record->Located().Moved(into_part), ColorOf(*record), IsCurve(record->kind)});
    }
  }
  if (several) {
    std::string name;
    for (const ExportPart& part : assembly.parts)
      name += (name.empty() ? "" : " + ") + part.name;
    assembly.name = "齿轮副 " + name;
  }
  return assembly;
}

ExportAssembly CopyParts(const ExportAssembly& assembly) {
  ExportAssembly copy = assembly;
  for (ExportPart& part : copy.parts)
    for (ExportShape& shape : part.shapes)
      shape.shape = BRepBuilderAPI_Copy(shape.shape, Standard_False, Standard_False).Shape();
  return copy;
}

void WriteStepAssembly(const ExportAssembly& assembly, const std::filesystem::path& file,
                       const Message_ProgressRange& range) {
  Message_ProgressScope scope(range, "STEP", 10);
  Handle(TDocStd_Document) document;
  XCAFApp_Application::GetApplication()->NewDocument("MDTV-XCAF", document);
  const Handle(XCAFDoc_ShapeTool) shapes = XCAFDoc_DocumentTool::ShapeTool(document->Main());
  const Handle(XCAFDoc_ColorTool) colors = XCAFDoc_DocumentTool::ColorTool(document->Main());

  std::vector<TDF_Label> parts;
  for (const ExportPart& part : assembly.parts) {
    BRep_Builder builder;
    TopoDS_Compound compound;
    builder.MakeCompound(compound);
    for (const ExportShape& shape : part.shapes)
      builder.Add(compound, shape.shape);
    // One shape alone is the part itself; several (the gear and its reference circle) make a
    // part of one compound, never an assembly of a solid part and a wire-frame part.
    const TopoDS_Shape whole = part.shapes.size() == 1 ? part.shapes.front().shape : compound;
    const TDF_Label label = shapes->AddShape(whole, Standard_False);
    Name(label, part.name);
    for (const ExportShape& shape : part.shapes) {
      const TDF_Label sub =
          part.shapes.size() == 1 ? label : shapes->AddSubShape(label, shape.shape);
      if (sub.IsNull()) continue;
      const auto [red, green, blue] = shape.rgb;
      colors->SetColor(sub, Quantity_Color(red, green, blue, Quantity_TOC_RGB),
                       shape.curve ? XCAFDoc_ColorCurv : XCAFDoc_ColorSurf);
    }
    parts.push_back(label);
  }
  if (parts.size() > 1) {
    const TDF_Label whole = shapes->NewShape();
    Name(whole, assembly.name);
    for (std::size_t i = 0; i < parts.size(); ++i) {
      const TDF_Label component =
          shapes->AddComponent(whole, parts[i], assembly.parts[i].placement);
      Name(component, assembly.parts[i].name);
    }
    shapes->UpdateAssemblies();
  }

  STEPCAFControl_Writer writer;
  writer.SetColorMode(Standard_True);
  writer.SetNameMode(Standard_True);
  const bool transferred = writer.Transfer(document, STEPControl_AsIs, nullptr, scope.Next(8));
  // A cancelled transfer also reports failure: the caller tells the cancel apart.
  if (scope.UserBreak()) return;
  if (!transferred) ThrowCadError(kExport, "the STEP translator could not take the drawing");
  if (writer.Write(file.c_str()) != IFSelect_RetDone) {
    ThrowCadError(kExport, "the STEP writer failed");
  }
}

namespace {

std::string NameOf(const TDF_Label& label) {
  Handle(TDataStd_Name) name;
  if (!label.FindAttribute(TDataStd_Name::GetID(), name)) return {};
  const TCollection_ExtendedString& text = name->Get();
  std::string utf8(static_cast<std::size_t>(text.LengthOfCString()), '\0');
  Standard_PCharacter buffer = utf8.data();
  text.ToUTF8CString(buffer);
  utf8.resize(std::char_traits<char>::length(utf8.c_str()));
  return utf8;
}

void Collect(const Handle(XCAFDoc_ShapeTool) & shapes, const TDF_Label& label,
             const TopLoc_Location& placement, const std::string& instance_name,
             std::vector<ImportedPart>& parts) {
  TDF_Label referred = label;
  TopLoc_Location at = placement;
  if (XCAFDoc_ShapeTool::IsReference(label)) {
    XCAFDoc_ShapeTool::GetReferredShape(label, referred);
    at = placement * XCAFDoc_ShapeTool::GetLocation(label);
  }
  if (XCAFDoc_ShapeTool::IsAssembly(referred)) {
    TDF_LabelSequence components;
    XCAFDoc_ShapeTool::GetComponents(referred, components);
    for (const TDF_Label& component : components)
      Collect(shapes, component, at, NameOf(component), parts);
    return;
  }
  ImportedPart part;
  part.name = NameOf(referred);
  if (part.name.empty()) part.name = instance_name;
  const TopoDS_Shape shape = XCAFDoc_ShapeTool::GetShape(referred).Moved(at);
  BRep_Builder builder;
  TopoDS_Compound solids;
  builder.MakeCompound(solids);
  for (TopExp_Explorer explorer(shape, TopAbs_SOLID); explorer.More(); explorer.Next()) {
    ++part.solid_count;
    part.volume += ShapeVolume(explorer.Current());
    builder.Add(solids, explorer.Current());
  }
  for (TopExp_Explorer explorer(shape, TopAbs_EDGE, TopAbs_FACE); explorer.More(); explorer.Next())
    ++part.curve_count;
  if (part.solid_count > 0) part.box = ShapeBox(solids);
  const gp_XYZ origin = at.Transformation().TranslationPart();
  part.origin = {origin.X(), origin.Y(), origin.Z()};
  parts.push_back(part);
}

}  // namespace

std::vector<ImportedPart> ReadStepParts(const std::filesystem::path& path) {
  constexpr std::string_view kOperation = "ReadStep";
  return Guarded(kOperation, [&] {
    Handle(TDocStd_Document) document;
    XCAFApp_Application::GetApplication()->NewDocument("MDTV-XCAF", document);
    STEPCAFControl_Reader reader;
    reader.SetNameMode(Standard_True);
    reader.SetColorMode(Standard_True);
    if (reader.ReadFile(path.c_str()) != IFSelect_RetDone || !reader.Transfer(document)) {
      ThrowCadError(kOperation, "cannot read " + path.string());
    }
    const Handle(XCAFDoc_ShapeTool) shapes = XCAFDoc_DocumentTool::ShapeTool(document->Main());
    TDF_LabelSequence free_shapes;
    shapes->GetFreeShapes(free_shapes);
    std::vector<ImportedPart> parts;
    for (const TDF_Label& label : free_shapes)
      Collect(shapes, label, TopLoc_Location(), NameOf(label), parts);
    return parts;
  });
}

}  // namespace kelvo::cad
