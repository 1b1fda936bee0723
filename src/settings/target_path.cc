#include "settings/target_path.h"

#include "settings/ersetze_environment.h"

namespace rolvex {

bool NamesDrive(const std::string& path) {
  return path.find(":\\") != std::string::npos;
}

std::string TargetPath(const DirectoryParameters& parameters,
                       const std::string& relative) {
  std::string target = ErsetzeEnvironment(parameters, relative);
  return NamesDrive(target) ? target : kDefaultDrive + target;
}

}  // namespace rolvex
