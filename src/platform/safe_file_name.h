// File names for things named inside a database.
//
// Names that come from a database (table names, site and list titles,
// folder and document names) are not trusted: they may hold separators,
// "..", characters a file system refuses, reserved device names, or be
// longer than a file name may be. These functions turn such a name into one
// path component that stays inside the folder it is written to.
//
// SafeFileName rules, in order:
// - `/`, `\`, NUL, control characters and `: * ? " < > |` become `_`
//   (the set that no common file system accepts, so a recovered tree can
//   be copied anywhere);
// - trailing blanks and full stops are dropped (Windows drops them
//   silently, and then two names would meet);
// - an empty result, "." and ".." become "_", "_." and "_..";
// - a reserved device name (CON, PRN, AUX, NUL, COM1-9, LPT1-9, in any
//   case, with or without an extension) gets a leading `_`;
// - a name longer than kMaxFileNameBytes is cut at a character boundary and
//   given `~` and eight hexadecimal digits of a hash of the whole original
//   name, before its extension when the extension is short. The same name
//   always gives the same result.
//
// FolderPathParts splits a stored folder path at `/` and `\` and makes
// every part safe; empty parts (doubled, leading and trailing separators)
// are dropped.
//
// NameAllocator hands out names within one folder: a second item whose safe
// name is already taken there (compared without regard to case, as on
// case-insensitive file systems) gets " (2)", " (3)" ... before its
// extension, so both are kept.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace brinehold {

inline constexpr size_t kMaxFileNameBytes = 200;

std::string SafeFileName(std::string_view name);

std::vector<std::string> FolderPathParts(std::string_view storedPath);

class NameAllocator {
 public:
  // A name not yet handed out in this folder, made from `safeName`.
  std::string Allocate(const std::string& safeName);

 private:
  std::map<std::string, int> taken_;  // lower-case name -> times handed out
};

}  // namespace brinehold
