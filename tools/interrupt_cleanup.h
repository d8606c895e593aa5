// Removing the tool's temporary output files when the user interrupts a
// run (Ctrl-C, kill): an interrupted export must not leave a hidden
// partial file beside its target.
#ifndef KUV_TOOLS_INTERRUPT_CLEANUP_H_
#define KUV_TOOLS_INTERRUPT_CLEANUP_H_

#include <string>

namespace kuv::tool {

// Makes SIGINT and SIGTERM remove every registered temporary and end the
// tool with 128 + the signal's number (130, 143). Call once, first thing.
void InstallInterruptCleanup();

// Whether a progress bar stands on standard error's line, so that an
// interrupt clears it before the shell's prompt comes back.
void NoteBarOnLine(bool drawn);

// Held while a temporary is created and registered: an interrupt meanwhile
// waits until the file is known to the handler, so that it is removed too.
class InterruptsHeld {
 public:
  InterruptsHeld();
  ~InterruptsHeld();
  InterruptsHeld(const InterruptsHeld&) = delete;
  InterruptsHeld& operator=(const InterruptsHeld&) = delete;
};

// A temporary file, known to the interrupt handler while this lives.
// Paths too long for the handler's fixed table, or more temporaries than
// it holds, are simply not removed on an interrupt.
class RegisteredTemporary {
 public:
  explicit RegisteredTemporary(const std::string& path);
  ~RegisteredTemporary() { Release(); }
  RegisteredTemporary(const RegisteredTemporary&) = delete;
  RegisteredTemporary& operator=(const RegisteredTemporary&) = delete;

  // Forgets the file: it was put in place or removed.
  void Release();

 private:
  int slot_ = -1;
};

}  // namespace kuv::tool

#endif  // KUV_TOOLS_INTERRUPT_CLEANUP_H_
