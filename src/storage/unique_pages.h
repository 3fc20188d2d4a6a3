// KeepFirstOfEach: drops every repeat of a page address from a page list,
// keeping the first of each in place (order otherwise unchanged).
//
// Damaged allocation maps, or a table whose units share an owner id, can
// name a page twice, and its rows would be shown twice. Lists run to one
// entry per page of a table, so this sorts a flat copy instead of building
// a tree of every page; a list already in ascending order (the common case)
// is not copied at all.
#pragma once

#include <vector>

#include "storage/page_address.h"

namespace brinehold {

void KeepFirstOfEach(std::vector<PageAddress>& pages);

}  // namespace brinehold
