#pragma once
// Rewriting a file that other programs depend on (a settings file, a registration file) so that
// it holds either its old or its new content at every moment: a failure midway must not leave
// a damaged file.

#include "handle.h"

#include <string>

// How the new file takes the old one's place. ReplaceFileA keeps more of the old file (its
// security, its identity); MoveFileExA stands in where the system lacks it, and for a file that
// does not exist yet.
enum ReplaceMethod { REPLACE_BEST_AVAILABLE, REPLACE_WITH_REPLACEFILE, REPLACE_WITH_MOVEFILE };

struct RewriteOptions {
    // The new content is written beside the file under this suffix; the old one waits under the
    // backup suffix while ReplaceFileA swaps the two.
    const char* tempSuffix = ".quillon-new";
    const char* backupSuffix = ".quillon-old";
    // The attributes the file has afterwards: 0 keeps the old file's. Given here, they are also
    // the new file's from the start, which lets it overwrite a left-over of its own kind.
    DWORD attributes = 0;
    ReplaceMethod method = REPLACE_BEST_AVAILABLE;
};

// Writes text to the temporary file beside path, closes heldOriginal (which may hold the old file,
// open since it was read: it cannot be replaced while open) and puts the new file in the old one's
// place. A read-only file or a folder at path is refused. On any failure the old file keeps its
// content and the temporary file is removed. Returns true when the new text is in place.
bool ReplaceFileContent(const std::string& path, FileHandle& heldOriginal, const std::string& text,
                        const RewriteOptions& options = RewriteOptions());
