#include "Rar5Format.hpp"

#include <zlib.h>

namespace rar5 {

void PutVint(std::vector<uint8_t>& out, uint64_t value) {
  while (value >= 0x80) {
    out.push_back(static_cast<uint8_t>(value | 0x80));
    value >>= 7;
  }
  out.push_back(static_cast<uint8_t>(value));
}

size_t VintLength(uint64_t value) {
  size_t n = 1;
  while (value >= 0x80) {
    value >>= 7;
    ++n;
  }
  return n;
}

void PutU32(std::vector<uint8_t>& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

size_t ReadVint(const uint8_t* data, size_t size, uint64_t& value) {
  value = 0;
  for (size_t i = 0; i < size && i < 10; ++i) {
    const uint64_t group = data[i] & 0x7F;
    // The tenth byte may only carry the top bit of a 64-bit value.
    if (i == 9 && group > 1) return 0;
    value |= group << (7 * i);
    if ((data[i] & 0x80) == 0) return i + 1;
  }
  return 0;
}

bool ByteCursor::Vint(uint64_t& value) {
  const size_t used = ReadVint(data_ + pos_, size_ - pos_, value);
  pos_ += used;
  return used != 0;
}

bool ByteCursor::U32(uint32_t& value) {
  if (Left() < 4) return false;
  value = 0;
  for (int i = 0; i < 4; ++i) value |= static_cast<uint32_t>(data_[pos_ + i]) << (8 * i);
  pos_ += 4;
  return true;
}

bool ByteCursor::Byte(uint8_t& value) {
  if (Left() < 1) return false;
  value = data_[pos_++];
  return true;
}

bool ByteCursor::Bytes(size_t count, const uint8_t*& where) {
  if (Left() < count) return false;
  where = data_ + pos_;
  pos_ += count;
  return true;
}

bool ByteCursor::Skip(uint64_t count) {
  if (Left() < count) return false;
  pos_ += static_cast<size_t>(count);
  return true;
}

uint32_t Crc32(uint32_t crc, const void* data, size_t size) {
  const auto* p = static_cast<const Bytef*>(data);
  // zlib takes a 32-bit length; feed large buffers in pieces.
  while (size > 0) {
    const uInt n = size > 0x40000000u ? 0x40000000u : static_cast<uInt>(size);
    crc = static_cast<uint32_t>(crc32(crc, p, n));
    p += n;
    size -= n;
  }
  return crc;
}

}  // namespace rar5
