#pragma once
// The bash completion script for bv3, written from the commands and options the registry
// installed into the application, so a new command completes without anybody editing a list.

#include <CLI/CLI.hpp>

#include <string>

namespace bv3::cli {

// The completion script for `complete -F` in bash: subcommand names first, then each
// command's options, the values of options that take one of a fixed set, and file names for
// everything else.
std::string bashCompletionScript(const CLI::App& app, const std::string& program);

// Adds to the program named app.get_name() the hidden option `--completion SHELL` that prints the script and exits 0.
void addCompletionOption(CLI::App& app);

}  // namespace bv3::cli
