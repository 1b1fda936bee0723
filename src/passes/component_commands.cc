#include "passes/component_commands.h"

#include "passes/path_text.h"

namespace rolvex {
namespace {

constexpr char kRegister[] = "RegSvr32 /s ";
constexpr char kUnregister[] = "RegSvr32 /u /s ";
constexpr char kRegServer[] = " /regserver";
constexpr char kUnregServer[] = " /unregserver";

bool StartsWith(const std::string& text, const std::string& start) {
  return text.compare(0, start.size(), start) == 0;
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() &&
         text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

std::string RegisterCommand(const std::string& component) {
  return EndsWithUpper(component, ".EXE") ? component + kRegServer
                                          : kRegister + component;
}

std::string UnregisterCommand(const std::string& component) {
  return EndsWithUpper(component, ".EXE") ? component + kUnregServer
                                          : kUnregister + component;
}

std::optional<ComponentCommand> ReadComponentCommand(const std::string& line) {
  for (const bool registers : {false, true}) {
    const std::string prefix = registers ? kRegister : kUnregister;
    const std::string suffix = registers ? kRegServer : kUnregServer;
    if (StartsWith(line, prefix)) {
      const std::string component = line.substr(prefix.size());
      if (!EndsWithUpper(component, ".EXE")) {
        return ComponentCommand{component, registers};
      }
    }
    if (EndsWith(line, suffix)) {
      const std::string component = line.substr(0, line.size() - suffix.size());
      if (EndsWithUpper(component, ".EXE")) {
        return ComponentCommand{component, registers};
      }
    }
  }
  return std::nullopt;
}

}  // namespace rolvex
