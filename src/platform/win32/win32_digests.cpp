#include "platform/win32/win32_digests.h"

#include <windows.h>

#include <bcrypt.h>

namespace tessaline {
namespace {

bool Succeeded(NTSTATUS status) {
    return status >= 0;
}

class AlgorithmHandle {
  public:
    AlgorithmHandle() {
        if (!Succeeded(
                BCryptOpenAlgorithmProvider(&m_handle, BCRYPT_SHA256_ALGORITHM, nullptr, 0))) {
            m_handle = nullptr;
        }
    }
    ~AlgorithmHandle() {
        if (m_handle != nullptr) {
            BCryptCloseAlgorithmProvider(m_handle, 0);
        }
    }
    AlgorithmHandle(const AlgorithmHandle&) = delete;
    AlgorithmHandle& operator=(const AlgorithmHandle&) = delete;
    BCRYPT_ALG_HANDLE Get() const { return m_handle; }

  private:
    BCRYPT_ALG_HANDLE m_handle = nullptr;
};

class HashHandle {
  public:
    explicit HashHandle(BCRYPT_ALG_HANDLE algorithm) {
        if (!Succeeded(BCryptCreateHash(algorithm, &m_handle, nullptr, 0, nullptr, 0, 0))) {
            m_handle = nullptr;
        }
    }
    ~HashHandle() {
        if (m_handle != nullptr) {
            BCryptDestroyHash(m_handle);
        }
    }
    HashHandle(const HashHandle&) = delete;
    HashHandle& operator=(const HashHandle&) = delete;
    BCRYPT_HASH_HANDLE Get() const { return m_handle; }

  private:
    BCRYPT_HASH_HANDLE m_handle = nullptr;
};

}  // namespace

bool Win32Digests::Sha256(const void* bytes, std::uint32_t length, Sha256Digest* digest) {
    const AlgorithmHandle algorithm;
    if (algorithm.Get() == nullptr) {
        return false;
    }
    const HashHandle hash(algorithm.Get());
    if (hash.Get() == nullptr) {
        return false;
    }
    // The input is only read; the API's pointer is not const.
    auto* input = static_cast<PUCHAR>(const_cast<void*>(bytes));
    Sha256Digest result{};
    if (!Succeeded(BCryptHashData(hash.Get(), input, length, 0)) ||
        !Succeeded(
            BCryptFinishHash(hash.Get(), result.data(), static_cast<ULONG>(result.size()), 0))) {
        return false;
    }
    *digest = result;
    return true;
}

}  // namespace tessaline
