// The tool's side of the registered template, which the library keeps
// (Template::RegisteredPath and Register) where hosts of its C interface
// read it when they load it.
#ifndef KUV_TOOLS_TEMPLATE_REGISTRATION_H_
#define KUV_TOOLS_TEMPLATE_REGISTRATION_H_

#include <optional>
#include <ostream>
#include <string>

#include "kuv/document.hpp"

namespace kuv::tool {

// Registers path for the library's hosts. Throws a ToolError when the
// value cannot be written.
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
