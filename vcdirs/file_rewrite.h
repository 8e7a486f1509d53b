#pragma once
// Rewriting a file that another program owns, so that it holds either its old or its new
// content at every moment: a failure midway must not leave the user with a damaged file.

#include "file_handle.h"

#include <string>

// How the new file takes the old one's place. ReplaceFileA keeps more of the old file (its
// security, its creation record); MoveFileExA stands in where the system lacks it. Both are
// looked up at run time, so that the program still starts where they are missing.
enum ReplaceMethod { REPLACE_BEST_AVAILABLE, REPLACE_WITH_REPLACEFILE, REPLACE_WITH_MOVEFILE };

// Writes text to TempFileFor(path), closes file (the original, held open since it was read:
// it cannot be replaced while open) and puts the new file in the original's place with the
// original's attributes. On any failure the original keeps its content and the temporary file
// is removed. Returns true when the new text is in place.
bool ReplaceFileContent(const std::string& path, FileHandle& file, const std::string& text,
                        ReplaceMethod method = REPLACE_BEST_AVAILABLE);

// The names beside the original: the new content while it is written, and the old content
// while ReplaceFileA swaps the two.
std::string TempFileFor(const std::string& path);
std::string BackupFileFor(const std::string& path);
