// brinehold xml [FILE|-] [--hex]
#include <cstdio>
#include <string>

#include "cli/commands.h"
#include "cli/options.h"
#include "values/binary_xml_decoder.h"

namespace brinehold::cli {

namespace {

// The whole of FILE, or of standard input for "-" or no FILE.
std::optional<std::string> ReadAll(const std::string& path) {
  FILE* in = path == "-" ? stdin : std::fopen(path.c_str(), "rb");
  if (!in) return std::nullopt;
  std::string data;
  char chunk[65536];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, in)) > 0) data.append(chunk, got);
  const bool failed = std::ferror(in) != 0;
  if (in != stdin) std::fclose(in);
  if (failed) return std::nullopt;
  return data;
}

int RunXml(const std::vector<std::string>& args) {
  ParsedArgs parsed = ParseArgs(args, {"hex"}, {});
  if (!parsed.error.empty() || parsed.positional.size() > 1) {
    std::fprintf(stderr, "brinehold xml: %s\nusage: brinehold xml [FILE|-] [--hex]\n",
                 !parsed.error.empty() ? parsed.error.c_str() : "expected at most one FILE");
    return 2;
  }
  const std::string path = parsed.positional.empty() ? "-" : parsed.positional[0];
  auto data = ReadAll(path);
  if (!data) {
    std::fprintf(stderr, "brinehold xml: cannot read %s\n", path == "-" ? "standard input" : path.c_str());
    return 1;
  }
  Bytes stored(data->begin(), data->end());
  if (parsed.Has("hex")) {
    auto bytes = ParseHexText(*data);
    if (!bytes) {
      std::fprintf(stderr, "brinehold xml: the input is not hexadecimal text\n");
      return 1;
    }
    stored = std::move(*bytes);
  }
  BinaryXmlError error;
  auto text = DecodeBinaryXml(stored, BinaryXmlLimits(), &error);
  if (!text) {
    if (error.token < 0) {
      std::fprintf(stderr, "brinehold xml: not a binary xml value: it ends at offset %zu with elements still open\n",
                   error.offset);
    } else {
      std::fprintf(stderr, "brinehold xml: not a binary xml value: token 0x%02X at offset %zu does not decode\n",
                   error.token, error.offset);
    }
    return 1;
  }
  std::fwrite(text->data(), 1, text->size(), stdout);
  std::fputc('\n', stdout);
  return 0;
}

CommandRegistration registration({80, "xml", "xml [FILE|-] [--hex]",
                                  "Decodes one xml value as SQL Server stores it (its binary form, the bytes\n"
                                  "of the column) and prints the xml text. The value is read from FILE, or\n"
                                  "from standard input when FILE is - or missing; with --hex the input is\n"
                                  "hexadecimal text (with or without 0x, blanks ignored). Exit 1 with the\n"
                                  "offset and token where decoding stopped when the value does not decode.",
                                  RunXml});

}  // namespace

}  // namespace brinehold::cli
