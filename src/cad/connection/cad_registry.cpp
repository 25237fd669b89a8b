#include "cad/connection/cad_registry.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace kelvo::cad {
namespace {

struct RunningEntry {
  RunningCookie cookie = 0;
  std::string prog_id;
  std::shared_ptr<CadApplication> instance;
};

struct Registry {
  std::map<std::string, CadFactory, std::less<>> factories;
  std::vector<RunningEntry> running;  // in the order of registration
  RunningCookie next_cookie = 1;
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

}  // namespace

void RegisterClassFactory(std::string_view prog_id, CadFactory factory) {
  auto& factories = TheRegistry().factories;
  if (factory) {
    factories.insert_or_assign(std::string(prog_id), std::move(factory));
  } else if (auto found = factories.find(prog_id); found != factories.end()) {
    factories.erase(found);
  }
}

std::shared_ptr<CadApplication> CreateCadInstance(std::string_view prog_id) {
  const auto& factories = TheRegistry().factories;
  const auto found = factories.find(prog_id);
  if (found == factories.end()) {
    throw CadError("CreateObject: no application is registered as " + std::string(prog_id));
  }
  // A copy: starting an instance may register or replace factories.
  const CadFactory factory = found->second;
  std::shared_ptr<CadApplication> instance;
  try {
    instance = factory();
  } catch (const std::exception& error) {
    throw CadError("CreateObject: " + std::string(prog_id) + " could not start: " + error.what());
  } catch (...) {
    throw CadError("CreateObject: " + std::string(prog_id) + " could not start");
  }
  if (!instance) {
    throw CadError("CreateObject: " + std::string(prog_id) + " started no application");
  }
  return instance;
}

RunningCookie RegisterRunningInstance(std::string_view prog_id,
                                      std::shared_ptr<CadApplication> instance) {
  if (!instance) throw CadError("RegisterActiveObject: no application given");
  Registry& registry = TheRegistry();
  const RunningCookie cookie = registry.next_cookie++;
  registry.running.push_back({cookie, std::string(prog_id), std::move(instance)});
  return cookie;
}

void RevokeRunningInstance(RunningCookie cookie) {
  auto& running = TheRegistry().running;
  // Moved out first: the instance may end here, and its end may touch the table again.
  std::shared_ptr<CadApplication> revoked;
  for (auto entry = running.begin(); entry != running.end(); ++entry) {
    if (entry->cookie == cookie) {
      revoked = std::move(entry->instance);
      running.erase(entry);
      break;
    }
  }
}

std::shared_ptr<CadApplication> GetRunningInstance(std::string_view prog_id) {
  const auto& running = TheRegistry().running;
  for (auto entry = running.rbegin(); entry != running.rend(); ++entry) {
    if (entry->prog_id == prog_id) return entry->instance;
  }
  throw CadError("GetObject: no " + std::string(prog_id) + " is running");
}

}  // namespace kelvo::cad
