// Bytes received ahead of what the reader asked for, served to the next reads first.
// One recv fills it with as much as the connection holds, so small frames cost no call each.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>

namespace zm::transport {

class ReadAheadBuffer {
 public:
  // For bytes from a socket: a whole uncompressed picture of the usual sizes fits, so a frame
  // that has arrived comes in with one recv, where a receive into the payload would be one more
  // (each a trip through the system).
  static constexpr uint32_t kSocketCapacity = 512 * 1024;
  // For bytes a TLS session decrypts one record (16 KiB at most) at a time: larger remainders go
  // straight into the payload, without a copy.
  static constexpr uint32_t kRecordCapacity = 64 * 1024;

  explicit ReadAheadBuffer(uint32_t capacity) : m_nCapacity(capacity), m_bytes(new char[capacity]) {}

  uint32_t Capacity() const { return m_nCapacity; }

  uint32_t Size() const { return m_nEnd - m_nBegin; }
  // Copies up to `count` buffered bytes out; returns how many.
  uint32_t Take(void* out, uint32_t count) {
    const uint32_t n = count < Size() ? count : Size();
    std::memcpy(out, m_bytes.get() + m_nBegin, n);
    m_nBegin += n;
    return n;
  }
  // Where a recv may write when the buffer is empty, and how much.
  char* Space() { return m_bytes.get(); }
  // Takes in `count` bytes written at Space().
  void Filled(uint32_t count) {
    m_nBegin = 0;
    m_nEnd = count;
  }
  void Clear() { m_nBegin = m_nEnd = 0; }

  // Copies `count` bytes to `out`: the buffered ones first, then what `receive(into, capacity)`
  // brings, which returns the bytes it wrote (more than 0) or 0 or less when no more will come
  // (then false). A remainder of the buffer's size or more is received straight into `out`;
  // smaller ones share one receive through the buffer.
  template <typename Receive>
  bool Read(char* out, uint32_t count, Receive receive) {
    const uint32_t taken = Take(out, count);
    out += taken;
    uint32_t left = count - taken;
    while (left > 0) {
      const bool direct = left >= m_nCapacity;
      const int received = receive(direct ? out : Space(), direct ? left : m_nCapacity);
      if (received <= 0) return false;
      uint32_t got = static_cast<uint32_t>(received);
      if (!direct) {
        Filled(got);
        got = Take(out, left);
      }
      out += got;
      left -= got;
    }
    return true;
  }

 private:
  const uint32_t m_nCapacity;
  std::unique_ptr<char[]> m_bytes;
  uint32_t m_nBegin = 0;
  uint32_t m_nEnd = 0;
};

}  // namespace zm::transport
