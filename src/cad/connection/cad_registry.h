#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

#include "cad/cad_application.h"

// The platform services a CAD automation client finds its server through, kept inside the
// process: a running-object table (the instances the user is working in, by ProgID) and a
// class factory per ProgID (how to start a new instance). A CAD application that can serve
// registers its factory once at start-up; each instance it starts registers itself as running
// and revokes that registration when it ends (the user closed its window).
//
// Everything runs on the user-interface thread, like the automation calls it stands in for.

namespace kelvo::cad {

// The ProgID the gear commands ask for: the automation name of the CAD application they drive.
inline constexpr std::string_view kCadProgId = "AutoCAD.Application.15";

// Starts a new instance. May throw anything (no display, no OpenGL, out of memory) or return
// nothing; either counts as a failed start.
using CadFactory = std::function<std::shared_ptr<CadApplication>()>;

// Installs the factory for prog_id, replacing any earlier one; an empty factory removes it.
void RegisterClassFactory(std::string_view prog_id, CadFactory factory);

// A new instance from the factory of prog_id. CadError when no factory is registered, the
// factory throws (whatever it throws), or it returns nothing.
std::shared_ptr<CadApplication> CreateCadInstance(std::string_view prog_id);

// A registration in the running-object table; 0 is never handed out.
using RunningCookie = std::uint64_t;

// Enters a running instance under prog_id. The table keeps it alive until it is revoked.
RunningCookie RegisterRunningInstance(std::string_view prog_id,
                                      std::shared_ptr<CadApplication> instance);
// Removes a registration; an unknown or already revoked cookie is ignored.
void RevokeRunningInstance(RunningCookie cookie);

// The most recently registered instance of prog_id that is still running, or CadError when
// none is.
std::shared_ptr<CadApplication> GetRunningInstance(std::string_view prog_id);

}  // namespace kelvo::cad
