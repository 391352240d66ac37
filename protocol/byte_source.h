// Where a wire reader takes its bytes from: the control's socket, or a buffer in the tests
// and fuzzers, so that both run the same decoding steps.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

namespace zm::protocol {

class ByteSource {
 public:
  // Fills `into` whole, or returns false: the connection or the buffer ended first.
  virtual bool ReadExact(std::span<uint8_t> into) = 0;

 protected:
  ~ByteSource() = default;
};

// Reads a buffer front to back; a read that the rest cannot fill takes nothing.
class BufferByteSource final : public ByteSource {
 public:
  explicit BufferByteSource(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  bool ReadExact(std::span<uint8_t> into) override {
    if (bytes_.size() - consumed_ < into.size()) return false;
    if (!into.empty()) std::memcpy(into.data(), bytes_.data() + consumed_, into.size());
    consumed_ += into.size();
    return true;
  }
  size_t consumed() const { return consumed_; }

 private:
  std::span<const uint8_t> bytes_;
  size_t consumed_ = 0;
};

}  // namespace zm::protocol
