// Field encodings for the files a recovery is written to.
//
// CsvField follows RFC 4180: a field that holds a comma, a double quote, a
// carriage return, a line feed or a NUL byte is put in double quotes, and a
// double quote inside it is doubled; any other field is written as it is.
// Every byte of the value is kept (NUL too: a quoted NUL is still data, and
// dropping it would change the value). Records end in CRLF, as the RFC says.
//
// TsvField keeps a value on one line of a tab-separated listing: tab, CR,
// LF, backslash and NUL become \t, \r, \n, \\ and \0 (a reader undoes
// them).
//
// JsonString writes a JSON string literal (with its quotes) for UTF-8 text:
// the quote, the backslash and every control character are escaped, so the
// result is valid JSON for any input; bytes that are not valid UTF-8 become
// U+FFFD, because JSON text must be Unicode.
#pragma once

#include <string>
#include <string_view>

namespace brinehold {

inline constexpr const char* kCsvRecordEnd = "\r\n";

std::string CsvField(std::string_view value);

std::string TsvField(std::string_view value);
// The same, appended to `out`.
void AppendTsvField(std::string& out, std::string_view value);

std::string JsonString(std::string_view value);

}  // namespace brinehold
