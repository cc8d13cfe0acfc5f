#include "model/modProjectName.h"

namespace qs {

namespace {
std::string& ProjectNameSlot() {
  static std::string g_sProjectName;
  return g_sProjectName;
}
}  // namespace

void SetProjectName(std::string_view in_sName) {
  ProjectNameSlot().assign(in_sName);
}

const std::string& GetProjectName() {
  return ProjectNameSlot();
}

}  // namespace qs
