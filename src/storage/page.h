// CPage: the base of every page class.
//
// Owns the raw page buffer (8193 bytes: the page and a trailing zero) and its
// parsed header; remembers the data file it came from (not owned). A derived
// class is built from a buffer that is handed over: the header is parsed
// first (restoring torn bits), then the derived class reads its structures
// through Reader(). The page's checksum or torn bits are checked on the
// bytes as they were read, before the torn bits are restored.
#pragma once

#include <memory>

#include "platform/byte_reader.h"
#include "storage/page_header.h"
#include "storage/page_verification.h"

namespace brinehold {

class CDataFile;

class CPage {
 public:
  CPage() = default;
  CPage(Bytes buffer, const CDataFile* file)
      : file_(file), buffer_(std::move(buffer)), verification_(VerifyPage(ByteReader(buffer_))) {
    if (auto header = CPage_Header::Parse(buffer_)) header_ = *header;
    else headerValid_ = false;
  }
  virtual ~CPage() = default;
  CPage(const CPage&) = delete;
  CPage& operator=(const CPage&) = delete;

  const CPage_Header& Header() const { return header_; }
  bool HeaderValid() const { return headerValid_; }
  const PageVerification& Verification() const { return verification_; }
  const CDataFile* File() const { return file_; }
  const Bytes& Buffer() const { return buffer_; }
  // The 8192 page bytes (not the trailing zero).
  ByteReader Reader() const {
    return ByteReader(buffer_.data(), buffer_.size() < kPageSize ? buffer_.size() : kPageSize);
  }

 protected:
  const CDataFile* file_ = nullptr;
  Bytes buffer_;
  PageVerification verification_;
  CPage_Header header_;
  bool headerValid_ = true;
};

}  // namespace brinehold
