#pragma once
// Rewriting a file that other programs depend on (a settings file, a registration file) so that
// its name holds either its old or its new content at every moment, whatever stops the program:
// a failure midway, a kill or a power cut must never leave the name empty or the file damaged.

#include "code_page.h"
#include "handle.h"

#include <string>

// The paths are UTF-16, as the system names files: a settings file lies in a profile folder that
// need not fit the code page. Files named in the code page come through Widen.

struct RewriteOptions {
    // The new content is written beside the file under this suffix before it takes the name.
    const wchar_t* tempSuffix = L".quillon-new";
    // Where an earlier setup.exe parked the old file while it swapped the two (a kill between its
    // two moves left it there, the name empty); only ever read back, never made.
    const wchar_t* backupSuffix = L".quillon-old";
    // The attributes the file has afterwards: 0 keeps the old file's. Given here, they are also
    // the new file's from the start, which lets it overwrite a left-over of its own kind.
    DWORD attributes = 0;
};

// Writes text to the temporary file beside path, flushes it, closes heldOriginal (which may hold
// the old file, open since it was read: it cannot be replaced while open) and puts the new file
// in the old one's place by one rename (MoveFileExA, replacing, written through). A read-only
// file or a folder at path is refused. On any failure the old file keeps its content and the
// temporary file is removed. Returns true when the new text is in place.
bool ReplaceFileContent(const WidePath& path, FileHandle& heldOriginal, const std::string& text,
                        const RewriteOptions& options = RewriteOptions());

// Opens an existing file for reading and writing, for a rewrite. It shares reads only: a
// program that holds the file for writing makes this fail, and the file is left alone rather
// than edited under that program's feet.
HANDLE OpenForRewrite(const WidePath& path);

// Finishes what an interrupted rewrite of path left, before anyone reads the file: an old file
// parked under the backup suffix goes back to the name when the name is empty (and goes when the
// name holds a file), and a temporary file goes. Returns false when the name stays empty
// although an old file waits to take it.
bool FinishInterruptedRewrite(const WidePath& path,
                              const RewriteOptions& options = RewriteOptions());
