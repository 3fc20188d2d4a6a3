// FormatHierarchyId: a stored hierarchyid as SQL Server's canonical path.
//
// The value is a bit string packed from the first byte's high bit on;
// trailing zero bits are padding. It is a run of labels, each a prefix
// that names a range of integers, the offset within that range, and one
// bit: 1 ends the level ("/" follows), 0 continues it with a "." (the label
// is then stored one above the number shown). The empty value is the root,
// "/". Labels of the ranges read here:
//
//   prefix   offset bits  numbers
//   00111    3            -8 .. -1
//   01       2             0 .. 3
//   100      2             4 .. 7
//   101      3             8 .. 15
//
// A value with a label outside these ranges, or one that does not end on a
// level, is shown as its bytes in hexadecimal with "0x", as the server's
// binary form, so nothing stored is lost or misread.
#pragma once

#include <string>

#include "platform/byte_reader.h"

namespace brinehold {

std::string FormatHierarchyId(ByteReader bytes);

}  // namespace brinehold
