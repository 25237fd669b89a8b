#pragma once

#include <Message_ProgressRange.hxx>
#include <TopoDS_Solid.hxx>
#include <gp_Trsf.hxx>
#include <memory>
#include <vector>

#include "cad/occt/occt_state.h"

// The replication of a prism's section: the deferred intersections of a prism made as a
// cylinder with turned copies of itself (occt_evaluation.h), evaluated on its section.
//
// The section S of the blank is the disk less one notch N (the space the rolling cut made),
// whose boundary is one chain of edges from the rim back to the rim. Each turned copy takes
// away the notch turned with it, so the result is the disk less every turned N. When the turned
// notches lie apart, each in a wedge of its own, that is a face whose one wire runs through each
// turned chain in turn, joined by arcs of the rim: put together edge by edge in time linear in
// the number of teeth, exact (the same curves turned by the same motions as the solids would
// be), and valid by construction, since S passed OpenCASCADE's checker and no two pieces of the
// wire can meet but at their ends. What that rests on is checked before: S is one face with one
// wire and one notch, N lies inside the wedge that its neighbours leave it (a Boolean), the
// wedges of all copies are apart; and after: the area is the one the set algebra predicts, and
// the extrusion has the area times the height as volume. Anything else raises CadError, and the
// caller evaluates the intersections the present way.

namespace kelvo::cad {

struct ReplicatedSection {
  std::shared_ptr<const PrismForm> prism;  // null when nothing changes (the section has no notch)
  TopoDS_Solid solid;                      // the extruded section, in the solid's frame
  double volume = 0;
};

// section n turn_1(section) n ... n turn_n(section), for the turns (each from a copy's frame into
// the solid's, about the axis of envelope) of copies made from the same cylinder as the solid
// and sharing its section. CadError when it cannot be put together as above or fails a check;
// EvaluationStopped on a stop.
ReplicatedSection ReplicateSection(const PrismForm& section, const SolidEnvelope& envelope,
                                   const std::vector<gp_Trsf>& turns,
                                   const Message_ProgressRange& progress);

}  // namespace kelvo::cad
