// The value kinds are defined with the column descriptor in the catalog
// layer (the schema reader needs them); the decoders include them from here.
#pragma once

#include "catalog/value_kind.h"
