#pragma once

// Starting another program of the tool set from chromix and waiting for it to end. The
// child shares chromix's standard streams, environment and working folder; its arguments
// reach it unchanged (no shell). One implementation file per platform.

#include "config/result.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// The folder of the running chromix executable; empty when the system does not say.
std::filesystem::path runningProgramFolder();

// The folders of PATH, in order.
std::vector<std::filesystem::path> searchPathFolders();

// A program's file name on this platform ("Candora", "Candora.exe").
std::string executableFileName(const std::string& program);

// Runs `program` with `arguments` and waits for it: its exit status, or a failure that
// says why it could not be started or how it ended otherwise (a signal).
[[nodiscard]] Result<int> runProgram(const std::filesystem::path& program, const std::vector<std::string>& arguments);

// An installed program sits beside chromix; in a build tree the window programs are in
// bin/ beside chromix's folder. Then PATH. Nothing when none of them has it.
std::optional<std::filesystem::path> findProgram(const std::string& program);
