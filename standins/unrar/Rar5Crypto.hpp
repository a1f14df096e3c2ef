// The archive format's cryptography, all of it through libgcrypt: key
// derivation with its password check, AES-256-CBC in both directions, the
// tweaked checksum, and random salts and IVs for the writer.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <tuple>

#include "Rar5Format.hpp"

namespace rar5 {

using Salt = std::array<uint8_t, kSaltSize>;
using Iv = std::array<uint8_t, kIvSize>;
using CheckField = std::array<uint8_t, kCheckSize>;

struct DerivedKeys {
  std::array<uint8_t, 32> key{};
  std::array<uint8_t, 32> hashKey{};
  std::array<uint8_t, 8> check{};
};

// Initialises libgcrypt once per process; every other routine calls it.
void InitCrypto();

// PBKDF2-HMAC-SHA256 over 2^kdfLog2 iterations; the chain goes on 16 and 32
// iterations further for the hash key and the password check.
DerivedKeys DeriveKeys(const std::string& passwordUtf8, const Salt& salt, unsigned kdfLog2);

// The 12-byte check field: the password check and 4 bytes of its SHA-256.
CheckField MakeCheckField(const DerivedKeys& keys);
enum class CheckResult { Match, Mismatch, FieldDamaged };
CheckResult VerifyCheckField(const CheckField& field, const DerivedKeys& keys);

// The stored form of a data checksum when checksums are tweaked.
uint32_t TweakCrc(uint32_t crc, const DerivedKeys& keys);

// Salts: strong random bytes. IVs: unpredictable nonces, cheap enough for
// one per file and per header.
void RandomBytes(uint8_t* out, size_t size);
void RandomIv(uint8_t* out, size_t size);

// AES-256-CBC over a running stream: successive calls continue the chain.
// Sizes passed in must be multiples of 16.
class AesCbc {
 public:
  enum class Direction { Encrypt, Decrypt };
  AesCbc(const std::array<uint8_t, 32>& key, const Iv& iv, Direction direction);
  ~AesCbc();
  AesCbc(const AesCbc&) = delete;
  AesCbc& operator=(const AesCbc&) = delete;
  bool Process(uint8_t* data, size_t size);
  // Starts a new chain with the same key; opening a cipher costs far more
  // than this on Windows, where libgcrypt polls for entropy on every open.
  void Restart(const Iv& iv);

 private:
  void* handle_ = nullptr;
  Direction direction_;
};

// Derived keys by password, salt and iteration count, so that an archive of
// thousands of encrypted files costs one derivation. Thread-safe.
class KeyCache {
 public:
  const DerivedKeys& Get(const std::string& passwordUtf8, const Salt& salt, unsigned kdfLog2);
  unsigned Derivations() const { return derivations_; }

 private:
  std::mutex mutex_;
  std::map<std::tuple<std::string, Salt, unsigned>, std::unique_ptr<DerivedKeys>> keys_;
  unsigned derivations_ = 0;
};

}  // namespace rar5
