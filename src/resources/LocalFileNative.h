#pragma once

#include "core/IntrusivePointer.h"
#include "core/String.h"
#include "resources/FileSystem.h"

// What LocalFileSystem needs from the operating system. LocalFileWindows.cpp provides it with the
// kernel file interface, LocalFilePosix.cpp with POSIX calls; the look-up logic stays shared.
namespace localfile {

// The separator of full paths: both "/" and "\" in a requested path become this one.
extern const char16_t separator;

// Makes the directory of the running executable the current directory; failures are ignored
// and look-ups then stay relative to whatever the current directory is.
void enterExecutableDirectory();

// True when something other than a plain directory is at `path`.
bool isPresent(const WideString& path);

// A file opened for reading that other readers may share, or null when it cannot be opened
// (missing, a directory, no access).
IntrusivePointer<File> openForReading(const WideString& path);

} // namespace localfile
