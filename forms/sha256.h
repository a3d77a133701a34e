#pragma once
// SHA-256 by the system's own cryptography (CNG, bcrypt.dll, loaded from the
// system folder). What was hashed (a typed password) is not to be worked
// back from a state left in freed memory: the hash is given a state buffer
// of ours, wiped when it goes, and starts over once finished.

#include <windows.h>

#include <array>
#include <bcrypt.h>
#include <cstddef>

#include "win_handles.h"
#include "wiped_buffer.h"

class Sha256 {
public:
    using Digest = std::array<unsigned char, 32>;

    // Each throws SystemFailure, naming the call and its NTSTATUS, when the
    // system's SHA-256 fails.
    Sha256();
    void Add(const void* data, std::size_t size);
    // The digest of everything added, into `digest`; once.
    void Finish(Digest& digest);

private:
    using Status = LONG;
    struct Functions {
        Status(WINAPI* open)(BCRYPT_ALG_HANDLE*, LPCWSTR, LPCWSTR, ULONG) = nullptr;
        Status(WINAPI* property)(BCRYPT_HANDLE, LPCWSTR, PUCHAR, ULONG, ULONG*, ULONG) = nullptr;
        Status(WINAPI* create)(BCRYPT_ALG_HANDLE, BCRYPT_HASH_HANDLE*, PUCHAR, ULONG, PUCHAR, ULONG, ULONG) = nullptr;
        Status(WINAPI* hashData)(BCRYPT_HASH_HANDLE, PUCHAR, ULONG, ULONG) = nullptr;
        Status(WINAPI* finish)(BCRYPT_HASH_HANDLE, PUCHAR, ULONG, ULONG) = nullptr;
    };
    // The provider's and the hash's owners free them with the functions
    // found in the library.
    struct CloseProvider {
        Status(WINAPI* close)(BCRYPT_ALG_HANDLE, ULONG) = nullptr;
        void operator()(BCRYPT_ALG_HANDLE algorithm) const { close(algorithm, 0); }
    };
    struct DestroyHash {
        Status(WINAPI* destroy)(BCRYPT_HASH_HANDLE) = nullptr;
        void operator()(BCRYPT_HASH_HANDLE hash) const { destroy(hash); }
    };
    using Provider = UniqueHandle<BCRYPT_ALG_HANDLE, CloseProvider>;
    using Hash = UniqueHandle<BCRYPT_HASH_HANDLE, DestroyHash>;
    static void Require(Status status, const char* call);

    // Declared in the order they are made; they go in reverse: the hash,
    // its state, the provider, the library.
    UniqueModule library_;
    Functions functions_;
    Provider algorithm_;
    WipedBuffer<unsigned char> state_;
    Hash hash_;
};
