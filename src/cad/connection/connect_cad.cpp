#include "cad/connection/connect_cad.h"

#include <memory>

#include "cad/connection/cad_registry.h"

namespace kelvo {
namespace {

// One step of the connection: its instance, or null when it failed in any way.
template <class Step>
std::shared_ptr<cad::CadApplication> Try(Step&& step) {
  try {
    return step();
  } catch (...) {
    return nullptr;
  }
}

}  // namespace

bool ConnectCad(std::shared_ptr<cad::CadApplication>& cadApp, const ShowMessageFn& show_message) {
  std::shared_ptr<cad::CadApplication> application =
      Try([] { return cad::GetRunningInstance(cad::kCadProgId); });
  if (!application) application = Try([] { return cad::CreateCadInstance(cad::kCadProgId); });
  if (application) {
    cadApp = std::move(application);
    return false;
  }
  show_message(std::string(kConnectCadFailedMessage));
  return true;
}

}  // namespace kelvo
