#pragma once

#include <string>
#include <string_view>
#include <vector>

// `remarkist-render check [--fix] [--language L] [--jobs N] [--format text|json|sarif]
// [--settings FILE] [--disable R,...] [--only R,...] [--exclude GLOB] PATH...`: checks the
// documentation comments of the files and trees given against their declarations, writes the
// findings to standard output and what could not be read or written to standard error.
// `args` are the arguments after "check". Returns the exit status: 0 when nothing was found, 1
// when anything was (or a file could not be read or written), 2 for bad usage or a PATH that
// cannot be read.
int checkCommand(const std::vector<std::string_view> &args);

// Replaces the file at `path` (through a link, where it points) with `fixed` when it still holds
// `original`: a temporary file in the same folder with the file's mode, then a rename, so that the
// file is whole at every moment. Returns what stopped it ("... changed while it was being checked;
// not written", a read-only file, a failed write), or "" when written.
std::string replaceFile(const std::string &path, std::string_view original, std::string_view fixed);
