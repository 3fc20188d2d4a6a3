// FormatHierarchyId: a stored hierarchyid as SQL Server's canonical path.
//
// The value is a bit string packed from the first byte's high bit on;
// trailing zero bits are padding. It is a run of labels; each label is a
// prefix naming a range of integers, the offset within that range (with a
// few bits of fixed value mixed in, checked here), and one last bit: 1 ends
// the level ("/" follows), 0 continues it with a "." (the label is then
// stored one above the number shown). The empty value is the root, "/".
// The published label patterns, x an offset bit, most significant first:
//
//   numbers                             pattern
//   -281479271682120 .. -4294971465     000100 x14 0 x21 0 x6 0 x3 0 x 1 x3
//   -4294971464 .. -4169                000101 x19 0 x6 0 x3 0 x 1 x3
//   -4168 .. -73                        000110 x5 0 x3 0 x 1 x3
//   -72 .. -9                           0010 x2 0 x 1 x3
//   -8 .. -1                            00111 x3
//   0 .. 3                              01 x2
//   4 .. 7                              100 x2
//   8 .. 15                             101 x3
//   16 .. 79                            110 x2 0 x 1 x3
//   80 .. 1103                          1110 x3 0 x3 0 x 1 x3
//   1104 .. 5199                        11110 x5 0 x3 0 x 1 x3
//   5200 .. 4294972495                  111110 x19 0 x6 0 x3 0 x 1 x3
//   4294972496 .. 281479271683151       111111 x14 0 x21 0 x6 0 x3 0 x 1 x3
//
// A value that matches no pattern, has a fixed bit of the wrong value, or
// does not end on a level is shown as its bytes in hexadecimal with "0x",
// as the server's binary form, so nothing stored is lost or misread.
#pragma once

#include <string>

#include "platform/byte_reader.h"

namespace brinehold {

std::string FormatHierarchyId(ByteReader bytes);

}  // namespace brinehold
