#include "Rar5Crypto.hpp"

#include <gcrypt.h>

#include <cstring>
#include <stdexcept>

namespace rar5 {

void InitCrypto() {
  static std::once_flag once;
  std::call_once(once, [] {
    if (!gcry_check_version(GCRYPT_VERSION)) throw std::runtime_error("libgcrypt version mismatch");
    gcry_control(GCRYCTL_DISABLE_SECMEM, 0);
    gcry_control(GCRYCTL_INITIALIZATION_FINISHED, 0);
  });
}

namespace {

// One HMAC-SHA256 handle keyed with the password, reset for every step.
class Hmac {
 public:
  Hmac(const void* key, size_t keySize) {
    if (gcry_md_open(&md_, GCRY_MD_SHA256, GCRY_MD_FLAG_HMAC) != 0) throw std::bad_alloc();
    gcry_md_setkey(md_, key, keySize);
  }
  ~Hmac() { gcry_md_close(md_); }
  void Compute(const void* data, size_t size, uint8_t out[32]) {
    gcry_md_reset(md_);
    gcry_md_write(md_, data, size);
    std::memcpy(out, gcry_md_read(md_, GCRY_MD_SHA256), 32);
  }

 private:
  gcry_md_hd_t md_ = nullptr;
};

}  // namespace

DerivedKeys DeriveKeys(const std::string& passwordUtf8, const Salt& salt, unsigned kdfLog2) {
  InitCrypto();
  Hmac hmac(passwordUtf8.data(), passwordUtf8.size());
  uint8_t block[kSaltSize + 4];
  std::memcpy(block, salt.data(), kSaltSize);
  const uint8_t index[4] = {0, 0, 0, 1};  // the first (and only) PBKDF2 block
  std::memcpy(block + kSaltSize, index, 4);
  uint8_t u[32], sum[32];
  hmac.Compute(block, sizeof block, u);
  std::memcpy(sum, u, 32);
  DerivedKeys keys;
  const uint64_t count = uint64_t{1} << kdfLog2;
  // Three taps of one chain whose running sum is never restarted.
  const uint64_t taps[3] = {count, count + 16, count + 32};
  uint64_t done = 1;
  for (int t = 0; t < 3; ++t) {
    for (; done < taps[t]; ++done) {
      hmac.Compute(u, 32, u);
      for (int i = 0; i < 32; ++i) sum[i] ^= u[i];
    }
    if (t == 0) std::memcpy(keys.key.data(), sum, 32);
    if (t == 1) std::memcpy(keys.hashKey.data(), sum, 32);
    if (t == 2)
      for (int i = 0; i < 32; ++i) keys.check[i % 8] ^= sum[i];
  }
  return keys;
}

CheckField MakeCheckField(const DerivedKeys& keys) {
  InitCrypto();
  CheckField field{};
  uint8_t digest[32];
  gcry_md_hash_buffer(GCRY_MD_SHA256, digest, keys.check.data(), keys.check.size());
  std::memcpy(field.data(), keys.check.data(), 8);
  std::memcpy(field.data() + 8, digest, 4);
  return field;
}

CheckResult VerifyCheckField(const CheckField& field, const DerivedKeys& keys) {
  InitCrypto();
  uint8_t digest[32];
  gcry_md_hash_buffer(GCRY_MD_SHA256, digest, field.data(), 8);
  if (std::memcmp(digest, field.data() + 8, 4) != 0) return CheckResult::FieldDamaged;
  return std::memcmp(field.data(), keys.check.data(), 8) == 0 ? CheckResult::Match
                                                              : CheckResult::Mismatch;
}

uint32_t TweakCrc(uint32_t crc, const DerivedKeys& keys) {
  InitCrypto();
  const uint8_t raw[4] = {static_cast<uint8_t>(crc), static_cast<uint8_t>(crc >> 8),
                          static_cast<uint8_t>(crc >> 16), static_cast<uint8_t>(crc >> 24)};
  uint8_t digest[32];
  Hmac(keys.hashKey.data(), keys.hashKey.size()).Compute(raw, sizeof raw, digest);
  uint32_t folded = 0;
  for (int i = 0; i < 32; ++i) folded ^= static_cast<uint32_t>(digest[i]) << ((i & 3) * 8);
  return folded;
}

void RandomBytes(uint8_t* out, size_t size) {
  InitCrypto();
  gcry_randomize(out, size, GCRY_STRONG_RANDOM);
}

void RandomIv(uint8_t* out, size_t size) {
  InitCrypto();
  gcry_create_nonce(out, size);
}

AesCbc::AesCbc(const std::array<uint8_t, 32>& key, const Iv& iv, Direction direction)
    : direction_(direction) {
  InitCrypto();
  gcry_cipher_hd_t h = nullptr;
  if (gcry_cipher_open(&h, GCRY_CIPHER_AES256, GCRY_CIPHER_MODE_CBC, 0) != 0) throw std::bad_alloc();
  handle_ = h;
  if (gcry_cipher_setkey(h, key.data(), key.size()) != 0 || gcry_cipher_setiv(h, iv.data(), iv.size()) != 0)
    throw std::runtime_error("AES set-up failed");
}

void AesCbc::Restart(const Iv& iv) {
  if (gcry_cipher_setiv(static_cast<gcry_cipher_hd_t>(handle_), iv.data(), iv.size()) != 0)
    throw std::runtime_error("AES set-up failed");
}

AesCbc::~AesCbc() { gcry_cipher_close(static_cast<gcry_cipher_hd_t>(handle_)); }

bool AesCbc::Process(uint8_t* data, size_t size) {
  if (size % kAesBlock != 0) return false;
  if (size == 0) return true;
  auto h = static_cast<gcry_cipher_hd_t>(handle_);
  const gcry_error_t e = direction_ == Direction::Encrypt ? gcry_cipher_encrypt(h, data, size, nullptr, 0)
                                                          : gcry_cipher_decrypt(h, data, size, nullptr, 0);
  return e == 0;
}

const DerivedKeys& KeyCache::Get(const std::string& passwordUtf8, const Salt& salt, unsigned kdfLog2) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto& slot = keys_[std::make_tuple(passwordUtf8, salt, kdfLog2)];
  if (!slot) {
    slot = std::make_unique<DerivedKeys>(DeriveKeys(passwordUtf8, salt, kdfLog2));
    ++derivations_;
  }
  return *slot;
}

}  // namespace rar5
