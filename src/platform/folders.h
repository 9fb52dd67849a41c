// Folders as the command line and the batch runs use them, and the reasons of failures, over
// the system layer.
#pragma once
#include <string>

namespace platform {

// True when `path` names an existing folder (a link to one included).
bool IsFolder(const std::string& path);
// Creates the folder `path` and every missing folder above it. False with the system's
// error number in `err` when one cannot be made (or a file stands in the way).
bool CreateFolders(const std::string& path, int& err);
// Makes `path` the current folder; false with the system's reason when it cannot be entered.
bool ChangeFolder(const std::string& path, std::string& reason);
// The first folder on the way to `path` that does not exist, spelt as a leading part of
// `path` ("out/a" for "out/a/b/X.PLT" when only out exists); empty when they all exist.
std::string MissingFolder(const std::string& path);
// The system's text for an error number ("No such file or directory").
std::string SystemReason(int err);
// Why `path` could not be opened or made: the system's text, and for a missing folder on
// its way, that folder, spelt as `display` spells it when `display` is how `path` ends.
std::string FailureReason(const std::string& path, const std::string& display, int err);

}  // namespace platform
