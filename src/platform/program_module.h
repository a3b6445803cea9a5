#pragma once
#include <filesystem>
#include <string>

// Loading a part of the program that is kept in a file of its own (a shared library that
// only some commands need), and the questions about the running program that go with it;
// the operating system's twin of this file lives in platform/<system>/program_module.cpp.
namespace quarnby::platform {

// The file of the running program itself; empty when the system does not say.
std::filesystem::path programFile();

// Loads the shared library `file` for the rest of the run (it is never unloaded) and
// returns the address of its function `entry`; nothing, with the system's reason in
// `problem`, when the file cannot be loaded or has no such function.
void* loadModuleEntry(const std::filesystem::path& file, const char* entry, std::string& problem);

// Whether standard error is a terminal that someone watches (progress goes there).
bool standardErrorIsTerminal();

}  // namespace quarnby::platform
