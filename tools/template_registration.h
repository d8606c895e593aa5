// The tool's side of the registered template: the value FileName of the
// key KUV/Template. On Windows it lives in the registry; elsewhere it is a
// file under $XDG_CONFIG_HOME (or $HOME/.config), holding the path's bytes
// and one terminating zero byte. The library reads the same value when it
// is loaded.
#ifndef KUV_TOOLS_TEMPLATE_REGISTRATION_H_
#define KUV_TOOLS_TEMPLATE_REGISTRATION_H_

#include <optional>
#include <ostream>
#include <string>

namespace kuv::tool {

#ifndef _WIN32
// The file that holds the registered path; empty when neither
// XDG_CONFIG_HOME nor HOME is set.
std::string TemplateValueFile();
#endif

// The registered path, or nullopt when none is registered.
std::optional<std::string> RegisteredTemplate();

// Registers path, replacing the value atomically. Throws a ToolError when
// the value cannot be written.
void RegisterTemplate(const std::string& path);

// Puts back a registration taken earlier with RegisteredTemplate: the
// path, or no value at all.
void RestoreRegistration(const std::optional<std::string>& previous);

// Makes sure that a registered template exists. When none is registered,
// or the registered one no longer exists, registers the template that ships
// with the tool and says so on notices, as the file dialog would have asked.
// Throws a ToolError when the shipped template is missing too.
void EnsureTemplateRegistered(std::ostream& notices);

}  // namespace kuv::tool

#endif  // KUV_TOOLS_TEMPLATE_REGISTRATION_H_
