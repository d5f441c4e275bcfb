#pragma once
// A fresh device folder gets the shipped light library: the lighting list ("<list name>.config") and
// the effect files (identifier + ".light") it names are copied from the default data folder when the
// device folder lacks them, so that the user's own changes never touch the shipped files and a first
// start finds the same effects as later ones. Files already there are left as they are.

#include <string>

// Answers how many files were copied. Identifiers that could not name a file are skipped.
int SeedLightLibrary(const std::string& deviceFolder, const std::string& defaultFolder,
                     const std::string& listName);
