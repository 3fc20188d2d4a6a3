#include "platform/text_codec.h"

#include <iconv.h>

#include <cerrno>
#include <map>
#include <memory>

namespace brinehold {
namespace {

constexpr uint32_t kReplacement = 0xFFFD;

struct CodePageName {
  int codePage;
  const char* iconvName;
  bool multiByte;
};

// Windows code page numbers and the iconv charsets that match them. The
// Japanese and Korean pages must be the Windows variants (CP932 and CP949):
// SHIFT_JIS and EUC-KR lack the vendor extensions Windows text uses.
constexpr CodePageName kCodePages[] = {
    {437, "CP437", false},        {720, "CP720", false},       {737, "CP737", false},
    {775, "CP775", false},        {850, "CP850", false},       {852, "CP852", false},
    {855, "CP855", false},        {857, "CP857", false},       {858, "CP858", false},
    {860, "CP860", false},        {861, "CP861", false},       {862, "CP862", false},
    {863, "CP863", false},        {864, "CP864", false},       {865, "CP865", false},
    {866, "CP866", false},        {869, "CP869", false},       {874, "WINDOWS-874", false},
    {932, "CP932", true},         {936, "CP936", true},        {949, "CP949", true},
    {950, "CP950", true},         {1250, "CP1250", false},     {1251, "CP1251", false},
    {1252, "CP1252", false},      {1253, "CP1253", false},     {1254, "CP1254", false},
    {1255, "CP1255", false},      {1256, "CP1256", false},     {1257, "CP1257", false},
    {1258, "CP1258", false},      {1361, "JOHAB", true},       {10000, "MACINTOSH", false},
    {20127, "ASCII", false},      {20866, "KOI8-R", false},    {21866, "KOI8-U", false},
    {28591, "ISO-8859-1", false}, {28592, "ISO-8859-2", false}, {28593, "ISO-8859-3", false},
    {28594, "ISO-8859-4", false}, {28595, "ISO-8859-5", false}, {28596, "ISO-8859-6", false},
    {28597, "ISO-8859-7", false}, {28598, "ISO-8859-8", false}, {28599, "ISO-8859-9", false},
    {28603, "ISO-8859-13", false}, {28605, "ISO-8859-15", false}, {54936, "GB18030", true},
};

// Code page 1258 (Vietnamese) stores tone marks as separate combining
// characters. iconv composes them with the letter before; Windows keeps
// each byte as its own character, so "a" and 0xEC stay a + U+0301. Read by
// this table instead: bytes 0x80..0xFF, undefined bytes as their own number.
constexpr uint16_t kCodePage1258High[128] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x008A, 0x2039, 0x0152, 0x008D, 0x008E, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x009A, 0x203A, 0x0153, 0x009D, 0x009E, 0x0178,
    0x00A0, 0x00A1, 0x00A2, 0x00A3, 0x00A4, 0x00A5, 0x00A6, 0x00A7,
    0x00A8, 0x00A9, 0x00AA, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x00AF,
    0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x00B4, 0x00B5, 0x00B6, 0x00B7,
    0x00B8, 0x00B9, 0x00BA, 0x00BB, 0x00BC, 0x00BD, 0x00BE, 0x00BF,
    0x00C0, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x00C5, 0x00C6, 0x00C7,
    0x00C8, 0x00C9, 0x00CA, 0x00CB, 0x0300, 0x00CD, 0x00CE, 0x00CF,
    0x0110, 0x00D1, 0x0309, 0x00D3, 0x00D4, 0x01A0, 0x00D6, 0x00D7,
    0x00D8, 0x00D9, 0x00DA, 0x00DB, 0x00DC, 0x01AF, 0x0303, 0x00DF,
    0x00E0, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x00E5, 0x00E6, 0x00E7,
    0x00E8, 0x00E9, 0x00EA, 0x00EB, 0x0301, 0x00ED, 0x00EE, 0x00EF,
    0x0111, 0x00F1, 0x0323, 0x00F3, 0x00F4, 0x01A1, 0x00F6, 0x00F7,
    0x00F8, 0x00F9, 0x00FA, 0x00FB, 0x00FC, 0x01B0, 0x20AB, 0x00FF,
};

std::string DecodeCodePage1258(std::span<const uint8_t> bytes) {
  std::string out;
  out.reserve(bytes.size() * 2);
  for (uint8_t b : bytes) AppendUtf8(out, b < 0x80 ? b : kCodePage1258High[b - 0x80]);
  return out;
}

// A byte that a double-byte code page leaves undefined on its own, as
// Windows maps it: 932 gives 0x80 itself and 0xA0, 0xFD..0xFF private-use
// characters; 936 gives 0x80 the euro sign and 0xFF a private-use
// character. Anything else is U+FFFD.
uint32_t LoneByte(int codePage, uint8_t byte) {
  if (codePage == 932) {
    if (byte == 0x80) return 0x0080;
    if (byte == 0xA0) return 0xF8F0;
    if (byte >= 0xFD) return 0xF8F1 + (byte - 0xFD);
  }
  if (codePage == 936) {
    if (byte == 0x80) return 0x20AC;
    if (byte == 0xFF) return 0xF8F5;
  }
  return kReplacement;
}

const CodePageName* FindCodePage(int codePage) {
  if (codePage == 0) codePage = kSystemAnsiCodePage;
  for (const auto& entry : kCodePages) {
    if (entry.codePage == codePage) return &entry;
  }
  return nullptr;
}

class Converter {
 public:
  explicit Converter(const char* from) : cd_(iconv_open("UTF-8", from)) {}
  ~Converter() {
    if (valid()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return cd_; }

 private:
  iconv_t cd_;
};

// One converter per code page and thread, opened on first use. A code page
// whose converter cannot be opened is remembered as such.
Converter* ConverterFor(const CodePageName& entry) {
  thread_local std::map<int, std::unique_ptr<Converter>> cache;
  auto& slot = cache[entry.codePage];
  if (!slot) slot = std::make_unique<Converter>(entry.iconvName);
  return slot->valid() ? slot.get() : nullptr;
}

// Writes whatever the converter still holds (the Vietnamese and Hebrew pages
// keep a base letter back until they know no combining mark follows) and
// returns it to its initial state.
void Flush(iconv_t cd, std::string& out, size_t& used) {
  for (;;) {
    if (out.size() - used < 16) out.resize(out.size() * 2 + 16);
    char* dst = out.data() + used;
    size_t room = out.size() - used;
    size_t rc = iconv(cd, nullptr, nullptr, &dst, &room);
    used = out.size() - room;
    if (rc != static_cast<size_t>(-1) || errno != E2BIG) return;
  }
}

std::string RunConversion(const CodePageName& entry, Converter& conv, std::span<const uint8_t> bytes) {
  iconv_t cd = conv.get();
  iconv(cd, nullptr, nullptr, nullptr, nullptr);  // initial state
  std::string out(bytes.size() * 4 + 16, '\0');
  size_t used = 0;
  // iconv's input pointer is non-const in its signature but never written.
  char* src = const_cast<char*>(reinterpret_cast<const char*>(bytes.data()));
  size_t left = bytes.size();
  while (left > 0) {
    char* dst = out.data() + used;
    size_t room = out.size() - used;
    size_t rc = iconv(cd, &src, &left, &dst, &room);
    used = out.size() - room;
    if (rc != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) {
      out.resize(out.size() * 2 + 16);
      continue;
    }
    // EILSEQ (undefined byte) or EINVAL (sequence cut off at the end): emit
    // what is held back, substitute one byte and go on after it.
    Flush(cd, out, used);
    out.resize(used);
    uint8_t bad = static_cast<uint8_t>(*src);
    AppendUtf8(out, entry.multiByte ? LoneByte(entry.codePage, bad) : bad);
    used = out.size();
    out.resize(used + left * 4 + 16);
    ++src;
    --left;
  }
  Flush(cd, out, used);
  out.resize(used);
  return out;
}

// Lenient UTF-8 decoder: one code point per call; an ill-formed sequence
// yields U+FFFD and consumes one byte.
uint32_t NextUtf8(std::string_view text, size_t& pos) {
  auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
  uint8_t lead = byte(pos);
  if (lead < 0x80) {
    ++pos;
    return lead;
  }
  size_t count;
  uint32_t cp;
  uint32_t minimum;
  if ((lead & 0xE0) == 0xC0) {
    count = 1, cp = lead & 0x1F, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    count = 2, cp = lead & 0x0F, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    count = 3, cp = lead & 0x07, minimum = 0x10000;
  } else {
    ++pos;
    return kReplacement;
  }
  if (count > text.size() - pos - 1) {
    ++pos;
    return kReplacement;
  }
  for (size_t i = 1; i <= count; ++i) {
    uint8_t b = byte(pos + i);
    if ((b & 0xC0) != 0x80) {
      ++pos;
      return kReplacement;
    }
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++pos;
    return kReplacement;
  }
  pos += count + 1;
  return cp;
}

std::string CleanUtf8(std::span<const uint8_t> bytes) {
  std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  std::string out;
  out.reserve(bytes.size());
  size_t pos = 0;
  while (pos < text.size()) AppendUtf8(out, NextUtf8(text, pos));
  return out;
}

}  // namespace

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = kReplacement;
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

const char* IconvNameForCodePage(int codePage) {
  if (codePage == kUtf8CodePage) return "UTF-8";
  const CodePageName* entry = FindCodePage(codePage);
  return entry ? entry->iconvName : nullptr;
}

bool IsCodePageSupported(int codePage) {
  if (codePage == kUtf8CodePage) return true;
  const CodePageName* entry = FindCodePage(codePage);
  return entry && ConverterFor(*entry) != nullptr;
}

std::optional<std::string> TryDecodeCodePage(int codePage, std::span<const uint8_t> bytes) {
  if (codePage == kUtf8CodePage) return CleanUtf8(bytes);
  if (codePage == 1258) return DecodeCodePage1258(bytes);
  const CodePageName* entry = FindCodePage(codePage);
  if (!entry) return std::nullopt;
  Converter* conv = ConverterFor(*entry);
  if (!conv) return std::nullopt;
  return RunConversion(*entry, *conv, bytes);
}

std::string DecodeCodePage(int codePage, std::span<const uint8_t> bytes) {
  if (auto text = TryDecodeCodePage(codePage, bytes)) return std::move(*text);
  if (auto text = TryDecodeCodePage(kSystemAnsiCodePage, bytes)) return std::move(*text);
  return WidenLatin1(bytes);
}

std::string WidenLatin1(std::span<const uint8_t> bytes) {
  std::string out;
  out.reserve(bytes.size() * 2);
  for (uint8_t b : bytes) AppendUtf8(out, b);
  return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size() * 3);
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t unit = text[i];
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      uint32_t low = text[++i];
      AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
    } else {
      AppendUtf8(out, unit);  // a lone surrogate becomes U+FFFD here
    }
  }
  return out;
}

std::string Utf16LeToUtf8(std::span<const uint8_t> bytes) {
  std::string out;
  AppendUtf16LeAsUtf8(out, bytes);
  return out;
}

void AppendUtf16LeAsUtf8(std::string& out, std::span<const uint8_t> bytes) {
  // Decoded straight from the bytes into room made once (no copy as code
  // units first, no growth per character): every nvarchar value of every
  // row goes through here. A code unit takes at most three bytes of UTF-8
  // (a surrogate pair four for its two units). A trailing odd byte is no
  // code unit.
  const size_t count = bytes.size() / 2;
  const size_t start = out.size();
  out.resize(start + 3 * count);
  char* const begin = out.data() + start;
  char* to = begin;
  auto unitAt = [&bytes](size_t i) { return static_cast<uint32_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8)); };
  for (size_t i = 0; i < count; ++i) {
    uint32_t code = unitAt(i);
    if (code < 0x80) {
      *to++ = static_cast<char>(code);
      continue;
    }
    if (code >= 0xD800 && code <= 0xDBFF && i + 1 < count) {
      const uint32_t low = unitAt(i + 1);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        ++i;
        code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
      }
    }
    // A lone surrogate becomes U+FFFD.
    if (code >= 0xD800 && code <= 0xDFFF) code = kReplacement;
    if (code < 0x800) {
      *to++ = static_cast<char>(0xC0 | (code >> 6));
    } else if (code < 0x10000) {
      *to++ = static_cast<char>(0xE0 | (code >> 12));
      *to++ = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    } else {
      *to++ = static_cast<char>(0xF0 | (code >> 18));
      *to++ = static_cast<char>(0x80 | ((code >> 12) & 0x3F));
      *to++ = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    }
    *to++ = static_cast<char>(0x80 | (code & 0x3F));
  }
  out.resize(start + static_cast<size_t>(to - begin));
}

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  size_t pos = 0;
  while (pos < text.size()) {
    uint32_t cp = NextUtf8(text, pos);
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
  }
  return out;
}

}  // namespace brinehold
