// On Windows a Ctrl-C ends the tool as before: the console's default
// handler. The registration keeps the callers alike on every system.
#include "interrupt_cleanup.h"

namespace kuv::tool {

void InstallInterruptCleanup() {}

void NoteBarOnLine(bool) {}

InterruptsHeld::InterruptsHeld() {}

InterruptsHeld::~InterruptsHeld() {}

RegisteredTemporary::RegisteredTemporary(const std::string&) {}

void RegisteredTemporary::Release() { slot_ = -1; }

}  // namespace kuv::tool
