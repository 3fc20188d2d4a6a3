// ConvertXml: the text of an xml value, through the installed XmlConverter.
//
// Two ways in: the blocks a large-value traversal collected (joined in
// collection order first), and the bytes of a value stored in the row. Both
// give empty text when the conversion fails or there is nothing to convert;
// how an empty result is shown is the caller's choice (the row renderer
// shows an off-row value as empty text, the in-row decoder as " ").
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace brinehold {

class ValueCollector;

std::string ConvertXml(const ValueCollector& collected);
std::string ConvertXml(std::span<const uint8_t> stored);

}  // namespace brinehold
