#pragma once

#include <memory>

#include "cad/cad_application.h"

namespace kelvo {

// The CAD objects the commands share for the whole run. Each is replaced, never cleared:
// `cadApp` by every connection, `cadDoc` by every new gear drawing, `blankSolid` by every new
// blank (the hobbing simulation cuts it in place).
extern std::shared_ptr<cad::CadApplication> cadApp;
extern std::shared_ptr<cad::CadDocument> cadDoc;
extern std::shared_ptr<cad::Cad3DSolid> blankSolid;

}  // namespace kelvo
