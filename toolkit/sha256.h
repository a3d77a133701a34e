#pragma once
// SHA-256 by the system's own cryptography (CNG, bcrypt.dll, loaded from the
// system folder). What was hashed (a typed password) is not to be worked
// back from a state left in freed memory: the hash is given a state buffer
// of ours, wiped when it goes, and starts over once finished.

#include <array>
#include <cstddef>

#include "win_handles.h"
#include "wiped_buffer.h"

class Sha256 {
public:
    using Digest = std::array<unsigned char, 32>;

    // Each throws SystemFailure, naming the call and its NTSTATUS, when the
    // system's SHA-256 fails.
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void Add(const void* data, std::size_t size);
    // The digest of everything added, into `digest`; once.
    void Finish(Digest& digest);

private:
    using Status = LONG;
    struct Functions {
        Status(WINAPI* open)(BCRYPT_ALG_HANDLE*, LPCWSTR, LPCWSTR, ULONG) = nullptr;
        Status(WINAPI* close)(BCRYPT_ALG_HANDLE, ULONG) = nullptr;
        Status(WINAPI* property)(BCRYPT_HANDLE, LPCWSTR, PUCHAR, ULONG, ULONG*, ULONG) = nullptr;
        Status(WINAPI* create)(BCRYPT_ALG_HANDLE, BCRYPT_HASH_HANDLE*, PUCHAR, ULONG, PUCHAR, ULONG, ULONG) = nullptr;
        Status(WINAPI* hashData)(BCRYPT_HASH_HANDLE, PUCHAR, ULONG, ULONG) = nullptr;
        Status(WINAPI* finish)(BCRYPT_HASH_HANDLE, PUCHAR, ULONG, ULONG) = nullptr;
        Status(WINAPI* destroy)(BCRYPT_HASH_HANDLE) = nullptr;
    };
    static void Require(Status status, const char* call);
    // Destroys the hash and closes the provider; the buffers go with the
    // object.
    void Release();

    // Declared in the order they are made; they go in reverse: the hash,
    // its state, the provider, the library.
    UniqueModule library_;
    Functions functions_;
    BCRYPT_ALG_HANDLE algorithm_ = nullptr;
    WipedBuffer<unsigned char> state_;
    BCRYPT_HASH_HANDLE hash_ = nullptr;
};
