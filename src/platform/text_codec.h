// Text conversion between Windows code pages, UTF-16 and UTF-8.
//
// Databases store 8-bit text in the code page of a collation (identified by
// its Windows code page number) and Unicode text as UTF-16LE. Inside the
// program every text is UTF-8. Conversion of 8-bit text goes through iconv
// with a fixed table from Windows code page numbers to iconv charset names.
//
// Contract for every function here: the input may be any bytes at all (the
// bytes come from damaged files). No conversion aborts: a byte or sequence
// that the code page does not define is substituted and the conversion goes
// on with the next byte. In a single-byte code page an undefined byte becomes
// the character with the same number (U+0080..U+00FF), as the Windows
// conversion does, so no stored byte disappears; in a multi-byte code page an
// invalid or truncated sequence becomes U+FFFD per byte skipped, except the
// single bytes that Windows maps to characters of their own in 932 and 936.
// Code page 1258 keeps its combining tone marks as separate characters. Ill-formed
// UTF-16 (a lone surrogate) and ill-formed UTF-8 become U+FFFD.
//
// Converters are cached per thread, so the functions are safe to call from
// any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace brinehold {

// The 8-bit code page the program treats as the system's ANSI code page.
constexpr int kSystemAnsiCodePage = 1252;
constexpr int kUtf8CodePage = 65001;

// True when text in `codePage` can be converted. 0 stands for the system
// ANSI code page (as in the Windows API) and is supported.
bool IsCodePageSupported(int codePage);

// The iconv charset name for a Windows code page number, or nullptr when the
// table has none. 0 gives the name of the system ANSI code page.
const char* IconvNameForCodePage(int codePage);

// 8-bit text in `codePage` -> UTF-8. Converts every byte given (zero bytes
// included; callers cut at a terminator first when the format has one).
// Nothing when the code page is not supported.
std::optional<std::string> TryDecodeCodePage(int codePage, std::span<const uint8_t> bytes);

// As TryDecodeCodePage, but an unsupported code page falls back to the
// system ANSI code page, so the text is always shown.
std::string DecodeCodePage(int codePage, std::span<const uint8_t> bytes);

// Every byte becomes the code point of the same value (ISO-8859-1 reading).
std::string WidenLatin1(std::span<const uint8_t> bytes);

// UTF-16LE bytes -> UTF-8. An odd final byte is ignored.
std::string Utf16LeToUtf8(std::span<const uint8_t> bytes);
// The same, appended to `out`.
void AppendUtf16LeAsUtf8(std::string& out, std::span<const uint8_t> bytes);

std::string Utf16ToUtf8(std::u16string_view text);
std::u16string Utf8ToUtf16(std::string_view text);

// Appends the UTF-8 form of one code point (U+FFFD for a surrogate or a
// value above U+10FFFF).
void AppendUtf8(std::string& out, uint32_t codePoint);

}  // namespace brinehold
