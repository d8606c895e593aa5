// The tool's side of the registered template: the value FileName of the
// key KUV/Template. On Windows it lives in the registry; elsewhere it is a
// file under $XDG_CONFIG_HOME (or $HOME/.config), holding the path's bytes
// and one terminating zero byte. Hosts of the library's C interface read
// the same value when they load it.
#ifndef KUV_TOOLS_TEMPLATE_REGISTRATION_H_
#define KUV_TOOLS_TEMPLATE_REGISTRATION_H_

#include <optional>
#include <ostream>
#include <string>

#include "kuv/document.hpp"

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

// Makes sure that a registered template exists. When none is registered,
// or the registered one no longer exists, registers the template that ships
// with the tool and says so on notices, as the file dialog would have asked.
// Throws a ToolError when the shipped template is missing too.
void EnsureTemplateRegistered(std::ostream& notices);

// Reads the registered template, as a host of the C interface would attach
// it. Throws a ToolError with the library's message when it cannot.
Template OpenRegisteredTemplate();

}  // namespace kuv::tool

#endif  // KUV_TOOLS_TEMPLATE_REGISTRATION_H_
