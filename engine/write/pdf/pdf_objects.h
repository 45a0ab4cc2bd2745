#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct libdeflate_compressor;

namespace zelvato::pdf {

// Where a PDF's bytes go, in order; false when they could not be taken (the
// writing stops there).
using ByteSink = std::function<bool(std::string_view bytes)>;

// Numbers as a PDF writes them: at most three decimals, no exponent, no
// trailing zeros ("12.5", "-0.25", "3").
void appendNumber(std::string& out, double value);
// A text string (Info, outline titles, ActualText): UTF-16 big-endian with its
// byte order mark, as a literal string.
void appendTextString(std::string& out, std::u16string_view text);
// Bytes inside a literal string's parentheses: the delimiters and the
// carriage return (which a reader would take for a line end) escaped, every
// other byte as it is, at half the size of hexadecimal.
void appendStringByte(std::string& out, unsigned char byte);
// A name's characters outside the printable ASCII set (and the delimiters) as #XX.
void appendName(std::string& out, std::string_view name);

// Writes a PDF's objects one after another, as they are made, and the
// cross-reference table at the end: only the object's offsets stay in memory.
// Object numbers are reserved first, so that objects may name each other
// before they are written; every reserved object must be written before the
// end.
class ObjectWriter {
 public:
  explicit ObjectWriter(ByteSink sink);
  ~ObjectWriter();
  ObjectWriter(const ObjectWriter&) = delete;
  ObjectWriter& operator=(const ObjectWriter&) = delete;

  // The header: version and the binary marker.
  bool begin();
  int reserve();
  // "N 0 obj BODY endobj".
  bool write(int number, std::string_view body);
  // A stream object: `entries` are the dictionary's entries besides /Length
  // and /Filter; the data is deflated when `compress` is set.
  bool writeStream(int number, std::string_view entries, std::string_view data, bool compress = true);
  // The cross-reference table and the trailer naming the catalog and the
  // document information; the file's identifier is a digest of its bytes, so
  // the same document always makes the same file. False when an object was
  // reserved but not written.
  bool finish(int catalog, int info);

  bool failed() const { return failed_; }
  std::uint64_t bytesWritten() const { return offset_; }

 private:
  bool put(std::string_view bytes);
  // `data` deflated in the zlib format FlateDecode reads; empty when it could not be.
  std::string_view deflate(std::string_view data);

  ByteSink sink_;
  std::uint64_t offset_ = 0;
  std::uint64_t digest_[2] = {0xcbf29ce484222325ULL, 0x84222325cbf29ce4ULL};
  std::vector<std::uint64_t> offsets_;  // by object number; 0: reserved, not written
  bool failed_ = false;
  libdeflate_compressor* compressor_ = nullptr;
  std::string deflated_;
};

}  // namespace zelvato::pdf
