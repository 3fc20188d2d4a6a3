// DecodeBinaryXml: the stored (binary) form of an xml value -> xml text.
//
// A pure function of the bytes: no state survives a call, so it can be fed
// arbitrary input. The stored form opens with the signature, version and
// encoding (binary_xml_tokens.h); the tokens that follow are replayed into
// UTF-8 text: elements (an element without content as "<a/>"), attributes
// in double quotes, comments, processing instructions, CDATA sections, the
// xml and document type declarations and typed values as XML Schema text
// (binary_xml_values.h). Text is escaped (&amp; &lt; &gt; in content, also
// &quot; and the line-break and tab references in attribute values).
// Namespace declarations present as attributes are kept; a qualified name
// whose prefix is not bound to its namespace where it is used gets the
// missing declaration on its element, so the text is namespace well-formed.
//
// Namespace declarations (qualified names with local name 0) come out as
// xmlns attributes; raw xml text is copied as it is; a nested document (its
// own header and name tables) is decoded in place, without its declaration
// and document type.
//
// Any damage gives nothing: an unknown token, a field cut short, a name or
// qualified-name reference that is not defined, an end tag without a start,
// an attribute outside a start tag, elements still open at the end, nesting
// deeper than `maxDepth` or text longer than `maxOutputBytes`. Every read
// goes through ByteReader; each token consumes at least one byte, so the
// work is linear in the input (plus the bounded output).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace brinehold {

struct BinaryXmlLimits {
  size_t maxOutputBytes = size_t{64} << 20;
  size_t maxDepth = 512;  // open elements; also nested documents
};

// Where decoding stopped: the offset of the token that could not be read
// (0 for a bad header, the input's size when the input ended with elements
// or nested documents still open) and that token's byte (-1 at the end).
struct BinaryXmlError {
  size_t offset = 0;
  int token = -1;
};

std::optional<std::string> DecodeBinaryXml(std::span<const uint8_t> stored,
                                           const BinaryXmlLimits& limits = BinaryXmlLimits(),
                                           BinaryXmlError* error = nullptr);

}  // namespace brinehold
