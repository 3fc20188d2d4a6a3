#include "values/spill_value.h"

#include <sys/stat.h>

#include <cstdio>
#include <memory>

#include "session/app_state.h"

namespace brinehold {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// From the last separator of the folder to its end, separator included.
std::string FolderTail(const std::string& folder) {
  size_t at = folder.find_last_of("/\\");
  if (at == std::string::npos) return "";
  std::string tail = folder.substr(at);
  tail[0] = '/';
  return tail;
}

uint8_t HexDigitValue(char c) {
  if (c >= 'A' && c <= 'F') return static_cast<uint8_t>(c - 'A' + 10);
  return static_cast<uint8_t>(static_cast<unsigned char>(c) & 0x0F);
}

}  // namespace

std::optional<Bytes> HexToBytes(const std::string& text) {
  const size_t count = text.size();
  if (count / 2 == 0) return std::nullopt;
  Bytes bytes;
  bytes.reserve(count / 2);
  for (size_t i = 0; 2 * i + 3 < count; ++i) {
    bytes.push_back(static_cast<uint8_t>((HexDigitValue(text[2 * i + 2]) << 4) | HexDigitValue(text[2 * i + 3])));
  }
  return bytes;
}

bool IsSpillCellText(const std::string& text) { return text.find_first_of("/\\") != std::string::npos; }

std::string SpillValue(const std::string& rendered, bool hexadecimal) {
  CHalvardApp& app = TheApp();
  const std::string& folder = app.spillFolder;
  struct stat info {};
  if (!folder.empty() && ::stat(folder.c_str(), &info) != 0) ::mkdir(folder.c_str(), 0777);

  std::string text = hexadecimal ? "0x" + rendered : rendered;
  app.spillCounter = app.spillCounter + 1;
  const std::string name = std::to_string(app.spillCounter) + "_blob";
  const std::string path = folder + "/" + name;
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "w+b"));
  if (!file) return text;
  if (!hexadecimal) {
    std::fwrite(text.data(), 1, text.size(), file.get());
  } else if (auto bytes = HexToBytes(text); bytes && !bytes->empty()) {
    std::fwrite(bytes->data(), 1, bytes->size(), file.get());
  }
  return FolderTail(folder) + "/" + name;
}

}  // namespace brinehold
