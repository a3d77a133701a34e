#include "sha256.h"

#include "hex_digit.h"
#include "library_entry.h"
#include "system_error.h"
#include "system_library.h"

namespace {
template <typename Function>
void Find(HMODULE library, Function& function, const char* name) {
    function = LibraryEntry<Function>(library, name);
    if (!function) ThrowLastError(AnsiString("cannot find ") + AnsiString(name) + " in bcrypt.dll");
}
}  // namespace

void Sha256::Require(Status status, const char* call) {
    if (status >= 0) return;
    throw SystemFailure(AnsiString("the system's SHA-256 failed in ") + AnsiString(call) + ": NTSTATUS " +
                        AnsiString(Hex(static_cast<ULONG>(status))));
}

Sha256::Sha256() {
    library_ = LoadSystemLibrary(L"bcrypt.dll");
    const HMODULE library = library_.Get();
    CloseProvider close;
    DestroyHash destroy;
    Find(library, functions_.open, "BCryptOpenAlgorithmProvider");
    Find(library, close.close, "BCryptCloseAlgorithmProvider");
    Find(library, functions_.property, "BCryptGetProperty");
    Find(library, functions_.create, "BCryptCreateHash");
    Find(library, functions_.hashData, "BCryptHashData");
    Find(library, functions_.finish, "BCryptFinishHash");
    Find(library, destroy.destroy, "BCryptDestroyHash");
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    Require(functions_.open(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0), "BCryptOpenAlgorithmProvider");
    algorithm_ = Provider(algorithm, close);
    DWORD stateSize = 0;
    ULONG written = 0;
    Require(functions_.property(algorithm, BCRYPT_OBJECT_LENGTH, reinterpret_cast<PUCHAR>(&stateSize),
                                sizeof(stateSize), &written, 0),
            "BCryptGetProperty");
    state_ = WipedBuffer<unsigned char>(stateSize);
    // Reusable, the hash starts over once finished, so the state it frees
    // holds no digest (Wine keeps the state in memory of its own, not in
    // ours, and frees it uncleared). Systems before Windows 8 refuse the
    // flag.
    BCRYPT_HASH_HANDLE hash = nullptr;
    Status created =
        functions_.create(algorithm, &hash, state_.Data(), stateSize, nullptr, 0, BCRYPT_HASH_REUSABLE_FLAG);
    if (created == static_cast<Status>(0xC000000D))  // STATUS_INVALID_PARAMETER
        created = functions_.create(algorithm, &hash, state_.Data(), stateSize, nullptr, 0, 0);
    Require(created, "BCryptCreateHash");
    hash_ = Hash(hash, destroy);
}

void Sha256::Add(const void* data, std::size_t size) {
    // The interface takes a non-const pointer (it only reads) and a 32-bit
    // length.
    auto* bytes = static_cast<UCHAR*>(const_cast<void*>(data));
    while (size > 0) {
        const ULONG part = size > 0x40000000 ? 0x40000000 : static_cast<ULONG>(size);
        Require(functions_.hashData(hash_.Get(), bytes, part, 0), "BCryptHashData");
        bytes += part;
        size -= part;
    }
}

void Sha256::Finish(Digest& digest) {
    Require(functions_.finish(hash_.Get(), digest.data(), static_cast<ULONG>(digest.size()), 0), "BCryptFinishHash");
}
