#include "shred/core/pattern_source.h"

#include <openssl/evp.h>
#include <openssl/rand.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace corvane {

struct PatternSource::State {
  EVP_CIPHER_CTX* ctx = nullptr;
};

PatternSource::PatternSource() : state_(std::make_unique<State>()) {
  unsigned char key[32];
  unsigned char iv[16];
  if (RAND_bytes(key, sizeof key) != 1 || RAND_bytes(iv, sizeof iv) != 1)
    throw std::runtime_error("no random seed available");
  state_->ctx = EVP_CIPHER_CTX_new();
  if (state_->ctx == nullptr ||
      EVP_EncryptInit_ex(state_->ctx, EVP_aes_256_ctr(), nullptr, key, iv) != 1) {
    EVP_CIPHER_CTX_free(state_->ctx);
    throw std::runtime_error("cannot start the pattern generator");
  }
  OPENSSL_cleanse(key, sizeof key);
}

PatternSource::~PatternSource() {
  EVP_CIPHER_CTX_free(state_->ctx);
}

void PatternSource::Fill(unsigned char* buffer, size_t length) {
  // The keystream is what encrypting zeros yields.
  std::memset(buffer, 0, length);
  while (length > 0) {
    int chunk = static_cast<int>(std::min<size_t>(length, 1 << 30));
    int written = 0;
    EVP_EncryptUpdate(state_->ctx, buffer, &written, buffer, chunk);
    buffer += chunk;
    length -= static_cast<size_t>(chunk);
  }
}

}  // namespace corvane
