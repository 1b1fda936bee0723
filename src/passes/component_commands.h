// The command lines that register and unregister a component: RegSvr32 for
// a library or control, the program's own switches for an ".exe" (in any
// letter case). The path goes in unquoted, as the registration tools have
// always received it.
#ifndef ROLVEX_PASSES_COMPONENT_COMMANDS_H_
#define ROLVEX_PASSES_COMPONENT_COMMANDS_H_

#include <optional>
#include <string>

namespace rolvex {

std::string RegisterCommand(const std::string& component);
std::string UnregisterCommand(const std::string& component);

// What a command line of those two forms does.
struct ComponentCommand {
  std::string component;
  bool registers = false;
};
// The component and direction of `command_line`, when it is one of the
// forms above; nullopt for any other command.
std::optional<ComponentCommand> ReadComponentCommand(
    const std::string& command_line);

}  // namespace rolvex

#endif  // ROLVEX_PASSES_COMPONENT_COMMANDS_H_
