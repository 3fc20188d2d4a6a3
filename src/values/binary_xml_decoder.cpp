#include "values/binary_xml_decoder.h"

#include <map>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/byte_reader.h"
#include "values/binary_xml_primitives.h"
#include "values/binary_xml_tokens.h"
#include "values/binary_xml_values.h"

namespace brinehold {

namespace {

using namespace binxml;

constexpr std::string_view kXmlNamespace = "http://www.w3.org/XML/1998/namespace";

constexpr std::string_view kXmlnsNamespace = "http://www.w3.org/2000/xmlns/";

// A qualified-name table entry. The placeholder entry (0,0,0) names
// nothing: a reference to it is damage.
struct QName {
  std::string prefix;
  std::string local;
  std::string uri;
  bool usable = false;
};

// The name tables of one document; a nested document has its own.
struct NameTables {
  std::vector<std::string> names{std::string()};
  std::vector<QName> qnames{QName()};
};

struct Attribute {
  std::string prefix;
  std::string local;
  std::string uri;
  std::string value;  // unescaped
};

struct StartTag {
  std::string prefix;
  std::string local;
  std::string uri;
  std::vector<Attribute> attributes;
  bool attributesEnded = false;  // no more attributes may follow
};

struct OpenElement {
  std::string tag;
  size_t bindingMark = 0;
};

// One namespace binding made by a start tag, with what it replaced, so the
// end tag can restore the outer scope.
struct Binding {
  std::string prefix;
  std::optional<std::string> previous;
};

struct Declaration {
  std::string prefix;
  std::string uri;
};

void AppendEscaped(std::string& out, std::string_view text, bool attribute) {
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"':
        if (attribute) out += "&quot;";
        else out += c;
        break;
      case '\t':
        if (attribute) out += "&#x9;";
        else out += c;
        break;
      case '\n':
        if (attribute) out += "&#xA;";
        else out += c;
        break;
      case '\r': out += "&#xD;"; break;
      default: out += c; break;
    }
  }
}

std::string TagName(const std::string& prefix, const std::string& local) {
  return prefix.empty() ? local : prefix + ":" + local;
}

class Decoder {
 public:
  Decoder(ByteReader in, const BinaryXmlLimits& limits) : in_(in), limits_(limits) {}

  std::optional<std::string> Run(BinaryXmlError* error) {
    if (!Header()) return Fail(error, 0);
    while (pos_ < in_.size()) {
      const size_t at = pos_;
      if (!Step() || out_.size() + pendingBytes_ > limits_.maxOutputBytes) return Fail(error, at);
    }
    if (start_ || !open_.empty() || !outer_.empty()) return Fail(error, in_.size());
    return std::move(out_);
  }

 private:
  std::optional<std::string> Fail(BinaryXmlError* error, size_t at) const {
    if (error) {
      error->offset = at;
      auto token = in_.U8(at);
      error->token = token ? int{*token} : -1;
    }
    return std::nullopt;
  }

  // Signature, version and encoding at the position; for a nested document
  // also an xml declaration, which has no place inside another document.
  bool Header() {
    if (in_.U8(pos_) != kSignature0 || in_.U8(pos_ + 1) != kSignature1) return false;
    auto version = in_.U8(pos_ + 2);
    if (version != kVersion1 && version != kVersion2) return false;
    if (in_.U8(pos_ + 3) != kEncodingUtf16Low || in_.U8(pos_ + 4) != kEncodingUtf16High) return false;
    pos_ += 5;
    if (outer_.empty() || in_.U8(pos_) != kXmlDecl) return true;
    ++pos_;
    std::string ignored;
    return ReadDeclarationFields(&ignored);
  }

  bool Step() {
    const uint8_t token = *in_.U8(pos_++);
    if (IsValueToken(token)) return ContentValue(token);
    previousTyped_ = false;
    switch (token) {
      case kNameDef: {
        auto name = ReadUtf16Text(in_, &pos_);
        if (!name) return false;
        tables_.names.push_back(std::move(*name));
        return true;
      }
      case kQNameDef:
        return QNameDefinition();
      case kFlushNames:
        tables_ = NameTables();
        return true;
      case kElement: {
        if (start_ && !CloseStart(false)) return false;
        auto q = ReadQNameRef();
        if (!q || open_.size() + 1 > limits_.maxDepth) return false;
        start_ = StartTag{q->prefix, q->local, q->uri, {}};
        return true;
      }
      case kAttribute: {
        if (!start_ || start_->attributesEnded) return false;
        auto q = ReadQNameRef();
        if (!q) return false;
        Attribute attribute{q->prefix, q->local, q->uri, {}};
        bool previousTyped = false;
        while (pos_ < in_.size() && IsValueToken(*in_.U8(pos_))) {
          const uint8_t valueToken = *in_.U8(pos_++);
          auto text = ReadValue(valueToken);
          if (!text) return false;
          const bool typed = !IsTextValueToken(valueToken);
          if (typed && previousTyped) attribute.value += ' ';
          previousTyped = typed;
          attribute.value += *text;
          pendingBytes_ += text->size() + 1;
          if (out_.size() + pendingBytes_ > limits_.maxOutputBytes) return false;
        }
        pendingBytes_ += attribute.prefix.size() + attribute.local.size() + 4;
        start_->attributes.push_back(std::move(attribute));
        return true;
      }
      case kEndAttributes:
        // The start tag stays open: an end right after it makes "<a/>".
        if (!start_ || start_->attributesEnded) return false;
        start_->attributesEnded = true;
        return true;
      case kEndElement:
        if (start_) return CloseStart(true);
        if (open_.empty()) return false;
        out_ += "</" + open_.back().tag + ">";
        Unbind(open_.back().bindingMark);
        open_.pop_back();
        return true;
      case kComment: {
        auto text = ReadUtf16Text(in_, &pos_);
        if (!text || !CloseStartIfAny()) return false;
        out_ += "<!--";
        // "--" may not occur inside a comment, nor may it end with "-".
        for (size_t i = 0; i < text->size(); ++i) {
          out_ += (*text)[i];
          if ((*text)[i] == '-' && (i + 1 == text->size() || (*text)[i + 1] == '-')) out_ += ' ';
        }
        out_ += "-->";
        return true;
      }
      case kPi: {
        auto target = ReadMb32(in_, &pos_);
        if (!target || *target >= tables_.names.size() || tables_.names[*target].empty()) return false;
        auto data = ReadUtf16Text(in_, &pos_);
        if (!data || !CloseStartIfAny()) return false;
        out_ += "<?" + tables_.names[*target];
        if (!data->empty()) {
          std::string body = *data;
          for (size_t at = body.find("?>"); at != std::string::npos; at = body.find("?>", at + 2))
            body.replace(at, 2, "? >");
          out_ += " " + body;
        }
        out_ += "?>";
        return true;
      }
      case kCData:
        return CDataSection();
      case kXmlText: {
        // Xml already in text form (as the server received it): copied as
        // it stands.
        auto text = ReadUtf16Text(in_, &pos_);
        if (!text || !CloseStartIfAny()) return false;
        out_ += *text;
        return true;
      }
      case kXmlDecl:
        return XmlDeclaration();
      case kDocTypeDecl:
        return DocTypeDeclaration();
      case kNest:
        if (!CloseStartIfAny() || outer_.size() + 1 > limits_.maxDepth) return false;
        outer_.push_back(std::move(tables_));
        tables_ = NameTables();
        return Header();
      case kEndNest:
        if (outer_.empty()) return false;
        tables_ = std::move(outer_.back());
        outer_.pop_back();
        return true;
      case kExtension: {
        auto length = ReadMb32(in_, &pos_);
        return length && ReadFixed(in_, &pos_, *length).has_value();
      }
      default:
        return false;
    }
  }

  std::optional<QName> ReadQNameRef() {
    auto ref = ReadMb32(in_, &pos_);
    if (!ref || *ref >= tables_.qnames.size() || !tables_.qnames[*ref].usable) return std::nullopt;
    return tables_.qnames[*ref];
  }

  // Three name references: namespace uri, prefix, local name. A local name
  // of 0 declares a namespace; its prefix entry is "xmlns" or "xmlns:p".
  bool QNameDefinition() {
    auto uri = ReadMb32(in_, &pos_);
    auto prefix = uri ? ReadMb32(in_, &pos_) : std::nullopt;
    auto local = prefix ? ReadMb32(in_, &pos_) : std::nullopt;
    const auto& names = tables_.names;
    if (!local || *uri >= names.size() || *prefix >= names.size() || *local >= names.size()) return false;
    QName q;
    if (*local != 0) {
      q = {names[*prefix], names[*local], names[*uri], true};
    } else if (*prefix != 0 || *uri != 0) {
      const std::string& declared = names[*prefix];
      if (declared == "xmlns") {
        q = {"", "xmlns", std::string(kXmlnsNamespace), true};
      } else if (declared.size() > 6 && declared.compare(0, 6, "xmlns:") == 0) {
        q = {"xmlns", declared.substr(6), std::string(kXmlnsNamespace), true};
      } else {
        return false;
      }
    }
    tables_.qnames.push_back(std::move(q));
    return true;
  }

  std::optional<std::string> ReadValue(uint8_t token) {
    if (token != kXsdQName) return ReadBinaryXmlValue(token, in_, &pos_);
    auto q = ReadQNameRef();
    if (!q) return std::nullopt;
    return TagName(q->prefix, q->local);
  }

  // One or more runs of text, then the end token; "]]>" inside is split
  // over two sections.
  bool CDataSection() {
    auto text = ReadUtf16Text(in_, &pos_);
    if (!text) return false;
    std::string body = std::move(*text);
    for (;;) {
      auto next = in_.U8(pos_++);
      if (next == kCDataEnd) break;
      if (next != kCData) return false;
      auto more = ReadUtf16Text(in_, &pos_);
      if (!more || body.size() + more->size() > limits_.maxOutputBytes) return false;
      body += *more;
    }
    if (!CloseStartIfAny()) return false;
    for (size_t at = body.find("]]>"); at != std::string::npos; at = body.find("]]>", at + 15))
      body.replace(at, 3, "]]]]><![CDATA[>");
    out_ += "<![CDATA[" + body + "]]>";
    return true;
  }

  bool ContentValue(uint8_t token) {
    auto text = ReadValue(token);
    if (!text || !CloseStartIfAny()) return false;
    const bool typed = !IsTextValueToken(token);
    if (typed && previousTyped_) out_ += ' ';
    previousTyped_ = typed;
    AppendEscaped(out_, *text, false);
    return true;
  }

  bool CloseStartIfAny() { return !start_ || CloseStart(false); }

  // The uri bound to `prefix` in scope; a map, so that many declarations
  // cost no more than a lookup each.
  std::optional<std::string> Lookup(const std::string& prefix) const {
    auto found = scope_.find(prefix);
    if (found != scope_.end()) return found->second;
    if (prefix == "xml") return std::string(kXmlNamespace);
    return std::nullopt;
  }

  void Bind(const std::string& prefix, const std::string& uri) {
    auto found = scope_.find(prefix);
    bindings_.push_back({prefix, found == scope_.end() ? std::nullopt : std::optional<std::string>(found->second)});
    scope_[prefix] = uri;
  }

  void Unbind(size_t mark) {
    while (bindings_.size() > mark) {
      Binding& last = bindings_.back();
      if (last.previous) scope_[last.prefix] = std::move(*last.previous);
      else scope_.erase(last.prefix);
      bindings_.pop_back();
    }
  }

  bool CloseStart(bool empty) {
    StartTag tag = std::move(*start_);
    start_.reset();
    pendingBytes_ = 0;
    const size_t mark = bindings_.size();
    for (const Attribute& a : tag.attributes) {
      if (a.prefix == "xmlns") Bind(a.local, a.value);
      else if (a.prefix.empty() && a.local == "xmlns") Bind("", a.value);
    }
    std::vector<Declaration> added;
    auto require = [&](const std::string& prefix, const std::string& uri) {
      if (prefix == "xml" || prefix == "xmlns") return;
      if (!prefix.empty() && uri.empty()) return;  // a prefix cannot be undeclared
      if (Lookup(prefix).value_or(std::string()) == uri) return;
      Bind(prefix, uri);
      added.push_back({prefix, uri});
    };
    require(tag.prefix, tag.uri);
    for (const Attribute& a : tag.attributes) {
      if (!a.prefix.empty()) require(a.prefix, a.uri);
    }
    std::string name = TagName(tag.prefix, tag.local);
    out_ += "<" + name;
    for (const Declaration& b : added) {
      out_ += b.prefix.empty() ? " xmlns=\"" : " xmlns:" + b.prefix + "=\"";
      AppendEscaped(out_, b.uri, true);
      out_ += "\"";
    }
    for (const Attribute& a : tag.attributes) {
      out_ += ' ';
      out_ += TagName(a.prefix, a.local);
      out_ += "=\"";
      AppendEscaped(out_, a.value, true);
      out_ += "\"";
    }
    if (empty) {
      out_ += "/>";
      Unbind(mark);
    } else {
      out_ += ">";
      open_.push_back({std::move(name), mark});
    }
    return true;
  }

  bool XmlDeclaration() {
    if (!out_.empty() || start_ || !open_.empty() || !outer_.empty()) return false;
    std::string text;
    if (!ReadDeclarationFields(&text)) return false;
    out_ += text;
    return true;
  }

  // Version, then the encoding when its token follows, then the standalone
  // byte (0 not given, 1 yes, 2 no).
  bool ReadDeclarationFields(std::string* text) {
    auto version = ReadUtf16Text(in_, &pos_);
    if (!version) return false;
    std::string encoding;
    if (in_.U8(pos_) == kEncoding) {
      ++pos_;
      auto read = ReadUtf16Text(in_, &pos_);
      if (!read) return false;
      encoding = *read;
    }
    auto standalone = in_.U8(pos_++);
    if (!standalone || *standalone > 2) return false;
    *text += "<?xml version=\"";
    AppendEscaped(*text, *version, true);
    *text += "\"";
    if (!encoding.empty()) {
      *text += " encoding=\"";
      AppendEscaped(*text, encoding, true);
      *text += "\"";
    }
    if (*standalone != 0) *text += *standalone == 1 ? " standalone=\"yes\"" : " standalone=\"no\"";
    *text += "?>";
    return true;
  }

  bool DocTypeDeclaration() {
    if (start_ || !open_.empty()) return false;
    auto name = ReadUtf16Text(in_, &pos_);
    if (!name || name->empty()) return false;
    std::optional<std::string> system, publicId, subset;
    for (;;) {
      auto next = in_.U8(pos_);
      std::optional<std::string>* field = nullptr;
      if (next == kSystem) field = &system;
      else if (next == kPublic) field = &publicId;
      else if (next == kSubset) field = &subset;
      if (!field || field->has_value()) break;
      ++pos_;
      *field = ReadUtf16Text(in_, &pos_);
      if (!*field) return false;
    }
    if (!outer_.empty()) return true;  // a nested document's type is not the value's
    out_ += "<!DOCTYPE " + *name;
    auto quoted = [](const std::string& text) {
      return text.find('"') == std::string::npos ? "\"" + text + "\"" : "'" + text + "'";
    };
    if (publicId) out_ += " PUBLIC " + quoted(*publicId) + " " + quoted(system.value_or(std::string()));
    else if (system) out_ += " SYSTEM " + quoted(*system);
    if (subset) out_ += " [" + *subset + "]";
    out_ += ">";
    return true;
  }

  ByteReader in_;
  const BinaryXmlLimits& limits_;
  size_t pos_ = 0;
  std::string out_;
  NameTables tables_;
  std::vector<NameTables> outer_;  // of the documents a nested one sits in
  std::optional<StartTag> start_;
  size_t pendingBytes_ = 0;
  std::vector<OpenElement> open_;
  std::vector<Binding> bindings_;
  std::map<std::string, std::string> scope_;
  bool previousTyped_ = false;
};

}  // namespace

std::optional<std::string> DecodeBinaryXml(std::span<const uint8_t> stored, const BinaryXmlLimits& limits,
                                           BinaryXmlError* error) {
  return Decoder(ByteReader(stored), limits).Run(error);
}

}  // namespace brinehold
