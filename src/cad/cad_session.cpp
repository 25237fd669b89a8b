#include "cad/cad_session.h"

namespace kelvo {

std::shared_ptr<cad::CadApplication> cadApp;
std::shared_ptr<cad::CadDocument> cadDoc;
std::shared_ptr<cad::Cad3DSolid> blankSolid;

}  // namespace kelvo
