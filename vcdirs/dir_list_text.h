#pragma once
// The directory lists of VCComponents.dat, edited as plain text: a list is the rest of the line
// after its key ("Include Dirs="), entries are separated by ";", the line ends at a carriage
// return. Matching is byte for byte. No Windows header here: the edits also build for the host.

#include "win32/ansi_text.h"

#include <cstddef>
#include <string>

// The folder as the lists hold it: without one trailing backslash. isLead tells which bytes open
// a two-byte character in the folder's code page, whose second byte is never a backslash; every
// function here takes it for the folder.
std::string ListEntryText(const std::string& folder, LeadByteTest isLead);
// The list name followed by "=", unless it already ends with one.
std::string ListKey(const std::string& listName);

// Adds the folder to the end of the first list with that key anywhere in the text, before the
// first carriage return at or after the key, with a ";" in front unless one is there already.
// Returns false, the text untouched, when the key or that carriage return is missing.
bool AddListEntry(std::string& text, const std::string& listName, const std::string& folder,
                  LeadByteTest isLead);

// Removes every occurrence of the folder that is a whole entry, that is preceded by "=" or ";"
// and followed by ";", a carriage return or the end of the text. An entry between two ";" takes
// the following one with it. The result is the text that removing the first whole entry and
// searching again from the start, until none is left, would give; the time is linear in the
// size of the text. Returns the number of entries removed. An empty folder text removes nothing.
std::size_t RemoveListEntries(std::string& text, const std::string& folder, LeadByteTest isLead);
